#include "analysis/visitor_keys.h"

#include <algorithm>
#include <limits>

namespace tw {
namespace {

inline bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

inline bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

std::optional<QByteArrayView> requestPathKey(QByteArrayView request)
{
    if (request.isEmpty())
        return std::nullopt;
    qsizetype begin = 0;
    while (begin < request.size() && !isBlank(request[begin]))
        ++begin;
    while (begin < request.size() && isBlank(request[begin]))
        ++begin;
    qsizetype end = begin;
    while (end < request.size() && !isBlank(request[end]) && request[end] != '?')
        ++end;
    if (end == begin)
        return kNoPathKey;
    return request.sliced(begin, end - begin);
}

std::optional<QByteArrayView> statusKey(QByteArrayView status)
{
    return status.isEmpty() ? std::nullopt : std::optional(status);
}

QByteArrayView referrerHostKey(QByteArrayView referrer)
{
    qsizetype begin = 0;
    if (const qsizetype scheme = referrer.indexOf("://"); scheme >= 0) {
        // "://" after a path, as in "/a?u=http://x", is no scheme.
        if (!referrer.first(scheme).contains('/'))
            begin = scheme + 3;
    }
    qsizetype end = begin;
    while (end < referrer.size() && referrer[end] != '/' && referrer[end] != '?' &&
           referrer[end] != '#')
        ++end;
    QByteArrayView host = referrer.sliced(begin, end - begin);
    if (const qsizetype at = host.lastIndexOf('@'); at >= 0)
        host = host.sliced(at + 1);
    // A port follows the last colon, unless that colon is inside an IPv6 address's brackets.
    if (const qsizetype colon = host.lastIndexOf(':'); colon >= 0 && host.indexOf(']', colon) < 0) {
        const QByteArrayView port = host.sliced(colon + 1);
        if (std::all_of(port.begin(), port.end(), isDigit) &&
            (host.front() == '[' || !host.first(colon).contains(':')))
            host = host.first(colon);
    }
    if (host.isEmpty() || host == "-")
        return kNoHostKey;
    return host;
}

std::optional<QDate> dayOfDateTime(QByteArrayView dateTime)
{
    static constexpr char kShape[] = "0000/00/00";
    if (dateTime.size() < 10 || (dateTime.size() > 10 && dateTime[10] != ' '))
        return std::nullopt;
    int parts[3] = {};
    int part = 0;
    for (qsizetype i = 0; i < 10; ++i) {
        if (kShape[i] == '/') {
            if (dateTime[i] != '/')
                return std::nullopt;
            ++part;
        } else if (isDigit(dateTime[i])) {
            parts[part] = parts[part] * 10 + (dateTime[i] - '0');
        } else {
            return std::nullopt;
        }
    }
    const QDate day(parts[0], parts[1], parts[2]);
    return day.isValid() && parts[0] > 0 ? std::optional(day) : std::nullopt;
}

qint64 responseBytes(QByteArrayView bytes)
{
    if (bytes.isEmpty() || bytes.size() > std::numeric_limits<qint64>::digits10)
        return 0;
    qint64 n = 0;
    for (char c : bytes) {
        if (!isDigit(c))
            return 0;
        n = n * 10 + (c - '0');
    }
    return n;
}

} // namespace tw
