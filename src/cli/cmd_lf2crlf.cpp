#include "cli/cli.h"
#include "cli/cli_options.h"
#include "cli/commands.h"
#include "core/log_repair.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace tw::cli {

int runLfToCrLf(const QStringList& args, QTextStream& out, QTextStream& err)
{
    CliOptions options;
    QString error;
    if (!parseCliOptions(args, 0, options, &error))
        return usageError(err, error);
    if (options.positional.size() != 1)
        return usageError(err, u"lf2crlf takes exactly one FILE"_s);

    // Tell a source that cannot be read from a copy that cannot be written.
    const QString& source = options.positional.first();
    const QFileInfo info(source);
    if (!info.exists() || info.isDir())
        return fileError(err, source, u"not found"_s, ExitReadError);
    QFile probe(source);
    if (!probe.open(QIODevice::ReadOnly))
        return fileError(err, source, u"read error: "_s + probe.errorString(), ExitReadError);
    probe.close();

    const QString target = convertedCopyPath(source);
    int code = 0;
    const bool converted = convertLfToCrLf(source, target, &code);
    if (code)
        return writeError(err, target, errorDescriptionEnglish(code));
    out << target << '\n';
    out.flush();
    return converted ? ExitOk : ExitFailed;
}

} // namespace tw::cli
