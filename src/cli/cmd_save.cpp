#include "cli/cli.h"
#include "cli/cli_input.h"
#include "cli/cli_settings.h"
#include "cli/commands.h"
#include "core/clock.h"
#include "core/list_writers.h"

using namespace Qt::StringLiterals;

namespace tw::cli {

int runSave(const QStringList& args, QTextStream& out, QTextStream& err)
{
    Q_UNUSED(out);
    CliOptions options;
    QString error;
    if (!parseCliOptions(args, OptCommon | OptOutput | OptFormat, options, &error)) {
        return usageError(err, error);
    }
    const QString& format = options.format;
    if (format.isEmpty())
        return usageError(err, u"save needs --format twv|csv|report"_s);
    if (format != u"twv" && format != u"csv" && format != u"report")
        return usageError(err, u"unknown format \"%1\" (twv, csv or report)"_s.arg(format));
    if (options.output.isEmpty())
        return usageError(err, u"save needs -o OUT"_s);
    if (options.positional.isEmpty())
        return usageError(err, u"save needs at least one FILE"_s);

    StatisticsSettings settings;
    if (const int status = resolveStatisticsSettings(options, settings, err))
        return status;
    LogList list;
    if (const int status =
            readInputFiles(options.positional, options, settings.platforms, list, err))
        return status;

    bool saved = false;
    if (format == u"twv") {
        saved = saveListFile(options.output, list, &error);
    } else if (format == u"csv") {
        saved = saveCsvFile(options.output, list, &error);
    } else if (options.now) {
        saved = saveReportFile(options.output, list, FixedClock(*options.now), &error);
    } else {
        saved = saveReportFile(options.output, list, SystemClock(), &error);
    }
    if (!saved) {
        return fileError(err, options.output,
                         u"write error: "_s + (error.isEmpty() ? u"unknown"_s : error),
                         ExitWriteError);
    }
    return ExitOk;
}

} // namespace tw::cli
