#include "analysis/agent_catalog.h"
#include "analysis/visitor_key_counts.h"
#include "core/log_list.h"

#include <QHash>

namespace tw {
namespace {

std::optional<QString> keyOfAgent(VisitorStatistic statistic, const AgentInfo& agent)
{
    switch (statistic) {
    case VisitorStatistic::Agents:
        return agent.browserKey();
    case VisitorStatistic::Os:
        return agent.osKey();
    case VisitorStatistic::Bots:
        if (agent.isBot())
            return agent.botName;
        break;
    default:
        break;
    }
    return std::nullopt;
}

} // namespace

std::optional<KeyCounts> countAgentKeys(VisitorStatistic statistic, const LogList& list,
                                        const RowSubset& rows, const std::atomic<bool>* cancel)
{
    const std::optional<std::vector<const AgentInfo*>> agents = agentsOfRows(list, rows, cancel);
    if (!agents)
        return std::nullopt;
    // A few thousand distinct agents stand for a million rows: each is keyed once.
    QHash<const AgentInfo*, qint64> rowsOfAgent;
    rows.apply(list, [&](qsizetype count, auto rowAt) {
        for (qsizetype i = 0; i < count; ++i) {
            // A log without user agents (Common Log Format) has nothing to count.
            if (!list.field(rowAt(i), ColBrowser).isEmpty())
                ++rowsOfAgent[(*agents)[std::size_t(i)]];
        }
    });
    KeyCounts out;
    QHash<QString, std::size_t> entryOf;
    for (auto it = rowsOfAgent.cbegin(); it != rowsOfAgent.cend(); ++it) {
        const std::optional<QString> key = keyOfAgent(statistic, *it.key());
        if (!key)
            continue;
        auto entry = entryOf.find(*key);
        if (entry == entryOf.end()) {
            entry = entryOf.insert(*key, out.entries.size());
            out.entries.push_back({*key, 0});
        }
        out.entries[*entry].count += it.value();
        out.counted += it.value();
    }
    sortKeyCounts(out.entries);
    return out;
}

std::optional<QString> agentKeyOfRow(VisitorStatistic statistic, const LogList& list, qsizetype row)
{
    const QByteArrayView agent = list.field(row, ColBrowser);
    if (agent.isEmpty())
        return std::nullopt;
    return keyOfAgent(statistic, AgentCatalog::shared().classify(agent));
}

} // namespace tw
