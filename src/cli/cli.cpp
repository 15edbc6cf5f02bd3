#include "cli/cli.h"

#include "cli/cli_options.h"
#include "cli/commands.h"
#include "core/startup.h"

using namespace Qt::StringLiterals;

namespace tw {
namespace {

struct Command {
    QLatin1StringView name;
    int (*run)(const QStringList& args, QTextStream& out, QTextStream& err);
};

const Command kCommands[] = {
    {"show"_L1, cli::runShow},
    {"save"_L1, cli::runSave},
    {"repair"_L1, cli::runRepair},
    {"lf2crlf"_L1, cli::runLfToCrLf},
};

} // namespace

namespace cli {

QString usageText()
{
    return uR"(Usage:
  tallyweaver-cli show   [OPTIONS] FILE...
  tallyweaver-cli save   --format twv|csv|report -o OUT [OPTIONS] FILE...
  tallyweaver-cli repair FILE
  tallyweaver-cli lf2crlf FILE
  tallyweaver-cli --help | --version

The first FILE is opened, every further FILE is appended.

Options:
  --sort N[:asc|:desc]    sort by column N (1 Browser, 2 Host, 3 IP, 4 DateTime,
                          5 PreviousPage) before output; ascending by default
  --settings INI          take Pratform0..2 and ALogMax from this settings file
  --platform1 TEXT        user platform strings 1 to 3 (win over --settings)
  --platform2 TEXT
  --platform3 TEXT
  --alogmax N             most previous pages in the access statistics
  --now "YYYY-MM-DD HH:MM"  creation time written into reports
  -o OUT                  write the file exactly as the program saves it

Exit status: 0 success, 1 repair not done or no bare LF found, 2 usage error,
3 a FILE could not be read, 4 an output file could not be written.
)"_s;
}

int usageError(QTextStream& err, const QString& message)
{
    err << "tallyweaver-cli: " << message << "\n\n" << usageText();
    err.flush();
    return ExitUsage;
}

int fileError(QTextStream& err, const QString& path, const QString& reason, int status)
{
    err << path << ": " << reason << '\n';
    err.flush();
    return status;
}

} // namespace cli

int runCli(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.isEmpty())
        return cli::usageError(err, u"no command given"_s);
    const QString& first = args.first();
    const qsizetype optionsEnd = args.indexOf(u"--"_s);
    const QStringList options = optionsEnd < 0 ? args : args.mid(0, optionsEnd);
    if (first == u"-h" || options.contains(u"--help"_s)) {
        out << cli::usageText();
        out.flush();
        return cli::ExitOk;
    }
    if (first == u"--version") {
        out << "tallyweaver-cli " << versionText() << '\n';
        out.flush();
        return cli::ExitOk;
    }
    for (const Command& command : kCommands) {
        if (first == command.name) {
            const int status = command.run(args.mid(1), out, err);
            out.flush();
            err.flush();
            return status;
        }
    }
    return cli::usageError(err, u"unknown command \"%1\""_s.arg(first));
}

} // namespace tw
