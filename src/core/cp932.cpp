#include "core/cp932.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <mutex>

namespace tw::cp932 {
namespace {

constexpr uint16_t kDoubleByteTable[] = {
#include "core/cp932_table.inc"
};
constexpr int kTrailCount = 0xFC - 0x40 + 1;
static_assert(sizeof(kDoubleByteTable) / sizeof(uint16_t) == 60 * kTrailCount);

inline bool isLead(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Unicode value of the pair, 0 when the pair is not a mapped character.
inline uint16_t pairValue(unsigned char lead, unsigned char trail)
{
    if (trail < 0x40 || trail > 0xFC)
        return 0;
    const int row = lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31;
    return kDoubleByteTable[row * kTrailCount + (trail - 0x40)];
}

// Reverse table over the BMP: CP932 code (one byte or two), 0 when not encodable.
const std::array<uint16_t, 0x10000>& encodeTable()
{
    static std::array<uint16_t, 0x10000> table{};
    static std::once_flag once;
    std::call_once(once, [] {
        for (int row = 0; row < 60; ++row) {
            const int lead = row < 31 ? 0x81 + row : 0xE0 + row - 31;
            for (int t = 0; t < kTrailCount; ++t) {
                const uint16_t u = kDoubleByteTable[row * kTrailCount + t];
                if (u)
                    table[u] = uint16_t(lead << 8 | (0x40 + t));
            }
        }
        for (int b = 0xA1; b <= 0xDF; ++b)
            table[0xFF61 + b - 0xA1] = uint16_t(b);
    });
    return table;
}

inline char* putUtf8(char32_t c, char* out)
{
    if (c < 0x80) {
        *out++ = char(c);
    } else if (c < 0x800) {
        *out++ = char(0xC0 | (c >> 6));
        *out++ = char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = char(0xE0 | (c >> 12));
        *out++ = char(0x80 | ((c >> 6) & 0x3F));
        *out++ = char(0x80 | (c & 0x3F));
    } else {
        *out++ = char(0xF0 | (c >> 18));
        *out++ = char(0x80 | ((c >> 12) & 0x3F));
        *out++ = char(0x80 | ((c >> 6) & 0x3F));
        *out++ = char(0x80 | (c & 0x3F));
    }
    return out;
}

// Decodes one character at p (p < end); returns the code point and advances p.
inline char32_t nextChar(const unsigned char*& p, const unsigned char* end)
{
    const unsigned char b = *p;
    if (b < 0x80) {
        ++p;
        return b;
    }
    if (b >= 0xA1 && b <= 0xDF) {
        ++p;
        return 0xFF61 + (b - 0xA1);
    }
    if (isLead(b) && p + 1 < end) {
        if (const uint16_t u = pairValue(b, p[1])) {
            p += 2;
            return u;
        }
    }
    ++p;
    return kRawByteBase + b;
}

inline void appendCode(uint16_t code, QByteArray& out)
{
    if (code > 0xFF)
        out.append(char(code >> 8));
    out.append(char(code & 0xFF));
}

inline void encodeCodePoint(char32_t c, QByteArray& out)
{
    if (c < 0x80) {
        out.append(char(c));
    } else if (c >= kRawByteBase && c <= kRawByteBase + 0xFF) {
        out.append(char(c - kRawByteBase));
    } else if (c < 0x10000 && encodeTable()[c]) {
        appendCode(encodeTable()[c], out);
    } else {
        out.append('?');
    }
}

} // namespace

char* decodeToUtf8(const char* begin, const char* end, char* out)
{
    auto p = reinterpret_cast<const unsigned char*>(begin);
    auto e = reinterpret_cast<const unsigned char*>(end);
    while (p < e) {
        // Runs of ASCII dominate logs: copy eight bytes at a time while none has the high bit.
        while (e - p >= 8) {
            uint64_t word;
            std::memcpy(&word, p, 8);
            if (word & 0x8080808080808080ULL)
                break;
            std::memcpy(out, &word, 8);
            p += 8;
            out += 8;
        }
        if (p >= e)
            break;
        if (*p < 0x80) {
            *out++ = char(*p++);
            continue;
        }
        out = putUtf8(nextChar(p, e), out);
    }
    return out;
}

QByteArray decodeToUtf8(QByteArrayView bytes)
{
    QByteArray out(bytes.size() * 4, Qt::Uninitialized);
    char* end = decodeToUtf8(bytes.data(), bytes.data() + bytes.size(), out.data());
    out.truncate(end - out.data());
    return out;
}

QString decode(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    auto p = reinterpret_cast<const unsigned char*>(bytes.data());
    auto e = p + bytes.size();
    while (p < e) {
        const char32_t c = nextChar(p, e);
        if (c < 0x10000) {
            out.append(QChar(char16_t(c)));
        } else {
            out.append(QChar(QChar::highSurrogate(c)));
            out.append(QChar(QChar::lowSurrogate(c)));
        }
    }
    return out;
}

QByteArray encode(QStringView text)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(char16_t(c), text[i + 1].unicode());
            ++i;
        }
        encodeCodePoint(c, out);
    }
    return out;
}

void appendEncodedUtf8(QByteArrayView utf8, QByteArray& out)
{
    auto p = reinterpret_cast<const unsigned char*>(utf8.data());
    auto e = p + utf8.size();
    while (p < e) {
        const unsigned char b = *p;
        if (b < 0x80) {
            const unsigned char* run = p;
            while (p < e && *p < 0x80)
                ++p;
            out.append(reinterpret_cast<const char*>(run), p - run);
            continue;
        }
        char32_t c;
        int len;
        if (b >= 0xF0) {
            c = b & 0x07;
            len = 4;
        } else if (b >= 0xE0) {
            c = b & 0x0F;
            len = 3;
        } else if (b >= 0xC0) {
            c = b & 0x1F;
            len = 2;
        } else {
            out.append('?');
            ++p;
            continue;
        }
        if (e - p < len) {
            out.append('?');
            break;
        }
        for (int k = 1; k < len; ++k)
            c = (c << 6) | (p[k] & 0x3F);
        p += len;
        encodeCodePoint(c, out);
    }
}

QByteArray encodeUtf8(QByteArrayView utf8)
{
    QByteArray out;
    out.reserve(utf8.size());
    appendEncodedUtf8(utf8, out);
    return out;
}

qsizetype skipChars(QByteArrayView bytes, qsizetype n)
{
    auto begin = reinterpret_cast<const unsigned char*>(bytes.data());
    auto p = begin;
    auto e = begin + bytes.size();
    for (qsizetype i = 0; i < n && p < e; ++i) {
        if (*p < 0x80)
            ++p;
        else
            nextChar(p, e);
    }
    return p - begin;
}

} // namespace tw::cp932
