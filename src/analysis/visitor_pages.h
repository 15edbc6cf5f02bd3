#pragma once

#include "analysis/row_filter.h"
#include "analysis/statistics_report.h"
#include "analysis/visitor_statistics.h"

#include <QDate>
#include <QString>

#include <array>
#include <variant>
#include <vector>

namespace tw {

// What a page of the visitor statistics shows: entries by key, days or hours.
using VisitorFigures =
    std::variant<KeyCounts, std::vector<DayFigures>, std::array<HourFigures, 24>>;

// The page's name in the Tools menu and its conditions' labels, e.g. "今のブラウザ".
QString visitorPageName(VisitorStatistic statistic);
// Its window caption, e.g. "今のブラウザ統計".
QString visitorPageCaption(VisitorStatistic statistic);
// Its report file: " [今のブラウザ統計]", "ua_20010501.txt".
ReportNaming visitorReportNaming(VisitorStatistic statistic);

// A share of the rows counted as the reports write it: "12.34%".
QString shareText(qint64 count, qint64 counted);
// The page's report lines, each ending in CR LF.
QString visitorReportBody(const VisitorFigures& figures);

// The condition that keeps exactly the rows a keyed page counts under key.
FilterCondition visitorKeyCondition(VisitorStatistic statistic, const QString& key);
// The rows of one day, as the daily page counts them.
FilterCondition visitorDayCondition(QDate day);

} // namespace tw
