#pragma once

#include "core/access_record.h"

#include "analysis/row_subset.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace tw {

class LogList;
struct LogRow;

// Kept for the whole run, shared by the search dialog and the find-next command.
struct SearchState {
    QString text;        // the last new search's text; lower case after a case-ignoring step
    qint64 position = 0; // 1-based number of the next row to examine; 0 = no search yet
};

enum class FindOutcome {
    Found,      // the window selects and focuses `row`
    EndReached, // the window shows "検索が終了しました。"; the position is back at 1
    Beep        // find next without a search text: the window beeps, nothing else changes
};

struct FindResult {
    FindOutcome outcome;
    qsizetype row = -1; // 0-based row found
};

// Whether any of a row's texts (the five columns, and what a web log added) contains a text. An
// empty text matches a row that has at least one non-empty text. Ignoring case compares the
// lower-case forms of both texts. Code marks (see cp932.h) count for nothing, so a character is
// found whichever of its codes the file held. Matching works on the rows' UTF-8 bytes (valid UTF-8,
// as the reader stores them); only rows with characters whose lower case is not plain ASCII folding
// are decoded.
class RowMatcher {
public:
    RowMatcher(const QString& text, bool matchCase);
    bool matches(const LogRow& row) const;
    // The same test on one text alone (one field of a row).
    bool matchesText(QByteArrayView text) const;

private:
    // Texts laid out as a row lays out its fields: back to back, with their cumulative ends.
    struct Texts {
        const char* text;
        const quint32* ends;
        int count;
        quint32 size() const { return count ? ends[count - 1] : 0; }
        QByteArrayView field(int k) const
        {
            const quint32 begin = k ? ends[k - 1] : 0;
            return QByteArrayView(text + begin, ends[k] - begin);
        }
    };
    bool matchesTexts(const Texts& texts) const;
    bool matchesUnmarked(const Texts& texts) const;
    template <bool Fold> bool findIn(const Texts& texts) const;
    bool matchesDecoded(const Texts& texts) const;
    Texts withoutCodeMarks(const Texts& texts) const;

    QByteArray m_needle;   // UTF-8, lower case when case is ignored
    QString m_lowerNeedle; // for rows whose case needs more than ASCII folding
    bool m_matchCase;
    bool m_needleHasNonAscii = false; // only then can a code mark stand in its way
    std::array<quint32, 256> m_shift{};
    mutable QByteArray m_unmarkedText; // texts with code marks, without them
    mutable std::array<quint32, kMaxFieldCount> m_unmarkedEnds{}; // and their ends
};

// One search step. mode 0 starts a new search for `text` at the current row itself (-1 when the
// list has none: the kept position, 0 meaning the first row); mode 1 finds next from the kept
// position with the kept text and always ignores case. Walks forward without wrapping. On Found
// and EndReached the window first deselects every row.
// With a subset, only its rows are walked (positions count among them; rows are list rows).
FindResult findInList(SearchState& state, const LogList& list, int mode, bool matchCase,
                      const QString& text, qsizetype currentRow, const RowSubset& rows = {});

constexpr int kSearchHistorySize = 10;

// Puts a text at the top of the history (most recent first), moving it up if it is already
// there and dropping the oldest beyond ten entries. An empty text changes nothing.
void addToSearchHistory(QStringList& history, const QString& text);

} // namespace tw
