#include "cli/cli_options.h"

#include "cli/cli_filter.h"
#include "core/access_record.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace tw::cli {
namespace {

struct OptionInfo {
    QLatin1StringView name;
    unsigned flag;
    bool takesValue;
};

const OptionInfo kOptions[] = {
    {"--sort"_L1, OptSort, true},
    {"--now"_L1, OptNow, true},
    {"-o"_L1, OptOutput, true},
    {"--output"_L1, OptOutput, true},
    {"--format"_L1, OptFormat, true},
    {"--settings"_L1, OptPlatforms, true},
    {"--platform1"_L1, OptPlatforms, true},
    {"--platform2"_L1, OptPlatforms, true},
    {"--platform3"_L1, OptPlatforms, true},
    {"--alogmax"_L1, OptPlatforms, true},
    {"--match-case"_L1, OptMatchCase, false},
    {"--log-format"_L1, OptLogFormat, true},
    {"--all-fields"_L1, OptAllFields, false},
    {"--html"_L1, OptHtml, false},
    {"--match"_L1, OptFilter, true},
    {"--exclude"_L1, OptFilter, true},
    {"--regex"_L1, OptFilter, true},
    {"--ignore-case"_L1, OptFilter, false},
    {"--from"_L1, OptFilter, true},
    {"--until"_L1, OptFilter, true},
    {"--bots"_L1, OptFilter, true},
    {"--top"_L1, OptTop, true},
};

const OptionInfo* findOption(QStringView name)
{
    for (const OptionInfo& option : kOptions) {
        if (name == option.name)
            return &option;
    }
    return nullptr;
}

bool applyOption(QLatin1StringView name, const QString& value, CliOptions& options, QString* error)
{
    if (name == "--sort"_L1) {
        if (!parseSortOption(value, &options.sortColumn, &options.sortAscending)) {
            *error = u"--sort takes N[:asc|:desc] with N from 1 to 5, not \"%1\""_s.arg(value);
            return false;
        }
    } else if (name == "--now"_L1) {
        options.now = parseNow(value);
        if (!options.now) {
            *error = u"--now takes \"YYYY-MM-DD HH:MM\", not \"%1\""_s.arg(value);
            return false;
        }
    } else if (name == "-o"_L1 || name == "--output"_L1) {
        if (value.isEmpty()) {
            *error = u"-o needs a file name"_s;
            return false;
        }
        options.output = value;
    } else if (name == "--format"_L1) {
        options.format = value;
    } else if (name == "--settings"_L1) {
        options.settingsPath = value;
    } else if (name == "--alogmax"_L1) {
        bool ok = false;
        const int n = value.toInt(&ok);
        // The setting is a signed 16-bit number.
        if (!ok || n < -32768 || n > 32767) {
            *error = u"--alogmax takes a number from -32768 to 32767, not \"%1\""_s.arg(value);
            return false;
        }
        options.aLogMax = n;
    } else if (name.startsWith("--platform"_L1)) {
        const int slot = name.back().unicode() - u'1';
        options.platforms[std::size_t(slot)] = value;
    } else if (name == "--match-case"_L1) {
        options.matchCase = true;
    } else if (name == "--log-format"_L1) {
        const std::optional<LogLayout> layout = logLayoutNamed(value);
        if (!layout || *layout == LogLayout::Auto) {
            *error = u"--log-format takes twv, csv, common, combined, vcombined or w3c, not "
                     u"\"%1\""_s.arg(value);
            return false;
        }
        options.layout = *layout;
    } else if (name == "--top"_L1) {
        bool ok = false;
        const int n = value.toInt(&ok);
        if (!ok || n < 0 || value.startsWith(u'+')) {
            *error = u"--top takes a number of lines from 0 on, not \"%1\""_s.arg(value);
            return false;
        }
        options.top = n;
    } else if (name == "--all-fields"_L1) {
        options.allFields = true;
    } else if (name == "--html"_L1) {
        options.html = true;
    } else if (isFilterOption(name)) {
        return applyFilterOption(name, value, options, error);
    }
    return true;
}

} // namespace

bool parseSortOption(const QString& sortText, int* column, bool* ascending)
{
    const qsizetype colon = sortText.indexOf(u':');
    const QString number = colon < 0 ? sortText : sortText.left(colon);
    bool ok = false;
    const int n = number.toInt(&ok);
    if (!ok || n < 1 || n > kColumnCount || number.startsWith(u'+'))
        return false;
    bool asc = true;
    if (colon >= 0) {
        const QStringView order = QStringView(sortText).mid(colon + 1);
        if (order == u"desc")
            asc = false;
        else if (order != u"asc")
            return false;
    }
    *column = n - 1;
    *ascending = asc;
    return true;
}

std::optional<QDateTime> parseNow(const QString& text)
{
    // Digits exactly where the pattern has them: QDateTime alone also takes a signed year.
    static const QRegularExpression shape(u"^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}$"_s);
    if (!shape.match(text).hasMatch())
        return std::nullopt;
    const QDateTime at = QDateTime::fromString(text, u"yyyy-MM-dd HH:mm"_s);
    if (!at.isValid())
        return std::nullopt;
    return at;
}

bool parseCliOptions(const QStringList& args, unsigned allowed, CliOptions& options, QString* error)
{
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (optionsEnded || !arg.startsWith(u'-') || arg == u"-") {
            options.positional << arg;
            continue;
        }
        if (arg == u"--") {
            optionsEnded = true;
            continue;
        }
        const qsizetype eq = arg.startsWith(u"--") ? arg.indexOf(u'=') : -1;
        const QStringView name = eq < 0 ? QStringView(arg) : QStringView(arg).left(eq);
        const OptionInfo* option = findOption(name);
        if (!option || !(allowed & option->flag)) {
            *error = u"unknown option %1"_s.arg(name);
            return false;
        }
        QString value;
        if (option->takesValue) {
            if (eq >= 0) {
                value = arg.mid(eq + 1);
            } else if (i + 1 < args.size()) {
                value = args.at(++i);
            } else {
                *error = u"%1 needs a value"_s.arg(option->name);
                return false;
            }
        } else if (eq >= 0) {
            *error = u"%1 takes no value"_s.arg(option->name);
            return false;
        }
        if (!applyOption(option->name, value, options, error))
            return false;
    }
    finishFilter(options);
    return true;
}

} // namespace tw::cli
