#include "cli/cli.h"
#include "cli/cli_options.h"
#include "cli/commands.h"
#include "core/log_repair.h"
#include "core/regular_file.h"

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
    RegularFile probe;
    switch (probe.open(source)) {
    case RegularFile::Status::Open:
        break;
    case RegularFile::Status::Missing:
    case RegularFile::Status::Directory:
        return fileError(err, source, u"not found"_s, ExitReadError);
    case RegularFile::Status::NotRegular:
    case RegularFile::Status::Error:
        return fileError(err, source, u"read error: "_s + probe.errorText(), ExitReadError);
    }

    const QString target = convertedCopyPath(source);
    int code = 0;
    const bool converted = convertLfToCrLf(source, target, &code);
    if (code == kErrOutOfMemory || code == kErrNotRegularFile)
        return fileError(err, source, u"read error: "_s + errorDescriptionEnglish(code),
                         ExitReadError);
    if (code)
        return writeError(err, target, errorDescriptionEnglish(code));
    out << target << '\n';
    out.flush();
    return converted ? ExitOk : ExitFailed;
}

} // namespace tw::cli
