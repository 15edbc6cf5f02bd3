#pragma once

#include "analysis/first_seen_tally.h"
#include "analysis/report_lines.h"
#include "analysis/row_subset.h"

#include <QByteArrayView>
#include <QString>

#include <array>

namespace tw {

// The hour (0..23) read from the two characters before the date-time's first ":", or -1 when
// there is none. Blanks around the digits are allowed (" 9" is 9); a sign or a decimal point is
// read as a number and rounded to the nearest hour, halves away from zero. When the colon is
// the second character, the one character before it is read; when it is the first, no hour.
int hourOfDateTime(QByteArrayView dateTime);

// What a row counts under in the two tables: its previous page exactly as it is (the empty
// text included), and its hour or -1 when it has none.
QByteArrayView previousPageKey(const LogList& list, qsizetype row);
int hourOfRow(const LogList& list, qsizetype row);
// The two tables over every row of the list: the pages in order of first appearance, the hours
// 0 to 23. The tally's keys are views into the list.
FirstSeenTally previousPageTally(const LogList& list, const RowSubset& rows = {});
std::array<qint64, 24> hourCounts(const LogList& list, const RowSubset& rows = {});

// How many of that many page entries the report lists: all when aLogMax is 0 or above their
// number, none when it is negative, else aLogMax.
std::size_t listedPageCount(int aLogMax, std::size_t entries);

// count / divisor (count >= 0, divisor > 0) as "#0.00%": the percentage rounded half away from
// zero to two decimals.
QString formatShare(qint64 count, qint64 divisor);

// The access report: previous pages by visits, most first, cut to aLogMax entries (0 lists all,
// a negative value none), then the 24 hours with counts and shares. Lines end in CR LF. The
// report goes to the sink in pieces and holds no copy of the pages. Only the given rows count.
void writeAccessStatistics(const LogList& list, int aLogMax, const ReportSink& sink,
                           const RowSubset& rows = {});
// The same report as one text.
QString accessStatisticsText(const LogList& list, int aLogMax, const RowSubset& rows = {});

} // namespace tw
