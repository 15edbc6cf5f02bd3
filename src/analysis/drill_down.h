#pragma once

#include "analysis/row_subset.h"
#include "analysis/visitor_statistics.h"
#include "core/classification.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

namespace tw {

class LogList;

// The statistics whose entries stand for rows: the access report holds two of them. VisitorKey
// stands for the visitor statistics keyed by text, Day for the daily one (the hourly one drills
// down as Hour).
enum class DrillStatistic : quint8 {
    Browser,
    Platform,
    PreviousPage,
    Hour,
    HostDomain,
    VisitorKey,
    Day
};

// One entry of one statistic, as a condition on rows: it keeps exactly the rows the statistic
// counts under that entry, decided by the same rules the statistic counts with.
class DrillDown {
public:
    static DrillDown browser(BrowserClass c);
    // A user slot's string is taken now, for the label; rows keep the class they were counted
    // under whatever the strings are later.
    static DrillDown platform(PlatformClass c, const UserPlatforms& user);
    static DrillDown previousPage(QByteArrayView text);
    static DrillDown hour(int hour);
    // The domain as the host statistics keys it: the host from its third-last dot on.
    static DrillDown hostDomain(QByteArrayView tail);
    // An entry of Agents, Os, Bots, Pages, Status or Referrers, as countKeys keys it.
    static DrillDown visitorKey(VisitorStatistic statistic, const QString& key);
    static DrillDown day(QDate day);

    // An entry from its parts as statistic(), number() and text() gave them (a saved filter),
    // or nothing when they name no entry.
    static std::optional<DrillDown> restore(int statistic, int number, QByteArrayView text);

    DrillStatistic statistic() const { return m_statistic; }
    // The class, hour, VisitorStatistic, Julian day, or -1 for the statistics keyed by text.
    int number() const { return m_number; }
    // The previous page or domain (UTF-8); for a user platform, its string.
    const QByteArray& text() const { return m_text; }

    // Names the condition in the window's filter bar, e.g. "時間帯 = 13時台".
    QString label() const;

    bool keeps(const LogList& list, qsizetype row) const;

    bool operator==(const DrillDown&) const = default;

private:
    DrillDown(DrillStatistic statistic, int number, QByteArrayView text = {})
        : m_statistic(statistic), m_number(number), m_text(text.toByteArray())
    {
    }

    DrillStatistic m_statistic;
    int m_number;
    QByteArray m_text;
    QString m_key; // VisitorKey
};

struct DrillEntry {
    DrillDown drill;
    qint64 count;
};

// The entries of a statistic with the counts its dialog and report show, in the order they show
// them: the four browser classes; the platform classes without the unset user slots; every
// previous page (the report lists the first ALogMax) and domain, most counted first, or when
// none was counted the one empty entry with 0 that the report shows; the 24 hours. Browser
// and platform counts are the list's tallies, which keep cut and deleted rows, unless only some
// rows are given. At most `limit` previous pages or domains are made, the most counted ones.
std::vector<DrillEntry> drillEntries(DrillStatistic statistic, const LogList& list,
                                     const RowSubset& rows = {},
                                     std::size_t limit = std::size_t(-1));

// The entries of a visitor statistic in its order, with its counts: the keyed ones as countKeys
// gives them (at most `limit`), every day with its hits, the 24 hours with theirs.
std::vector<DrillEntry> visitorDrillEntries(VisitorStatistic statistic, const LogList& list,
                                            const RowSubset& rows = {},
                                            std::size_t limit = std::size_t(-1));

} // namespace tw
