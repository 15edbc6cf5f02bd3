#include "analysis/drill_down_line.h"

#include "analysis/access_statistics.h"

namespace tw {
namespace {

// The entry lines begin on the third line, one after another.
struct EntryLine {
    const DrillEntry* entry = nullptr; // nothing: the line is past the listed entries
    qsizetype end = 2;                 // the line after the listed entries
};

EntryLine entryLineAt(const std::vector<DrillEntry>& entries, std::size_t listed, qsizetype line)
{
    EntryLine at;
    for (std::size_t i = 0; i < listed; ++i) {
        const qsizetype first = at.end;
        at.end += 1 + entries[i].drill.text().count("\r\n");
        if (line >= first && line < at.end) {
            at.entry = &entries[i];
            return at;
        }
    }
    return at;
}

} // namespace

std::optional<DrillDown> accessReportEntryAt(const std::vector<DrillEntry>& pages, int aLogMax,
                                             qsizetype line)
{
    const EntryLine at = entryLineAt(pages, listedPageCount(aLogMax, pages.size()), line);
    if (at.entry)
        return at.entry->drill;
    // After the pages: an empty line and two headings, then the 24 hours.
    const qsizetype hour = line - (at.end + 3);
    if (line < 2 || hour < 0 || hour >= 24)
        return std::nullopt;
    return DrillDown::hour(int(hour));
}

std::optional<DrillDown> hostReportEntryAt(const std::vector<DrillEntry>& domains, qsizetype line)
{
    const EntryLine at = entryLineAt(domains, domains.size(), line);
    return at.entry ? std::optional(at.entry->drill) : std::nullopt;
}

} // namespace tw
