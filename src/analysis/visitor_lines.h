#pragma once

#include "analysis/visitor_statistics.h"

#include <QStringList>

#include <functional>

namespace tw {

// Takes one line at a time; the text is only valid during the call.
using LineSink = std::function<void(QStringView line)>;

// A statistic as lines of TAB-separated fields, without line ends, as the command line prints
// them and the reports hold them: "COUNT SHARE KEY" for a keyed statistic (SHARE as "12.34%" of
// the rows counted), "YYYY/MM/DD HITS VISITORS BYTES" per day, "HH HITS VISITORS" per hour.
// At most `top` lines, all when top is negative. A TAB, CR or LF in a key is a blank.
void writeKeyCountLines(const KeyCounts& counts, qsizetype top, const LineSink& sink);
void writeDayLines(const std::vector<DayFigures>& days, qsizetype top, const LineSink& sink);
void writeHourLines(const std::array<HourFigures, 24>& hours, qsizetype top, const LineSink& sink);

// The same lines in a list.
QStringList keyCountLines(const KeyCounts& counts, qsizetype top = -1);
QStringList dayLines(const std::vector<DayFigures>& days, qsizetype top = -1);
QStringList hourLines(const std::array<HourFigures, 24>& hours, qsizetype top = -1);

// The statistic worked out over the rows and written as above, a line at a time (a log can
// span thousands of years of days); false when cancel was seen set.
bool writeVisitorStatistic(VisitorStatistic statistic, const LogList& list, const RowSubset& rows,
                           qsizetype top, const LineSink& sink,
                           const std::atomic<bool>* cancel = nullptr);

// The same lines in a list; nothing when cancel is seen set.
std::optional<QStringList> visitorStatisticLines(VisitorStatistic statistic, const LogList& list,
                                                 const RowSubset& rows = {}, qsizetype top = -1,
                                                 const std::atomic<bool>* cancel = nullptr);

} // namespace tw
