#include "core/web_log_parts.h"

#include <algorithm>

namespace tw::weblog {
namespace {

constexpr int kSampleLines = 10;

constexpr QByteArrayView kW3cDirectives[] = {
    "#Version:", "#Fields:", "#Software:", "#Date:", "#Start-Date:", "#End-Date:", "#Remark:"};

bool isW3cDirective(QByteArrayView line)
{
    return std::any_of(std::begin(kW3cDirectives), std::end(kW3cDirectives),
                       [&](QByteArrayView directive) { return line.startsWith(directive); });
}

bool isBlank(QByteArrayView line)
{
    return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; });
}

} // namespace

std::optional<Format> detectFormat(QByteArrayView head)
{
    // The first non-blank lines. The last line of head may be cut short, so it counts only when
    // it is the only one (a log of one line without a line end).
    std::array<QByteArrayView, kSampleLines> lines;
    int count = 0;
    bool lastCut = false;
    for (const char* p = head.begin(); p < head.end() && count < kSampleLines;) {
        const char* lf =
            static_cast<const char*>(std::memchr(p, '\n', std::size_t(head.end() - p)));
        const char* lineEnd = lf ? lf : head.end();
        QByteArrayView line(p, lineEnd);
        if (line.endsWith('\r'))
            line.chop(1);
        line = detail::withoutBom(line);
        if (!isBlank(line)) {
            lines[std::size_t(count++)] = line;
            lastCut = !lf;
        }
        p = lf ? lf + 1 : head.end();
    }
    if (lastCut && count > 1)
        --count;
    if (count == 0)
        return std::nullopt;
    if (isW3cDirective(lines[0]))
        return Format::W3C;

    // The format most of the lines parse in; a line that parses in one of these parses in no
    // other, so ties only come from mixed garbage.
    std::optional<Format> best;
    int bestCount = 0;
    ParseState state;
    Record record;
    for (Format format : {Format::VirtualHostCombined, Format::Combined, Format::Common}) {
        const int parsed = int(std::count_if(lines.begin(), lines.begin() + count, [&](auto line) {
            return parseLine(format, line, state, record) == LineResult::Record;
        }));
        if (parsed > bestCount) {
            best = format;
            bestCount = parsed;
        }
    }
    return 2 * bestCount >= count ? best : std::nullopt;
}

} // namespace tw::weblog
