#pragma once

#include "analysis/visitor_statistics.h"

#include <QStringList>

namespace tw {

// A statistic as lines of TAB-separated fields, without line ends, as the command line prints
// them and the reports hold them: "COUNT SHARE KEY" for a keyed statistic (SHARE as "12.34%" of
// the rows counted), "YYYY/MM/DD HITS VISITORS BYTES" per day, "HH HITS VISITORS" per hour.
// At most `top` lines, all when top is negative. A TAB, CR or LF in a key is a blank.
QStringList keyCountLines(const KeyCounts& counts, qsizetype top = -1);
QStringList dayLines(const std::vector<DayFigures>& days, qsizetype top = -1);
QStringList hourLines(const std::array<HourFigures, 24>& hours, qsizetype top = -1);

// The statistic worked out over the rows and written as above; nothing when cancel is seen set.
std::optional<QStringList> visitorStatisticLines(VisitorStatistic statistic, const LogList& list,
                                                 const RowSubset& rows = {}, qsizetype top = -1,
                                                 const std::atomic<bool>* cancel = nullptr);

} // namespace tw
