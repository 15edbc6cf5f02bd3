#pragma once

#include "analysis/statistics_report.h"
#include "analysis/visitor_statistics.h"

#include <QString>

#include <array>
#include <variant>
#include <vector>

namespace tw {

// What a page of the visitor statistics shows: entries by key, days or hours.
using VisitorFigures =
    std::variant<KeyCounts, std::vector<DayFigures>, std::array<HourFigures, 24>>;

// A page's window caption, e.g. "今のブラウザ統計".
QString visitorPageCaption(VisitorStatistic statistic);
// Its report file: " [今のブラウザ統計]", "ua_20010501.txt".
ReportNaming visitorReportNaming(VisitorStatistic statistic);

// The page's report lines, each ending in CR LF.
QString visitorReportBody(const VisitorFigures& figures);

} // namespace tw
