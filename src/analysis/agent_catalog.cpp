#include "analysis/agent_catalog.h"

#include "analysis/crawler_list.h"
#include "analysis/uap_parser.h"
#include "core/log_list.h"
#include "core/worker_threads.h"

#include <QHash>
#include <QThread>

#include <array>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

using namespace Qt::StringLiterals;

namespace tw {
namespace {

// Longer user agents are classified by their start: real ones are far shorter, and it bounds
// the time a hostile one can take.
constexpr qsizetype kClassifiedBytes = 2048;
constexpr std::size_t kShards = 64;
// A thread keeps the answers it looked up last, without a lock, up to this many.
constexpr std::size_t kThreadCacheSize = 1 << 14;

struct ViewHash {
    std::size_t operator()(std::string_view s) const
    {
        return qHash(QByteArrayView(s.data(), qsizetype(s.size())));
    }
};

std::string_view viewOf(QByteArrayView v)
{
    return std::string_view(v.data(), std::size_t(v.size()));
}

QString keyOf(const QString& family, const QString& major)
{
    return major.isEmpty() ? family : family + u' ' + major;
}

struct InfoHash {
    std::size_t operator()(const AgentInfo& a) const
    {
        return qHashMulti(0, a.browser, a.browserMajor, a.os, a.osMajor, a.device, a.botName);
    }
};

struct InfoEqual {
    bool operator()(const AgentInfo& a, const AgentInfo& b) const
    {
        return a.browser == b.browser && a.browserMajor == b.browserMajor && a.os == b.os &&
               a.osMajor == b.osMajor && a.device == b.device && a.botName == b.botName;
    }
};

} // namespace

QString AgentInfo::browserKey() const
{
    return keyOf(browser, browserMajor);
}

QString AgentInfo::osKey() const
{
    return keyOf(os, osMajor);
}

std::atomic<quint64> g_nextCatalogId{1};

// Keys view bytes the catalog keeps; an id never comes back, so a cache of a catalog that is
// gone is never read.
struct ThreadCache {
    quint64 catalogId = 0;
    std::unordered_map<std::string_view, const AgentInfo*, ViewHash> byAgent;
};
thread_local ThreadCache t_cache;

struct AgentCatalog::Impl {
    const quint64 id = g_nextCatalogId.fetch_add(1);
    struct Shard {
        std::mutex mutex;
        // Keys view the bytes of `agents`, which never move.
        std::unordered_map<std::string_view, const AgentInfo*, ViewHash> byAgent;
        std::vector<std::unique_ptr<QByteArray>> agents;
    };

    // Built when the first agent is classified: a program that shows no statistics never pays.
    std::once_flag built;
    std::unique_ptr<const UapParser> uap;
    std::unique_ptr<const CrawlerList> crawlers;
    std::array<Shard, kShards> shards;
    // Agents that read the same share one answer.
    std::mutex infoMutex;
    std::unordered_set<AgentInfo, InfoHash, InfoEqual> infos;

    const AgentInfo& intern(AgentInfo&& info)
    {
        const std::lock_guard lock(infoMutex);
        return *infos.insert(std::move(info)).first;
    }

    // The agent as the catalog keeps it, and its answer.
    std::pair<std::string_view, const AgentInfo*> lookUp(std::string_view key,
                                                         QByteArrayView userAgent)
    {
        std::call_once(built, [this] {
            // The two lists are built side by side: the other cores wait for them meanwhile.
            runOnThreads(2, [this](std::size_t i) {
                if (i == 0)
                    uap = std::make_unique<const UapParser>();
                else
                    crawlers = std::make_unique<const CrawlerList>();
            });
        });
        Shard& shard = shards[ViewHash()(key) % kShards];
        const std::lock_guard lock(shard.mutex);
        if (const auto it = shard.byAgent.find(key); it != shard.byAgent.end())
            return *it;
        // Classified while the shard is held, so that no agent is classified twice; other
        // threads go on with agents of the other shards.
        const AgentInfo& info = intern(classifyNow(userAgent));
        shard.agents.reserve(shard.agents.size() + 1);
        auto bytes = std::make_unique<QByteArray>(userAgent.toByteArray());
        const auto kept = viewOf(*bytes);
        shard.byAgent.emplace(kept, &info);
        shard.agents.push_back(std::move(bytes));
        return {kept, &info};
    }

    AgentInfo classifyNow(QByteArrayView agent) const
    {
        const PatternSubject subject(agent.first(std::min(agent.size(), kClassifiedBytes)));
        UapResult browser = uap->userAgent(subject);
        UapResult os = uap->os(subject);
        AgentInfo info;
        info.browser = std::move(browser.family);
        info.browserMajor = std::move(browser.version[0]);
        info.os = std::move(os.family);
        info.osMajor = std::move(os.version[0]);
        info.device = uap->device(subject);
        if (info.device == u"Spider") {
            info.botName = info.browser != u"Other" ? info.browser : crawlers->botName(subject);
            if (info.botName.isEmpty())
                info.botName = info.device;
        } else {
            info.botName = crawlers->botName(subject);
        }
        return info;
    }
};

AgentCatalog& AgentCatalog::shared()
{
    static AgentCatalog catalog;
    return catalog;
}

AgentCatalog::AgentCatalog() : d(std::make_unique<Impl>()) {}

AgentCatalog::~AgentCatalog() = default;

const AgentInfo& AgentCatalog::classify(QByteArrayView userAgent)
{
    const std::string_view key = viewOf(userAgent);
    ThreadCache& cache = t_cache;
    if (cache.catalogId == d->id) {
        if (const auto it = cache.byAgent.find(key); it != cache.byAgent.end())
            return *it->second;
    } else {
        cache.byAgent.clear();
        cache.catalogId = d->id;
    }
    const auto [kept, info] = d->lookUp(key, userAgent);
    if (cache.byAgent.size() >= kThreadCacheSize)
        cache.byAgent.clear();
    cache.byAgent.emplace(kept, info);
    return *info;
}

std::optional<std::vector<const AgentInfo*>>
agentsOfRows(const LogList& list, const RowSubset& rows, const std::atomic<bool>* cancel)
{
    return agentsOfRows(AgentCatalog::shared(), list, rows, cancel);
}

std::optional<std::vector<const AgentInfo*>> agentsOfRows(AgentCatalog& catalog,
                                                          const LogList& list,
                                                          const RowSubset& rows,
                                                          const std::atomic<bool>* cancel)
{
    const auto cancelled = [cancel] { return cancel && cancel->load(std::memory_order_relaxed); };
    const auto count = std::size_t(rows.size(list));
    constexpr std::size_t kRowsPerWorker = 50000;
    const std::size_t workers = std::clamp<std::size_t>(
        count / kRowsPerWorker, 1, std::size_t(std::max(1, QThread::idealThreadCount())));

    // First the distinct agents of each share, then each of them classified on some core, then
    // every row given its answer: the cores share the classifying evenly and never wait on one
    // another for the popular agents.
    std::vector<quint32> localIds(count);
    std::vector<std::vector<QByteArrayView>> distinct(workers);
    rows.apply(list, [&](qsizetype, auto rowAt) {
        runOnThreads(workers, [&](std::size_t w) {
            QHash<QByteArrayView, quint32> seen;
            for (std::size_t i = count * w / workers; i < count * (w + 1) / workers; ++i) {
                if (i % 4096 == 0 && cancelled())
                    return;
                const QByteArrayView agent = list.row(rowAt(qsizetype(i))).field(ColBrowser);
                auto it = seen.constFind(agent);
                if (it == seen.constEnd()) {
                    it = seen.insert(agent, quint32(distinct[w].size()));
                    distinct[w].push_back(agent);
                }
                localIds[i] = *it;
            }
        });
    });
    if (cancelled())
        return std::nullopt;

    // The same agent seen by several shares is classified once.
    std::vector<QByteArrayView> all;
    std::vector<std::vector<quint32>> globalIds(workers);
    QHash<QByteArrayView, quint32> globalIndex;
    for (std::size_t w = 0; w < workers; ++w) {
        for (const QByteArrayView agent : distinct[w]) {
            auto it = globalIndex.constFind(agent);
            if (it == globalIndex.constEnd()) {
                it = globalIndex.insert(agent, quint32(all.size()));
                all.push_back(agent);
            }
            globalIds[w].push_back(*it);
        }
    }
    std::vector<const AgentInfo*> infoOf(all.size());
    runOnThreads(workers, [&](std::size_t w) {
        for (std::size_t k = w; k < all.size() && !cancelled(); k += workers)
            infoOf[k] = &catalog.classify(all[k]);
    });
    if (cancelled())
        return std::nullopt;

    std::vector<const AgentInfo*> out(count);
    runOnThreads(workers, [&](std::size_t w) {
        const std::vector<quint32>& ids = globalIds[w];
        for (std::size_t i = count * w / workers; i < count * (w + 1) / workers; ++i)
            out[i] = infoOf[ids[localIds[i]]];
    });
    return out;
}

std::optional<FilterCondition> botCondition(BotChoice choice)
{
    if (choice == BotChoice::Keep)
        return std::nullopt;
    const bool keepBots = choice == BotChoice::Only;
    return FilterCondition::custom(
        keepBots ? u"ボットのみ"_s : u"ボットを除く"_s,
        [keepBots](const LogList& list, qsizetype row) {
            return AgentCatalog::shared().classify(list.field(row, ColBrowser)).isBot() == keepBots;
        });
}

} // namespace tw
