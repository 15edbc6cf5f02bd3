#include "cli/cli_filter.h"

#include "core/access_record.h"

#include <QRegularExpression>

#include <array>

using namespace Qt::StringLiterals;

namespace tw::cli {
namespace {

// In Column order.
constexpr std::array<QLatin1StringView, kMaxFieldCount> kFieldNames = {
    "browser"_L1, "host"_L1,   "ip"_L1,    "datetime"_L1, "referrer"_L1,
    "request"_L1, "status"_L1, "bytes"_L1, "vhost"_L1,
};

std::optional<int> fieldNamed(QStringView name)
{
    if (name == "any"_L1)
        return kAnyField;
    for (std::size_t k = 0; k < kFieldNames.size(); ++k) {
        if (name == kFieldNames[k])
            return int(k);
    }
    return std::nullopt;
}

// "YYYY-MM-DD[ HH:MM[:SS]]" as the list writes date-times, "YYYY/MM/DD HH:MM:SS".
std::optional<QByteArray> listDateTime(const QString& text)
{
    static const QRegularExpression shape(
        u"^([0-9]{4})-([0-9]{2})-([0-9]{2})(?: ([0-9]{2}):([0-9]{2})(?::([0-9]{2}))?)?$"_s);
    const QRegularExpressionMatch m = shape.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const auto part = [&m](int n) {
        return m.capturedLength(n) ? m.captured(n).toLatin1() : QByteArray("00");
    };
    const QByteArray out =
        part(1) + '/' + part(2) + '/' + part(3) + ' ' + part(4) + ':' + part(5) + ':' + part(6);
    if (!isListDateTime(out))
        return std::nullopt;
    return out;
}

} // namespace

bool isFilterOption(QLatin1StringView name)
{
    return name == "--match"_L1 || name == "--exclude"_L1 || name == "--regex"_L1 ||
           name == "--ignore-case"_L1 || name == "--from"_L1 || name == "--until"_L1 ||
           name == "--bots"_L1;
}

bool applyFilterOption(QLatin1StringView name, const QString& value, CliOptions& options,
                       QString* error)
{
    if (name == "--ignore-case"_L1) {
        options.ignoreCase = true;
        return true;
    }
    if (name == "--bots"_L1) {
        if (value != "exclude"_L1 && value != "only"_L1) {
            *error = u"--bots takes exclude or only, not \"%1\""_s.arg(value);
            return false;
        }
        options.bots = value == "only"_L1 ? BotChoice::Only : BotChoice::Exclude;
        return true;
    }
    if (name == "--from"_L1 || name == "--until"_L1) {
        const std::optional<QByteArray> at = listDateTime(value);
        if (!at) {
            *error = u"%1 takes \"YYYY-MM-DD[ HH:MM[:SS]]\", not \"%2\""_s.arg(name, value);
            return false;
        }
        (name == "--from"_L1 ? options.from : options.until) = *at;
        return true;
    }
    const qsizetype eq = value.indexOf(u'=');
    const std::optional<int> field =
        eq < 0 ? std::nullopt : fieldNamed(QStringView(value).left(eq));
    if (!field) {
        *error = u"%1 takes FIELD=TEXT with FIELD browser, host, ip, datetime, referrer, "
                 u"request, status, bytes, vhost or any, not \"%2\""_s.arg(name, value);
        return false;
    }
    const QString text = value.mid(eq + 1);
    if (name == "--regex"_L1) {
        if (const QString problem = regexError(text); !problem.isEmpty()) {
            *error = u"--regex: invalid regular expression \"%1\": %2"_s.arg(text, problem);
            return false;
        }
        options.filter.conditions.push_back(FilterCondition::regex(*field, text, true));
    } else {
        options.filter.conditions.push_back(
            FilterCondition::contains(*field, text, true, name == "--exclude"_L1));
    }
    return true;
}

void finishFilter(CliOptions& options)
{
    for (FilterCondition& c : options.filter.conditions)
        c.matchCase = !options.ignoreCase;
    if (!options.from.isEmpty() || !options.until.isEmpty())
        options.filter.conditions.push_back(
            FilterCondition::dateRange(options.from, options.until));
    if (std::optional<FilterCondition> bots = botCondition(options.bots))
        options.filter.conditions.push_back(std::move(*bots));
}

std::optional<std::vector<quint32>> keptRows(const LogList& list, const CliOptions& options)
{
    if (options.filter.isEmpty())
        return std::nullopt;
    return filterRows(list, options.filter);
}

void keepOnly(LogList& list, const std::vector<quint32>& kept)
{
    QList<qsizetype> dropped;
    dropped.reserve(list.rowCount() - qsizetype(kept.size()));
    std::size_t next = 0;
    for (qsizetype row = 0; row < list.rowCount(); ++row) {
        if (next < kept.size() && kept[next] == row)
            ++next;
        else
            dropped.append(row);
    }
    list.removeRows(std::move(dropped));
}

} // namespace tw::cli
