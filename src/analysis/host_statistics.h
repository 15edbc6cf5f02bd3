#pragma once

#include "analysis/report_lines.h"
#include "analysis/row_subset.h"

#include <QByteArrayView>
#include <QString>

namespace tw {

// True when the host fits the numeric-address pattern "*#.*#.*#.*#" ("*" any run, "#" one
// digit): it ends in a digit and holds three dots each directly after a digit.
bool isNumericHost(QByteArrayView host);

// The host report: visits per domain (the last three labels, as "*.example.ne.jp"), most first,
// every line ending in CR LF. Empty, numeric and short (fewer than three dots) hosts are left out.
// The report goes to the sink in pieces. Only the given rows count.
void writeHostStatistics(const LogList& list, const ReportSink& sink, const RowSubset& rows = {});
// The same report as one text.
QString hostStatisticsText(const LogList& list, const RowSubset& rows = {});

} // namespace tw
