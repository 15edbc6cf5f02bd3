#include "analysis/drill_down.h"

#include "analysis/access_statistics.h"
#include "analysis/class_counts.h"
#include "analysis/count_order.h"
#include "analysis/host_statistics.h"
#include "analysis/statistics_report.h"
#include "analysis/visitor_key_counts.h"
#include "core/cp932.h"
#include "core/log_list.h"

using namespace Qt::StringLiterals;

namespace tw {
namespace {

QString shownText(QByteArrayView utf8)
{
    return cp932::withoutCodeMarks(QString::fromUtf8(utf8));
}

// The entries of a text-keyed table in report order; an empty table shows one empty entry.
template <typename Make>
std::vector<DrillEntry> tallyEntries(const FirstSeenTally& tally, Make make, std::size_t limit)
{
    std::vector<DrillEntry> entries;
    if (limit == 0)
        return entries;
    if (tally.size() == 0) {
        entries.push_back({make(QByteArrayView()), 0});
        return entries;
    }
    std::vector<qsizetype> order = countOrder(tally.counts());
    if (order.size() > limit)
        order.resize(limit);
    entries.reserve(order.size());
    for (qsizetype i : order)
        entries.push_back({make(tally.key(i)), tally.counts()[std::size_t(i)]});
    return entries;
}

} // namespace

DrillDown DrillDown::browser(BrowserClass c)
{
    return DrillDown(DrillStatistic::Browser, int(c));
}

DrillDown DrillDown::platform(PlatformClass c, const UserPlatforms& user)
{
    const int slot = int(c) - int(PlatformClass::User1);
    return DrillDown(DrillStatistic::Platform, int(c),
                     slot >= 0 && slot < 3 ? QByteArrayView(user.utf8(slot)) : QByteArrayView());
}

DrillDown DrillDown::previousPage(QByteArrayView text)
{
    return DrillDown(DrillStatistic::PreviousPage, -1, text);
}

DrillDown DrillDown::hour(int hour)
{
    return DrillDown(DrillStatistic::Hour, hour);
}

DrillDown DrillDown::hostDomain(QByteArrayView tail)
{
    return DrillDown(DrillStatistic::HostDomain, -1, tail);
}

DrillDown DrillDown::visitorKey(VisitorStatistic statistic, const QString& key)
{
    DrillDown drill(DrillStatistic::VisitorKey, int(statistic), key.toUtf8());
    drill.m_key = key;
    return drill;
}

DrillDown DrillDown::day(QDate day)
{
    return DrillDown(DrillStatistic::Day, int(day.toJulianDay()));
}

std::optional<DrillDown> DrillDown::restore(int statistic, int number, QByteArrayView text)
{
    const auto within = [number](int count) { return number >= 0 && number < count; };
    switch (DrillStatistic(statistic)) {
    case DrillStatistic::Browser:
        if (within(kBrowserClassCount) && text.isEmpty())
            return browser(BrowserClass(number));
        break;
    case DrillStatistic::Platform:
        if (within(kPlatformClassCount))
            return DrillDown(DrillStatistic::Platform, number, text);
        break;
    case DrillStatistic::PreviousPage:
        if (number == -1)
            return previousPage(text);
        break;
    case DrillStatistic::Hour:
        if (within(24) && text.isEmpty())
            return hour(number);
        break;
    case DrillStatistic::HostDomain:
        if (number == -1)
            return hostDomain(text);
        break;
    case DrillStatistic::VisitorKey:
        if (within(int(VisitorStatistic::Days))) // the statistics keyed by text come first
            return visitorKey(VisitorStatistic(number), QString::fromUtf8(text));
        break;
    case DrillStatistic::Day:
        if (const QDate d = QDate::fromJulianDay(number); d.isValid() && text.isEmpty())
            return day(d);
        break;
    }
    return std::nullopt;
}

QString DrillDown::label() const
{
    switch (m_statistic) {
    case DrillStatistic::Browser:
        return u"ブラウザ分類 = "_s + browserClassName(BrowserClass(m_number));
    case DrillStatistic::Platform: {
        const auto c = PlatformClass(m_number);
        const int slot = m_number - int(PlatformClass::User1);
        const QString name =
            slot >= 0 && slot < 3 ? shownText(m_text) : platformClassName(c, UserPlatforms());
        return u"プラットフォーム = "_s + name;
    }
    case DrillStatistic::PreviousPage:
        return u"前回頁 = "_s + (m_text.isEmpty() ? u"（空）"_s : shownText(m_text));
    case DrillStatistic::Hour:
        return u"時間帯 = "_s + QString::number(m_number) + u"時台"_s;
    case DrillStatistic::VisitorKey:
        return visitorStatisticName(VisitorStatistic(m_number)) + u" = "_s +
               cp932::withoutCodeMarks(m_key);
    case DrillStatistic::Day:
        return u"日付 = "_s + QDate::fromJulianDay(m_number).toString(u"yyyy/MM/dd"_s);
    case DrillStatistic::HostDomain:
        break;
    }
    return u"ドメイン = *"_s + shownText(m_text);
}

bool DrillDown::keeps(const LogList& list, qsizetype row) const
{
    switch (m_statistic) {
    case DrillStatistic::Browser:
        return int(list.browserClass(row)) == m_number;
    case DrillStatistic::Platform:
        return int(list.platformClass(row)) == m_number;
    case DrillStatistic::PreviousPage:
        return previousPageKey(list, row) == m_text;
    case DrillStatistic::Hour:
        return hourOfRow(list, row) == m_number;
    case DrillStatistic::VisitorKey: {
        const auto statistic = VisitorStatistic(m_number);
        if (isAgentStatistic(statistic))
            return agentKeyOfRow(statistic, list, row) == m_key;
        const std::optional<QByteArrayView> text = rowTextKey(statistic, list, row);
        return text && *text == m_text;
    }
    case DrillStatistic::Day: {
        const std::optional<QDate> day = dayOfRow(list, row);
        return day && day->toJulianDay() == m_number;
    }
    case DrillStatistic::HostDomain:
        break;
    }
    const std::optional<QByteArrayView> key = hostDomainKey(list, row);
    return key && *key == m_text;
}

std::vector<DrillEntry> drillEntries(DrillStatistic statistic, const LogList& list,
                                     const RowSubset& rows, std::size_t limit)
{
    std::vector<DrillEntry> entries;
    const auto classTally = [&] {
        return rows.isAll() ? ClassTally{list.browserTally(), list.platformTally(), list.rowCount()}
                            : countClasses(list, rows);
    };
    switch (statistic) {
    case DrillStatistic::Browser: {
        const ClassTally tally = classTally();
        for (int i = 0; i < kBrowserClassCount; ++i)
            entries.push_back({DrillDown::browser(BrowserClass(i)), tally.browser[std::size_t(i)]});
        break;
    }
    case DrillStatistic::Platform: {
        const ClassTally tally = classTally();
        for (int i = 0; i < kPlatformClassCount; ++i) {
            const auto c = PlatformClass(i);
            if (!platformClassName(c, list.userPlatforms()).isEmpty())
                entries.push_back(
                    {DrillDown::platform(c, list.userPlatforms()), tally.platform[std::size_t(i)]});
        }
        break;
    }
    case DrillStatistic::PreviousPage:
        return tallyEntries(previousPageTally(list, rows), DrillDown::previousPage, limit);
    case DrillStatistic::Hour: {
        const std::array<qint64, 24> hours = hourCounts(list, rows);
        for (int h = 0; h < 24; ++h)
            entries.push_back({DrillDown::hour(h), hours[std::size_t(h)]});
        break;
    }
    case DrillStatistic::HostDomain:
        return tallyEntries(hostDomainTally(list, rows), DrillDown::hostDomain, limit);
    case DrillStatistic::VisitorKey:
    case DrillStatistic::Day:
        break; // visitorDrillEntries
    }
    return entries;
}

std::vector<DrillEntry> visitorDrillEntries(VisitorStatistic statistic, const LogList& list,
                                            const RowSubset& rows, std::size_t limit)
{
    std::vector<DrillEntry> entries;
    switch (statistic) {
    case VisitorStatistic::Days: {
        const std::vector<DayFigures> days = dayFigures(list, rows).value();
        for (const DayFigures& d : days)
            entries.push_back({DrillDown::day(d.day), d.hits});
        break;
    }
    case VisitorStatistic::Hours: {
        const std::array<HourFigures, 24> hours = hourFigures(list, rows).value();
        for (int h = 0; h < 24; ++h)
            entries.push_back({DrillDown::hour(h), hours[std::size_t(h)].hits});
        break;
    }
    default: {
        const KeyCounts counts = countKeys(statistic, list, rows).value();
        for (const KeyCount& k : counts.entries) {
            if (entries.size() == limit)
                break;
            entries.push_back({DrillDown::visitorKey(statistic, k.key), k.count});
        }
    }
    }
    return entries;
}

} // namespace tw
