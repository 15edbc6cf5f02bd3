#pragma once

#include "analysis/report_lines.h"
#include "core/classification.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <array>

namespace tw {

// The page of the statistics dialog; also picks the report's section title and file prefix.
enum class StatisticsPage { Browser = 0, Platform = 1, Access = 2, Host = 3 };

// The names the reports give the classes: "IE", "ネスケ", …; a user slot's string (empty when
// unset), "その他".
QString browserClassName(BrowserClass c);
QString platformClassName(PlatformClass c, const UserPlatforms& user);

// The body lines of the browser and platform reports, each line ending in CR LF.
QString browserReportBody(const std::array<qint64, kBrowserClassCount>& tally);
// Users' platform lines appear only for slots whose string is not empty.
QString platformReportBody(const std::array<qint64, kPlatformClassCount>& tally,
                           const UserPlatforms& user);

// How the report file of a statistic is named: the section title of its head (" [ホスト統計]"),
// the prefix of the proposed file name ("h_") and the empty lines before "[EOF]".
struct ReportNaming {
    QString section;
    QString filePrefix;
    int emptyLines = 3;
};
ReportNaming reportNaming(StatisticsPage page);

// The whole report file: head with the creation time, section title, body, the page's empty
// lines and "[EOF]". Every line, "[EOF]" included, ends in CR LF; nothing follows it. For the
// access and host pages the body is the dialog's text, which already ends in CR LF.
QString statisticsReportText(StatisticsPage page, const QString& body, const QDateTime& created);
// The parts of that text before and after the body.
QString statisticsReportHead(StatisticsPage page, const QDateTime& created);
QString statisticsReportTail(StatisticsPage page);
QString statisticsReportHead(const ReportNaming& naming, const QDateTime& created);
QString statisticsReportTail(const ReportNaming& naming);

// The proposed file name, e.g. "b_20010501.txt".
QString reportFileName(StatisticsPage page, const QDate& today);
QString reportFileName(const ReportNaming& naming, const QDate& today);

// Writes the report text as CP932, replacing the file only when the write is complete. The text
// is written as given: statisticsReportText() already ends its last line with CR LF.
bool saveStatisticsReport(const QString& path, const QString& text, QString* error = nullptr);
// The same for the report of a page whose body writeBody hands to a sink, encoded piece by
// piece, so that a body as long as the list is never held whole.
bool saveStatisticsReport(const QString& path, StatisticsPage page, const QDateTime& created,
                          const std::function<void(const ReportSink&)>& writeBody,
                          QString* error = nullptr);
bool saveStatisticsReport(const QString& path, const ReportNaming& naming, const QDateTime& created,
                          const std::function<void(const ReportSink&)>& writeBody,
                          QString* error = nullptr);

} // namespace tw
