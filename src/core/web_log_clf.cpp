// Common Log Format and its Combined forms:
//   [%v[:%p] ]%h %l %u %t "%r" %>s %b[ "%{Referer}i" "%{User-Agent}i"[ anything]]
#include "core/web_log_parts.h"

#include <algorithm>

namespace tw::weblog::detail {
namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A field as the line holds it. Plain: ASCII without a backslash, so the text is the bytes.
struct RawField {
    QByteArrayView bytes;
    bool plain = true;
};

class ClfLine {
public:
    explicit ClfLine(QByteArrayView line) : m_p(line.begin()), m_end(line.end()) {}

    bool atEnd() const { return m_p == m_end; }
    const char* pos() const { return m_p; }
    qsizetype left() const { return m_end - m_p; }
    void skip(qsizetype n) { m_p += n; }

    bool expect(char c)
    {
        if (m_p == m_end || *m_p != c)
            return false;
        ++m_p;
        return true;
    }

    // A non-empty run of anything but blanks, and the blank after it.
    bool token(RawField& out)
    {
        const char* stop = scanTo<' ', ' ', true>(m_p, m_end);
        out.plain = stop == m_end || *stop == ' ';
        if (!out.plain)
            stop = scanTo<' ', ' ', false>(stop, m_end);
        if (stop == m_end || stop == m_p)
            return false;
        out.bytes = QByteArrayView(m_p, stop);
        m_p = stop + 1;
        return true;
    }

    // The bytes count: digits or "-", up to a blank or the end.
    bool bytesCount(QByteArrayView& out)
    {
        const char* stop = scanTo<' ', ' ', false>(m_p, m_end);
        out = QByteArrayView(m_p, stop);
        m_p = stop;
        return (out.size() == 1 && out[0] == '-') ||
               (!out.isEmpty() && std::all_of(out.begin(), out.end(), isDigit));
    }

    // A quoted field. Its closing quote is the first one that no backslash escapes and that a
    // blank or the line end follows, so the unescaped quotes older servers wrote stay inside.
    bool quoted(RawField& out)
    {
        if (!expect('"'))
            return false;
        const char* stop = scanTo<'"', '\\', true>(m_p, m_end);
        out.plain = stop < m_end && *stop == '"';
        if (out.plain && (stop + 1 == m_end || stop[1] == ' ')) {
            out.bytes = QByteArrayView(m_p, stop);
            m_p = stop + 1;
            return true;
        }
        for (const char* q = m_p;; ++q) {
            q = static_cast<const char*>(std::memchr(q, '"', std::size_t(m_end - q)));
            if (!q)
                return false;
            const char* s = q;
            while (s > m_p && s[-1] == '\\')
                --s;
            if ((q - s) % 2 == 0 && (q + 1 == m_end || q[1] == ' ')) {
                out.bytes = QByteArrayView(m_p, q);
                out.plain = out.plain && q == stop;
                m_p = q + 1;
                return true;
            }
        }
    }

private:
    const char* m_p;
    const char* m_end;
};

QByteArrayView quotedText(const RawField& field, Scratch& scratch)
{
    return field.plain ? field.bytes : unescapedTextOf(field.bytes, scratch);
}

// Blank-separated fields have no escapes: a backslash in a host name is a backslash.
QByteArrayView tokenText(const RawField& field, Scratch& scratch)
{
    return field.plain ? field.bytes : textOf(field.bytes, scratch);
}

} // namespace

LineResult parseClfLine(Format format, QByteArrayView text, Record& record)
{
    ClfLine line(text);
    RawField vhost, host, ident, user, request, referrer, agent;
    QByteArrayView status, bytes;
    if (format == Format::VirtualHostCombined && !line.token(vhost))
        return LineResult::Skipped;
    if (!line.token(host) || !line.token(ident) || !line.token(user))
        return LineResult::Skipped;
    char* dateTime = record.scratch.end();
    if (line.left() < kClfTimeLength || !clfDateTime(line.pos(), dateTime))
        return LineResult::Skipped;
    line.skip(kClfTimeLength);
    if (!line.expect(' ') || !line.quoted(request) || !line.expect(' ') || line.left() < 4)
        return LineResult::Skipped;
    status = QByteArrayView(line.pos(), 3);
    line.skip(3);
    if (!std::all_of(status.begin(), status.end(), isDigit) || !line.expect(' ') ||
        !line.bytesCount(bytes))
        return LineResult::Skipped;
    if (format == Format::Common) {
        if (!line.atEnd())
            return LineResult::Skipped;
    } else {
        // Fields that some servers add after the user agent (a forwarded-for address, a
        // duration) are ignored.
        if (!line.expect(' ') || !line.quoted(referrer) || !line.expect(' ') ||
            !line.quoted(agent) || !(line.atEnd() || line.expect(' ')))
            return LineResult::Skipped;
    }

    Scratch& scratch = record.scratch;
    auto& f = record.fields;
    f[DateTime] = scratch.take(dateTime + kDateTimeLength);
    f[Host] = tokenText(host, scratch);
    f[IP] = host.plain && isIpAddress(host.bytes) ? f[Host] : QByteArrayView();
    f[Request] = quotedText(request, scratch);
    f[Status] = status;
    f[Bytes] = bytes;
    if (format != Format::Common) {
        f[Browser] = quotedText(agent, scratch);
        f[PreviousPage] = quotedText(referrer, scratch);
    }
    if (format == Format::VirtualHostCombined)
        f[VirtualHost] = tokenText(vhost, scratch);
    return LineResult::Record;
}

} // namespace tw::weblog::detail
