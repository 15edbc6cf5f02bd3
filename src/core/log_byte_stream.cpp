#include "core/log_byte_stream.h"

#include "core/gzip_byte_stream.h"
#include "core/regular_file.h"

namespace tw {

namespace {

class PlainByteStream final : public LogByteStream {
public:
    explicit PlainByteStream(const RegularFile& file) : m_file(file) {}

    qint64 read(char* data, qint64 n) override
    {
        const qint64 got = m_file.readAt(m_pos, data, n, &m_errorText);
        if (got > 0)
            m_pos += got;
        return got;
    }
    bool isCompressed() const override { return false; }
    bool cutShort() const override { return false; }
    QString errorText() const override { return m_errorText; }
    qint64 compressedBytesRead() const override { return m_pos; }

private:
    const RegularFile& m_file;
    qint64 m_pos = 0;
    QString m_errorText;
};

// A gzip member header begins 1f 8b, method 8 (deflate), no reserved flag set. Bytes missing
// from a file this short are taken as a cut, not as proof of another kind of file.
bool startsAsGzip(const RegularFile& file)
{
    unsigned char head[4] = {};
    const qint64 got = file.readAt(0, reinterpret_cast<char*>(head), sizeof head);
    if (got < 2 || head[0] != 0x1f || head[1] != 0x8b)
        return false;
    return (got < 3 || head[2] == 8) && (got < 4 || (head[3] & 0xe0) == 0);
}

} // namespace

std::unique_ptr<LogByteStream> LogByteStream::open(const RegularFile& file, Inflate inflate)
{
    if (startsAsGzip(file))
        return std::make_unique<GzipByteStream>(file, inflate);
    return std::make_unique<PlainByteStream>(file);
}

} // namespace tw
