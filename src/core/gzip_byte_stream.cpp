#include "core/gzip_byte_stream.h"

#include <cstring>

namespace tw {

GzipByteStream::GzipByteStream(const RegularFile& file, Inflate inflate)
    : m_inflater(file), m_ahead(inflate == Inflate::Ahead)
{
    if (m_ahead) {
        for (Chunk& chunk : m_ring)
            chunk.bytes.reset(new char[kChunkBytes]);
    }
}

GzipByteStream::~GzipByteStream()
{
    if (!m_producer.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_freed.notify_one();
    m_producer.join();
}

void GzipByteStream::startProducer()
{
    m_started = true;
    try {
        m_producer = std::thread([this] { produce(); });
    } catch (...) {
        // No thread to be had (a limit on threads or memory): inflate in read() instead.
        m_ahead = false;
    }
}

void GzipByteStream::produce()
{
    std::size_t tail = 0;
    try {
        while (true) {
            {
                std::unique_lock lock(m_mutex);
                m_freed.wait(lock, [this] { return m_stop || m_count < kChunks; });
                if (m_stop)
                    return;
            }
            // The chunk at tail is free while fewer than all chunks are filled.
            Chunk& chunk = m_ring[tail];
            chunk.size = m_inflater.inflate(chunk.bytes.get(), kChunkBytes);
            chunk.compressedEnd = m_inflater.compressedBytesRead();
            chunk.last = m_inflater.state() != GzipInflater::State::More;
            {
                std::lock_guard lock(m_mutex);
                ++m_count;
                m_producerDone = chunk.last;
            }
            m_filled.notify_one();
            if (chunk.last)
                return;
            tail = (tail + 1) % kChunks;
        }
    } catch (...) {
        std::lock_guard lock(m_mutex);
        m_failure = std::current_exception();
        m_producerDone = true;
    }
    m_filled.notify_one();
}

qint64 GzipByteStream::read(char* data, qint64 n)
{
    if (m_ahead && !m_started)
        startProducer();
    const qint64 done = m_ahead ? readAhead(data, n) : readHere(data, n);
    return done == 0 && m_readError ? -1 : done;
}

qint64 GzipByteStream::readHere(char* data, qint64 n)
{
    if (m_ended)
        return 0;
    const qint64 done = m_inflater.inflate(data, n);
    m_compressedRead = m_inflater.compressedBytesRead();
    if (m_inflater.state() != GzipInflater::State::More)
        takeEnd();
    return done;
}

qint64 GzipByteStream::readAhead(char* data, qint64 n)
{
    qint64 done = 0;
    while (done < n && !m_ended) {
        Chunk* chunk = nullptr;
        {
            std::unique_lock lock(m_mutex);
            m_filled.wait(lock, [this] { return m_count > 0 || m_producerDone; });
            if (m_count == 0) {
                // The producer failed: the bytes before the failure first, then the failure.
                if (done > 0)
                    return done;
                std::rethrow_exception(m_failure);
            }
            chunk = &m_ring[m_head];
        }
        const qint64 take = std::min(n - done, chunk->size - m_offset);
        std::memcpy(data + done, chunk->bytes.get() + m_offset, std::size_t(take));
        done += take;
        m_offset += take;
        if (m_offset < chunk->size)
            continue;
        m_offset = 0;
        m_compressedRead = chunk->compressedEnd;
        const bool last = chunk->last;
        {
            std::lock_guard lock(m_mutex);
            m_head = (m_head + 1) % kChunks;
            --m_count;
        }
        m_freed.notify_one();
        if (last)
            takeEnd();
    }
    return done;
}

void GzipByteStream::takeEnd()
{
    // The producer is past its last use of the inflater once it published the last chunk.
    const GzipInflater::State state = m_inflater.state();
    m_ended = true;
    m_cutShort = state == GzipInflater::State::CutShort || state == GzipInflater::State::Damaged;
    m_readError = state == GzipInflater::State::ReadError;
    m_errorText = m_inflater.errorText();
    m_compressedRead = m_inflater.compressedBytesRead();
}

} // namespace tw
