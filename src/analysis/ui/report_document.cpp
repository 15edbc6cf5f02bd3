#include "analysis/ui/report_document.h"

#include <QPlainTextDocumentLayout>
#include <QTextCursor>

namespace tw {

ReportText makeReportText(const std::function<void(const ReportSink&)>& write, QThread* owner)
{
    ReportText report;
    report.shown = std::make_unique<QTextDocument>();
    QTextDocument& document = *report.shown;
    document.setUndoRedoEnabled(false);
    document.setDocumentLayout(new QPlainTextDocumentLayout(&document));
    QTextCursor cursor(&document);
    write([&](QByteArrayView piece) {
        report.utf8.append(piece);
        forEachLineRun(piece, [&](QByteArrayView run) { cursor.insertText(shownReportText(run)); });
    });
    report.shown->moveToThread(owner);
    return report;
}

} // namespace tw
