#pragma once

#include "analysis/visitor_statistics.h"

#include <QByteArrayView>

namespace tw {

// Agents, Os and Bots: keyed by what the user-agent catalog says of a row's agent.
bool isAgentStatistic(VisitorStatistic statistic);

// The key of a row in the statistics keyed by a text of the row itself (Pages, Status,
// Referrers), as a view into that text; nothing when the statistic does not count the row or
// is keyed otherwise.
std::optional<QByteArrayView> rowTextKey(VisitorStatistic statistic, const LogList& list,
                                         qsizetype row);

// Entries in the order the statistics list them: by count descending, then key in code-point
// order.
void sortKeyCounts(std::vector<KeyCount>& entries);

// Agents, Os and Bots, which classify each row's user agent.
std::optional<KeyCounts> countAgentKeys(VisitorStatistic statistic, const LogList& list,
                                        const RowSubset& rows, const std::atomic<bool>* cancel);
std::optional<QString> agentKeyOfRow(VisitorStatistic statistic, const LogList& list,
                                     qsizetype row);

} // namespace tw
