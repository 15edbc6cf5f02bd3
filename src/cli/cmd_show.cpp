#include "cli/cli.h"
#include "cli/cli_input.h"
#include "cli/commands.h"

using namespace Qt::StringLiterals;

namespace tw::cli {
namespace {

// A TAB, CR or LF inside a value would break the line format: it is printed as a blank.
void appendPrintable(QByteArrayView value, QByteArray& line)
{
    const qsizetype start = line.size();
    line.append(value);
    for (char *p = line.data() + start, *end = line.data() + line.size(); p != end; ++p) {
        if (*p == '\t' || *p == '\r' || *p == '\n')
            *p = ' ';
    }
}

} // namespace

int runShow(const QStringList& args, QTextStream& out, QTextStream& err)
{
    CliOptions options;
    QString error;
    if (!parseCliOptions(args, OptCommon, options, &error))
        return usageError(err, error);
    if (options.positional.isEmpty())
        return usageError(err, u"show needs at least one FILE"_s);

    LogList list;
    if (const int status = readInputFiles(options.positional, options, list, err))
        return status;

    QByteArray line;
    for (qsizetype i = 0; i < list.rowCount(); ++i) {
        line.clear();
        line.append(QByteArray::number(i + 1));
        line.append('\t');
        line.append(browserClassKey(list.browserClass(i)).toLatin1());
        for (int k = 0; k < kColumnCount; ++k) {
            line.append('\t');
            appendPrintable(list.field(i, k), line);
        }
        line.append('\n');
        out << QString::fromUtf8(line);
    }
    out.flush();
    return ExitOk;
}

} // namespace tw::cli
