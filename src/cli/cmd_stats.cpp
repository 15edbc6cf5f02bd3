#include "analysis/access_statistics.h"
#include "analysis/class_counts.h"
#include "analysis/host_statistics.h"
#include "analysis/statistics_report.h"
#include "cli/cli.h"
#include "cli/cli_filter.h"
#include "cli/cli_input.h"
#include "cli/commands.h"
#include "cli/visitor_stats.h"
#include "core/clock.h"

#include <optional>

using namespace Qt::StringLiterals;

namespace tw::cli {
namespace {

constexpr QStringView kStatisticsNames =
    u"browser, platform, access, host, agents, os, bots, pages, "
    u"status, days, visitors, hours or referrers";

std::optional<StatisticsPage> pageNamed(QStringView name)
{
    if (name == u"browser")
        return StatisticsPage::Browser;
    if (name == u"platform")
        return StatisticsPage::Platform;
    if (name == u"access")
        return StatisticsPage::Access;
    if (name == u"host")
        return StatisticsPage::Host;
    return std::nullopt;
}

// Writes the report of a page to -o OUT, or else prints it.
int putReport(StatisticsPage page, const std::function<void(const ReportSink&)>& writeBody,
              const CliOptions& options, QTextStream& out, QTextStream& err)
{
    const QDateTime created = options.now ? *options.now : SystemClock().now();
    if (!options.output.isEmpty()) {
        QString error;
        if (!saveStatisticsReport(options.output, page, created, writeBody, &error))
            return writeError(err, options.output, error);
        return ExitOk;
    }
    const auto print = [&](QByteArrayView utf8) { out << shownReportText(utf8); };
    print(statisticsReportHead(page, created).toUtf8());
    writeBody(print);
    print(statisticsReportTail(page).toUtf8());
    out.flush();
    return ExitOk;
}

// The browser or platform report of these tallies.
int putClassReport(StatisticsPage page, const ClassTally& tally, const StatisticsSettings& settings,
                   const CliOptions& options, QTextStream& out, QTextStream& err)
{
    const QByteArray body =
        (page == StatisticsPage::Browser ? browserReportBody(tally.browser)
                                         : platformReportBody(tally.platform, settings.platforms))
            .toUtf8();
    return putReport(
        page, [&](const ReportSink& sink) { sink(body); }, options, out, err);
}

// The report as the statistics dialog shows and saves it. The browser and platform pages need
// only the tallies, which are counted without reading the rows into a list unless a filter picks
// the rows; the access and host bodies go out piece by piece.
int runReport(StatisticsPage page, const QStringList& files, const CliOptions& options,
              QTextStream& out, QTextStream& err)
{
    StatisticsSettings settings;
    const bool classes = page == StatisticsPage::Browser || page == StatisticsPage::Platform;
    if (classes && options.filter.isEmpty()) {
        ClassTally tally;
        if (const int status = tallyInputs(files, options, tally, err, &settings))
            return status;
        return putClassReport(page, tally, settings, options, out, err);
    }
    LogList list;
    if (const int status = readInputs(files, options, list, err, &settings))
        return status;
    const std::optional<std::vector<quint32>> kept = keptRows(list, options);
    const RowSubset rows = kept ? RowSubset(*kept) : RowSubset();
    if (classes)
        return putClassReport(page, countClasses(list, rows), settings, options, out, err);
    return putReport(
        page,
        [&](const ReportSink& sink) {
            if (page == StatisticsPage::Access)
                writeAccessStatistics(list, settings.aLogMax, sink, rows);
            else
                writeHostStatistics(list, sink, rows);
        },
        options, out, err);
}

} // namespace

int runStats(const QStringList& args, QTextStream& out, QTextStream& err)
{
    CliOptions options;
    QString error;
    if (!parseCliOptions(args, OptCommon | OptOutput | OptFilter | OptTop, options, &error))
        return usageError(err, error);
    if (options.positional.isEmpty())
        return usageError(err, u"stats needs %1"_s.arg(kStatisticsNames));
    const QString& name = options.positional.first();
    const std::optional<StatisticsPage> page = pageNamed(name);
    const std::optional<VisitorStatistic> visitorStatistic = visitorStatisticNamed(name);
    if (!page && !visitorStatistic)
        return usageError(err, u"unknown statistics \"%1\" (%2)"_s.arg(name, kStatisticsNames));
    // The reports are files of the window; the visitor statistics are lines to print.
    if (page && options.top >= 0)
        return usageError(err, u"--top is for the statistics printed line by line"_s);
    if (visitorStatistic && !options.output.isEmpty())
        return usageError(err, u"-o is for browser, platform, access and host"_s);
    const QStringList files = options.positional.mid(1);
    if (files.isEmpty())
        return usageError(err, u"stats needs at least one FILE"_s);

    if (visitorStatistic)
        return runVisitorStats(*visitorStatistic, files, options, out, err);
    return runReport(*page, files, options, out, err);
}

} // namespace tw::cli
