#include "analysis/access_statistics.h"
#include "analysis/host_statistics.h"
#include "analysis/statistics_report.h"
#include "cli/cli.h"
#include "cli/cli_input.h"
#include "cli/commands.h"
#include "core/clock.h"

#include <optional>

using namespace Qt::StringLiterals;

namespace tw::cli {
namespace {

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

// The body as the statistics dialog shows and saves it. The browser and platform pages need
// only the tallies, which are counted without reading the rows into a list.
int reportBody(StatisticsPage page, const QStringList& files, const CliOptions& options,
               QString& body, QTextStream& err)
{
    StatisticsSettings settings;
    if (page == StatisticsPage::Browser || page == StatisticsPage::Platform) {
        ClassTally tally;
        if (const int status = tallyInputs(files, options, tally, err, &settings))
            return status;
        body = page == StatisticsPage::Browser
                   ? browserReportBody(tally.browser)
                   : platformReportBody(tally.platform, settings.platforms);
        return ExitOk;
    }
    LogList list;
    if (const int status = readInputs(files, options, list, err, &settings))
        return status;
    body = page == StatisticsPage::Access ? accessStatisticsText(list, settings.aLogMax)
                                          : hostStatisticsText(list);
    return ExitOk;
}

} // namespace

int runStats(const QStringList& args, QTextStream& out, QTextStream& err)
{
    CliOptions options;
    QString error;
    if (!parseCliOptions(args, OptCommon | OptOutput, options, &error))
        return usageError(err, error);
    if (options.positional.isEmpty())
        return usageError(err, u"stats needs browser, platform, access or host"_s);
    const std::optional<StatisticsPage> page = pageNamed(options.positional.first());
    if (!page) {
        return usageError(err,
                          u"unknown statistics \"%1\" (browser, platform, access or host)"_s.arg(
                              options.positional.first()));
    }
    const QStringList files = options.positional.mid(1);
    if (files.isEmpty())
        return usageError(err, u"stats needs at least one FILE"_s);

    QString body;
    if (const int status = reportBody(*page, files, options, body, err))
        return status;

    const QDateTime created = options.now ? *options.now : SystemClock().now();
    QString text = statisticsReportText(*page, body, created);
    if (!options.output.isEmpty()) {
        if (!saveStatisticsReport(options.output, text, &error))
            return writeError(err, options.output, error);
        return ExitOk;
    }
    out << text.replace(u"\r\n"_s, u"\n"_s);
    out.flush();
    return ExitOk;
}

} // namespace tw::cli
