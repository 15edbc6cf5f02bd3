#pragma once

#include <QByteArray>

#include <functional>
#include <memory>

namespace tw::bench {

// Compresses a stream of chunks into one gzip member, as `gzip` would write it, handing each
// compressed chunk to the sink. The same input always gives the same bytes (no name, no time).
class GzipWriter {
public:
    explicit GzipWriter(std::function<bool(QByteArray&)> sink);
    ~GzipWriter();
    GzipWriter(const GzipWriter&) = delete;
    GzipWriter& operator=(const GzipWriter&) = delete;

    bool write(QByteArrayView data);
    bool finish();

private:
    bool deflateInto(QByteArrayView data, int flush);

    struct Stream;
    std::unique_ptr<Stream> m_stream;
    std::function<bool(QByteArray&)> m_sink;
    QByteArray m_out;
};

} // namespace tw::bench
