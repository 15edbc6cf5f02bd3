#pragma once

#include "analysis/first_seen_tally.h"
#include "analysis/report_lines.h"
#include "analysis/row_subset.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace tw {

// True when the host fits the numeric-address pattern "*#.*#.*#.*#" ("*" any run, "#" one
// digit): it ends in a digit and holds three dots each directly after a digit.
bool isNumericHost(QByteArrayView host);

// The host from its third-last dot on (".example.ne.jp"); nothing when it has fewer than three.
std::optional<QByteArrayView> domainTail(QByteArrayView host);
// The group a row's host counts under, or nothing for a row the report leaves out.
std::optional<QByteArrayView> hostDomainKey(const LogList& list, qsizetype row);
// The groups over every row of the list, in order of first appearance; keys are views into it.
FirstSeenTally hostDomainTally(const LogList& list, const RowSubset& rows = {});

// The host report: visits per domain (the last three labels, as "*.example.ne.jp"), most first,
// every line ending in CR LF. Empty, numeric and short (fewer than three dots) hosts are left out.
// The report goes to the sink in pieces. Only the given rows count.
void writeHostStatistics(const LogList& list, const ReportSink& sink, const RowSubset& rows = {});
// The same report as one text.
QString hostStatisticsText(const LogList& list, const RowSubset& rows = {});

} // namespace tw
