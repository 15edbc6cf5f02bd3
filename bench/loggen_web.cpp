#include "loggen_web.h"

#include "core/cp932.h"

#include <iterator>
#include <span>
#include <string_view>

namespace tw::bench {
namespace {

enum class W3cField {
    Date,
    Time,
    ServerIp,
    Method,
    UriStem,
    UriQuery,
    ServerPort,
    Username,
    ClientIp,
    Version,
    UserAgent,
    Referrer,
    Host,
    Status,
    Substatus,
    Win32Status,
    Bytes,
    TimeTaken,
};

const char* const kW3cNames[] = {
    "date",    "time",        "s-ip",         "cs-method",       "cs-uri-stem",    "cs-uri-query",
    "s-port",  "cs-username", "c-ip",         "cs-version",      "cs(User-Agent)", "cs(Referer)",
    "cs-host", "sc-status",   "sc-substatus", "sc-win32-status", "sc-bytes",       "time-taken"};
static_assert(std::size(kW3cNames) == std::size_t(W3cField::TimeTaken) + 1);

using F = W3cField;
// The fields IIS logs by default, then a richer choice made while the server ran.
const W3cField kW3cFirstFields[] = {F::Date,      F::Time,        F::ServerIp,   F::Method,
                                    F::UriStem,   F::UriQuery,    F::ServerPort, F::Username,
                                    F::ClientIp,  F::UserAgent,   F::Referrer,   F::Status,
                                    F::Substatus, F::Win32Status, F::TimeTaken};
const W3cField kW3cSecondFields[] = {
    F::Date,       F::Time,     F::ServerIp,  F::Method,      F::UriStem,   F::UriQuery,
    F::ServerPort, F::Username, F::ClientIp,  F::Version,     F::UserAgent, F::Referrer,
    F::Host,       F::Status,   F::Substatus, F::Win32Status, F::Bytes,     F::TimeTaken};

std::span<const W3cField> w3cFields(int block)
{
    if (block == 0)
        return kW3cFirstFields;
    return kW3cSecondFields;
}

QByteArrayView view(std::string_view s)
{
    return QByteArrayView(s.data(), qsizetype(s.size()));
}

constexpr char kLowerHex[] = "0123456789abcdef"; // Apache's escapes
constexpr char kUpperHex[] = "0123456789ABCDEF"; // browsers' percent-encoding

void appendHex(unsigned char b, const char* digits, QByteArray& out)
{
    out.append(digits[b >> 4]).append(digits[b & 15]);
}

// A quoted field as Apache escapes it: \" and \\, and \xHH for control bytes and, unless
// highBytesRaw (a server that passes them through), for every byte above ASCII.
void appendEscaped(QByteArrayView text, bool highBytesRaw, QByteArray& out)
{
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b == '"' || b == '\\') {
            out.append('\\').append(c);
        } else if (b < 0x20 || b == 0x7f || (b >= 0x80 && !highBytesRaw)) {
            out.append("\\x");
            appendHex(b, kLowerHex, out);
        } else {
            out.append(c);
        }
    }
}

// Non-ASCII bytes of a URL as %XX of their CP932 form, as the browsers of the time sent them.
void appendPercentEncodedCp932(const std::string& utf8, QByteArray& out)
{
    const QByteArray bytes = cp932::encodeUtf8(view(utf8));
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        const qsizetype count = lead && i + 1 < bytes.size() ? 2 : 1;
        if (count == 2 || b >= 0x80 || b == '"' || b == ' ' || b < 0x20) {
            for (qsizetype k = i; k < i + count; ++k) {
                out.append('%');
                appendHex(static_cast<unsigned char>(bytes[k]), kUpperHex, out);
            }
            i += count - 1;
        } else {
            out.append(char(b));
        }
    }
}

bool hasReferrer(const Visit& visit)
{
    return !visit.previousPage.empty() && visit.previousPage != "-";
}

// The referrer's bytes as the visit's client sent them.
QByteArray referrerBytes(const Visit& visit)
{
    switch (visit.referrerBytes) {
    case ReferrerBytes::PercentCp932: {
        QByteArray out;
        appendPercentEncodedCp932(visit.previousPage, out);
        return out;
    }
    case ReferrerBytes::RawCp932:
        return cp932::encodeUtf8(view(visit.previousPage));
    case ReferrerBytes::RawUtf8:
    case ReferrerBytes::EscapedUtf8:
        break;
    }
    return view(visit.previousPage).toByteArray();
}

// W3C fields are separated by blanks: IIS writes each blank (and any control byte) as "+".
void appendW3cText(QByteArrayView text, QByteArray& out)
{
    if (text.isEmpty()) {
        out.append('-');
        return;
    }
    for (const char c : text)
        out.append(static_cast<unsigned char>(c) <= 0x20 ? '+' : c);
}

} // namespace

WebLogWriter::WebLogWriter(const LogGenOptions& options)
    : m_format(options.format), m_lineEnd(options.crlf ? "\r\n" : "\n"), m_rows(options.rows)
{
}

void WebLogWriter::append(const Visit& visit, bool damaged, QByteArray& out)
{
    if (m_format == LogFormat::W3C && (m_row == 0 || (m_row == m_rows / 2 && m_w3cBlock == 0))) {
        ++m_w3cBlock;
        appendW3cDirectives(visit, out);
    }
    ++m_row;
    const qsizetype start = out.size();
    if (m_format == LogFormat::W3C)
        appendW3cLine(visit, out);
    else
        appendApacheLine(visit, out);
    if (damaged)
        out.truncate(start + (out.size() - start) / 2);
    out.append(m_lineEnd);
}

void WebLogWriter::appendApacheLine(const Visit& visit, QByteArray& out) const
{
    if (m_format == LogFormat::VCombined) {
        out.append(view(visit.virtualHost));
        if (visit.portLogged)
            out.append(':').append(QByteArray::number(visit.port));
        out.append(' ');
    }
    out.append(view(visit.host.empty() ? visit.ip : visit.host));
    out.append(" - ");
    if (visit.user.empty())
        out.append('-');
    else
        appendEscaped(view(visit.user), false, out);
    out.append(" [").append(view(visit.clfTime)).append("] \"");
    if (visit.requestPath.empty())
        out.append('-');
    else
        out.append("GET ").append(view(visit.requestPath)).append(' ').append(view(visit.protocol));
    out.append("\" ").append(QByteArray::number(visit.status)).append(' ');
    out.append(visit.bytes ? QByteArray::number(visit.bytes) : QByteArray("-"));
    if (m_format == LogFormat::Common)
        return;
    out.append(" \"");
    if (!hasReferrer(visit))
        out.append('-');
    else if (visit.referrerBytes == ReferrerBytes::PercentCp932)
        out.append(referrerBytes(visit));
    else
        appendEscaped(referrerBytes(visit), visit.referrerBytes != ReferrerBytes::EscapedUtf8, out);
    out.append("\" \"");
    if (visit.browser.empty())
        out.append('-');
    else
        appendEscaped(view(visit.browser), false, out);
    out.append('"');
}

void WebLogWriter::appendW3cDirectives(const Visit& visit, QByteArray& out) const
{
    QByteArray date = view(visit.dateTime).toByteArray().replace('/', '-');
    out.append("#Software: Microsoft Internet Information Services 10.0").append(m_lineEnd);
    out.append("#Version: 1.0").append(m_lineEnd);
    out.append("#Date: ").append(date).append(m_lineEnd);
    out.append("#Fields:");
    for (const W3cField field : w3cFields(m_w3cBlock))
        out.append(' ').append(kW3cNames[std::size_t(field)]);
    out.append(m_lineEnd);
}

void WebLogWriter::appendW3cLine(const Visit& visit, QByteArray& out) const
{
    const std::string_view dateTime = visit.dateTime; // "2001/05/01 09:05:33"
    const std::string_view path = visit.requestPath;
    const std::size_t question = path.find('?');
    const bool ipv6 = visit.ip.find(':') != std::string::npos;
    bool first = true;
    for (const W3cField field : w3cFields(m_w3cBlock)) {
        if (!first)
            out.append(' ');
        first = false;
        switch (field) {
        case F::Date:
            out.append(view(dateTime.substr(0, 10)).toByteArray().replace('/', '-'));
            break;
        case F::Time:
            out.append(view(dateTime.substr(11)));
            break;
        case F::ServerIp:
            out.append(ipv6 ? "2404:7a80:0:1::4" : "172.16.0.4");
            break;
        case F::Method:
            out.append(path.empty() ? "-" : "GET");
            break;
        case F::UriStem:
            appendW3cText(view(path.substr(0, question)), out);
            break;
        case F::UriQuery:
            appendW3cText(
                question == path.npos ? QByteArrayView() : view(path.substr(question + 1)), out);
            break;
        case F::ServerPort:
            out.append(QByteArray::number(visit.port));
            break;
        case F::Username:
            appendW3cText(view(visit.user), out);
            break;
        case F::ClientIp:
            out.append(view(visit.ip));
            break;
        case F::Version:
            appendW3cText(path.empty() ? QByteArrayView() : view(visit.protocol), out);
            break;
        case F::UserAgent:
            appendW3cText(view(visit.browser), out);
            break;
        case F::Referrer:
            appendW3cText(hasReferrer(visit) ? referrerBytes(visit) : QByteArray(), out);
            break;
        case F::Host:
            appendW3cText(path.empty() ? QByteArrayView() : view(visit.virtualHost), out);
            break;
        case F::Status:
            out.append(QByteArray::number(visit.status));
            break;
        case F::Substatus:
            out.append('0');
            break;
        case F::Win32Status:
            out.append(visit.status == 404 ? '2' : '0');
            break;
        case F::Bytes:
            out.append(QByteArray::number(visit.bytes));
            break;
        case F::TimeTaken:
            out.append(QByteArray::number(visit.timeTakenMs));
            break;
        }
    }
}

} // namespace tw::bench
