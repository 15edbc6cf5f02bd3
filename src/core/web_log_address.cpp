#include "core/web_log_parts.h"

namespace tw::weblog::detail {
namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isHexDigit(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Four decimal parts of at most 255 without leading zeros, as inet_pton takes them.
bool isIpv4(const char* p, const char* end)
{
    for (int part = 0; part < 4; ++part) {
        if (part > 0 && (p == end || *p++ != '.'))
            return false;
        if (p == end || !isDigit(*p))
            return false;
        int value = 0;
        const char* first = p;
        while (p < end && isDigit(*p) && p - first < 3)
            value = value * 10 + (*p++ - '0');
        if (value > 255 || (*first == '0' && p - first > 1) || (p < end && isDigit(*p)))
            return false;
    }
    return p == end;
}

// Groups of at most four hex digits, one "::" standing for at least one zero group, and an IPv4
// address in place of the last two groups.
bool isIpv6(const char* p, const char* end)
{
    if (p == end || (*p == ':' && (++p == end || *p != ':')))
        return false;
    int bytes = 0;    // of the sixteen, given so far
    bool gap = false; // "::" seen
    int digits = 0;
    const char* group = p;
    while (p < end) {
        const char c = *p++;
        if (isHexDigit(c)) {
            if (++digits > 4)
                return false;
        } else if (c == ':') {
            group = p;
            if (digits == 0) {
                if (gap)
                    return false;
                gap = true;
            } else {
                if (p == end || bytes + 2 > 16)
                    return false;
                bytes += 2;
                digits = 0;
            }
        } else if (c == '.' && bytes + 4 <= 16 && isIpv4(group, end)) {
            bytes += 4;
            digits = 0;
            break;
        } else {
            return false;
        }
    }
    if (digits > 0) {
        if (bytes + 2 > 16)
            return false;
        bytes += 2;
    }
    return gap ? bytes < 16 : bytes == 16;
}

} // namespace

bool isIpAddress(QByteArrayView text)
{
    const char* p = text.begin();
    const char* end = text.end();
    return std::memchr(p, ':', std::size_t(text.size())) ? isIpv6(p, end) : isIpv4(p, end);
}

} // namespace tw::weblog::detail
