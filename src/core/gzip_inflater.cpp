#include "core/gzip_inflater.h"

#include "core/regular_file.h"

#include <zlib.h>

#include <algorithm>
#include <new>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace tw {

namespace {

constexpr qint64 kInputBytes = 256 * 1024;

} // namespace

struct GzipInflater::Stream {
    z_stream z{};
};

GzipInflater::GzipInflater(const RegularFile& file)
    : m_file(file), m_stream(std::make_unique<Stream>()), m_input(new char[kInputBytes])
{
    // 16 + window bits: the gzip wrapper only; zlib checks each member's header, CRC and length.
    const int rc = inflateInit2(&m_stream->z, 16 + MAX_WBITS);
    if (rc == Z_MEM_ERROR)
        throw std::bad_alloc();
    if (rc != Z_OK)
        throw std::runtime_error("zlib cannot be used");
}

GzipInflater::~GzipInflater()
{
    inflateEnd(&m_stream->z);
}

qint64 GzipInflater::compressedBytesRead() const
{
    return m_filePos - qint64(m_stream->z.avail_in);
}

void GzipInflater::finish(State state, const QString& why)
{
    m_state = state;
    m_errorText = why;
}

bool GzipInflater::refill()
{
    QString why;
    const qint64 got = m_file.readAt(m_filePos, m_input.get(), kInputBytes, &why);
    if (got < 0) {
        finish(State::ReadError, why);
        return false;
    }
    m_filePos += got;
    m_atEof = got < kInputBytes;
    m_stream->z.next_in = reinterpret_cast<Bytef*>(m_input.get());
    m_stream->z.avail_in = uInt(got);
    return true;
}

bool GzipInflater::skipPadding()
{
    z_stream& z = m_stream->z;
    while (true) {
        Bytef* end = z.next_in + z.avail_in;
        z.next_in = std::find_if(z.next_in, end, [](Bytef b) { return b != 0; });
        z.avail_in = uInt(end - z.next_in);
        if (z.avail_in > 0) {
            finish(State::Damaged, u"data after the end of the compressed data"_s);
            return false;
        }
        if (m_atEof) {
            finish(State::End, {});
            return true;
        }
        if (!refill())
            return false;
    }
}

qint64 GzipInflater::inflate(char* out, qint64 n)
{
    z_stream& z = m_stream->z;
    qint64 done = 0;
    while (done < n && m_state == State::More) {
        if (z.avail_in == 0 && !m_atEof && !refill())
            break;
        if (!m_inMember) {
            // Between members: another member, padding, or the end.
            if (z.avail_in == 0 && m_atEof) {
                finish(State::End, {});
                break;
            }
            if (z.avail_in == 0)
                continue;
            if (*z.next_in == 0) {
                skipPadding();
                break;
            }
            inflateReset(&z);
            m_inMember = true;
        }
        const uInt room = uInt(std::min<qint64>(n - done, 1 << 30));
        z.next_out = reinterpret_cast<Bytef*>(out + done);
        z.avail_out = room;
        const int rc = ::inflate(&z, Z_NO_FLUSH);
        done += room - z.avail_out;
        switch (rc) {
        case Z_OK:
            break;
        case Z_STREAM_END:
            m_inMember = false;
            break;
        case Z_BUF_ERROR:
            // No progress without more input: everything the file holds was delivered.
            if (z.avail_in == 0 && m_atEof)
                finish(State::CutShort, u"the compressed data ends early"_s);
            break;
        case Z_MEM_ERROR:
            throw std::bad_alloc();
        default:
            finish(State::Damaged, u"damaged compressed data ("_s +
                                       QString::fromLatin1(z.msg ? z.msg : "unknown") + u')');
            break;
        }
    }
    return done;
}

} // namespace tw
