#pragma once

#include "core/user_prompts.h"

#include <QDate>
#include <QString>

namespace tw {

// The filters of the main window's file dialogs.
QString openListFilter();   // all files, access logs, list files, CSV, log and text files
QString saveListFilter();   // the same without CSV; also the file tools' filter
QString csvFilter();        // all files, CSV files
QString textReportFilter(); // all files, text files

// The dialogs of the File menu, configured as each command needs them.
FileDialogRequest openListRequest(const QString& initDir);
FileDialogRequest saveListRequest(const QString& initDir);
FileDialogRequest saveCsvRequest(const QString& initDir);
FileDialogRequest saveReportRequest(const QString& initDir, const QDate& today);
FileDialogRequest saveJsonLinesRequest(const QString& initDir);
// Proposes the log's name with ".html" in place of its last extension ("report.html" without a
// log).
FileDialogRequest saveHtmlReportRequest(const QString& initDir, const QString& logPath);

// "l_" + yymmdd + ".txt"
QString defaultReportName(const QDate& today);

// One file dialog shared by every file command of the main window: it opens with the path
// chosen last, by any command, unless the command names a file itself.
class SharedFileDialog {
public:
    explicit SharedFileDialog(UserPrompts& prompts) : m_prompts(prompts) {}

    // The chosen path, or empty when cancelled.
    QString open(FileDialogRequest request);
    // Any number of existing files, in the order chosen; the first is remembered.
    QStringList openMany(FileDialogRequest request);
    QString save(FileDialogRequest request);

    QString lastChosen() const { return m_lastChosen; }

private:
    QString remember(const QString& chosen);

    UserPrompts& m_prompts;
    QString m_lastChosen;
};

} // namespace tw
