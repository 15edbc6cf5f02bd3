#include "analysis/search.h"

#include "core/cp932.h"
#include "core/log_list.h"

#include <algorithm>
#include <bitset>

namespace tw {
namespace {

inline uchar foldAscii(uchar c)
{
    return uchar(c - 'A') < 26 ? uchar(c | 0x20) : c;
}

// BMP code points whose lower-case form is the code point itself.
const std::bitset<0x10000>& lowerStableBmp()
{
    static const std::bitset<0x10000> table = [] {
        std::bitset<0x10000> bits;
        for (char32_t cp = 0; cp < 0x10000; ++cp) {
            const QString one{QChar(char16_t(cp))};
            bits.set(cp, one.toLower() == one);
        }
        return bits;
    }();
    return table;
}

// True when lower-casing the UTF-8 text changes nothing but ASCII letters, so folding ASCII
// bytes gives exactly its lower-case form. Invalid UTF-8 answers false.
bool foldsLikeAscii(const uchar* p, const uchar* end)
{
    static constexpr char32_t kMinimum[4] = {0, 0x80, 0x800, 0x10000};
    const std::bitset<0x10000>& bmp = lowerStableBmp();
    while (p < end) {
        const uchar c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra = 0;
        char32_t cp = 0;
        if (c >= 0xC2 && c < 0xE0) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c < 0xF0) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c < 0xF5) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra)
            return false;
        for (int k = 1; k <= extra; ++k) {
            if ((p[k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[k] & 0x3F);
        }
        if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000))
            return false;
        p += extra + 1;
        if (cp < 0x10000 ? !bmp.test(cp) : QChar::toLower(cp) != cp)
            return false;
    }
    return true;
}

bool hasNonAscii(const uchar* p, std::size_t n)
{
    uchar any = 0;
    for (std::size_t i = 0; i < n; ++i)
        any |= p[i];
    return any & 0x80;
}

} // namespace

RowMatcher::RowMatcher(const QString& text, bool matchCase) : m_matchCase(matchCase)
{
    const QString characters = cp932::withoutCodeMarks(text);
    if (matchCase) {
        m_needle = characters.toUtf8();
    } else {
        m_lowerNeedle = characters.toLower();
        m_needle = m_lowerNeedle.toUtf8();
    }
    m_needleHasNonAscii = hasNonAscii(reinterpret_cast<const uchar*>(m_needle.constData()),
                                      std::size_t(m_needle.size()));
    // Horspool shifts.
    const auto m = quint32(m_needle.size());
    m_shift.fill(m);
    for (quint32 i = 0; i + 1 < m; ++i)
        m_shift[uchar(m_needle[i])] = m - 1 - i;
}

template <bool Fold> bool RowMatcher::findIn(const Texts& texts) const
{
    const auto* hay = reinterpret_cast<const uchar*>(texts.text);
    const qsizetype n = texts.size();
    const quint32* ends = texts.ends;
    const auto* needle = reinterpret_cast<const uchar*>(m_needle.constData());
    const qsizetype m = m_needle.size();
    const uchar last = needle[m - 1];
    auto fold = [](uchar c) { return Fold ? foldAscii(c) : c; };
    for (qsizetype pos = 0; pos + m <= n;) {
        const uchar c = fold(hay[pos + m - 1]);
        if (c == last) {
            qsizetype k = 0;
            while (k < m - 1 && fold(hay[pos + k]) == needle[k])
                ++k;
            if (k == m - 1) {
                // The texts lie back to back: a match must not run across a boundary.
                int field = 0;
                while (ends[field] <= quint32(pos))
                    ++field;
                if (pos + m <= qsizetype(ends[field]))
                    return true;
            }
        }
        pos += m_shift[c];
    }
    return false;
}

bool RowMatcher::matchesDecoded(const Texts& texts) const
{
    for (int k = 0; k < texts.count; ++k) {
        if (QString::fromUtf8(texts.field(k)).toLower().contains(m_lowerNeedle))
            return true;
    }
    return false;
}

RowMatcher::Texts RowMatcher::withoutCodeMarks(const Texts& texts) const
{
    m_unmarkedText.resize(0);
    for (int k = 0; k < texts.count; ++k) {
        cp932::appendWithoutCodeMarks(texts.field(k), m_unmarkedText);
        m_unmarkedEnds[std::size_t(k)] = quint32(m_unmarkedText.size());
    }
    return {m_unmarkedText.constData(), m_unmarkedEnds.data(), texts.count};
}

bool RowMatcher::matches(const LogRow& row) const
{
    return matchesTexts({row.text, row.ends(), row.fieldCount});
}

bool RowMatcher::matchesText(QByteArrayView text) const
{
    const auto end = quint32(text.size());
    return matchesTexts({text.data(), &end, 1});
}

bool RowMatcher::matchesTexts(const Texts& texts) const
{
    if (m_needleHasNonAscii && cp932::mayHoldCodeMarks(QByteArrayView(texts.text, texts.size())))
        return matchesUnmarked(withoutCodeMarks(texts));
    return matchesUnmarked(texts);
}

bool RowMatcher::matchesUnmarked(const Texts& texts) const
{
    const quint32 length = texts.size();
    // Every text contains the empty text, but only a non-empty one counts as a match.
    if (m_needle.isEmpty())
        return length > 0;
    if (m_matchCase)
        return findIn<false>(texts);
    const auto* bytes = reinterpret_cast<const uchar*>(texts.text);
    if (hasNonAscii(bytes, length) && !foldsLikeAscii(bytes, bytes + length))
        return matchesDecoded(texts);
    return findIn<true>(texts);
}

FindResult findInList(SearchState& state, const LogList& list, int mode, bool matchCase,
                      const QString& text, qsizetype currentRow, const RowSubset& subset)
{
    // Positions count among the rows walked; the current row, if hidden, starts at the next.
    const auto positionOf = [&](qsizetype row) {
        if (subset.isAll())
            return qint64(row);
        const auto shown = subset.rows();
        return qint64(std::lower_bound(shown.begin(), shown.end(), quint32(row)) - shown.begin());
    };
    bool caseSensitive = false;
    if (mode == 0) {
        state.text = text;
        caseSensitive = matchCase;
        if (currentRow >= 0)
            state.position = positionOf(currentRow) + 1;
    } else if (state.text.isEmpty()) {
        return {FindOutcome::Beep};
    }

    const qint64 rows = subset.size(list);
    if (state.position < 1)
        state.position = 1;
    if (rows == 0 || state.position > rows) {
        state.position = 1;
        return {FindOutcome::EndReached};
    }

    if (!caseSensitive)
        state.text = state.text.toLower();
    const RowMatcher matcher(state.text, caseSensitive);
    return subset.apply(list, [&](qsizetype, auto rowAt) -> FindResult {
        for (qint64 pos = state.position; pos <= rows; ++pos) {
            const qsizetype row = rowAt(qsizetype(pos - 1));
            if (matcher.matches(list.row(row))) {
                state.position = pos + 1;
                return {FindOutcome::Found, row};
            }
        }
        state.position = 1;
        return {FindOutcome::EndReached};
    });
}

void addToSearchHistory(QStringList& history, const QString& text)
{
    if (text.isEmpty())
        return;
    const qsizetype at = history.indexOf(text);
    if (at >= 0 && at < kSearchHistorySize)
        history.removeAt(at);
    history.prepend(text);
    while (history.size() > kSearchHistorySize)
        history.removeLast();
}

} // namespace tw
