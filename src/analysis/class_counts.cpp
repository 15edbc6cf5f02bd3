#include "analysis/class_counts.h"

#include "analysis/first_seen_tally.h"

namespace tw {

ClassTally countClasses(const LogList& list, const RowSubset& rows)
{
    ClassTally tally;
    const FirstSeenTally agents = rows.apply(list, [&](qsizetype count, auto rowAt) {
        for (qsizetype i = 0; i < count; ++i)
            ++tally.browser[std::size_t(list.browserClass(rowAt(i)))];
        return FirstSeenTally(
            count, [&](qsizetype i) { return std::optional(list.field(rowAt(i), ColBrowser)); });
    });
    for (qsizetype k = 0; k < agents.size(); ++k) {
        const PlatformClass platform = classifyPlatform(agents.key(k), list.userPlatforms());
        tally.platform[std::size_t(platform)] += agents.counts()[std::size_t(k)];
    }
    tally.rows = rows.size(list);
    return tally;
}

} // namespace tw
