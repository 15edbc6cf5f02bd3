#pragma once

#include "analysis/row_subset.h"

#include <QDate>
#include <QString>

#include <array>
#include <atomic>
#include <optional>
#include <vector>

namespace tw {

class LogList;

// The statistics of today's visitors, beside the four classic ones.
enum class VisitorStatistic : quint8 {
    Agents,    // 今のブラウザ: "Family Major"
    Os,        // OS: "Family Major"
    Bots,      // ボット: the bot's name; rows that are no bot are not counted
    Pages,     // ページ: the request path without the query
    Status,    // ステータス: the status code
    Referrers, // 参照元サイト: the referrer's host; "-" and empty are one entry "-"
    Days,      // 日別
    Hours,     // 時間帯
};

// The statistic's name as its page and the drill-down's labels show it ("ステータス").
QString visitorStatisticName(VisitorStatistic statistic);

struct KeyCount {
    QString key;
    qint64 count = 0;
};

// A statistic keyed by text: entries by count descending, then key in code-point order.
struct KeyCounts {
    std::vector<KeyCount> entries;
    qint64 counted = 0; // rows counted, the base of the shares
};

struct DayFigures {
    QDate day;
    qint64 hits = 0;
    qint64 visitors = 0; // distinct pairs of address (IP, else Host) and user agent that day
    qint64 bytes = 0;    // "-" counts 0
};

struct HourFigures {
    qint64 hits = 0;
    qint64 visitors = 0; // distinct pairs of address and user agent within that hour of any day
};

// Agents, Os, Bots, Pages, Status or Referrers over the given rows, worked out on every core.
// Nothing when cancel is seen set. These three throw std::bad_alloc when memory runs out (on
// whichever core it ran out).
std::optional<KeyCounts> countKeys(VisitorStatistic statistic, const LogList& list,
                                   const RowSubset& rows = {},
                                   const std::atomic<bool>* cancel = nullptr);

// Every day from the first to the last row's day, zero days included; rows without a date-time
// are not counted.
std::optional<std::vector<DayFigures>> dayFigures(const LogList& list, const RowSubset& rows = {},
                                                  const std::atomic<bool>* cancel = nullptr);

// Hours 00 to 23.
std::optional<std::array<HourFigures, 24>> hourFigures(const LogList& list,
                                                       const RowSubset& rows = {},
                                                       const std::atomic<bool>* cancel = nullptr);

// The key a row is counted under by a keyed statistic, or nothing when that statistic does not
// count the row (a bot statistic on a browser, a row with no request). The drill-down keeps the
// rows whose key equals the entry's.
std::optional<QString> keyOfRow(VisitorStatistic statistic, const LogList& list, qsizetype row);

// The day of a row's date-time, when it has one.
std::optional<QDate> dayOfRow(const LogList& list, qsizetype row);

} // namespace tw
