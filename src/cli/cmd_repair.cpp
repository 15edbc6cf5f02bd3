#include "cli/cli.h"
#include "cli/cli_options.h"
#include "cli/commands.h"
#include "core/log_repair.h"

using namespace Qt::StringLiterals;

namespace tw::cli {

int runRepair(const QStringList& args, QTextStream& out, QTextStream& err)
{
    CliOptions options;
    QString error;
    if (!parseCliOptions(args, 0, options, &error))
        return usageError(err, error);
    if (options.positional.size() != 1)
        return usageError(err, u"repair takes exactly one FILE"_s);

    const int code = repairLogFile(options.positional.first());
    const QString name = repairResultName(code);
    if (name.isEmpty())
        out << "error " << code << ": " << errorDescriptionEnglish(code) << '\n';
    else
        out << name << ' ' << code << '\n';
    out.flush();
    return code == RepairDone ? ExitOk : ExitFailed;
}

} // namespace tw::cli
