#pragma once

#include "analysis/row_filter.h"

#include <QString>

#include <optional>

namespace tw {

// A filter the user saved: its conditions and whether bots are left out.
struct FilterParts {
    RowFilter filter;
    bool withoutBots = false;
};

// One line of plain ASCII (JSON, every other character escaped), so that the settings file,
// whatever its encoding, keeps every character of a pattern. Custom conditions that are no
// drill-down cannot be written and are left out.
QString filterToText(const FilterParts& parts);
// Nothing when the text is damaged; a condition that cannot be restored makes it damaged, so a
// saved filter never widens silently.
std::optional<FilterParts> filterFromText(const QString& text);

} // namespace tw
