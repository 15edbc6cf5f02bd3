#include "core/web_log.h"
#include "core/web_log_parts.h"

namespace tw::weblog {

LineResult parseLine(Format format, QByteArrayView line, ParseState& state, Record& record)
{
    record.line = line;
    record.fields.fill(QByteArrayView());
    line = detail::withoutBom(line);
    if (line.isEmpty())
        return LineResult::Blank;
    record.scratch.reset(detail::scratchNeed(line.size()));
    if (format == Format::W3C)
        return detail::parseW3cLine(line, state, record);
    record.logged = loggedFields(format, state);
    return detail::parseClfLine(format, line, record);
}

FieldSet loggedFields(Format format, const ParseState& state)
{
    switch (format) {
    case Format::Common:
        return FieldSet().set().reset(Browser).reset(PreviousPage).reset(VirtualHost);
    case Format::Combined:
        return FieldSet().set().reset(VirtualHost);
    case Format::VirtualHostCombined:
        return FieldSet().set();
    case Format::W3C:
        return detail::w3cLoggedFields(state);
    }
    return FieldSet();
}

} // namespace tw::weblog
