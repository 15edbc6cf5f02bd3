#include "analysis/class_counts.h"

namespace tw {

ClassTally countClasses(const LogList& list, const RowSubset& rows)
{
    // The classes each row was counted under when it came, as the tallies and the drill-down
    // have them (the user's platform strings may have changed since).
    ClassTally tally;
    rows.apply(list, [&](qsizetype count, auto rowAt) {
        for (qsizetype i = 0; i < count; ++i) {
            ++tally.browser[std::size_t(list.browserClass(rowAt(i)))];
            ++tally.platform[std::size_t(list.platformClass(rowAt(i)))];
        }
    });
    tally.rows = rows.size(list);
    return tally;
}

} // namespace tw
