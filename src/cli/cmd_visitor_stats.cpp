#include "analysis/visitor_lines.h"
#include "cli/cli.h"
#include "cli/cli_filter.h"
#include "cli/cli_input.h"
#include "cli/visitor_stats.h"

using namespace Qt::StringLiterals;

namespace tw::cli {

std::optional<VisitorStatistic> visitorStatisticNamed(QStringView name)
{
    struct Named {
        QStringView name;
        VisitorStatistic statistic;
    };
    static constexpr Named kNames[] = {
        {u"agents", VisitorStatistic::Agents},       {u"os", VisitorStatistic::Os},
        {u"bots", VisitorStatistic::Bots},           {u"pages", VisitorStatistic::Pages},
        {u"status", VisitorStatistic::Status},       {u"days", VisitorStatistic::Days},
        {u"visitors", VisitorStatistic::Days},       {u"hours", VisitorStatistic::Hours},
        {u"referrers", VisitorStatistic::Referrers},
    };
    for (const Named& n : kNames) {
        if (name == n.name)
            return n.statistic;
    }
    return std::nullopt;
}

int runVisitorStats(VisitorStatistic statistic, const QStringList& files, const CliOptions& options,
                    QTextStream& out, QTextStream& err)
{
    LogList list;
    if (const int status = readInputs(files, options, list, err))
        return status;
    const std::optional<std::vector<quint32>> kept = keptRows(list, options);
    const RowSubset rows = kept ? RowSubset(*kept) : RowSubset();
    // Printed as they are made: a log can span thousands of years of days. Nothing cancels.
    writeVisitorStatistic(statistic, list, rows, options.top,
                          [&](QStringView line) { out << line << '\n'; });
    return ExitOk;
}

} // namespace tw::cli
