#include "mainwindow/ui/filter_bar.h"
#include "mainwindow/ui/main_window.h"

#include "settings/menu_history.h"
#include "ui/icons.h"

#include <QMenuBar>
#include <QScopeGuard>
#include <QToolBar>
#include <QToolButton>

#include <string_view>

namespace tw {
namespace {

QKeySequence keys(QKeyCombination combination)
{
    return QKeySequence(combination);
}

} // namespace

QAction* MainWindow::addCommand(const char* name, const char16_t* caption,
                                const QKeySequence& shortcut, std::function<void()> run)
{
    auto* action = new QAction(QString::fromUtf16(caption), this);
    const QString key = QString::fromLatin1(name);
    action->setObjectName(key);
    action->setShortcut(shortcut);
    // Shortcuts are the menu bar's; the pop-up shows none.
    action->setShortcutVisibleInContextMenu(false);
    connect(action, &QAction::triggered, this, [this, key] { runCommand(key); });
    m_actions.insert(key, action);
    m_runs.insert(key, std::move(run));
    return action;
}

void MainWindow::runCommand(const QString& name)
{
    if (const auto run = m_runs.value(name))
        run();
}

void MainWindow::createCommands()
{
    using HomePage = MainCommands::HomePage;
    MainCommands& c = m_commands;
    addCommand("actOpen", u"開く(&O)...", keys(Qt::CTRL | Qt::Key_O), [&c] { c.open(); });
    addCommand("actAppend", u"追加で開く(&U)...", {}, [&c] { c.append(); });
    addCommand("actSaveAs", u"名前を付けて保存(&A)...", keys(Qt::CTRL | Qt::Key_S),
               [&c] { c.saveAsList(); });
    addCommand("actSaveCsv", u"&CSV形式で保存...", {}, [&c] { c.saveAsCsv(); });
    addCommand("actSaveReport", u"レポート形式で保存(&R)...", {}, [&c] { c.saveAsReport(); });
    addCommand("actSaveJsonLines", u"JSON Lines形式で保存(&J)...", {},
               [&c] { c.saveAsJsonLines(); });
    addCommand("actSaveHtmlReport", u"HTMLレポートを保存...", {}, [&c] { c.saveAsHtmlReport(); });
    addCommand("actClose", u"閉じる(&C)", {}, [&c] { c.closeLog(); });
    addCommand("actExit", u"終了(&X)", {}, [this] { close(); });

    addCommand("actCut", u"切り取り(&T)", keys(Qt::CTRL | Qt::Key_X), [&c] { c.cut(); });
    addCommand("actCopy", u"コピー(&C)", keys(Qt::CTRL | Qt::Key_C), [&c] { c.copy(); });
    addCommand("actDelete", u"削除(&D)", QKeySequence(Qt::Key_Delete),
               [&c] { c.deleteSelected(); });
    addCommand("actSelectAll", u"すべて選択(&A)", keys(Qt::CTRL | Qt::Key_A),
               [&c] { c.selectAll(); });

    addCommand("actToolbar", u"ツールバー(&T)", {}, [this] {
        toggleToolbar();
    })->setCheckable(true);
    addCommand("actStatusBar", u"ステータスバー(&S)", {}, [this] {
        toggleStatusBar();
    })->setCheckable(true);
    addCommand("actFilterBar", u"フィルタバー(&L)", keys(Qt::CTRL | Qt::Key_L), [this] {
        toggleFilterBar();
    })->setCheckable(true);
    addCommand("actClearFilter", u"フィルタ解除(&R)", {}, [this] { m_filterBar->clear(); });
    addCommand("actItemInfo", u"アイテムの情報(&I)...", keys(Qt::CTRL | Qt::Key_I),
               [this] { itemInformation(); });
    addCommand("actOpenUrl", u"&URLを開く", {}, [this] { openUrl(); });
    m_skippedLinesAction =
        addCommand("actSkippedLines", u"読み飛ばした行(&K)...", {}, [this] { showSkippedLines(); });
    m_skippedLinesAction->setEnabled(false);
    addCommand("actPreferences", u"設定(&P)...", {}, [this] { preferences(); });

    addCommand("actConvertLf", u"&LF -> CRLF...", {}, [&c] { c.convertLf(); });
    addCommand("actRepairLog", u"ログ修復(&L)", {}, [&c] { c.repairLog(); });
    addCommand("actBrowserStatistics", u"ブラウザ統計(&B)...", {},
               [this] { showStatistics(StatisticsPage::Browser); });
    addCommand("actPlatformStatistics", u"プラットフォーム統計(&P)...", {},
               [this] { showStatistics(StatisticsPage::Platform); });
    addCommand("actAccessStatistics", u"アクセス状況統計(&A)...", {},
               [this] { showStatistics(StatisticsPage::Access); });
    addCommand("actHostStatistics", u"ホスト統計(&H)...", {},
               [this] { showStatistics(StatisticsPage::Host); });
    createVisitorCommands();
    addCommand("actSearch", u"検索(&F)...", keys(Qt::CTRL | Qt::Key_F), [this] { showSearch(); });
    addCommand("actFindNext", u"次を検索(&N)", QKeySequence(Qt::Key_F3),
               [this] { m_search.findNext(); });

    addCommand("actHelp", u"ヘルプの参照(&H)...", {}, [&c] { c.openHelp(); });
    addCommand("actProductPage", u"&Tallyweaver紹介ページ", {},
               [&c] { c.openHomePage(HomePage::Product); });
    addCommand("actAuthorPage", u"作者のホームページ(&K)", {},
               [&c] { c.openHomePage(HomePage::Author); });
    addCommand("actDownloadPage", u"ソフトウェアのダウンロードサイト(&S)", {},
               [&c] { c.openHomePage(HomePage::Download); });
    addCommand("actVersion", u"バージョン情報(&V)...", {}, [this] { showVersion(); });
}

void MainWindow::addToMenu(QMenu* menu, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        if (name == std::string_view("-"))
            menu->addSeparator();
        else
            menu->addAction(commandAction(QString::fromLatin1(name)));
    }
}

void MainWindow::createMenus()
{
    createCommands();
    QMenuBar* bar = menuBar();

    QMenu* file = bar->addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    addToMenu(file, {"actOpen", "actAppend"});
    QMenu* recent = file->addMenu(QStringLiteral("最近開いたファイル(&D)"));
    recent->setObjectName(QStringLiteral("mnuRireki"));
    recent->menuAction()->setObjectName(QStringLiteral("actRecentFiles"));
    for (int n = 1; n <= 10; ++n) {
        QAction* item = recent->addAction(QString());
        item->setObjectName(QStringLiteral("actRecent%1").arg(n));
        connect(item, &QAction::triggered, this, [this, n] { m_commands.openRecent(n); });
        m_recentItems.append(item);
        m_history.setMenu();
    }
    addToMenu(file, {"-", "actSaveAs", "actSaveCsv", "actSaveReport", "actSaveJsonLines",
                     "actSaveHtmlReport", "-", "actClose", "-", "actExit"});

    m_editMenu = bar->addMenu(QStringLiteral("編集(&E)"));
    m_editMenu->setObjectName(QStringLiteral("mnuEdit"));
    addToMenu(m_editMenu, {"actCut", "actCopy", "actDelete", "-", "actSelectAll"});
    connect(m_editMenu, &QMenu::aboutToShow, this, &MainWindow::updateEditMenu);

    m_viewMenu = bar->addMenu(QStringLiteral("表示(&V)"));
    m_viewMenu->setObjectName(QStringLiteral("mnuVisit"));
    addToMenu(m_viewMenu, {"actToolbar", "actStatusBar", "actFilterBar", "actClearFilter", "-",
                           "actItemInfo", "actOpenUrl", "actSkippedLines", "-", "actPreferences"});
    connect(m_viewMenu, &QMenu::aboutToShow, this, &MainWindow::updateViewMenu);

    QMenu* tools = bar->addMenu(QStringLiteral("ツール(&T)"));
    tools->setObjectName(QStringLiteral("mnuTool"));
    addToMenu(tools, {"actConvertLf", "actRepairLog", "-", "actBrowserStatistics",
                      "actPlatformStatistics", "actAccessStatistics", "actHostStatistics"});
    addVisitorMenu(tools);
    addToMenu(tools, {"-", "actSearch", "actFindNext"});

    QMenu* help = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    addToMenu(help, {"actHelp", "-"});
    QMenu* homePages = help->addMenu(QStringLiteral("ホームページ(&H)"));
    homePages->setObjectName(QStringLiteral("mnuHp"));
    homePages->menuAction()->setObjectName(QStringLiteral("actHomePages"));
    addToMenu(homePages, {"actProductPage", "actAuthorPage", "-", "actDownloadPage"});
    addToMenu(help, {"-", "actVersion"});

    // The pop-up is never in the menu bar.
    m_popup = new QMenu(QStringLiteral("右クリックメニュー"), this);
    m_popup->setObjectName(QStringLiteral("mnuRMnu"));
    addToMenu(m_popup, {"actCut", "actCopy", "actDelete", "-", "actSelectAll", "-", "actItemInfo",
                        "actOpenUrl"});
    m_popup->setDefaultAction(commandAction(QStringLiteral("actItemInfo")));
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

    // A button runs its command but is never disabled, while the menu's action follows the
    // menu's enabling: so it is an action of its own.
    struct Button {
        const char16_t* key;
        const char16_t* tip;
        const char* command;
    };
    static const Button buttons[] = {
        {u"OPEN", u"開く", "actOpen"},   {u"SAVE", u"名前を付けて保存", "actSaveAs"},
        {u"SEP1", nullptr, nullptr},     {u"CUT", u"切り取り", "actCut"},
        {u"COPY", u"コピー", "actCopy"}, {u"DELETE", u"削除", "actDelete"},
        {u"FIND", u"検索", "actSearch"}, {u"ITEM", u"アイテムの情報", "actItemInfo"},
        {u"SEP2", nullptr, nullptr},     {u"HELP", u"ヘルプの参照", "actHelp"},
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
        connect(action, &QAction::triggered, this,
                [this, command = QString::fromLatin1(b.command)] { runCommand(command); });
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

void MainWindow::enableCommands(std::initializer_list<const char*> names, bool enabled)
{
    for (const char* name : names)
        commandAction(QString::fromLatin1(name))->setEnabled(enabled);
}

// The menus' enabling is evaluated as each opens and stays until it opens again, so the
// shortcuts follow the state of the last opening.

void MainWindow::updateEditMenu()
{
    enableCommands({"actCut", "actCopy", "actDelete", "actSelectAll"}, m_commands.editEnabled());
}

void MainWindow::updateViewMenu()
{
    enableCommands({"actItemInfo"}, m_commands.hasCurrentItem());
    enableCommands({"actOpenUrl"}, m_commands.openUrlEnabled());
    m_skippedLinesAction->setEnabled(!m_readNotes.isEmpty());
}

void MainWindow::showPopup(const QPoint& globalPos)
{
    // The pop-up shows the menus' own actions with its own enabling and caption while it is
    // open, and gives them back as the menus left them.
    QList<std::pair<QAction*, bool>> saved;
    for (QAction* action : m_popup->actions())
        saved.append({action, action->isEnabled()});
    QAction* info = commandAction(QStringLiteral("actItemInfo"));
    const QString infoCaption = info->text();
    const auto restore = qScopeGuard([&] {
        for (const auto& [action, enabled] : saved)
            action->setEnabled(enabled);
        info->setText(infoCaption);
    });
    info->setText(QStringLiteral("アイテムの情報(&I)"));
    const bool current = m_commands.hasCurrentItem();
    enableCommands({"actCut", "actCopy", "actDelete", "actSelectAll", "actItemInfo"}, current);
    enableCommands({"actOpenUrl"}, m_commands.openUrlEnabled());
    m_popup->exec(globalPos);
}

} // namespace tw
