#pragma once

#include "analysis/row_filter.h"
#include "analysis/row_subset.h"

#include <QByteArrayView>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

namespace tw {

class LogList;

// What a user agent says of itself, as the user-agent data set reads it.
struct AgentInfo {
    QString browser;      // family, e.g. "Chrome"; "Other" when the data set knows none
    QString browserMajor; // e.g. "131"; empty when there is no version
    QString os;           // family, e.g. "Android"; "Other" when none
    QString osMajor;
    QString device;  // device family; "Spider" for crawlers
    QString botName; // empty unless a bot: the crawler's name

    bool isBot() const { return !botName.isEmpty(); }
    // "Family Major", or the family alone without a version.
    QString browserKey() const;
    QString osKey() const;
};

// Every distinct user agent classified once, shared by all threads and kept for the life of the
// process: a million rows hold a few thousand distinct agents.
class AgentCatalog {
public:
    static AgentCatalog& shared();

    // Safe from several threads at once; the reference stays valid while the catalog lives.
    const AgentInfo& classify(QByteArrayView userAgent);

    AgentCatalog();
    ~AgentCatalog();
    AgentCatalog(const AgentCatalog&) = delete;
    AgentCatalog& operator=(const AgentCatalog&) = delete;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The agent of each given row (the Browser field), in subset order, worked out on every core.
// Returns nothing as soon as cancel is seen set. Throws std::bad_alloc when memory runs out.
// Agents that read alike share one AgentInfo, so pointers compare as answers do.
std::optional<std::vector<const AgentInfo*>>
agentsOfRows(const LogList& list, const RowSubset& rows, const std::atomic<bool>* cancel = nullptr);
// The same with a catalog of its own, as a benchmark measures a cold one.
std::optional<std::vector<const AgentInfo*>>
agentsOfRows(AgentCatalog& catalog, const LogList& list, const RowSubset& rows,
             const std::atomic<bool>* cancel = nullptr);

enum class BotChoice : quint8 { Keep, Exclude, Only };

// The condition "ボットを除く" (Exclude) or "ボットのみ" (Only); Keep has none.
std::optional<FilterCondition> botCondition(BotChoice choice);

} // namespace tw
