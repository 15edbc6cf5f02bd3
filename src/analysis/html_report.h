#pragma once

#include "analysis/row_filter.h"
#include "analysis/row_subset.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <atomic>
#include <optional>

namespace tw {

class LogList;

struct HtmlReportOptions {
    QString title;       // the log's name(s)
    QString filterLabel; // the active filter's conditions, empty when none
    QDateTime madeAt;
    int top = 10; // entries listed per statistic
};

// One self-contained HTML page (UTF-8): totals, the daily and hourly charts as inline SVG and
// the top entries of every statistic, over the given rows. Nothing when cancel is seen set.
std::optional<QByteArray> htmlReport(const LogList& list, const RowSubset& rows,
                                     const HtmlReportOptions& options,
                                     const std::atomic<bool>* cancel = nullptr);

// The filter's conditions for HtmlReportOptions::filterLabel, e.g. "ホスト に example を含む、
// ボットを除く"; empty without any.
QString reportFilterLabel(const RowFilter& filter);

} // namespace tw
