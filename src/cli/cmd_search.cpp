#include "analysis/search.h"
#include "cli/cli.h"
#include "cli/cli_filter.h"
#include "cli/cli_input.h"
#include "cli/commands.h"
#include "cli/row_printer.h"

using namespace Qt::StringLiterals;

namespace tw::cli {

int runSearch(const QStringList& args, QTextStream& out, QTextStream& err)
{
    CliOptions options;
    QString error;
    if (!parseCliOptions(args, OptCommon | OptMatchCase | OptAllFields | OptFilter, options,
                         &error))
        return usageError(err, error);
    if (options.positional.isEmpty())
        return usageError(err, u"search needs TEXT and at least one FILE"_s);
    if (options.positional.size() < 2)
        return usageError(err, u"search needs at least one FILE after TEXT"_s);
    const QString& text = options.positional.first();

    LogList list;
    if (const int status = readInputs(options.positional.mid(1), options, list, err))
        return status;

    // The dialog's steps find these rows one after another; walking the list with the step's own
    // matcher gives the same rows without its find-next, which always ignores case.
    // With a filter the search walks the kept rows, numbered among themselves.
    const RowMatcher matcher(text, options.matchCase);
    const std::optional<std::vector<quint32>> kept = keptRows(list, options);
    const RowSubset rows = kept ? RowSubset(*kept) : RowSubset();
    RowPrinter printer(out, options.allFields);
    rows.apply(list, [&](qsizetype count, auto rowAt) {
        for (qsizetype i = 0; i < count; ++i) {
            if (matcher.matches(list.row(rowAt(i))))
                printer.print(list, rowAt(i), i + 1);
        }
    });
    out.flush();
    return ExitOk;
}

} // namespace tw::cli
