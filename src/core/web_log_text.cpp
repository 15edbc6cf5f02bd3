#include "core/cp932.h"
#include "core/web_log_parts.h"

#include <algorithm>

namespace tw::weblog::detail {
namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

void Scratch::reset(qsizetype need)
{
    if (need > m_capacity) {
        const qsizetype capacity = std::max(need, 2 * m_capacity);
        m_data = std::make_unique_for_overwrite<char[]>(std::size_t(capacity));
        m_capacity = capacity;
    }
    m_used = 0;
}

QByteArrayView Scratch::take(char* stop)
{
    const QByteArrayView taken(end(), stop - end());
    Q_ASSERT(stop >= end() && stop <= m_data.get() + m_capacity);
    m_used = stop - m_data.get();
    return taken;
}

bool isAscii(const char* p, qsizetype n)
{
    std::uint64_t any = 0;
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        any |= word;
    }
    for (; n > 0; ++p, --n)
        any |= std::uint8_t(*p);
    return (any & kHighBits) == 0;
}

QByteArrayView textOf(QByteArrayView raw, Scratch& scratch)
{
    if (isAscii(raw.data(), raw.size()) || raw.isValidUtf8())
        return raw;
    return scratch.take(cp932::decodeToUtf8(raw.begin(), raw.end(), scratch.end()));
}

QByteArrayView unescapedTextOf(QByteArrayView raw, Scratch& scratch)
{
    const char* p = raw.begin();
    const char* end = raw.end();
    const char* slash = static_cast<const char*>(std::memchr(p, '\\', std::size_t(raw.size())));
    if (!slash)
        return textOf(raw, scratch);
    char* out = scratch.end();
    while (slash) {
        out = std::copy(p, slash, out);
        p = slash + 1;
        if (p < end && (*p == '"' || *p == '\\')) {
            *out++ = *p++;
        } else if (end - p >= 3 && *p == 'x' && hexValue(p[1]) >= 0 && hexValue(p[2]) >= 0) {
            *out++ = char(hexValue(p[1]) * 16 + hexValue(p[2]));
            p += 3;
        } else {
            *out++ = '\\';
        }
        slash = static_cast<const char*>(std::memchr(p, '\\', std::size_t(end - p)));
    }
    out = std::copy(p, end, out);
    return textOf(scratch.take(out), scratch);
}

QByteArrayView plusAsBlankTextOf(QByteArrayView raw, Scratch& scratch)
{
    if (!raw.contains('+'))
        return textOf(raw, scratch);
    char* out = std::replace_copy(raw.begin(), raw.end(), scratch.end(), '+', ' ');
    return textOf(scratch.take(out), scratch);
}

QByteArrayView withoutBom(QByteArrayView line)
{
    // Tested a byte at a time: this runs for every line.
    const bool bom = line.size() >= 3 && std::uint8_t(line[0]) == 0xEF &&
                     std::uint8_t(line[1]) == 0xBB && std::uint8_t(line[2]) == 0xBF;
    return bom ? line.sliced(3) : line;
}

} // namespace tw::weblog::detail
