#pragma once

#include "analysis/row_subset.h"
#include "cli/cli_options.h"
#include "core/log_list.h"

#include <QLatin1StringView>
#include <QString>

#include <optional>
#include <vector>

namespace tw::cli {

// Whether name is one of the filter options: --match, --exclude, --regex, --ignore-case,
// --from, --until, --bots.
bool isFilterOption(QLatin1StringView name);
// Takes one filter option into options.filter; false with a message when its value is malformed.
bool applyFilterOption(QLatin1StringView name, const QString& value, CliOptions& options,
                       QString* error);
// After the last option: --ignore-case, the date range and --bots apply to the whole filter.
void finishFilter(CliOptions& options);

// The rows the filter keeps, in display order; nothing when no filter option was given.
std::optional<std::vector<quint32>> keptRows(const LogList& list, const CliOptions& options);
// Removes every row but the kept ones (ascending indexes), as a save of the kept rows needs.
void keepOnly(LogList& list, const std::vector<quint32>& kept);

} // namespace tw::cli
