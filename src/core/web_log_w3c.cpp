// W3C extended logs: "#" directive lines, and data lines whose blank-separated fields are named
// by the last "#Fields:" line.
#include "core/web_log_parts.h"

#include <algorithm>

namespace tw::weblog::detail {
namespace {

struct RoleName {
    QByteArrayView name;
    W3cRole role;
};

constexpr RoleName kRoleNames[] = {
    {"date", RoleDate},
    {"time", RoleTime},
    {"c-ip", RoleClientIp},
    {"c-dns", RoleClientDns},
    {"cs(User-Agent)", RoleUserAgent},
    {"cs(Referer)", RoleReferer},
    {"cs-method", RoleMethod},
    {"cs-uri-stem", RoleUriStem},
    {"cs-uri-query", RoleUriQuery},
    {"cs-uri", RoleUri},
    {"cs-version", RoleVersion},
    {"sc-status", RoleStatus},
    {"sc-bytes", RoleBytes},
    {"cs-host", RoleHostHeader},
    {"cs(Host)", RoleHostHeader},
};

constexpr QByteArrayView kFieldsDirective = "#Fields:";
constexpr QByteArrayView kDateDirective = "#Date:";

W3cRole roleOf(QByteArrayView name)
{
    for (const RoleName& known : kRoleNames) {
        if (name.compare(known.name, Qt::CaseInsensitive) == 0)
            return known.role;
    }
    return RoleNone;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Calls take(field) for each blank-separated field of text; returns how many there were.
template <class Take> qsizetype forEachField(QByteArrayView text, Take take)
{
    qsizetype count = 0;
    const char* p = text.begin();
    const char* end = text.end();
    for (;;) {
        while (p < end && isBlank(*p))
            ++p;
        if (p == end)
            return count;
        const char* start = p;
        p = scanTo<' ', '\t', false>(p, end);
        take(count++, QByteArrayView(start, p));
    }
}

bool has(std::uint32_t roles, W3cRole role)
{
    return roles & (1u << role);
}

bool logsDateTime(const ParseState& state)
{
    return has(state.namedRoles, RoleTime) &&
           (has(state.namedRoles, RoleDate) || state.hasDirectiveDate);
}

// Method, target and protocol version joined by blanks, as a request line reads; "-" when none
// of them was logged (a request that never came, as a 408 logs it).
QByteArrayView requestOf(const std::array<QByteArrayView, kRoleCount>& raw, std::uint32_t roles,
                         Scratch& scratch)
{
    char* out = scratch.end();
    char* const start = out;
    const auto add = [&](QByteArrayView part) {
        if (part == "-")
            return;
        if (out != start)
            *out++ = ' ';
        out = std::copy(part.begin(), part.end(), out);
    };
    if (has(roles, RoleMethod))
        add(raw[RoleMethod]);
    if (has(roles, RoleUriStem)) {
        add(raw[RoleUriStem]);
        const QByteArrayView query = raw[RoleUriQuery];
        if (has(roles, RoleUriQuery) && query != "-") {
            *out++ = '?';
            out = std::copy(query.begin(), query.end(), out);
        }
    } else if (has(roles, RoleUri)) {
        add(raw[RoleUri]);
    }
    if (has(roles, RoleVersion))
        add(raw[RoleVersion]);
    if (out == start)
        return "-";
    return textOf(scratch.take(out), scratch);
}

} // namespace

void applyW3cDirective(QByteArrayView line, ParseState& state)
{
    if (line.startsWith(kFieldsDirective)) {
        state.roles.fill(RoleNone);
        state.namedRoles = 0;
        // Names past the last kept one are counted, so that lines must still have those fields.
        state.fieldCount = forEachField(line.sliced(kFieldsDirective.size()),
                                        [&](qsizetype i, QByteArrayView name) {
                                            if (i >= ParseState::kMaxNamedFields)
                                                return;
                                            const W3cRole role = roleOf(name);
                                            state.roles[std::size_t(i)] = role;
                                            if (role != RoleNone)
                                                state.namedRoles |= 1u << role;
                                        });
        // A log that names the date on every line has no use for an earlier "#Date:" line,
        // and forgetting it spares a reader that starts in the middle a search for it.
        if (has(state.namedRoles, RoleDate))
            state.hasDirectiveDate = false;
    } else if (line.startsWith(kDateDirective)) {
        // "#Date: 2001-05-01 09:05:33": the day for logs that name "time" but not "date".
        QByteArrayView day;
        forEachField(line.sliced(kDateDirective.size()), [&](qsizetype i, QByteArrayView field) {
            if (i == 0)
                day = field;
        });
        state.hasDirectiveDate = w3cDirectiveDate(day, state.directiveDate.data());
    }
}

FieldSet w3cLoggedFields(const ParseState& state)
{
    const std::uint32_t roles = state.namedRoles;
    FieldSet set;
    set[Browser] = has(roles, RoleUserAgent);
    set[Host] = set[IP] = has(roles, RoleClientIp) || has(roles, RoleClientDns);
    set[DateTime] = logsDateTime(state);
    set[PreviousPage] = has(roles, RoleReferer);
    set[Request] = has(roles, RoleMethod) || has(roles, RoleUriStem) || has(roles, RoleUri) ||
                   has(roles, RoleVersion);
    set[Status] = has(roles, RoleStatus);
    set[Bytes] = has(roles, RoleBytes);
    set[VirtualHost] = has(roles, RoleHostHeader);
    return set;
}

LineResult parseW3cLine(QByteArrayView line, ParseState& state, Record& record)
{
    if (line.startsWith('#')) {
        applyW3cDirective(line, state);
        return LineResult::Directive;
    }
    if (state.fieldCount <= 0)
        return LineResult::Skipped;
    std::array<QByteArrayView, kRoleCount> raw;
    const qsizetype count = forEachField(line, [&](qsizetype i, QByteArrayView field) {
        if (i < ParseState::kMaxNamedFields)
            raw[state.roles[std::size_t(i)]] = field;
    });
    if (count != state.fieldCount)
        return LineResult::Skipped;

    const FieldSet logged = record.logged = w3cLoggedFields(state);
    Scratch& scratch = record.scratch;
    auto& f = record.fields;
    if (logged[DateTime]) {
        char* out = scratch.end();
        if (has(state.namedRoles, RoleDate)) {
            if (!w3cDate(raw[RoleDate], out))
                return LineResult::Skipped;
        } else {
            std::copy(state.directiveDate.begin(), state.directiveDate.end(), out);
        }
        out[10] = ' ';
        if (!w3cTime(raw[RoleTime], out + 11))
            return LineResult::Skipped;
        f[DateTime] = scratch.take(out + kDateTimeLength);
    }
    if (logged[Host]) {
        const QByteArrayView client =
            has(state.namedRoles, RoleClientIp) ? raw[RoleClientIp] : raw[RoleClientDns];
        f[Host] = textOf(client, scratch);
        f[IP] = isIpAddress(client) ? f[Host] : QByteArrayView();
    }
    if (logged[Browser])
        f[Browser] = plusAsBlankTextOf(raw[RoleUserAgent], scratch);
    if (logged[PreviousPage])
        f[PreviousPage] = textOf(raw[RoleReferer], scratch);
    if (logged[Request])
        f[Request] = requestOf(raw, state.namedRoles, scratch);
    if (logged[Status])
        f[Status] = textOf(raw[RoleStatus], scratch);
    if (logged[Bytes])
        f[Bytes] = textOf(raw[RoleBytes], scratch);
    if (logged[VirtualHost])
        f[VirtualHost] = textOf(raw[RoleHostHeader], scratch);
    return LineResult::Record;
}

} // namespace tw::weblog::detail
