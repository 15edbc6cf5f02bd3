#include "loggen_gzip.h"

#include <zlib.h>

namespace tw::bench {

struct GzipWriter::Stream {
    z_stream z{};
    bool ready = false;
};

namespace {
constexpr qsizetype kOutChunk = qsizetype(1) << 20;
}

GzipWriter::GzipWriter(std::function<bool(QByteArray&)> sink)
    : m_stream(std::make_unique<Stream>()), m_sink(std::move(sink))
{
    // 15 + 16: the largest window, with a gzip header and trailer.
    m_stream->ready = deflateInit2(&m_stream->z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8,
                                   Z_DEFAULT_STRATEGY) == Z_OK;
}

GzipWriter::~GzipWriter()
{
    if (m_stream->ready)
        deflateEnd(&m_stream->z);
}

bool GzipWriter::write(QByteArrayView data)
{
    return data.isEmpty() || deflateInto(data, Z_NO_FLUSH);
}

bool GzipWriter::finish()
{
    return deflateInto({}, Z_FINISH);
}

bool GzipWriter::deflateInto(QByteArrayView data, int flush)
{
    if (!m_stream->ready)
        return false;
    z_stream& z = m_stream->z;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = uInt(data.size()); // chunks stay far below 4 GB
    int status = Z_OK;
    do {
        m_out.resize(kOutChunk);
        z.next_out = reinterpret_cast<Bytef*>(m_out.data());
        z.avail_out = uInt(m_out.size());
        status = deflate(&z, flush);
        // Short of output space deflate always makes progress; anything else is a fault.
        if (status == Z_STREAM_ERROR || (status == Z_BUF_ERROR && z.avail_out != 0))
            return false;
        m_out.resize(m_out.size() - qsizetype(z.avail_out));
        if (!m_out.isEmpty() && !m_sink(m_out))
            return false;
    } while (z.avail_out == 0 || (flush == Z_FINISH && status != Z_STREAM_END));
    return true;
}

} // namespace tw::bench
