#include "mainwindow/ui/main_window.h"

#include "analysis/item_info_text.h"
#include "analysis/ui/item_info_dialog.h"
#include "analysis/ui/search_dialog.h"
#include "analysis/ui/statistics_dialog.h"
#include "core/platform.h"
#include "core/user_prompts.h"
#include "mainwindow/drag_drop.h"
#include "mainwindow/filter_runner.h"
#include "mainwindow/ui/frm_version.h"
#include "mainwindow/ui/log_list_model.h"
#include "mainwindow/ui/log_list_view.h"
#include "mainwindow/ui/long_work_loop.h"
#include "mainwindow/ui/skipped_lines_dialog.h"
#include "settings/file_association.h"
#include "settings/menu_history.h"
#include "settings/settings.h"
#include "settings/ui/preferences_dialog.h"
#include "ui/icons.h"
#include "ui/list_font_dialog.h"
#include "ui/list_font_widgets.h"
#include "ui/screen_fit.h"
#include "ui/twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QDrag>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace tw {
namespace {

// The window's client area before the saved size is applied.
constexpr int kInitialClientWidth = 8265, kInitialClientHeight = 4965; // twips
constexpr int kToolbarBand = 360, kStatusBand = 255;                   // twips
constexpr int kBytePanelWidth = 1100, kItemPanelWidth = 1740;          // twips
constexpr int kPopupKeyX = 2200, kPopupKeyY = 460;                     // twips

// Panel 1 while the hourglass is up; long reads add how far they have got.
const QString kWorkingText = QStringLiteral("処理中...");

} // namespace

MainWindow::MainWindow(Settings& settings, MenuHistory& history, UserPrompts& prompts,
                       Platform& platform, const Clock& clock, QWidget* parent)
    : QMainWindow(parent), m_settings(settings), m_history(history), m_prompts(prompts),
      m_platform(platform), m_clock(clock),
      m_commands(m_list, *this, prompts, platform, history, settings, clock),
      m_search(m_list, *this, prompts)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tallyweaver"));
    setWindowIcon(applicationIcon());

    m_list.setLongWorkRunner([this](const std::function<void()>& work) { runLongWork(work); });
    m_model = new LogListModel(m_list, this);
    m_listView = new LogListView(this);
    m_listView->setModel(m_model);
    m_initialListFont = QFont(QStringLiteral("Noto Sans CJK JP"), 9);
    m_listView->setFont(m_initialListFont);
    setCentralWidget(m_listView);

    createMenus();
    createToolBar();
    createFilterBar();
    createStatusBar();

    connect(m_listView->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int section) { m_commands.sortByHeader(m_model->fieldOf(section)); });
    connect(m_listView, &LogListView::popupRequested, this, &MainWindow::showPopup);
    connect(m_listView, &LogListView::popupKeyPressed, this, &MainWindow::showPopupFromKey);
    connect(m_listView, &LogListView::activatedRow, this, &MainWindow::openUrl);
    m_listView->enableDragAndDrop();
    // Opened after the drop has finished, so the other side of the drag is not kept waiting.
    connect(m_listView, &LogListView::dropReceived, this, &MainWindow::dropUrls,
            Qt::QueuedConnection);
    connect(m_listView, &LogListView::rowDragRequested, this, &MainWindow::startRowDrag);
    connect(&m_history, &MenuHistory::refreshed, this, &MainWindow::refreshRecentFiles);
    refreshRecentFiles();

    resize(twipsToPixelsX(this, kInitialClientWidth),
           twipsToPixelsY(this, kInitialClientHeight) + menuBar()->sizeHint().height());
}

MainWindow::~MainWindow()
{
    // Dialogs hold references to members of this window (the search, the list, the URL
    // opener), which go before the children would; so do the view, the model and the list.
    qDeleteAll(findChildren<QDialog*>(QString(), Qt::FindDirectChildrenOnly));
    // The filtering beside the window reads the list, which goes before the children would.
    delete m_filterRunner;
    m_filterRunner = nullptr;
    delete m_listView;
    m_listView = nullptr;
}

void MainWindow::createStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("sbrMainStatusBar"));
    static const char16_t* const keys[] = {u"MSG", u"BYTE", u"ITEM"};
    static const char16_t* const texts[] = {u"ファイルは開かれていません", u"0Bytes",
                                            u"アイテム数:0"};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(QString::fromUtf16(texts[i]), bar);
        label->setObjectName(QString::fromUtf16(keys[i]));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        m_panels[std::size_t(i)] = label;
    }
    m_panels[0]->setMinimumWidth(1);
    m_panels[1]->setFixedWidth(twipsToPixelsX(this, kBytePanelWidth));
    m_panels[2]->setFixedWidth(twipsToPixelsX(this, kItemPanelWidth));
    bar->addWidget(m_panels[0], 1);

    // Beside the message, so panel 1 keeps its text; a click shows the lines.
    m_readNotesPanel = new QLabel(bar);
    m_readNotesPanel->setObjectName(QStringLiteral("SKIPPED"));
    m_readNotesPanel->setFrameShape(QFrame::Panel);
    m_readNotesPanel->setFrameShadow(QFrame::Sunken);
    m_readNotesPanel->setTextFormat(Qt::RichText);
    m_readNotesPanel->setToolTip(QStringLiteral("読み飛ばした行を表示します"));
    m_readNotesPanel->hide();
    connect(m_readNotesPanel, &QLabel::linkActivated, this, &MainWindow::showSkippedLines);
    bar->addPermanentWidget(m_readNotesPanel);

    bar->addPermanentWidget(m_panels[1]);
    bar->addPermanentWidget(m_panels[2]);
}

void MainWindow::setUpList()
{
    // No column wider than the screen.
    const int widest = availableAreas(this).value(0).width();
    QHeaderView* header = m_listView->horizontalHeader();
    for (int c = 0; c < kColumnCount; ++c)
        header->resizeSection(
            c, std::clamp(twipsToPixelsX(this, m_settings.ColumnWidths[std::size_t(c)]), 0,
                          std::max(widest, 1)));
}

void MainWindow::setBandHeightsFromSettings()
{
    m_toolbarBand = m_settings.ShwTBar ? kToolbarBand : 0;
    m_statusBand = m_settings.ShwSBar ? kStatusBand : 0;
    layoutBands();
}

void MainWindow::layoutBands()
{
    // The bars dock themselves at their natural heights; the list takes the rest of the window.
    m_toolBar->setVisible(m_toolbarBand > 0);
    statusBar()->setVisible(m_statusBand > 0);
}

void MainWindow::applyAppearance()
{
    m_filterToolBar->setVisible(m_settings.FilterBar != 0);
    commandAction(QStringLiteral("actFilterBar"))->setChecked(m_settings.FilterBar != 0);
    m_toolBar->setVisible(m_settings.ShwTBar != 0);
    statusBar()->setVisible(m_settings.ShwSBar != 0);
    commandAction(QStringLiteral("actToolbar"))->setChecked(m_settings.ShwTBar != 0);
    commandAction(QStringLiteral("actStatusBar"))->setChecked(m_settings.ShwSBar != 0);
    m_listView->setShowGrid(m_settings.LGridView != 0);
    m_listView->setFullRowSelect(m_settings.LLineValue != 0);

    // An empty name or a zero size keeps the list's own.
    applyListFont(listFontOf(m_settings), *m_listView);
}

// MainView

void MainWindow::setTitle(const QString& title)
{
    setWindowTitle(title);
}

void MainWindow::setStatusText(int panel, const QString& text)
{
    if (panel >= 1 && panel <= 3)
        m_panels[std::size_t(panel - 1)]->setText(text);
}

QString MainWindow::statusText(int panel) const
{
    return panel >= 1 && panel <= 3 ? m_panels[std::size_t(panel - 1)]->text() : QString();
}

qsizetype MainWindow::currentRow() const
{
    const QModelIndex current = m_listView->currentIndex();
    return current.isValid() ? m_model->listRow(current.row()) : -1;
}

QList<qsizetype> MainWindow::selectedRows() const
{
    QList<qsizetype> rows;
    const QItemSelection selection = m_listView->selectionModel()->selection();
    for (const QItemSelectionRange& range : selection) {
        for (int r = range.top(); r <= range.bottom(); ++r)
            rows.append(m_model->listRow(r));
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void MainWindow::setSelection(const QList<qsizetype>& listRows, qsizetype listCurrent)
{
    // List rows to the rows shown (ascending both ways); hidden ones cannot be selected.
    QList<qsizetype> rows;
    rows.reserve(listRows.size());
    for (qsizetype r : listRows) {
        if (const int shown = m_model->viewRow(r); shown >= 0)
            rows.append(shown);
    }
    const qsizetype current = listCurrent >= 0 ? m_model->viewRow(listCurrent) : -1;
    QItemSelection selection;
    const int lastColumn = m_model->columnCount() - 1;
    for (qsizetype i = 0; i < rows.size();) {
        qsizetype j = i;
        while (j + 1 < rows.size() && rows.at(j + 1) == rows.at(j) + 1)
            ++j;
        selection.select(m_model->index(int(rows.at(i)), 0),
                         m_model->index(int(rows.at(j)), lastColumn));
        i = j + 1;
    }
    QItemSelectionModel* model = m_listView->selectionModel();
    model->setCurrentIndex(current >= 0 ? m_model->index(int(current), 0) : QModelIndex(),
                           QItemSelectionModel::NoUpdate);
    model->select(selection, QItemSelectionModel::ClearAndSelect);
}

void MainWindow::selectAllRows(qsizetype current)
{
    const int rows = m_model->rowCount();
    if (rows == 0)
        return;
    QItemSelectionModel* model = m_listView->selectionModel();
    const int shownCurrent = std::max(0, m_model->viewRow(current));
    model->setCurrentIndex(m_model->index(shownCurrent, 0), QItemSelectionModel::NoUpdate);
    model->select(
        QItemSelection(m_model->index(0, 0), m_model->index(rows - 1, m_model->columnCount() - 1)),
        QItemSelectionModel::ClearAndSelect);
}

void MainWindow::setListVisible(bool visible)
{
    // Hiding the widget would take the keyboard focus away; not repainting is what is meant.
    m_listView->setUpdatesEnabled(visible);
}

void MainWindow::setBusy(bool busy)
{
    // Say so in panel 1 and paint it at once: short work on this thread repaints nothing until
    // it ends, and long work runs beside a window that keeps repainting.
    QLabel* const message = m_panels[0];
    if (busy) {
        if (m_busyDepth++ == 0) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            m_idleStatus = message->text();
            message->setText(kWorkingText);
            message->repaint();
        }
    } else if (m_busyDepth > 0 && --m_busyDepth == 0) {
        QGuiApplication::restoreOverrideCursor();
        if (message->text().startsWith(kWorkingText))
            message->setText(m_idleStatus);
    }
}

void MainWindow::runLongWork(const std::function<void()>& work,
                             const std::function<int()>& percentDone)
{
    if (m_inLongWork) {
        work();
        return;
    }
    m_inLongWork = true;
    setBusy(true);
    const auto over = qScopeGuard([this] {
        setBusy(false);
        m_inLongWork = false;
    });
    runKeepingWindowsPainted(work, [&] {
        if (const int percent = percentDone ? percentDone() : -1; percent >= 0)
            m_panels[0]->setText(kWorkingText + u' ' + QString::number(percent) + u'%');
    });
}

void MainWindow::activate()
{
    activateWindow();
    m_listView->setFocus();
}

void MainWindow::setReadNotes(const ReadNotes& notes)
{
    m_readNotes = notes;
    const QString summary = notes.summary();
    m_readNotesPanel->setText(QStringLiteral("<a href=\"#\">") + summary.toHtmlEscaped() +
                              QStringLiteral("</a>"));
    m_readNotesPanel->setVisible(!notes.isEmpty());
    m_skippedLinesAction->setEnabled(!notes.isEmpty());
    if (m_skippedLinesDialog) {
        if (notes.isEmpty())
            m_skippedLinesDialog->close();
        else
            m_skippedLinesDialog->setNotes(notes);
    }
}

void MainWindow::showSkippedLines()
{
    if (m_readNotes.isEmpty())
        return;
    if (!m_skippedLinesDialog) {
        m_skippedLinesDialog = new SkippedLinesDialog(this);
        m_skippedLinesDialog->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_skippedLinesDialog->setNotes(m_readNotes);
    m_skippedLinesDialog->show();
    m_skippedLinesDialog->raise();
    m_skippedLinesDialog->activateWindow();
}

SkippedLinesDialog* MainWindow::skippedLinesDialog() const
{
    return m_skippedLinesDialog;
}

void MainWindow::beginListReset()
{
    stopFilteringForChange();
    m_model->beginListReset();
}

void MainWindow::endListReset()
{
    const FieldSet before = m_model->shownFields();
    m_model->endListReset();
    resumeFilteringAfterChange();
    if (m_model->shownFields() == before)
        return;
    // Columns that come start at the header's default width; the web-log columns, which the
    // settings do not keep, get widths that fit their texts.
    QHeaderView* header = m_listView->horizontalHeader();
    for (int c = kColumnCount; c < m_model->columnCount(); ++c)
        header->resizeSection(c, m_listView->typicalWidth(m_model->fieldOf(c)));
}

void MainWindow::beginInsertRows(qsizetype first, qsizetype last)
{
    stopFilteringForChange();
    m_model->beginListInsert(first, last);
}

void MainWindow::endInsertRows()
{
    m_model->endListInsert();
    resumeFilteringAfterChange();
}

void MainWindow::beginRemoveRows(qsizetype first, qsizetype last)
{
    stopFilteringForChange();
    m_model->beginListRemove(first, last);
}

void MainWindow::endRemoveRows()
{
    m_model->endListRemove();
    resumeFilteringAfterChange();
}

// SettingsHost. The window's own size stands for its outer size, so a size read back at the
// next start is the size that was saved.

void MainWindow::setWindowSize(qint32 width, qint32 height)
{
    const QList<QRect> areas = availableAreas(this);
    resize(sizeWithin(QSize(twipsToPixelsX(this, width), twipsToPixelsY(this, height)),
                      minimumSizeHint(), areas.value(0)));
    // Left where the window manager puts it unless it would show nowhere.
    if (const QPoint place = placeOnScreens(frameGeometry(), areas); place != pos())
        move(place);
}

double MainWindow::windowWidth() const
{
    return pixelsToTwipsX(this, width());
}

double MainWindow::windowHeight() const
{
    return pixelsToTwipsY(this, height());
}

double MainWindow::innerWidth() const
{
    return pixelsToTwipsX(this, width());
}

std::array<double, 5> MainWindow::columnWidths() const
{
    std::array<double, 5> widths{};
    for (int c = 0; c < kColumnCount; ++c)
        widths[std::size_t(c)] =
            pixelsToTwipsX(this, m_listView->horizontalHeader()->sectionSize(c));
    return widths;
}

ListFont MainWindow::initialListFont() const
{
    return listFontFrom(m_initialListFont, Qt::black);
}

std::array<double, 5> MainWindow::typicalColumnWidths() const
{
    // The longest address and a date-time as the logs write them, in wide digits.
    std::array<double, 5> widths{};
    widths[ColIP] = pixelsToTwipsX(this, m_listView->cellWidth(QStringLiteral("888.888.888.888")));
    widths[ColDateTime] =
        pixelsToTwipsX(this, m_listView->cellWidth(QStringLiteral("8888/88/88 88:88:88")));
    return widths;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The rows being read or ordered still belong to this window.
    if (m_inLongWork) {
        event->ignore();
        return;
    }
    // Closing the search dialog hands its history and check box to the settings saved below.
    if (m_searchDialog && m_searchDialog->isVisible())
        m_searchDialog->reject();
    if (m_settingsFile && !m_settingsFile->save())
        m_prompts.error(QStringLiteral("設定が保存されませんでした。"));
    event->accept();
    emit closed();
}

// Commands

void MainWindow::toggleToolbar()
{
    m_settings.ShwTBar = commandAction(QStringLiteral("actToolbar"))->isChecked() ? 1 : 0;
    m_toolBar->setVisible(m_settings.ShwTBar != 0);
    m_toolbarBand = m_settings.ShwTBar ? kToolbarBand : 0;
    layoutBands();
}

void MainWindow::toggleStatusBar()
{
    m_settings.ShwSBar = commandAction(QStringLiteral("actStatusBar"))->isChecked() ? 1 : 0;
    statusBar()->setVisible(m_settings.ShwSBar != 0);
    m_statusBand = m_settings.ShwSBar ? kStatusBand : 0;
    layoutBands();
}

void MainWindow::showStatistics(StatisticsPage page)
{
    const RowSubset shown = shownRows();
    StatisticsDialog* dialog = showStatisticsDialog(
        page, m_list, m_settings, m_prompts, m_clock, this,
        [this](const std::function<void()>& work) { runLongWork(work); },
        shown.isAll() ? nullptr : &shown);
    m_statistics[std::size_t(page)] = dialog;
    if (dialog)
        connect(dialog, &StatisticsDialog::drillDownRequested, this,
                &MainWindow::addFilterCondition);
}

StatisticsDialog* MainWindow::statisticsDialog(StatisticsPage page) const
{
    return m_statistics[std::size_t(page)];
}

SearchDialog* MainWindow::searchDialog() const
{
    return m_searchDialog;
}

void MainWindow::showSearch()
{
    m_searchDialog = SearchDialog::showInstance(this, m_settings, m_search);
}

void MainWindow::showVersion()
{
    VersionDialog dialog(m_commands.urlOpener(), this);
    dialog.exec();
}

void MainWindow::preferences()
{
    ListFileAssociation association(XdgFolders::fromEnvironment(),
                                    QCoreApplication::applicationFilePath());
    // Rows read from now on are counted with the platform strings as they are after the change.
    PreferencesDialog dialog(
        m_settings, m_prompts, association,
        [this] {
            applyAppearance();
            m_list.setUserPlatforms(UserPlatforms(
                {m_settings.Pratform[0], m_settings.Pratform[1], m_settings.Pratform[2]}));
        },
        this);
    dialog.exec();
}

void MainWindow::itemInformation()
{
    if (!m_commands.hasCurrentItem()) {
        m_prompts.beep();
        return;
    }
    for (qsizetype row : selectedRows())
        ItemInfoDialog::showFor(itemInfoOf(m_list, row), m_settings, m_prompts, m_platform,
                                m_commands.urlOpener(), this);
}

void MainWindow::openUrl()
{
    m_commands.openUrlOfCurrentItem();
}

void MainWindow::refreshRecentFiles()
{
    for (int slot = 0; slot < m_recentItems.size() && slot < m_history.slotCount(); ++slot) {
        const MenuHistoryItem item = m_history.item(slot);
        QAction* action = m_recentItems.at(slot);
        action->setText(item.caption);
        action->setVisible(item.visible);
        action->setEnabled(item.enabled);
    }
}

void MainWindow::fillOpenDropDown()
{
    m_openDropDown->clear();
    for (int n = 1; n <= m_history.menuCount(); ++n) {
        QAction* entry = m_openDropDown->addAction(m_history.item(n - 1).caption);
        connect(entry, &QAction::triggered, this, [this, n] { m_commands.openRecent(n); });
    }
}

void MainWindow::showPopupFromKey()
{
    showPopup(m_listView->mapToGlobal(
        QPoint(twipsToPixelsX(this, kPopupKeyX), twipsToPixelsY(this, kPopupKeyY))));
}

// SearchTarget

void MainWindow::clearSelection()
{
    m_listView->clearSelection();
}

void MainWindow::selectRow(qsizetype row)
{
    const QModelIndex index = m_model->index(m_model->viewRow(row), 0);
    if (!index.isValid())
        return;
    m_listView->scrollTo(index);
    m_listView->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
    // Away from the search dialog, so that F3 and the arrow keys act on the list at once.
    activate();
}

// Drag and drop

void MainWindow::dropUrls(const QList<QUrl>& urls)
{
    // A drop that was under way when long work began arrives here while it runs.
    if (m_inLongWork)
        return;
    const QStringList paths = droppedFilePaths(urls);
    if (paths.isEmpty()) {
        m_prompts.message(QStringLiteral("エラー"), QStringLiteral("ファイルを指定してください"),
                          MessageIcon::Warning);
        return;
    }
    m_commands.openDroppedFiles(paths);
}

QMimeData* MainWindow::prepareRowDrag()
{
    // Only the current row counts, however many rows are selected.
    if (!m_commands.hasCurrentItem())
        return nullptr;
    const QString page = m_list.text(currentRow(), ColPreviousPage);
    if (!isDraggableRowAddress(page))
        return nullptr;
    const QString path = m_shortcuts.write(m_platform.tempFolder(), page);
    if (path.isEmpty())
        return nullptr;
    m_shortcutPath = path;
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(path)});
    data->setText(page);
    return data;
}

void MainWindow::finishRowDrag(Qt::DropAction action)
{
    if (action != Qt::CopyAction && action != Qt::MoveAction)
        return; // a refused or cancelled drag leaves the file
    // The receiver may still be reading the file; a drag of the same row that has started
    // meanwhile keeps it.
    const QString path = m_shortcutPath;
    QTimer::singleShot(kShortcutRemovalDelayMs, this, [this, path] {
        if (!(m_rowDragRunning && path == m_shortcutPath))
            QFile::remove(path);
    });
}

void MainWindow::startRowDrag()
{
    if (m_rowDragRunning)
        return;
    m_listView->setDragEnabled(false);
    if (QMimeData* data = prepareRowDrag()) {
        m_rowDragRunning = true;
        auto* drag = new QDrag(m_listView);
        drag->setMimeData(data);
        const Qt::DropAction action = drag->exec(Qt::CopyAction);
        m_rowDragRunning = false;
        finishRowDrag(action);
    }
    m_listView->setDragEnabled(true);
}

} // namespace tw
