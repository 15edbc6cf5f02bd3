#include "analysis/ui/report_document.h"

#include <QPlainTextDocumentLayout>
#include <QTextCursor>

namespace tw {

namespace {

// The frame marks a text cursor takes as paragraph breaks too.
constexpr char16_t kBeginningOfFrame = 0xfdd0;
constexpr char16_t kEndOfFrame = 0xfdd1;

// The block breaks a text cursor makes of shown text: CR LF counts once.
qsizetype blockBreaks(const QString& text)
{
    qsizetype breaks = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        if (c == u'\r' || c == u'\n' || c == QChar::ParagraphSeparator || c == kBeginningOfFrame ||
            c == kEndOfFrame)
            ++breaks;
    }
    return breaks;
}

} // namespace

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

qsizetype reportLineOfBlock(QByteArrayView utf8, qsizetype block)
{
    qsizetype firstBlock = 0;
    for (qsizetype line = 0; !utf8.isEmpty(); ++line) {
        const qsizetype end = utf8.indexOf("\r\n");
        const QByteArrayView text = end < 0 ? utf8 : utf8.first(end);
        firstBlock += 1 + blockBreaks(shownReportText(text));
        if (block < firstBlock)
            return line;
        if (end < 0)
            break;
        utf8 = utf8.sliced(end + 2);
    }
    return -1;
}

} // namespace tw
