#pragma once

#include "analysis/row_subset.h"
#include "core/log_tally.h"

namespace tw {

// The browser and platform tallies of the given rows alone, for statistics that follow a filter:
// each row counted by the classes it was counted under when it came into the list. Unlike the
// list's own tallies, rows that were cut or deleted are not counted.
ClassTally countClasses(const LogList& list, const RowSubset& rows);

} // namespace tw
