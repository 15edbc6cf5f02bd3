#include "cli/cli.h"
#include "cli/cli_input.h"
#include "cli/commands.h"
#include "cli/row_printer.h"

using namespace Qt::StringLiterals;

namespace tw::cli {

int runShow(const QStringList& args, QTextStream& out, QTextStream& err)
{
    CliOptions options;
    QString error;
    if (!parseCliOptions(args, OptCommon | OptAllFields, options, &error))
        return usageError(err, error);
    if (options.positional.isEmpty())
        return usageError(err, u"show needs at least one FILE"_s);

    // The platform strings only steer the tallies, which show does not print; they are read all
    // the same so that a bad settings file fails every command alike.
    LogList list;
    if (const int status = readInputs(options.positional, options, list, err))
        return status;

    RowPrinter printer(out, options.allFields);
    for (qsizetype i = 0; i < list.rowCount(); ++i)
        printer.print(list, i);
    out.flush();
    return ExitOk;
}

} // namespace tw::cli
