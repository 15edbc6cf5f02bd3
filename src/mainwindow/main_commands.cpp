#include "mainwindow/main_commands.h"

#include "analysis/file_tool_commands.h"
#include "analysis/html_report.h"
#include "core/atomic_write.h"
#include "core/clock.h"
#include "core/list_writers.h"
#include "core/log_reader.h"
#include "core/path_parts.h"
#include "core/platform.h"
#include "core/rotated_logs.h"
#include "core/user_prompts.h"
#include "core/work_failure.h"
#include "mainwindow/drag_drop.h"
#include "mainwindow/rows_clipboard_text.h"
#include "settings/menu_history.h"
#include "settings/settings.h"

#include <QFileInfo>

namespace tw {

class MainCommands::BusyList {
public:
    explicit BusyList(MainView& view) : m_view(view)
    {
        m_view.setBusy(true);
        m_view.setListVisible(false);
    }
    ~BusyList()
    {
        m_view.setListVisible(true);
        m_view.setBusy(false);
    }
    Q_DISABLE_COPY_MOVE(BusyList)

private:
    MainView& m_view;
};

MainCommands::MainCommands(LogList& list, MainView& view, UserPrompts& prompts, Platform& platform,
                           MenuHistory& history, Settings& settings, const Clock& clock)
    : m_editor(list, view), m_view(view), m_prompts(prompts), m_platform(platform),
      m_history(history), m_settings(settings), m_clock(clock),
      m_opener(m_editor, view, prompts, history), m_dialog(prompts),
      m_urlOpener([&settings] { return urlOpenPolicy(settings); }, platform, prompts)
{
}

void MainCommands::open()
{
    const QStringList paths = m_dialog.openMany(openListRequest(m_settings.InitDir));
    m_opener.openLogFiles(withRotatedSet(paths), OpenMode::Open);
}

QStringList MainCommands::withRotatedSet(const QStringList& paths)
{
    // Only a web server's log rotates; list files named like one are taken as chosen.
    if (paths.size() != 1)
        return paths;
    const QStringList set = rotatedSet(paths.first());
    if (set.size() < 2 || !isWebServerLayout(detail::openLogSource(paths.first()).layout))
        return paths;
    const MessageAnswer answer =
        m_prompts.message(QStringLiteral("情報"),
                          QStringLiteral("%1 の古いログが %2 個あります（最も古いもの: %3）。\r\n"
                                         "すべてを古い順に読み込みますか？")
                              .arg(getPathPart(paths.first(), PathPart::FileName))
                              .arg(set.size() - 1)
                              .arg(getPathPart(set.first(), PathPart::FileName)),
                          MessageIcon::Question, MessageButtons::YesNo, MessageAnswer::Yes);
    return answer == MessageAnswer::Yes ? set : paths;
}

void MainCommands::append()
{
    // Rows are read unsorted and take their places when sorted mode comes back.
    const bool wasSorted = list().isSorted();
    m_editor.setSorted(false);
    const QStringList paths = m_dialog.openMany(openListRequest(m_settings.InitDir));
    m_opener.openLogFiles(paths, hasCurrentItem() ? OpenMode::Append : OpenMode::Open);
    runReportingFailure(m_prompts, [&] { m_editor.setSorted(wasSorted); });
}

void MainCommands::openRecent(int n)
{
    const QString path = m_history.menuItem(n);
    if (!QFileInfo::exists(path)) {
        m_prompts.error(
            QStringLiteral("ファイルが見つかりません。ファイルが削除された可能性があります。"));
        m_history.removeItem(n);
        return;
    }
    openGivenFile(path);
}

bool MainCommands::openGivenFile(const QString& path)
{
    // Opening closes the list first, so what cannot be read is turned away before that.
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable()) {
        m_prompts.error(path + QStringLiteral("\r\nは読み込めるファイルではありません。"));
        return false;
    }
    return m_opener.openLogFile(path, OpenMode::Open);
}

namespace {

void reportWriteFailure(UserPrompts& prompts)
{
    prompts.error(QStringLiteral("ファイルが書き込めませんでした。"));
}

} // namespace

void MainCommands::saveAsList()
{
    saveRows(
        saveListRequest(m_settings.InitDir),
        [](const QString& path, const LogList& rows) { return saveListFile(path, rows); }, true);
}

void MainCommands::saveAsCsv()
{
    saveRows(saveCsvRequest(m_settings.InitDir),
             [](const QString& path, const LogList& rows) { return saveCsvFile(path, rows); });
}

void MainCommands::saveAsJsonLines()
{
    saveRows(
        saveJsonLinesRequest(m_settings.InitDir),
        [](const QString& path, const LogList& rows) { return saveJsonLinesFile(path, rows); });
}

void MainCommands::saveAsReport()
{
    saveRows(saveReportRequest(m_settings.InitDir, m_clock.now().date()),
             [this](const QString& path, const LogList& rows) {
                 return saveReportFile(path, rows, m_clock);
             });
}

void MainCommands::saveAsHtmlReport()
{
    const QString logPath = m_opener.openedPath();
    const QString path = m_dialog.save(saveHtmlReportRequest(m_settings.InitDir, logPath));
    if (path.isEmpty())
        return;
    const ShownRows& shown = m_editor.shown();
    HtmlReportOptions options;
    options.title = getPathPart(logPath, PathPart::FileName);
    options.filterLabel = shown.isFiltered() ? reportFilterLabel(shown.filter()) : QString();
    options.madeAt = m_clock.now();
    writeInBackground([&] {
        const std::optional<QByteArray> page =
            htmlReport(list(), shown.isFiltered() ? RowSubset(shown.rows()) : RowSubset(), options);
        return page && writeFileAtomically(path, *page);
    });
}

void MainCommands::saveRows(
    FileDialogRequest request,
    const std::function<bool(const QString& path, const LogList& rows)>& write, bool remember)
{
    const ShownRows& shown = m_editor.shown();
    bool shownOnly = false;
    if (shown.isFiltered() && shown.count(list()) < list().rowCount()) {
        shownOnly = m_prompts.message(
                        QStringLiteral("情報"),
                        QStringLiteral("フィルタで表示している %1 行だけを保存しますか？\r\n"
                                       "「いいえ」を選ぶと、隠れている行も含めたすべての %2 行を"
                                       "保存します。")
                            .arg(shown.count(list()))
                            .arg(list().rowCount()),
                        MessageIcon::Question, MessageButtons::YesNo,
                        MessageAnswer::Yes) == MessageAnswer::Yes;
        if (shownOnly) {
            // Another name than the file of all rows, so that one is not replaced by a part.
            const QString base = request.initialName.isEmpty()
                                     ? QStringLiteral("filtered")
                                     : QFileInfo(request.initialName).completeBaseName() +
                                           QStringLiteral("_filtered");
            request.initialName = base + QLatin1Char('.') + request.defaultExtension;
        }
    }
    const QString path = m_dialog.save(request);
    if (path.isEmpty())
        return;
    bool written = false;
    if (shownOnly) {
        written = writeInBackground([&] {
            LogList rows;
            LogBatch batch;
            batch.setFields(list().fields());
            std::array<QByteArrayView, kMaxFieldCount> fields;
            for (const quint32 r : shown.rows()) {
                const LogRow& row = list().row(r);
                for (int k = 0; k < row.fieldCount; ++k)
                    fields[std::size_t(k)] = row.field(k);
                batch.addRow(fields.data(), row.fieldCount);
            }
            rows.append(std::move(batch));
            return write(path, rows);
        });
    } else {
        written = writeInBackground([&] { return write(path, list()); });
    }
    if (written && remember)
        m_history.addItem(path);
}

bool MainCommands::writeInBackground(const std::function<bool()>& write)
{
    bool written = false;
    const std::exception_ptr failure =
        runCatching([&] { m_view.runLongWork([&] { written = write(); }); });
    if (failure)
        reportWorkFailure(m_prompts, failure);
    else if (!written)
        reportWriteFailure(m_prompts);
    return written && !failure;
}

void MainCommands::cut()
{
    // Rows that did not reach the clipboard stay in the list.
    if (copyRows())
        deleteSelected();
}

void MainCommands::copy()
{
    copyRows();
}

bool MainCommands::copyRows()
{
    if (!hasCurrentItem()) {
        m_prompts.beep();
        return true;
    }
    QString text;
    std::exception_ptr failure;
    {
        BusyList busy(m_view);
        const QList<qsizetype> rows = m_view.selectedRows();
        failure = runCatching(
            [&] { m_view.runLongWork([&] { text = rowsClipboardText(list(), rows); }); });
    }
    if (failure) {
        reportWorkFailure(m_prompts, failure);
        return false;
    }
    m_platform.setClipboardText(text);
    return true;
}

void MainCommands::deleteSelected()
{
    if (!hasCurrentItem()) {
        m_prompts.beep();
        return;
    }
    BusyList busy(m_view);
    m_editor.removeRows(m_view.selectedRows());
    m_view.setStatusText(3, m_editor.itemCountText());
}

void MainCommands::selectAll()
{
    if (list().rowCount() == 0)
        return;
    BusyList busy(m_view);
    m_view.selectAllRows(0);
}

void MainCommands::sortByHeader(int column)
{
    m_view.setBusy(true);
    const std::exception_ptr failure = runCatching([&] { m_editor.sortByHeader(column); });
    m_view.setBusy(false);
    reportWorkFailure(m_prompts, failure);
}

bool MainCommands::hasCurrentItem() const
{
    const qsizetype row = m_view.currentRow();
    return row >= 0 && row < m_editor.list().rowCount();
}

bool MainCommands::openUrlEnabled() const
{
    return hasCurrentItem() &&
           m_editor.list().field(m_view.currentRow(), ColPreviousPage).contains("http");
}

void MainCommands::openUrlOfCurrentItem()
{
    if (hasCurrentItem())
        m_urlOpener.openRowUrl(m_editor.list().text(m_view.currentRow(), ColPreviousPage));
}

void MainCommands::convertLf()
{
    runConvertLfCommand(m_dialog, m_prompts, m_settings);
}

void MainCommands::repairLog()
{
    runRepairLogCommand(m_dialog, m_prompts, m_settings);
}

void MainCommands::openHelp()
{
    m_urlOpener.openUrl(helpPageUrl(m_platform.executableFolder()));
}

QString MainCommands::homePageUrl(HomePage page)
{
    switch (page) {
    case HomePage::Product:
        return QStringLiteral("https://tallyweaver.example.org/");
    case HomePage::Author:
        return QStringLiteral("https://author.example.org/");
    case HomePage::Download:
        return QStringLiteral("https://download.example.org/tallyweaver/");
    }
    return {};
}

void MainCommands::openHomePage(HomePage page)
{
    m_urlOpener.openUrl(homePageUrl(page));
}

void MainCommands::openDroppedFiles(const QStringList& paths)
{
    const DroppedFiles files = splitDroppedFiles(paths);
    if (files.open.isEmpty())
        return;
    openGivenFile(files.open);
    // Each path is one argument; the new instance hands its own rest on the same way.
    if (!files.forNewInstance.isEmpty())
        m_platform.startNewInstance(files.forNewInstance);
}

void MainCommands::openFromCommandLine(const QString& path)
{
    if (QFileInfo::exists(path))
        openGivenFile(path);
    else
        m_opener.openLogFile(path, OpenMode::Open);
}

} // namespace tw
