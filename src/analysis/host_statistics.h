#pragma once

#include "analysis/report_lines.h"

#include <QByteArrayView>
#include <QString>

namespace tw {

class LogList;

// True when the host fits the numeric-address pattern "*#.*#.*#.*#" ("*" any run, "#" one
// digit): it ends in a digit and holds three dots each directly after a digit.
bool isNumericHost(QByteArrayView host);

// The host report: visits per domain (the last three labels, as "*.example.ne.jp"), most first,
// every line ending in CR LF. Empty, numeric and short (fewer than three dots) hosts are left out.
// The report goes to the sink in pieces.
void writeHostStatistics(const LogList& list, const ReportSink& sink);
// The same report as one text.
QString hostStatisticsText(const LogList& list);

} // namespace tw
