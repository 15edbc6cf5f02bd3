#include "cli/cli.h"

#include "cli/cli_options.h"
#include "cli/commands.h"
#include "core/startup.h"

#include <QIODevice>

#include <exception>
#include <new>

using namespace Qt::StringLiterals;

namespace tw {
namespace {

struct Command {
    QLatin1StringView name;
    int (*run)(const QStringList& args, QTextStream& out, QTextStream& err);
};

const Command kCommands[] = {
    {"show"_L1, cli::runShow},     {"save"_L1, cli::runSave},     {"stats"_L1, cli::runStats},
    {"search"_L1, cli::runSearch}, {"repair"_L1, cli::runRepair}, {"lf2crlf"_L1, cli::runLfToCrLf},
    {"report"_L1, cli::runReport},
};

} // namespace

namespace cli {

QString usageText()
{
    return uR"(Usage:
  tallyweaver-cli show   [OPTIONS] [FILTERS] FILE...
  tallyweaver-cli save   --format twv|csv|report|jsonl -o OUT [OPTIONS] [FILTERS] FILE...
  tallyweaver-cli stats  browser|platform|access|host [-o OUT] [OPTIONS] [FILTERS] FILE...
  tallyweaver-cli stats  agents|os|bots|pages|status|days|visitors|hours|referrers
                         [--top N] [OPTIONS] [FILTERS] FILE...
  tallyweaver-cli search [--match-case] TEXT [OPTIONS] [FILTERS] FILE...
  tallyweaver-cli report --html -o OUT [OPTIONS] [FILTERS] FILE...
  tallyweaver-cli repair FILE
  tallyweaver-cli lf2crlf FILE
  tallyweaver-cli --help | --version

The first FILE is opened, every further FILE is appended. A FILE is a list
file, its CSV form, or a web server's access log in Common, Combined,
virtual-host Combined or W3C extended format, plain or gzip-compressed, told
apart by its content. Lines of a web log that do not parse are skipped and
counted on standard error.

show     prints one line per row: the row number, the browser class, then
         Browser, Host, IP, DateTime and PreviousPage, separated by TAB; with
         --all-fields also Request, Status, Bytes and VirtualHost
save     writes the rows as a list file, CSV or report exactly as the program
         saves them, or as JSON Lines (one object per row, UTF-8, every field)
stats    prints the statistics report in UTF-8 with LF line ends; with -o it
         writes the report file exactly as the statistics window saves it.
         The visitor statistics print TAB-separated lines: agents, os, bots,
         pages (request path without the query), status and referrers (the
         referrer's host, "-" for none) print COUNT, SHARE ("12.34%") and KEY,
         most counted first; days (and visitors) every day from the first to
         the last: YYYY/MM/DD, hits, visitors (distinct IP or host and user
         agent that day), bytes; hours: 00 to 23, hits, visitors
search   prints, as show does, every row in which any of its texts contains
         TEXT; an empty TEXT lists every row that has a text. Put "--" before a
         TEXT that starts with "-". Status 0 also when no row matches
report   writes one self-contained HTML page (UTF-8, readable on a phone) with
         the totals, the daily and hourly charts and the first entries of
         every statistic of the kept rows; --now sets its creation time

Options:
  --sort N[:asc|:desc]    sort by column N (1 Browser, 2 Host, 3 IP, 4 DateTime,
                          5 PreviousPage) before output; ascending by default
  --settings INI          take Pratform0..2 and ALogMax from this settings file,
                          read as the program reads them; a missing or empty
                          ALogMax counts as 0. A settings file that cannot be
                          read, or an ALogMax that is not a number from -32768
                          to 32767 (unless --alogmax replaces it), ends the
                          command with status 3
  --platform1 TEXT        user platform strings 1 to 3 (win over --settings)
  --platform2 TEXT
  --platform3 TEXT
  --alogmax N             most previous pages in the access statistics (0 lists
                          all, a negative number none; wins over --settings)
  --now "YYYY-MM-DD HH:MM"  creation time written into reports (default: now)
  --match-case            search tells upper and lower case apart
  --all-fields            show and search also print the fields web logs add
  --log-format NAME       read every FILE as twv, csv, common, combined,
                          vcombined or w3c instead of telling by content
  -o OUT                  write the file exactly as the program saves it
  --html                  report writes the HTML page (its one form so far)
  --top N                 the visitor statistics print their first N lines only;
                          report lists the first N entries of each (default 10)

Filters (show, search, save, stats, report): a row is kept when it passes all
of them. The files are read and sorted first; row numbers count the kept rows,
save writes them alone and stats and report count them alone.
  --match FIELD=TEXT      FIELD contains TEXT
  --exclude FIELD=TEXT    FIELD does not contain TEXT
  --regex FIELD=RE        FIELD matches the Perl-compatible regular expression RE
  --ignore-case           --match, --exclude and --regex ignore case
  --from "YYYY-MM-DD[ HH:MM[:SS]]"   rows at or after that DateTime
  --until "YYYY-MM-DD[ HH:MM[:SS]]"  rows before that DateTime; a row whose
                          DateTime is not a date-time fails --from and --until
  --bots exclude|only     leave out the rows of bots and crawlers, or keep them
                          alone (as the user-agent data set and crawler list
                          tell them)
FIELD is browser, host, ip, datetime, referrer, request, status, bytes, vhost
or any (any one field). --match, --exclude and --regex may be repeated.

Exit status: 0 success, 1 repair not done or no bare LF found, 2 usage error,
3 a FILE or the settings file could not be read, 4 an output file or standard
output could not be written (a file that was there stays as it was; a target
that is not a regular file, such as a device, is refused).
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

int writeError(QTextStream& err, const QString& path, const QString& detail)
{
    return fileError(err, path, u"write error: "_s + (detail.isEmpty() ? u"unknown"_s : detail),
                     ExitWriteError);
}

} // namespace cli

namespace {

int runCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.isEmpty())
        return cli::usageError(err, u"no command given"_s);
    const QString& first = args.first();
    const qsizetype optionsEnd = args.indexOf(u"--"_s);
    const QStringList options = optionsEnd < 0 ? args : args.mid(0, optionsEnd);
    if (first == u"-h" || options.contains(u"--help"_s)) {
        out << cli::usageText();
        return cli::ExitOk;
    }
    if (first == u"--version") {
        out << "tallyweaver-cli " << versionText() << '\n';
        return cli::ExitOk;
    }
    for (const Command& command : kCommands) {
        if (first == command.name) {
            int status = cli::ExitWriteError;
            // Reading reports its own failures; what is left is working out or writing output.
            try {
                status = command.run(args.mid(1), out, err);
            } catch (const std::bad_alloc&) {
                err << "tallyweaver-cli: out of memory\n";
            } catch (const std::exception& e) {
                err << "tallyweaver-cli: " << e.what() << '\n';
            }
            return status;
        }
    }
    return cli::usageError(err, u"unknown command \"%1\""_s.arg(first));
}

} // namespace

int runCli(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const int status = runCommand(args, out, err);
    // Output that did not arrive in full is a failed write like any other (a full disk, a
    // closed pipe end, /dev/full): scripts must not take a cut listing for a whole one.
    out.flush();
    if (out.status() != QTextStream::Ok)
        return cli::writeError(err, u"standard output"_s,
                               out.device() ? out.device()->errorString() : QString());
    err.flush();
    return status;
}

} // namespace tw
