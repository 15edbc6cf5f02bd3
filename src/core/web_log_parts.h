#pragma once

#include "core/web_log.h"

#include <QByteArrayView>

#include <bit>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cstdint>
#include <cstring>

// The pieces the web-log parsers share; not for use outside them.
namespace tw::weblog::detail {

// --- Text: every field ends up UTF-8. A field that is valid UTF-8 is kept as it is; any other is
// taken as CP932, whose decoder keeps undecodable bytes, so no byte of the log is lost.

bool isAscii(const char* p, qsizetype n);

// The first byte of [p, end) that is a or b or, when high, not ASCII; end when there is none.
// Sixteen or eight bytes at a time, inline: fields are short, and a library call per field costs
// more than the search.
template <char a, char b, bool high> inline const char* scanTo(const char* p, const char* end)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
    const auto equal = [](std::uint64_t w, char c) {
        const std::uint64_t x = w ^ (kOnes * std::uint8_t(c));
        return (x - kOnes) & ~x & kHigh; // exact in its lowest set byte, which is all we use
    };
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi8(a), vb = _mm_set1_epi8(b);
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int hits =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb))) |
            (high ? _mm_movemask_epi8(v) : 0);
        if (hits)
            return p + std::countr_zero(unsigned(hits));
    }
#endif
    for (; end - p >= 8; p += 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        const std::uint64_t hits = equal(word, a) | equal(word, b) | (high ? word & kHigh : 0);
        if (hits)
            return p + std::countr_zero(hits) / 8;
    }
    for (; p < end; ++p) {
        if (*p == a || *p == b || (high && std::uint8_t(*p) >= 0x80))
            return p;
    }
    return end;
}

QByteArrayView textOf(QByteArrayView raw, Scratch& scratch);
// A quoted field as Apache and Nginx write it: \" \\ and \xHH decoded, any other backslash kept.
QByteArrayView unescapedTextOf(QByteArrayView raw, Scratch& scratch);
// A W3C user agent, whose blanks were written as "+".
QByteArrayView plusAsBlankTextOf(QByteArrayView raw, Scratch& scratch);

// The most scratch bytes one parse of a line of n bytes can use.
constexpr qsizetype scratchNeed(qsizetype n)
{
    return 7 * n + 64;
}

// A line with a byte order mark before it (a file saved by an editor) reads as the line.
QByteArrayView withoutBom(QByteArrayView line);

// --- Addresses, checked as inet_pton(3) checks them, without its cost per line.

bool isIpAddress(QByteArrayView text);

// --- Time: everything becomes "YYYY/MM/DD HH:MM:SS" in the time the log was written in.

constexpr qsizetype kDateTimeLength = 19;
constexpr qsizetype kClfTimeLength = 28; // "[10/Oct/2000:13:55:36 -0700]"
// Reads kClfTimeLength bytes at p; false for another shape or a date that does not exist.
bool clfDateTime(const char* p, char* out);
// "YYYY-MM-DD" into "YYYY/MM/DD" (10 bytes).
bool w3cDate(QByteArrayView text, char* out);
// The day of a "#Date:" line: "YYYY-MM-DD" or "DD-Mon-YYYY", into "YYYY/MM/DD".
bool w3cDirectiveDate(QByteArrayView text, char* out);
// "HH:MM", "HH:MM:SS" or "HH:MM:SS.fff" into "HH:MM:SS" (8 bytes).
bool w3cTime(QByteArrayView text, char* out);

// --- The line parsers.

LineResult parseClfLine(Format format, QByteArrayView line, Record& record);
LineResult parseW3cLine(QByteArrayView line, ParseState& state, Record& record);
// Takes what a "#" line of a W3C log says into state.
void applyW3cDirective(QByteArrayView line, ParseState& state);
FieldSet w3cLoggedFields(const ParseState& state);

// What a W3C "#Fields:" name means to this program.
enum W3cRole : std::uint8_t {
    RoleNone,
    RoleDate,
    RoleTime,
    RoleClientIp,
    RoleClientDns,
    RoleUserAgent,
    RoleReferer,
    RoleMethod,
    RoleUriStem,
    RoleUriQuery,
    RoleUri,
    RoleVersion,
    RoleStatus,
    RoleBytes,
    RoleHostHeader,
    kRoleCount
};

} // namespace tw::weblog::detail
