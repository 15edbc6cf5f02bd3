#include "mainwindow/ui/main_window.h"

#include "analysis/item_info_text.h"
#include "analysis/ui/item_info_dialog.h"
#include "analysis/ui/search_dialog.h"
#include "analysis/ui/statistics_dialog.h"
#include "core/platform.h"
#include "core/user_prompts.h"
#include "mainwindow/drag_drop.h"
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
#include <QToolButton>

namespace tw {
namespace {

// The window's client area before the saved size is applied.
constexpr int kInitialClientWidth = 8265, kInitialClientHeight = 4965; // twips
constexpr int kToolbarBand = 360, kStatusBand = 255;                   // twips
constexpr int kBytePanelWidth = 1100, kItemPanelWidth = 1740;          // twips
constexpr int kPopupKeyX = 2200, kPopupKeyY = 460;                     // twips

// Panel 1 while the hourglass is up; long reads add how far they have got.
const QString kWorkingText = QStringLiteral("処理中...");

struct MenuItemText {
    const char16_t* caption;
    QKeySequence shortcut = {};
};

// One indexed group of menu items: "-" makes a separator, which keeps its index.
QList<QAction*> addGroup(QMenu* menu, const QString& group,
                         std::initializer_list<MenuItemText> items)
{
    QList<QAction*> actions;
    int index = 0;
    for (const MenuItemText& item : items) {
        const QString caption = QString::fromUtf16(item.caption);
        QAction* action = caption == u"-" ? menu->addSeparator() : menu->addAction(caption);
        action->setObjectName(group + u'(' + QString::number(index++) + u')');
        if (!item.shortcut.isEmpty())
            action->setShortcut(item.shortcut);
        actions.append(action);
    }
    return actions;
}

template <typename Handler> void dispatch(const QList<QAction*>& group, Handler handler)
{
    for (int i = 0; i < group.size(); ++i) {
        if (!group.at(i)->isSeparator() && !group.at(i)->menu())
            QObject::connect(group.at(i), &QAction::triggered, group.at(i),
                             [handler, i] { handler(i); });
    }
}

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
    delete m_listView;
    m_listView = nullptr;
}

void MainWindow::createMenus()
{
    QMenuBar* bar = menuBar();

    QMenu* file = bar->addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    m_fileItems = addGroup(file, QStringLiteral("mnuFileSub"),
                           {{u"開く(&O)...", QKeySequence(Qt::CTRL | Qt::Key_O)},
                            {u"追加で開く(&U)..."},
                            {u"最近開いたファイル(&D)"},
                            {u"-"},
                            {u"名前を付けて保存(&A)...", QKeySequence(Qt::CTRL | Qt::Key_S)},
                            {u"&CSV形式で保存..."},
                            {u"レポート形式で保存(&R)..."},
                            {u"-"},
                            {u"閉じる(&C)"},
                            {u"-"},
                            {u"終了(&X)"}});
    auto* recent = new QMenu(m_fileItems.at(2)->text(), file);
    recent->setObjectName(QStringLiteral("mnuRireki"));
    m_fileItems.at(2)->setMenu(recent);
    for (int n = 1; n <= 10; ++n) {
        QAction* item = recent->addAction(QString());
        item->setObjectName(QStringLiteral("mnuRireki(%1)").arg(n));
        connect(item, &QAction::triggered, this, [this, n] { m_commands.openRecent(n); });
        m_recentItems.append(item);
        m_history.setMenu();
    }
    dispatch(m_fileItems, [this](int i) { fileCommand(i); });
    // Beside the numbered items, so that their numbers stay.
    auto* jsonLines = new QAction(QStringLiteral("JSON Lines形式で保存(&J)..."), file);
    jsonLines->setObjectName(QStringLiteral("actSaveJsonLines"));
    file->insertAction(m_fileItems.at(7), jsonLines);
    connect(jsonLines, &QAction::triggered, this, [this] { m_commands.saveAsJsonLines(); });

    m_editMenu = bar->addMenu(QStringLiteral("編集(&E)"));
    m_editMenu->setObjectName(QStringLiteral("mnuEdit"));
    m_editItems = addGroup(m_editMenu, QStringLiteral("mnuEditSub"),
                           {{u"切り取り(&T)", QKeySequence(Qt::CTRL | Qt::Key_X)},
                            {u"コピー(&C)", QKeySequence(Qt::CTRL | Qt::Key_C)},
                            {u"削除(&D)", QKeySequence(Qt::Key_Delete)},
                            {u"-"},
                            {u"すべて選択(&A)", QKeySequence(Qt::CTRL | Qt::Key_A)}});
    dispatch(m_editItems, [this](int i) { editCommand(i); });
    connect(m_editMenu, &QMenu::aboutToShow, this, &MainWindow::updateEditMenu);

    m_viewMenu = bar->addMenu(QStringLiteral("表示(&V)"));
    m_viewMenu->setObjectName(QStringLiteral("mnuVisit"));
    m_viewItems = addGroup(m_viewMenu, QStringLiteral("mnuVisitSub"),
                           {{u"ツールバー(&T)"},
                            {u"ステータスバー(&S)"},
                            {u"-"},
                            {u"アイテムの情報(&I)...", QKeySequence(Qt::CTRL | Qt::Key_I)},
                            {u"&URLを開く"},
                            {u"-"},
                            {u"設定(&P)..."}});
    m_viewItems.at(0)->setCheckable(true);
    m_viewItems.at(1)->setCheckable(true);
    dispatch(m_viewItems, [this](int i) { viewCommand(i); });
    // Outside the indexed group, whose numbers stay as they are.
    m_skippedLinesAction = new QAction(QStringLiteral("読み飛ばした行(&K)..."), m_viewMenu);
    m_skippedLinesAction->setObjectName(QStringLiteral("mnuVisitSkippedLines"));
    m_skippedLinesAction->setEnabled(false);
    m_viewMenu->insertAction(m_viewItems.at(5), m_skippedLinesAction);
    connect(m_skippedLinesAction, &QAction::triggered, this, &MainWindow::showSkippedLines);
    connect(m_viewMenu, &QMenu::aboutToShow, this, &MainWindow::updateViewMenu);

    QMenu* tools = bar->addMenu(QStringLiteral("ツール(&T)"));
    tools->setObjectName(QStringLiteral("mnuTool"));
    const auto toolItems = addGroup(tools, QStringLiteral("mnuToolSub"),
                                    {{u"&LF -> CRLF..."},
                                     {u"ログ修復(&L)"},
                                     {u"-"},
                                     {u"ブラウザ統計(&B)..."},
                                     {u"プラットフォーム統計(&P)..."},
                                     {u"アクセス状況統計(&A)..."},
                                     {u"ホスト統計(&H)..."},
                                     {u"-"},
                                     {u"検索(&F)...", QKeySequence(Qt::CTRL | Qt::Key_F)},
                                     {u"次を検索(&N)", QKeySequence(Qt::Key_F3)}});
    dispatch(toolItems, [this](int i) { toolCommand(i); });

    QMenu* help = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    const auto helpItems = addGroup(help, QStringLiteral("mnuHelpSub"),
                                    {{u"ヘルプの参照(&H)..."},
                                     {u"-"},
                                     {u"ホームページ(&H)"},
                                     {u"-"},
                                     {u"バージョン情報(&V)..."}});
    auto* homePages = new QMenu(helpItems.at(2)->text(), help);
    homePages->setObjectName(QStringLiteral("mnuHp"));
    helpItems.at(2)->setMenu(homePages);
    const auto hpItems = addGroup(homePages, QStringLiteral("mnuHp"),
                                  {{u"&Tallyweaver紹介ページ"},
                                   {u"作者のホームページ(&K)"},
                                   {u"-"},
                                   {u"ソフトウェアのダウンロードサイト(&S)"}});
    dispatch(helpItems, [this](int i) { helpCommand(i); });
    dispatch(hpItems, [this](int i) { homePageCommand(i); });

    // The pop-up is never in the menu bar.
    m_popup = new QMenu(QStringLiteral("右クリックメニュー"), this);
    m_popup->setObjectName(QStringLiteral("mnuRMnu"));
    m_popupItems = addGroup(m_popup, QStringLiteral("mnuRMnuSub"),
                            {{u"切り取り(&T)"},
                             {u"コピー(&C)"},
                             {u"削除(&D)"},
                             {u"-"},
                             {u"すべて選択(&A)"},
                             {u"-"},
                             {u"アイテムの情報(&I)"},
                             {u"&URLを開く"}});
    m_popup->setDefaultAction(m_popupItems.at(6));
    dispatch(m_popupItems, [this](int i) { popupCommand(i); });
}

void MainWindow::createToolBar()
{
    m_toolBar = addToolBar(QStringLiteral("tbrMainToolBar"));
    m_toolBar->setObjectName(QStringLiteral("tbrMainToolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolBar->toggleViewAction()->setEnabled(false);
    setContextMenuPolicy(Qt::NoContextMenu);

    struct Button {
        const char16_t* key;
        const char16_t* tip;
    };
    static const Button buttons[] = {
        {u"OPEN", u"開く"},         {u"SAVE", u"名前を付けて保存"}, {u"SEP1", nullptr},
        {u"CUT", u"切り取り"},      {u"COPY", u"コピー"},           {u"DELETE", u"削除"},
        {u"FIND", u"検索"},         {u"ITEM", u"アイテムの情報"},   {u"SEP2", nullptr},
        {u"HELP", u"ヘルプの参照"},
    };
    for (const Button& b : buttons) {
        const QString key = QString::fromUtf16(b.key);
        if (!b.tip) {
            m_toolBar->addSeparator()->setObjectName(key);
            continue;
        }
        QAction* action = m_toolBar->addAction(toolbarIcon(key), QString::fromUtf16(b.tip));
        action->setObjectName(key);
        action->setToolTip(QString::fromUtf16(b.tip));
        connect(action, &QAction::triggered, this, [this, key] { toolbarCommand(key); });
        if (key == u"OPEN") {
            m_openButton = qobject_cast<QToolButton*>(m_toolBar->widgetForAction(action));
            m_openDropDown = new QMenu(this);
            m_openDropDown->setObjectName(QStringLiteral("OPEN_DropDown"));
            connect(m_openDropDown, &QMenu::aboutToShow, this, &MainWindow::fillOpenDropDown);
            m_openButton->setMenu(m_openDropDown);
            m_openButton->setPopupMode(QToolButton::MenuButtonPopup);
        }
    }
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
    m_toolBar->setVisible(m_settings.ShwTBar != 0);
    statusBar()->setVisible(m_settings.ShwSBar != 0);
    m_viewItems.at(0)->setChecked(m_settings.ShwTBar != 0);
    m_viewItems.at(1)->setChecked(m_settings.ShwSBar != 0);
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
    return current.isValid() ? current.row() : -1;
}

QList<qsizetype> MainWindow::selectedRows() const
{
    QList<qsizetype> rows;
    const QItemSelection selection = m_listView->selectionModel()->selection();
    for (const QItemSelectionRange& range : selection) {
        for (int r = range.top(); r <= range.bottom(); ++r)
            rows.append(r);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void MainWindow::setSelection(const QList<qsizetype>& rows, qsizetype current)
{
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
    model->setCurrentIndex(m_model->index(int(current), 0), QItemSelectionModel::NoUpdate);
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
    m_model->beginListReset();
}

void MainWindow::endListReset()
{
    const FieldSet before = m_model->shownFields();
    m_model->endListReset();
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
    m_model->beginListInsert(first, last);
}

void MainWindow::endInsertRows()
{
    m_model->endListInsert();
}

void MainWindow::beginRemoveRows(qsizetype first, qsizetype last)
{
    m_model->beginListRemove(first, last);
}

void MainWindow::endRemoveRows()
{
    m_model->endListRemove();
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

void MainWindow::fileCommand(int index)
{
    switch (index) {
    case 0:
        m_commands.open();
        break;
    case 1:
        m_commands.append();
        break;
    case 4:
        m_commands.saveAsList();
        break;
    case 5:
        m_commands.saveAsCsv();
        break;
    case 6:
        m_commands.saveAsReport();
        break;
    case 8:
        m_commands.closeLog();
        break;
    case 10:
        close();
        break;
    default:
        break;
    }
}

void MainWindow::editCommand(int index)
{
    switch (index) {
    case 0:
        m_commands.cut();
        break;
    case 1:
        m_commands.copy();
        break;
    case 2:
        m_commands.deleteSelected();
        break;
    case 4:
        m_commands.selectAll();
        break;
    default:
        break;
    }
}

void MainWindow::viewCommand(int index)
{
    switch (index) {
    case 0:
        m_settings.ShwTBar = m_viewItems.at(0)->isChecked() ? 1 : 0;
        m_toolBar->setVisible(m_settings.ShwTBar != 0);
        m_toolbarBand = m_settings.ShwTBar ? kToolbarBand : 0;
        layoutBands();
        break;
    case 1:
        m_settings.ShwSBar = m_viewItems.at(1)->isChecked() ? 1 : 0;
        statusBar()->setVisible(m_settings.ShwSBar != 0);
        m_statusBand = m_settings.ShwSBar ? kStatusBand : 0;
        layoutBands();
        break;
    case 3:
        itemInformation();
        break;
    case 4:
        openUrl();
        break;
    case 6:
        preferences();
        break;
    default:
        break;
    }
}

void MainWindow::toolCommand(int index)
{
    switch (index) {
    case 0:
        m_commands.convertLf();
        break;
    case 1:
        m_commands.repairLog();
        break;
    case 3:
        showStatistics(StatisticsPage::Browser);
        break;
    case 4:
        showStatistics(StatisticsPage::Platform);
        break;
    case 5:
        showStatistics(StatisticsPage::Access);
        break;
    case 6:
        showStatistics(StatisticsPage::Host);
        break;
    case 8:
        showSearch();
        break;
    case 9:
        m_search.findNext();
        break;
    default:
        break;
    }
}

void MainWindow::helpCommand(int index)
{
    if (index == 0) {
        m_commands.openHelp();
    } else if (index == 4) {
        VersionDialog dialog(m_commands.urlOpener(), this);
        dialog.exec();
    }
}

void MainWindow::homePageCommand(int index)
{
    m_commands.openHomePage(index);
}

void MainWindow::showStatistics(StatisticsPage page)
{
    m_statistics[std::size_t(page)] =
        showStatisticsDialog(page, m_list, m_settings, m_prompts, m_clock, this,
                             [this](const std::function<void()>& work) { runLongWork(work); });
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

void MainWindow::popupCommand(int index)
{
    switch (index) {
    case 0:
    case 1:
    case 2:
    case 4:
        editCommand(index);
        break;
    case 6:
        itemInformation();
        break;
    case 7:
        openUrl();
        break;
    default:
        break;
    }
}

void MainWindow::toolbarCommand(const QString& key)
{
    if (key == u"OPEN")
        m_commands.open();
    else if (key == u"SAVE")
        m_commands.saveAsList();
    else if (key == u"CUT")
        m_commands.cut();
    else if (key == u"COPY")
        m_commands.copy();
    else if (key == u"DELETE")
        m_commands.deleteSelected();
    else if (key == u"FIND")
        toolCommand(8);
    else if (key == u"ITEM")
        itemInformation();
    else if (key == u"HELP")
        helpCommand(0);
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

void MainWindow::updateEditMenu()
{
    const bool enabled = m_commands.editEnabled();
    for (int i : {0, 1, 2, 4})
        m_editItems.at(i)->setEnabled(enabled);
}

void MainWindow::updateViewMenu()
{
    m_viewItems.at(3)->setEnabled(m_commands.hasCurrentItem());
    m_viewItems.at(4)->setEnabled(m_commands.openUrlEnabled());
    m_skippedLinesAction->setEnabled(!m_readNotes.isEmpty());
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

void MainWindow::showPopup(const QPoint& globalPos)
{
    const bool current = m_commands.hasCurrentItem();
    for (int i : {0, 1, 2, 4, 6})
        m_popupItems.at(i)->setEnabled(current);
    m_popupItems.at(7)->setEnabled(m_commands.openUrlEnabled());
    m_popup->exec(globalPos);
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
    const QModelIndex index = m_model->index(int(row), 0);
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
