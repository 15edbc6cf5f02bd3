#include "analysis/access_statistics.h"
#include "analysis/row_shares.h"
#include "analysis/visitor_count.h"
#include "analysis/visitor_keys.h"
#include "analysis/visitor_statistics.h"
#include "core/log_list.h"

#include <QtNumeric>

#include <limits>
#include <unordered_map>

namespace tw {
namespace {

constexpr qint32 kNoDay = std::numeric_limits<qint32>::min();

// A log can claim any number of bytes: the sum stops at the largest number rather than wrap.
qint64 addBytes(qint64 sum, qint64 bytes)
{
    qint64 out = 0;
    return qAddOverflow(sum, bytes, &out) ? std::numeric_limits<qint64>::max() : out;
}

struct DayTotals {
    qint64 hits = 0;
    qint64 bytes = 0;
};

// One share's days: a log is mostly in time order, so the last day is kept at hand.
struct ShareDays {
    std::unordered_map<qint32, DayTotals> days;
    qint32 first = std::numeric_limits<qint32>::max();
    qint32 last = std::numeric_limits<qint32>::min();

    void add(qint32 day, qint64 bytes)
    {
        if (day != m_day) {
            m_totals = &days[day];
            m_day = day;
            first = std::min(first, day);
            last = std::max(last, day);
        }
        ++m_totals->hits;
        m_totals->bytes = addBytes(m_totals->bytes, bytes);
    }

private:
    qint32 m_day = kNoDay;
    DayTotals* m_totals = nullptr;
};

} // namespace

std::optional<std::vector<DayFigures>> dayFigures(const LogList& list, const RowSubset& rows,
                                                  const std::atomic<bool>* cancel)
{
    const qsizetype count = rows.size(list);
    const std::size_t shares = shareCount(count);
    // The day of each row as a Julian day, then as its place among the days listed.
    std::vector<qint32> rowSlots(std::size_t(count), kNoDay);
    std::vector<ShareDays> parts(shares);
    rows.apply(list, [&](qsizetype, auto rowAt) {
        forEachShare(count, shares, [&](std::size_t s, qsizetype begin, qsizetype end) {
            for (qsizetype i = begin; i < end; ++i) {
                if ((i & 4095) == 0 && isCancelled(cancel))
                    return;
                const qsizetype row = rowAt(i);
                if (const std::optional<QDate> day = dayOfRow(list, row)) {
                    rowSlots[std::size_t(i)] = qint32(day->toJulianDay());
                    parts[s].add(rowSlots[std::size_t(i)],
                                 responseBytes(list.field(row, ColBytes)));
                }
            }
        });
    });
    if (isCancelled(cancel))
        return std::nullopt;

    qint32 first = std::numeric_limits<qint32>::max();
    qint32 last = std::numeric_limits<qint32>::min();
    for (const ShareDays& part : parts) {
        first = std::min(first, part.first);
        last = std::max(last, part.last);
    }
    std::vector<DayFigures> out;
    if (first > last)
        return out;
    out.resize(std::size_t(last - first) + 1);
    for (std::size_t k = 0; k < out.size(); ++k)
        out[k].day = QDate::fromJulianDay(first + qint64(k));
    for (const ShareDays& part : parts) {
        for (const auto& [day, totals] : part.days) {
            DayFigures& figures = out[std::size_t(day - first)];
            figures.hits += totals.hits;
            figures.bytes = addBytes(figures.bytes, totals.bytes);
        }
    }
    for (qint32& slot : rowSlots)
        slot = slot == kNoDay ? -1 : slot - first;
    const std::optional<std::vector<qint64>> visitors =
        distinctVisitors(list, rows, rowSlots, out.size(), cancel);
    if (!visitors)
        return std::nullopt;
    for (std::size_t k = 0; k < out.size(); ++k)
        out[k].visitors = (*visitors)[k];
    return out;
}

std::optional<std::array<HourFigures, 24>> hourFigures(const LogList& list, const RowSubset& rows,
                                                       const std::atomic<bool>* cancel)
{
    const qsizetype count = rows.size(list);
    const std::size_t shares = shareCount(count);
    std::vector<qint32> rowSlots(std::size_t(count), -1);
    std::vector<std::array<qint64, 24>> hits(shares);
    rows.apply(list, [&](qsizetype, auto rowAt) {
        forEachShare(count, shares, [&](std::size_t s, qsizetype begin, qsizetype end) {
            hits[s].fill(0);
            for (qsizetype i = begin; i < end; ++i) {
                if ((i & 4095) == 0 && isCancelled(cancel))
                    return;
                // As the access statistics read the hour, so their drill-down keeps these rows.
                const int hour = hourOfRow(list, rowAt(i));
                if (hour >= 0) {
                    rowSlots[std::size_t(i)] = hour;
                    ++hits[s][std::size_t(hour)];
                }
            }
        });
    });
    if (isCancelled(cancel))
        return std::nullopt;
    const std::optional<std::vector<qint64>> visitors =
        distinctVisitors(list, rows, rowSlots, 24, cancel);
    if (!visitors)
        return std::nullopt;
    std::array<HourFigures, 24> out{};
    for (std::size_t h = 0; h < 24; ++h) {
        for (const auto& part : hits)
            out[h].hits += part[h];
        out[h].visitors = (*visitors)[h];
    }
    return out;
}

} // namespace tw
