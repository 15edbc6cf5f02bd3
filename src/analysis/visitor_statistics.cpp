#include "analysis/visitor_statistics.h"

#include "analysis/first_seen_tally.h"
#include "analysis/row_shares.h"
#include "analysis/visitor_key_counts.h"
#include "analysis/visitor_keys.h"
#include "core/log_list.h"

#include <QHash>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tw {
namespace {

// Code-point order: a surrogate stands for a code point above every other UTF-16 unit.
bool keyBefore(const QString& a, const QString& b)
{
    return std::lexicographical_compare(
        a.cbegin(), a.cend(), b.cbegin(), b.cend(), [](QChar x, QChar y) {
            const auto rank = [](QChar c) {
                return c.isSurrogate() ? char32_t(0x10000) + c.unicode() : char32_t(c.unicode());
            };
            return rank(x) < rank(y);
        });
}

} // namespace

bool isAgentStatistic(VisitorStatistic statistic)
{
    return statistic == VisitorStatistic::Agents || statistic == VisitorStatistic::Os ||
           statistic == VisitorStatistic::Bots;
}

QString visitorStatisticName(VisitorStatistic statistic)
{
    switch (statistic) {
    case VisitorStatistic::Agents:
        return u"今のブラウザ"_s;
    case VisitorStatistic::Os:
        return u"OS"_s;
    case VisitorStatistic::Bots:
        return u"ボット"_s;
    case VisitorStatistic::Pages:
        return u"ページ"_s;
    case VisitorStatistic::Status:
        return u"ステータス"_s;
    case VisitorStatistic::Referrers:
        return u"参照元サイト"_s;
    case VisitorStatistic::Days:
        return u"日別"_s;
    case VisitorStatistic::Hours:
        break;
    }
    return u"時間帯"_s;
}

std::optional<QByteArrayView> rowTextKey(VisitorStatistic statistic, const LogList& list,
                                         qsizetype row)
{
    switch (statistic) {
    case VisitorStatistic::Pages:
        return requestPathKey(list.field(row, ColRequest));
    case VisitorStatistic::Status:
        return statusKey(list.field(row, ColStatus));
    case VisitorStatistic::Referrers:
        return referrerHostKey(list.field(row, ColPreviousPage));
    default:
        return std::nullopt;
    }
}

void sortKeyCounts(std::vector<KeyCount>& entries)
{
    std::sort(entries.begin(), entries.end(), [](const KeyCount& a, const KeyCount& b) {
        return a.count != b.count ? a.count > b.count : keyBefore(a.key, b.key);
    });
}

std::optional<KeyCounts> countKeys(VisitorStatistic statistic, const LogList& list,
                                   const RowSubset& rows, const std::atomic<bool>* cancel)
{
    if (isAgentStatistic(statistic))
        return countAgentKeys(statistic, list, rows, cancel);
    if (statistic == VisitorStatistic::Days || statistic == VisitorStatistic::Hours)
        return KeyCounts{};

    const qsizetype count = rows.size(list);
    const std::size_t shares = shareCount(count);
    std::vector<std::optional<FirstSeenTally>> parts(shares);
    rows.apply(list, [&](qsizetype, auto rowAt) {
        forEachShare(count, shares, [&](std::size_t s, qsizetype begin, qsizetype end) {
            bool stop = false;
            parts[s].emplace(end - begin, [&](qsizetype i) -> std::optional<QByteArrayView> {
                if (stop || ((i & 4095) == 0 && (stop = isCancelled(cancel))))
                    return std::nullopt;
                return rowTextKey(statistic, list, rowAt(begin + i));
            });
        });
    });
    if (isCancelled(cancel))
        return std::nullopt;

    KeyCounts out;
    QHash<QByteArrayView, std::size_t> entryOf;
    std::vector<QByteArrayView> keys;
    for (const std::optional<FirstSeenTally>& part : parts) {
        out.counted += part->total();
        for (qsizetype k = 0; k < part->size(); ++k) {
            auto it = entryOf.find(part->key(k));
            if (it == entryOf.end()) {
                it = entryOf.insert(part->key(k), out.entries.size());
                keys.push_back(part->key(k));
                out.entries.push_back({QString(), 0});
            }
            out.entries[*it].count += part->counts()[std::size_t(k)];
        }
    }
    for (std::size_t i = 0; i < keys.size(); ++i)
        out.entries[i].key = QString::fromUtf8(keys[i]);
    sortKeyCounts(out.entries);
    return out;
}

std::optional<QString> keyOfRow(VisitorStatistic statistic, const LogList& list, qsizetype row)
{
    if (isAgentStatistic(statistic))
        return agentKeyOfRow(statistic, list, row);
    if (const std::optional<QByteArrayView> key = rowTextKey(statistic, list, row))
        return QString::fromUtf8(*key);
    return std::nullopt;
}

std::optional<QDate> dayOfRow(const LogList& list, qsizetype row)
{
    return dayOfDateTime(list.field(row, ColDateTime));
}

} // namespace tw
