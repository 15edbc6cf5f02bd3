#include "cli/cli.h"
#include "cli/cli_filter.h"
#include "cli/cli_input.h"
#include "cli/commands.h"
#include "cli/row_printer.h"

using namespace Qt::StringLiterals;

namespace tw::cli {

int runShow(const QStringList& args, QTextStream& out, QTextStream& err)
{
    CliOptions options;
    QString error;
    if (!parseCliOptions(args, OptCommon | OptAllFields | OptFilter, options, &error))
        return usageError(err, error);
    if (options.positional.isEmpty())
        return usageError(err, u"show needs at least one FILE"_s);

    // The platform strings only steer the tallies, which show does not print; they are read all
    // the same so that a bad settings file fails every command alike.
    LogList list;
    if (const int status = readInputs(options.positional, options, list, err))
        return status;

    const std::optional<std::vector<quint32>> kept = keptRows(list, options);
    const RowSubset rows = kept ? RowSubset(*kept) : RowSubset();
    RowPrinter printer(out, options.allFields);
    rows.apply(list, [&](qsizetype count, auto rowAt) {
        for (qsizetype i = 0; i < count; ++i)
            printer.print(list, rowAt(i), i + 1);
    });
    out.flush();
    return ExitOk;
}

} // namespace tw::cli
