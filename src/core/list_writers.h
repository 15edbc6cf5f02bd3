#pragma once

#include "core/clock.h"
#include "core/log_list.h"

#include <QString>

namespace tw {

// Each writes the rows in display order as CP932 with CR LF after every line. The file is
// replaced only when complete: on failure the previous file is intact and *error gets an
// English reason.

// "#Tallyweaver_Header", then the five labelled fields of each row joined by TABs. A TAB, CR or
// LF inside a value is written as a blank so that the file reads back with the same rows.
bool saveListFile(const QString& path, const LogList& list, QString* error = nullptr);
// The caption line, then each row as five quoted, comma-joined values; a quote inside a value
// is doubled.
bool saveCsvFile(const QString& path, const LogList& list, QString* error = nullptr);
// The text report for people, dated with the clock's current time.
bool saveReportFile(const QString& path, const LogList& list, const Clock& clock,
                    QString* error = nullptr);

// JSON Lines: one object per row in UTF-8, each on a line ending in LF, with the keys "browser",
// "host", "ip", "datetime", "referrer" and, where the row has them, "request", "status",
// "bytes" and "vhost"; every value a string, the text as the command line prints it.
bool saveJsonLinesFile(const QString& path, const LogList& list, QString* error = nullptr);

namespace detail {
// Rows encoded per block (one block per core at a time); tests shrink it so that small lists
// cross block boundaries. Returns the size it replaces.
qsizetype setWriterBlockRows(qsizetype rows);
} // namespace detail

} // namespace tw
