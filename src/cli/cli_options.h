#pragma once

#include "analysis/agent_catalog.h"
#include "analysis/row_filter.h"
#include "core/log_reader.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace tw::cli {

// Exit status of every command.
enum ExitCode : int {
    ExitOk = 0,
    ExitFailed = 1, // repair did not finish, or lf2crlf found no bare LF
    ExitUsage = 2,
    ExitReadError = 3,
    ExitWriteError = 4,
};

// Options a command takes; the parser rejects the others for that command.
enum OptionFlag : unsigned {
    OptSort = 1u << 0,      // --sort N[:asc|:desc]
    OptNow = 1u << 1,       // --now "YYYY-MM-DD HH:MM"
    OptOutput = 1u << 2,    // -o OUT
    OptFormat = 1u << 3,    // --format NAME
    OptPlatforms = 1u << 4, // --settings INI, --platform1..3 TEXT, --alogmax N
    OptMatchCase = 1u << 5, // --match-case
    OptLogFormat = 1u << 6, // --log-format NAME
    OptAllFields = 1u << 7, // --all-fields
    OptFilter = 1u << 8,    // --match, --exclude, --regex, --ignore-case, --from, --until, --bots
    OptTop = 1u << 9,       // --top N
    OptHtml = 1u << 10,     // --html
    // What every command that reads FILE... takes.
    OptCommon = OptSort | OptNow | OptPlatforms | OptLogFormat,
};

struct CliOptions {
    QStringList positional; // everything that is not an option, in order
    int sortColumn = -1;    // 0-based column, -1 when not given
    bool sortAscending = true;
    std::optional<QDateTime> now;
    QString output;
    QString format;
    QString settingsPath;
    std::array<std::optional<QString>, 3> platforms;
    std::optional<int> aLogMax;
    bool matchCase = false;
    LogLayout layout = LogLayout::Auto;
    bool allFields = false;
    bool html = false;
    RowFilter filter; // complete once parsing is done
    bool ignoreCase = false;
    QByteArray from; // "YYYY/MM/DD HH:MM:SS", empty when not given
    QByteArray until;
    BotChoice bots = BotChoice::Keep;
    qsizetype top = -1; // --top: lines printed, -1 for all
};

// Parses the arguments that follow the command name. "--" ends the options; a lone "-" and
// anything not starting with "-" is positional. Values may follow as the next argument or,
// for long options, after "=". Returns false with an English message on a usage error.
bool parseCliOptions(const QStringList& args, unsigned allowed, CliOptions& options,
                     QString* error);

// "N", "N:asc" or "N:desc" with N from 1 to 5.
bool parseSortOption(const QString& sortText, int* column, bool* ascending);
// "YYYY-MM-DD HH:MM" in local time.
std::optional<QDateTime> parseNow(const QString& text);

} // namespace tw::cli
