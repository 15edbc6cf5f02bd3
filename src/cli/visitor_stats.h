#pragma once

#include "analysis/visitor_statistics.h"
#include "cli/cli_options.h"

#include <QTextStream>

namespace tw::cli {

// The statistic a `stats` name stands for among agents, os, bots, pages, status, days,
// visitors (the days again), hours and referrers.
std::optional<VisitorStatistic> visitorStatisticNamed(QStringView name);

// Prints the statistic over the rows the filter keeps, TAB-separated, one line per entry.
int runVisitorStats(VisitorStatistic statistic, const QStringList& files, const CliOptions& options,
                    QTextStream& out, QTextStream& err);

} // namespace tw::cli
