#pragma once

#include "core/gzip_inflater.h"
#include "core/log_byte_stream.h"

#include <array>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace tw {

// The inflated content of a gzip file. Inflating ahead, a thread of its own fills a small ring
// of chunks while the caller works on the ones before; it starts at the first read(), so a file
// the caller rejects after a glance costs no more than that glance.
class GzipByteStream final : public LogByteStream {
public:
    GzipByteStream(const RegularFile& file, Inflate inflate);
    ~GzipByteStream() override;

    qint64 read(char* data, qint64 n) override;
    bool isCompressed() const override { return true; }
    bool cutShort() const override { return m_cutShort; }
    QString errorText() const override { return m_errorText; }
    qint64 compressedBytesRead() const override { return m_compressedRead; }

private:
    // 8 MB ahead: a caller parsing a piece of that size per core still overlaps with inflating.
    static constexpr std::size_t kChunks = 4;
    static constexpr qint64 kChunkBytes = 2 << 20;

    struct Chunk {
        std::unique_ptr<char[]> bytes;
        qint64 size = 0;
        qint64 compressedEnd = 0;
        bool last = false;
    };

    void startProducer();
    void produce();
    qint64 readAhead(char* data, qint64 n);
    qint64 readHere(char* data, qint64 n);
    void takeEnd();

    GzipInflater m_inflater;
    bool m_ahead;
    bool m_started = false;

    // Shared with the producer, under m_mutex: the filled chunks are m_count from m_head on.
    std::mutex m_mutex;
    std::condition_variable m_filled;
    std::condition_variable m_freed;
    std::array<Chunk, kChunks> m_ring;
    std::size_t m_head = 0;
    std::size_t m_count = 0;
    bool m_stop = false;
    bool m_producerDone = false;
    std::exception_ptr m_failure;
    std::thread m_producer;

    // The caller's side.
    qint64 m_offset = 0; // into the chunk at m_head
    bool m_ended = false;
    bool m_cutShort = false;
    bool m_readError = false;
    QString m_errorText;
    qint64 m_compressedRead = 0;
};

} // namespace tw
