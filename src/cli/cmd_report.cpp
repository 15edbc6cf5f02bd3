#include "analysis/html_report.h"
#include "cli/cli.h"
#include "cli/cli_filter.h"
#include "cli/cli_input.h"
#include "cli/commands.h"
#include "core/atomic_write.h"
#include "core/clock.h"

#include <QFileInfo>

#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;

namespace tw::cli {

int runReport(const QStringList& args, QTextStream& out, QTextStream& err)
{
    Q_UNUSED(out);
    CliOptions options;
    QString error;
    if (!parseCliOptions(args, OptCommon | OptOutput | OptFilter | OptHtml | OptTop, options,
                         &error))
        return usageError(err, error);
    if (!options.html)
        return usageError(err, u"report needs --html"_s);
    if (options.output.isEmpty())
        return usageError(err, u"report needs -o OUT"_s);
    if (options.positional.isEmpty())
        return usageError(err, u"report needs at least one FILE"_s);

    LogList list;
    if (const int status = readInputs(options.positional, options, list, err))
        return status;
    const std::optional<std::vector<quint32>> kept = keptRows(list, options);

    HtmlReportOptions report;
    QStringList names;
    for (const QString& file : options.positional)
        names.append(QFileInfo(file).fileName());
    report.title = names.join(u", "_s);
    report.filterLabel = reportFilterLabel(options.filter);
    report.madeAt = options.now ? *options.now : SystemClock().now();
    if (options.top >= 0)
        report.top = int(std::min<qsizetype>(options.top, std::numeric_limits<int>::max()));
    const std::optional<QByteArray> page =
        htmlReport(list, kept ? RowSubset(*kept) : RowSubset(), report);
    if (!page || !writeFileAtomically(options.output, *page, &error))
        return writeError(err, options.output, error);
    return ExitOk;
}

} // namespace tw::cli
