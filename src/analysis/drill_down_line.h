#pragma once

#include "analysis/drill_down.h"

#include <optional>
#include <vector>

namespace tw {

// The entry that line `line` (from 0, lines ending in CR LF) of the access or host report
// stands for, given the entries drillEntries() gave for the same rows: a previous page, an hour
// or a domain; nothing for a title, a header or the empty line. An entry whose text holds a
// CR LF takes more than one line, all of which stand for it.
std::optional<DrillDown> accessReportEntryAt(const std::vector<DrillEntry>& pages, int aLogMax,
                                             qsizetype line);
std::optional<DrillDown> hostReportEntryAt(const std::vector<DrillEntry>& domains, qsizetype line);

} // namespace tw
