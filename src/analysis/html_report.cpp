#include "analysis/html_report.h"

#include "analysis/class_counts.h"
#include "analysis/html_page.h"
#include "analysis/statistics_report.h"
#include "analysis/visitor_statistics.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tw {
namespace {

struct KeyedTable {
    VisitorStatistic statistic;
    QString title;
    QString keyHeader;
};

// The classes with their counts, most counted first (ties in the classes' own order); classes
// nobody was counted under are left out.
template <std::size_t N, typename NameOf>
ReportTable classTable(const QString& title, const std::array<qint64, N>& tally, NameOf nameOf)
{
    ReportTable table{title, u"分類"_s, {}, 0};
    for (std::size_t i = 0; i < N; ++i) {
        const QString name = nameOf(int(i));
        if (name.isEmpty())
            continue; // an unset user platform
        table.counted += tally[i];
        if (tally[i] > 0)
            table.entries.push_back({name, tally[i]});
    }
    std::stable_sort(table.entries.begin(), table.entries.end(),
                     [](const KeyCount& a, const KeyCount& b) { return a.count > b.count; });
    return table;
}

} // namespace

std::optional<QByteArray> htmlReport(const LogList& list, const RowSubset& rows,
                                     const HtmlReportOptions& options,
                                     const std::atomic<bool>* cancel)
{
    // Each statistic is worked out once, on every core, and everything shown comes from them.
    ReportFigures figures;
    figures.rows = rows.size(list);
    const KeyedTable keyed[] = {
        {VisitorStatistic::Agents, u"今のブラウザ"_s, u"ブラウザ"_s},
        {VisitorStatistic::Os, u"OS"_s, u"OS"_s},
        {VisitorStatistic::Bots, u"ボット"_s, u"ボット"_s},
        {VisitorStatistic::Pages, u"ページ"_s, u"ページ"_s},
        {VisitorStatistic::Status, u"ステータス"_s, u"ステータス"_s},
        {VisitorStatistic::Referrers, u"参照元サイト"_s, u"参照元サイト"_s},
    };
    for (const KeyedTable& k : keyed) {
        std::optional<KeyCounts> counts = countKeys(k.statistic, list, rows, cancel);
        if (!counts)
            return std::nullopt;
        if (k.statistic == VisitorStatistic::Bots) {
            for (const KeyCount& e : counts->entries)
                figures.botRows += e.count;
        }
        figures.tables.push_back(
            {k.title, k.keyHeader, std::move(counts->entries), counts->counted});
    }
    std::optional<std::vector<DayFigures>> days = dayFigures(list, rows, cancel);
    if (!days)
        return std::nullopt;
    figures.days = std::move(*days);
    const std::optional<std::array<HourFigures, 24>> hours = hourFigures(list, rows, cancel);
    if (!hours)
        return std::nullopt;
    figures.hours = *hours;

    // The classic classes as the list counts them: its running tallies, or over chosen rows the
    // classes each was counted under.
    ClassTally tally;
    if (rows.isAll()) {
        tally.browser = list.browserTally();
        tally.platform = list.platformTally();
    } else {
        tally = countClasses(list, rows);
    }
    figures.tables.push_back(classTable(u"ブラウザ（従来の分類）"_s, tally.browser,
                                        [](int c) { return browserClassName(BrowserClass(c)); }));
    const UserPlatforms& user = list.userPlatforms();
    figures.tables.push_back(
        classTable(u"プラットフォーム（従来の分類）"_s, tally.platform,
                   [&user](int c) { return platformClassName(PlatformClass(c), user); }));

    if (cancel && cancel->load(std::memory_order_relaxed))
        return std::nullopt;
    return htmlReportPage(figures, options);
}

QString reportFilterLabel(const RowFilter& filter)
{
    QStringList labels;
    for (const FilterCondition& c : filter.conditions)
        labels.append(c.label());
    return labels.join(u"、"_s);
}

} // namespace tw
