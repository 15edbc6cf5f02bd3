#pragma once

#include "analysis/report_lines.h"

#include <QByteArray>
#include <QTextDocument>

#include <functional>
#include <memory>

class QThread;

namespace tw {

// The access or host report of a statistics dialog: the text the SAVE button writes (UTF-8,
// CR LF) and the plain-text document its text box shows.
struct ReportText {
    QByteArray utf8;
    std::unique_ptr<QTextDocument> shown;
};

// Takes the report that write hands to its sink, and lays it out as a document for a
// QPlainTextEdit with LF line ends. Runs on any thread: the document is handed over to
// `owner`, the thread of the window that will show it.
ReportText makeReportText(const std::function<void(const ReportSink&)>& write, QThread* owner);

// The line (from 0, lines ending in CR LF) of the report `utf8` that block `block` of its shown
// document belongs to, or -1 past the end. A line whose text holds a lone CR or LF or another
// paragraph break takes several blocks.
qsizetype reportLineOfBlock(QByteArrayView utf8, qsizetype block);

} // namespace tw
