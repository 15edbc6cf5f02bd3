#include "analysis/visitor_key_counts.h"

namespace tw {

// Filled in once the user-agent catalog is there.
std::optional<KeyCounts> countAgentKeys(VisitorStatistic, const LogList&, const RowSubset&,
                                        const std::atomic<bool>* cancel)
{
    if (cancel && cancel->load())
        return std::nullopt;
    return KeyCounts{};
}

std::optional<QString> agentKeyOfRow(VisitorStatistic, const LogList&, qsizetype)
{
    return std::nullopt;
}

} // namespace tw
