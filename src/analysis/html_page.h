#pragma once

#include "analysis/html_report.h"
#include "analysis/visitor_statistics.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <vector>

namespace tw {

// One table of the report: a statistic's entries, most counted first.
struct ReportTable {
    QString title;     // e.g. "今のブラウザ"
    QString keyHeader; // the entries' column
    std::vector<KeyCount> entries;
    qint64 counted = 0; // the base of the shares
};

// Everything the page shows, worked out beforehand.
struct ReportFigures {
    qint64 rows = 0;
    qint64 botRows = 0;
    std::vector<DayFigures> days;
    std::array<HourFigures, 24> hours{};
    std::vector<ReportTable> tables;
};

// The page: totals, the daily and hourly charts and the first options.top entries of each table.
QByteArray htmlReportPage(const ReportFigures& figures, const HtmlReportOptions& options);

} // namespace tw
