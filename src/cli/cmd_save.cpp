#include "cli/cli.h"
#include "cli/cli_filter.h"
#include "cli/cli_input.h"
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
    if (!parseCliOptions(args, OptCommon | OptOutput | OptFormat | OptFilter, options, &error)) {
        return usageError(err, error);
    }
    const QString& format = options.format;
    if (format.isEmpty())
        return usageError(err, u"save needs --format twv|csv|report|jsonl"_s);
    if (format != u"twv" && format != u"csv" && format != u"report" && format != u"jsonl")
        return usageError(err, u"unknown format \"%1\" (twv, csv, report or jsonl)"_s.arg(format));
    if (options.output.isEmpty())
        return usageError(err, u"save needs -o OUT"_s);
    if (options.positional.isEmpty())
        return usageError(err, u"save needs at least one FILE"_s);

    LogList list;
    if (const int status = readInputs(options.positional, options, list, err))
        return status;
    if (const std::optional<std::vector<quint32>> kept = keptRows(list, options))
        keepOnly(list, *kept);

    bool saved = false;
    if (format == u"twv") {
        saved = saveListFile(options.output, list, &error);
    } else if (format == u"csv") {
        saved = saveCsvFile(options.output, list, &error);
    } else if (format == u"jsonl") {
        saved = saveJsonLinesFile(options.output, list, &error);
    } else if (options.now) {
        saved = saveReportFile(options.output, list, FixedClock(*options.now), &error);
    } else {
        saved = saveReportFile(options.output, list, SystemClock(), &error);
    }
    return saved ? ExitOk : writeError(err, options.output, error);
}

} // namespace tw::cli
