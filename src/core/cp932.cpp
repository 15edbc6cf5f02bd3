#include "core/cp932.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <utility>

namespace tw::cp932 {
namespace {

// Another code of a character that has more than one: which one (1, 2) the code mark names.
struct OtherCode {
    uint16_t code;
    uint16_t unicode;
    uint8_t which;
};

#include "core/cp932_table.inc"

constexpr int kTrailCount = 0xFC - 0x40 + 1;
static_assert(sizeof(kDoubleByteTable) / sizeof(uint16_t) == 60 * kTrailCount);
static_assert(std::is_sorted(std::begin(kOtherCodes), std::end(kOtherCodes),
                             [](const OtherCode& a, const OtherCode& b) {
                                 return a.code < b.code;
                             }));

// Lead bytes of the other codes: most unmapped pairs are turned away by one look.
constexpr std::array<bool, 256> kOtherCodeLeads = [] {
    std::array<bool, 256> leads{};
    for (const OtherCode& other : kOtherCodes)
        leads[other.code >> 8] = true;
    return leads;
}();

// The entry of a pair that is another code of its character, nullptr for any other pair.
const OtherCode* otherCodeOf(unsigned char lead, unsigned char trail)
{
    if (!kOtherCodeLeads[lead])
        return nullptr;
    const uint16_t code = uint16_t(lead << 8 | trail);
    const auto* it = std::lower_bound(std::begin(kOtherCodes), std::end(kOtherCodes), code,
                                      [](const OtherCode& e, uint16_t c) { return e.code < c; });
    return it != std::end(kOtherCodes) && it->code == code ? it : nullptr;
}

// The code that a character followed by a code mark stands for, 0 when it has no such code.
uint16_t otherCodeFor(char32_t c, char32_t mark)
{
    constexpr auto byCharacter = [](const OtherCode& a, const OtherCode& b) {
        return a.unicode != b.unicode ? a.unicode < b.unicode : a.which < b.which;
    };
    static const auto table = [&] {
        std::array<OtherCode, std::size(kOtherCodes)> sorted{};
        std::copy(std::begin(kOtherCodes), std::end(kOtherCodes), sorted.begin());
        std::sort(sorted.begin(), sorted.end(), byCharacter);
        return sorted;
    }();
    if (c > 0xFFFF)
        return 0;
    const OtherCode key{0, uint16_t(c), uint8_t(mark - kCodeMarkFirst + 1)};
    const auto it = std::lower_bound(table.begin(), table.end(), key, byCharacter);
    return it != table.end() && !byCharacter(key, *it) ? it->code : 0;
}

// Whether the four bytes at p are the UTF-8 of a code mark (U+E0031 is F3 A0 80 B1).
inline bool isCodeMarkUtf8(const unsigned char* p)
{
    return p[0] == 0xF3 && p[1] == 0xA0 && p[2] == 0x80 && p[3] >= 0xB1 && p[3] <= 0xB2;
}

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

// What nextChar() returns for another code of a character: this plus the code's entry in
// kOtherCodes. Above every code point, so the common paths tell it apart with the comparisons
// they make anyway.
constexpr char32_t kOtherCodeBase = 0x200000;

// Decodes one character at p (p < end); returns the code point, or kOtherCodeBase + entry, and
// advances p.
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
        if (const OtherCode* other = otherCodeOf(b, p[1])) {
            p += 2;
            return kOtherCodeBase + char32_t(other - std::begin(kOtherCodes));
        }
    }
    ++p;
    return kRawByteBase + b;
}

// The character and code mark that another code decodes to.
inline std::pair<char32_t, char32_t> characterAndMark(char32_t decoded)
{
    const OtherCode& other = kOtherCodes[decoded - kOtherCodeBase];
    return {other.unicode, kCodeMarkFirst + other.which - 1};
}

// UTF-8 of what nextChar() returned.
inline char* putDecoded(char32_t c, char* out)
{
    if (c < kOtherCodeBase)
        return putUtf8(c, out);
    const auto [character, mark] = characterAndMark(c);
    return putUtf8(mark, putUtf8(character, out));
}

inline void appendCode(uint16_t code, QByteArray& out)
{
    if (code > 0xFF)
        out.append(char(code >> 8));
    out.append(char(code & 0xFF));
}

// mark: the code mark that followed c, or 0.
inline void encodeCodePoint(char32_t c, char32_t mark, QByteArray& out)
{
    if (mark) {
        if (const uint16_t code = otherCodeFor(c, mark)) {
            appendCode(code, out);
            return;
        }
    }
    if (isCodeMark(c))
        return; // a mark after no character it belongs to shows nothing and writes nothing
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
        out = putDecoded(nextChar(p, e), out);
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
    const auto append = [&out](char32_t c) {
        if (c < 0x10000) {
            out.append(QChar(char16_t(c)));
        } else {
            out.append(QChar(QChar::highSurrogate(c)));
            out.append(QChar(QChar::lowSurrogate(c)));
        }
    };
    while (p < e) {
        const char32_t c = nextChar(p, e);
        if (c < kOtherCodeBase) {
            append(c);
        } else {
            const auto [character, mark] = characterAndMark(c);
            append(character);
            append(mark);
        }
    }
    return out;
}

QByteArray encode(QStringView text)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    const qsizetype n = text.size();
    // The code point at i, advancing i past it.
    const auto next = [&](qsizetype& i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(char16_t(c), text[i + 1].unicode());
            ++i;
        }
        ++i;
        return c;
    };
    for (qsizetype i = 0; i < n;) {
        const char32_t c = next(i);
        char32_t mark = 0;
        if (i + 1 < n && text[i] == QChar::highSurrogate(kCodeMarkFirst)) {
            qsizetype after = i;
            if (const char32_t m = next(after); isCodeMark(m)) {
                mark = m;
                i = after;
            }
        }
        encodeCodePoint(c, mark, out);
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
        char32_t mark = 0;
        if (e - p >= 4 && isCodeMarkUtf8(p)) {
            mark = kCodeMarkFirst + (p[3] - 0xB1);
            p += 4;
        }
        encodeCodePoint(c, mark, out);
    }
}

QByteArray encodeUtf8(QByteArrayView utf8)
{
    QByteArray out;
    out.reserve(utf8.size());
    appendEncodedUtf8(utf8, out);
    return out;
}

QString withoutCodeMarks(const QString& text)
{
    if (!text.contains(QChar::highSurrogate(kCodeMarkFirst)))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i + 1 < text.size() && text[i] == QChar::highSurrogate(kCodeMarkFirst) &&
            isCodeMark(QChar::surrogateToUcs4(text[i], text[i + 1]))) {
            ++i;
            continue;
        }
        out.append(text[i]);
    }
    return out;
}

void appendWithoutCodeMarks(QByteArrayView utf8, QByteArray& out)
{
    for (qsizetype from = 0;;) {
        const qsizetype at = utf8.indexOf(kCodeMarkUtf8Prefix, from);
        if (at < 0 || at + 4 > utf8.size()) {
            out.append(utf8.sliced(from));
            return;
        }
        out.append(utf8.sliced(from, at - from));
        if (!isCodeMarkUtf8(reinterpret_cast<const unsigned char*>(utf8.data() + at)))
            out.append(utf8.sliced(at, 4));
        from = at + 4;
    }
}

qsizetype skipChars(QByteArrayView bytes, qsizetype n)
{
    auto begin = reinterpret_cast<const unsigned char*>(bytes.data());
    auto p = begin;
    auto e = begin + bytes.size();
    for (qsizetype i = 0; i < n && p < e; ++i) {
        if (*p < 0x80) {
            ++p;
        } else {
            // A code mark is a character of no bytes of its own.
            if (nextChar(p, e) >= kOtherCodeBase)
                ++i;
        }
    }
    return p - begin;
}

} // namespace tw::cp932
