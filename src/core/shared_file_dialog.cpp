#include "core/shared_file_dialog.h"

#include <QFileInfo>

namespace tw {

QString openListFilter()
{
    return QStringLiteral("すべてのファイル(*.*)|*.*|アクセスログ(access_log*)|access_log*|"
                          "Tallyweaverログファイル(*.twv)|*.twv|CSVファイル(*.csv)|*.csv|"
                          "ログファイル(*.log)|*.log|テキストファイル(*.txt)|*.txt");
}

QString saveListFilter()
{
    return QStringLiteral("すべてのファイル(*.*)|*.*|アクセスログ(access_log*)|access_log*|"
                          "Tallyweaverログファイル(*.twv)|*.twv|ログファイル(*.log)|*.log|"
                          "テキストファイル(*.txt)|*.txt");
}

QString csvFilter()
{
    return QStringLiteral("すべてのファイル(*.*)|*.*|CSVファイル(*.csv)|*.csv");
}

QString textReportFilter()
{
    return QStringLiteral("すべてのファイル(*.*)|*.*|テキストファイル(*.txt)|*.txt");
}

namespace {

FileDialogRequest saveRequest(const QString& title, const QString& filter, int index,
                              const QString& extension, const QString& initDir)
{
    FileDialogRequest r;
    r.title = title;
    r.filter = filter;
    r.filterIndex = index;
    r.defaultExtension = extension;
    r.initialFolder = initDir;
    r.confirmOverwrite = true;
    return r;
}

} // namespace

FileDialogRequest openListRequest(const QString& initDir)
{
    FileDialogRequest r;
    r.title = QStringLiteral("リストを開く");
    r.filter = openListFilter();
    r.filterIndex = 3;
    r.defaultExtension = QStringLiteral("twv");
    r.initialFolder = initDir;
    r.mustExist = true;
    return r;
}

FileDialogRequest saveListRequest(const QString& initDir)
{
    return saveRequest(QStringLiteral("名前を付けて保存"), saveListFilter(), 3,
                       QStringLiteral("twv"), initDir);
}

FileDialogRequest saveCsvRequest(const QString& initDir)
{
    return saveRequest(QStringLiteral("CSV形式で保存"), csvFilter(), 2, QStringLiteral("csv"),
                       initDir);
}

FileDialogRequest saveReportRequest(const QString& initDir, const QDate& today)
{
    FileDialogRequest r = saveRequest(QStringLiteral("レポート形式で保存"), textReportFilter(), 2,
                                      QStringLiteral("txt"), initDir);
    r.initialName = defaultReportName(today);
    return r;
}

FileDialogRequest saveJsonLinesRequest(const QString& initDir)
{
    return saveRequest(QStringLiteral("JSON Lines形式で保存"),
                       QStringLiteral("すべてのファイル(*.*)|*.*|JSON Lines(*.jsonl)|*.jsonl"), 2,
                       QStringLiteral("jsonl"), initDir);
}

FileDialogRequest saveHtmlReportRequest(const QString& initDir, const QString& logPath)
{
    FileDialogRequest r =
        saveRequest(QStringLiteral("HTMLレポートを保存"),
                    QStringLiteral("すべてのファイル(*.*)|*.*|HTMLファイル(*.html)|*.html"), 2,
                    QStringLiteral("html"), initDir);
    const QString base = QFileInfo(logPath).completeBaseName();
    r.initialName = (base.isEmpty() ? QStringLiteral("report") : base) + QStringLiteral(".html");
    return r;
}

QString defaultReportName(const QDate& today)
{
    return QStringLiteral("l_") + today.toString(QStringLiteral("yyMMdd")) + QStringLiteral(".txt");
}

QString SharedFileDialog::open(FileDialogRequest request)
{
    if (request.initialName.isEmpty())
        request.initialName = m_lastChosen;
    return remember(m_prompts.openFileName(request));
}

QStringList SharedFileDialog::openMany(FileDialogRequest request)
{
    if (request.initialName.isEmpty())
        request.initialName = m_lastChosen;
    const QStringList chosen = m_prompts.openFileNames(request);
    remember(chosen.value(0));
    return chosen;
}

QString SharedFileDialog::save(FileDialogRequest request)
{
    if (request.initialName.isEmpty())
        request.initialName = m_lastChosen;
    return remember(m_prompts.saveFileName(request));
}

QString SharedFileDialog::remember(const QString& chosen)
{
    if (!chosen.isEmpty())
        m_lastChosen = chosen;
    return chosen;
}

} // namespace tw
