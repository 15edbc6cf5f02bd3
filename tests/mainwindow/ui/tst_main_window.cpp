#include "core/clock.h"
#include "mainwindow/ui/log_list_model.h"
#include "mainwindow/ui/log_list_view.h"
#include "mainwindow/ui/main_program.h"
#include "mainwindow/ui/main_window.h"
#include "mainwindow/ui/program_rig.h"
#include "settings/menu_history.h"
#include "support/test_files.h"
#include "ui/twips.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <numeric>

using namespace tw;

using test::hostColumn;
using test::listFile;
using test::Program;
using test::records;

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void startUpOpensArgumentFile();
    void startUpWithMissingFileOpensNothing();
    void startUpHandsFurtherFilesToNewInstance();
    void menuTree_data();
    void menuTree();
    void menuOrder();
    void toolbarButtons();
    void statusPanelsAndBands();
    void appearanceFollowsSettings();
    void headersKeepTheListFontFromStart();
    void selectionHighlight_data();
    void selectionHighlight();
    void iconsShowOnSelectedRows();
    void columnWidthsComeFromTwips();
    void hostileSettingsAreKeptWithinTheScreen();
    void headerClickSortsWithMarkers();
    void editMenuEnabling();
    void popupEnabling_data();
    void popupEnabling();
    void listKeys();
    void homeAndEndGoToFirstAndLastRow();
    void deleteAndCopyThroughTheWindow();
    void recentFileThatVanishedLeavesMenus();
    void closeSavesSettings();
    void failedSettingsSaveIsReported();
    void modelPassesTester();
};

void TestMainWindow::startUpOpensArgumentFile()
{
    QTemporaryDir files;
    const QString path = listFile(files, QStringLiteral("access_log.twv"),
                                  {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    Program p(path);
    QVERIFY(p.window().isVisible());
    QCOMPARE(p.window().objectName(), QStringLiteral("frmMain"));
    QCOMPARE(p.window().windowTitle(), QStringLiteral("Tallyweaver - [access_log.twv]"));
    QCOMPARE(p.panel(1), path + QStringLiteral(" を開きました"));
    QCOMPARE(p.panel(2), QStringLiteral("%1Bytes").arg(QFileInfo(path).size()));
    QCOMPARE(p.panel(3), QStringLiteral("アイテム数:3"));
    QCOMPARE(p.window().model()->rowCount(), 3);
    QVERIFY(p.prompts.boxes.isEmpty()); // a first start creates its settings file silently
    QVERIFY(QFile::exists(p.settingsPath()));
    QCOMPARE(p.program.history().menuItem(1), path);
    QCOMPARE(p.action(QStringLiteral("actRecent1"))->text(),
             QStringLiteral("&1: ") + p.program.history().shortenedPath(path));
    QVERIFY(p.platform.launches.isEmpty());
}

void TestMainWindow::startUpWithMissingFileOpensNothing()
{
    Program p(QStringLiteral("/no/such/file.twv"));
    QVERIFY(p.prompts.boxes.isEmpty());
    QCOMPARE(p.window().windowTitle(), QStringLiteral("Tallyweaver"));
    QCOMPARE(p.panel(1), QStringLiteral("ファイルは開かれていません"));
    QCOMPARE(p.panel(2), QStringLiteral("0Bytes"));
    QCOMPARE(p.panel(3), QStringLiteral("アイテム数:0"));
    // The empty recent-files menu shows its placeholder, disabled, and nothing else.
    QAction* first = p.action(QStringLiteral("actRecent1"));
    QCOMPARE(first->text(), QStringLiteral("履歴はありません"));
    QVERIFY(!first->isEnabled());
    QVERIFY(first->isVisible());
    QVERIFY(!p.action(QStringLiteral("actRecent2"))->isVisible());
    QCOMPARE(p.program.history().compSize(), 45);
}

void TestMainWindow::startUpHandsFurtherFilesToNewInstance()
{
    Program p(QStringLiteral("/no/a.twv"),
              {QStringLiteral("/logs/b.twv"), QStringLiteral("/logs/c d.twv")});
    QCOMPARE(p.platform.launches.size(), 1);
    QVERIFY(p.platform.launches.first().program.isEmpty());
    QCOMPARE(p.platform.launches.first().arguments,
             (QStringList{QStringLiteral("/logs/b.twv"), QStringLiteral("/logs/c d.twv")}));
}

void TestMainWindow::menuTree_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QKeySequence>("shortcut");
    const auto row = [](const char* name, const char* caption, QKeySequence key = {}) {
        QTest::newRow(name) << QString::fromUtf8(name) << QString::fromUtf8(caption) << key;
    };
    row("actOpen", "開く(&O)...", QKeySequence(QStringLiteral("Ctrl+O")));
    row("actAppend", "追加で開く(&U)...");
    row("actRecentFiles", "最近開いたファイル(&D)");
    row("actSaveAs", "名前を付けて保存(&A)...", QKeySequence(QStringLiteral("Ctrl+S")));
    row("actSaveCsv", "&CSV形式で保存...");
    row("actSaveReport", "レポート形式で保存(&R)...");
    row("actClose", "閉じる(&C)");
    row("actExit", "終了(&X)");
    row("actCut", "切り取り(&T)", QKeySequence(QStringLiteral("Ctrl+X")));
    row("actCopy", "コピー(&C)", QKeySequence(QStringLiteral("Ctrl+C")));
    row("actDelete", "削除(&D)", QKeySequence(QStringLiteral("Del")));
    row("actSelectAll", "すべて選択(&A)", QKeySequence(QStringLiteral("Ctrl+A")));
    row("actToolbar", "ツールバー(&T)");
    row("actStatusBar", "ステータスバー(&S)");
    row("actItemInfo", "アイテムの情報(&I)...", QKeySequence(QStringLiteral("Ctrl+I")));
    row("actOpenUrl", "&URLを開く");
    row("actPreferences", "設定(&P)...");
    row("actConvertLf", "&LF -> CRLF...");
    row("actRepairLog", "ログ修復(&L)");
    row("actBrowserStatistics", "ブラウザ統計(&B)...");
    row("actPlatformStatistics", "プラットフォーム統計(&P)...");
    row("actAccessStatistics", "アクセス状況統計(&A)...");
    row("actHostStatistics", "ホスト統計(&H)...");
    row("actSearch", "検索(&F)...", QKeySequence(QStringLiteral("Ctrl+F")));
    row("actFindNext", "次を検索(&N)", QKeySequence(QStringLiteral("F3")));
    row("actHelp", "ヘルプの参照(&H)...");
    row("actHomePages", "ホームページ(&H)");
    row("actVersion", "バージョン情報(&V)...");
    row("actProductPage", "&Tallyweaver紹介ページ");
}

void TestMainWindow::menuTree()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QKeySequence, shortcut);
    Program p;
    QAction* a = p.action(name);
    QVERIFY2(a, qPrintable(name));
    QCOMPARE(a->text(), caption);
    QCOMPARE(a->shortcut(), shortcut);

    // The bar holds exactly the five menus; the pop-up is not among them.
    const QList<QAction*> bar = p.window().menuBar()->actions();
    QCOMPARE(bar.size(), 5);
    const QStringList titles{QStringLiteral("ファイル(&F)"), QStringLiteral("編集(&E)"),
                             QStringLiteral("表示(&V)"), QStringLiteral("ツール(&T)"),
                             QStringLiteral("ヘルプ(&H)")};
    for (int i = 0; i < 5; ++i)
        QCOMPARE(bar.at(i)->text(), titles.at(i));
    QMenu* popup = p.window().popupMenu();
    QCOMPARE(popup->objectName(), QStringLiteral("mnuRMnu"));
    QCOMPARE(popup->defaultAction(), p.action(QStringLiteral("actItemInfo")));
}

void TestMainWindow::menuOrder()
{
    Program p;
    // Each menu's items by name, "-" for a separator line.
    const auto itemsOf = [](const QMenu* menu) {
        QStringList names;
        for (const QAction* a : menu->actions())
            names.append(a->isSeparator() ? QStringLiteral("-") : a->objectName());
        return names.join(u' ');
    };
    const QList<QAction*> bar = p.window().menuBar()->actions();
    const QStringList expected{
        u"actOpen actAppend actRecentFiles - actSaveAs actSaveCsv actSaveReport actSaveJsonLines "
        u"actSaveHtmlReport - actClose - actExit"_qs,
        u"actCut actCopy actDelete - actSelectAll"_qs,
        u"actToolbar actStatusBar actFilterBar actClearFilter - actItemInfo actOpenUrl actSkippedLines - actPreferences"_qs,
        u"actConvertLf actRepairLog - actBrowserStatistics actPlatformStatistics "
        u"actAccessStatistics actHostStatistics actVisitorStatistics - actSearch actFindNext"_qs,
        u"actHelp - actHomePages - actVersion"_qs};
    for (int i = 0; i < 5; ++i)
        QCOMPARE(itemsOf(bar.at(i)->menu()), expected.at(i));
    QCOMPARE(itemsOf(p.action(QStringLiteral("actHomePages"))->menu()),
             QStringLiteral("actProductPage actAuthorPage - actDownloadPage"));
    QCOMPARE(itemsOf(p.action(QStringLiteral("actVisitorStatistics"))->menu()),
             QStringLiteral("actVisitorAgents actVisitorOs actVisitorBots actVisitorPages "
                            "actVisitorStatus actVisitorDays actVisitorHours actVisitorReferrers"));

    // The pop-up shares the menus' actions; while it is open they read as the pop-up's items
    // and show no shortcut.
    QMenu* popup = p.window().popupMenu();
    QCOMPARE(itemsOf(popup),
             QStringLiteral("actCut actCopy actDelete - actSelectAll - actItemInfo actOpenUrl"));
    QStringList captions;
    bool shortcutShown = false;
    QTimer::singleShot(0, popup, [&] {
        for (const QAction* a : popup->actions()) {
            captions.append(a->text());
            shortcutShown |= !a->shortcut().isEmpty() && a->isShortcutVisibleInContextMenu();
        }
        popup->close();
    });
    emit p.window().listView()->popupRequested(QPoint(10, 10));
    QCOMPARE(captions, (QStringList{u"切り取り(&T)"_qs, u"コピー(&C)"_qs, u"削除(&D)"_qs, QString(),
                                    u"すべて選択(&A)"_qs, QString(), u"アイテムの情報(&I)"_qs,
                                    u"&URLを開く"_qs}));
    QVERIFY(!shortcutShown);
    QCOMPARE(p.action(QStringLiteral("actItemInfo"))->text(), u"アイテムの情報(&I)..."_qs);
}

void TestMainWindow::toolbarButtons()
{
    QTemporaryDir files;
    const QString a = listFile(files, QStringLiteral("a.twv"), {QStringLiteral("a")});
    const QString b = listFile(files, QStringLiteral("b.twv"), {QStringLiteral("b")});
    Program p(a);
    QToolBar* bar = p.window().toolBar();
    QCOMPARE(bar->objectName(), QStringLiteral("tbrMainToolBar"));
    QStringList keys, tips;
    for (QAction* action : bar->actions()) {
        keys.append(action->objectName());
        if (!action->isSeparator()) {
            tips.append(action->toolTip());
            QVERIFY(!action->icon().isNull());
            QVERIFY(!action->icon().pixmap(16, 16).isNull());
        }
    }
    QCOMPARE(keys,
             (QStringList{QStringLiteral("OPEN"), QStringLiteral("SAVE"), QStringLiteral("SEP1"),
                          QStringLiteral("CUT"), QStringLiteral("COPY"), QStringLiteral("DELETE"),
                          QStringLiteral("FIND"), QStringLiteral("ITEM"), QStringLiteral("SEP2"),
                          QStringLiteral("HELP")}));
    QCOMPARE(tips, (QStringList{QStringLiteral("開く"), QStringLiteral("名前を付けて保存"),
                                QStringLiteral("切り取り"), QStringLiteral("コピー"),
                                QStringLiteral("削除"), QStringLiteral("検索"),
                                QStringLiteral("アイテムの情報"), QStringLiteral("ヘルプの参照")}));

    // The OPEN drop-down lists the recent files; an entry opens its file.
    p.window().commands().openLogFile(b, OpenMode::Open);
    auto* open = qobject_cast<QToolButton*>(bar->widgetForAction(p.action(QStringLiteral("OPEN"))));
    QVERIFY(open && open->menu());
    QCOMPARE(open->popupMode(), QToolButton::MenuButtonPopup);
    emit open->menu()->aboutToShow();
    const QList<QAction*> entries = open->menu()->actions();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries.at(0)->text(), p.action(QStringLiteral("actRecent1"))->text());
    QVERIFY(entries.at(1)->text().startsWith(QStringLiteral("&2: ")));
    entries.at(1)->trigger();
    QCOMPARE(p.window().windowTitle(), QStringLiteral("Tallyweaver - [a.twv]"));

    // Toolbar buttons are never disabled, even when the Edit items are.
    p.window().commands().closeLog();
    emit p.window().findChild<QMenu*>(QStringLiteral("mnuEdit"))->aboutToShow();
    QVERIFY(!p.action(QStringLiteral("actCut"))->isEnabled());
    p.action(QStringLiteral("CUT"))->trigger();
    QCOMPARE(p.prompts.beeps, 2);
    QVERIFY(p.action(QStringLiteral("CUT"))->isEnabled());
}

void TestMainWindow::statusPanelsAndBands()
{
    Program p;
    QStatusBar* bar = p.window().statusBar();
    QCOMPARE(bar->objectName(), QStringLiteral("sbrMainStatusBar"));
    QCOMPARE(bar->findChild<QLabel*>(QStringLiteral("MSG"))->text(),
             QStringLiteral("ファイルは開かれていません"));
    auto* bytes = bar->findChild<QLabel*>(QStringLiteral("BYTE"));
    auto* items = bar->findChild<QLabel*>(QStringLiteral("ITEM"));
    QCOMPARE(bytes->width(), twipsToPixelsX(bytes, 1100));
    QCOMPARE(items->width(), twipsToPixelsX(items, 1740));
    QCOMPARE(p.window().toolbarBandHeight(), 360);
    QCOMPARE(p.window().statusBandHeight(), 255);

    // The View toggles hide the bars, let the list grow and are saved.
    QWidget* list = p.window().listView();
    const int top = list->geometry().top();
    const int height = list->height();
    p.action(QStringLiteral("actToolbar"))->trigger();
    QApplication::processEvents();
    QCOMPARE(p.program.settings().ShwTBar, 0);
    QCOMPARE(p.window().toolbarBandHeight(), 0);
    QVERIFY(!p.window().toolBar()->isVisible());
    QVERIFY(list->geometry().top() < top);
    p.action(QStringLiteral("actStatusBar"))->trigger();
    QApplication::processEvents();
    QCOMPARE(p.program.settings().ShwSBar, 0);
    QCOMPARE(p.window().statusBandHeight(), 0);
    QVERIFY(list->height() > height);
    p.action(QStringLiteral("actToolbar"))->trigger();
    QCOMPARE(p.program.settings().ShwTBar, 1);
    QVERIFY(p.window().toolBar()->isVisible());
}

void TestMainWindow::appearanceFollowsSettings()
{
    Program p;
    Settings& s = p.program.settings();
    // A first start: toolbar, status bar and full-row selection on, grid lines off.
    QVERIFY(p.action(QStringLiteral("actToolbar"))->isChecked());
    QVERIFY(p.window().listView()->fullRowSelect());
    QVERIFY(!p.window().listView()->showGrid());
    QCOMPARE(s.Font_Name, QStringLiteral("Noto Sans CJK JP"));
    QCOMPARE(s.Font_Size, 9);

    s.ShwTBar = 0;
    s.LGridView = 1;
    s.LLineValue = 0;
    s.LstFontBld = 1;
    s.Font_Size = 12;
    s.Font_Color = 255; // red
    p.window().applyAppearance();
    QVERIFY(!p.window().toolBar()->isVisible());
    QVERIFY(!p.action(QStringLiteral("actToolbar"))->isChecked());
    QVERIFY(p.window().listView()->showGrid());
    QVERIFY(!p.window().listView()->fullRowSelect());
    QVERIFY(p.window().listView()->font().bold());
    QCOMPARE(p.window().listView()->font().pointSize(), 12);
    QCOMPARE(p.window().listView()->palette().color(QPalette::Text), QColor(255, 0, 0));
}

void TestMainWindow::headersKeepTheListFontFromStart()
{
    // The program's own font, as the program sets it.
    const QFont appFont = QApplication::font();
    QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 9));
    const auto restore = qScopeGuard([&] { QApplication::setFont(appFont); });
    QTemporaryDir files;
    Program p(listFile(files, QStringLiteral("a.twv"), {QStringLiteral("a")}), {},
              test::settingsFileBytes("Width=9600\r\nHeight=7200\r\nC1_Width=1500\r\n"
                                      "C2_Width=1500\r\nC3_Width=1500\r\nC4_Width=1500\r\n"
                                      "C5_Width=1500\r\n",
                                      14));
    QHeaderView* header = p.window().listView()->horizontalHeader();
    QCOMPARE(header->font().pointSize(), 14);
    QCOMPARE(header->font().family(), QStringLiteral("Noto Sans CJK JP"));
    // As after applying the preferences.
    p.program.settings().Font_Size = 11;
    p.window().applyAppearance();
    QCOMPARE(header->font().pointSize(), 11);
}

void TestMainWindow::selectionHighlight_data()
{
    QTest::addColumn<int>("fullRow");
    QTest::newRow("full row") << 1;
    QTest::newRow("first column only") << 0;
}

void TestMainWindow::selectionHighlight()
{
    QFETCH(int, fullRow);
    QTemporaryDir files;
    Program p(listFile(files, QStringLiteral("a.twv"), {QStringLiteral("a"), QStringLiteral("b")}));
    p.program.settings().LLineValue = fullRow;
    p.window().applyAppearance();
    LogListView* view = p.window().listView();
    view->selectRow(0);
    const QImage image = view->viewport()->grab().toImage();
    const QColor highlight = view->palette().color(QPalette::Active, QPalette::Highlight);
    const QRect first = view->visualRect(p.window().model()->index(0, 0));
    const QRect ip = view->visualRect(p.window().model()->index(0, ColIP));
    // The focused row is shaded a little differently from the plain highlight.
    const auto highlighted = [&](int x, int y) {
        const QColor c = image.pixelColor(x, y);
        return std::abs(c.red() - highlight.red()) <= 4 &&
               std::abs(c.green() - highlight.green()) <= 4 &&
               std::abs(c.blue() - highlight.blue()) <= 4;
    };
    // The IP column is right-aligned, so its left edge is background or highlight.
    QCOMPARE(highlighted(ip.left() + 3, ip.center().y()), fullRow != 0);
    QVERIFY(highlighted(first.right() - 3, first.center().y()));
}

void TestMainWindow::iconsShowOnSelectedRows()
{
    QTemporaryDir files;
    Program p(listFile(files, QStringLiteral("a.twv"), {QStringLiteral("a"), QStringLiteral("b")}));
    QCOMPARE(p.window().logList().browserClass(0), BrowserClass::IE);
    LogListView* view = p.window().listView();
    view->selectRow(0);
    const QImage image = view->viewport()->grab().toImage();
    // Pixels of the icon whose lightness stands out from the row's own background, selected
    // or not: a blue drawing on a blue highlight does not.
    const auto standingOut = [&](int row, const QColor& background) {
        const QRect cell = view->visualRect(p.window().model()->index(row, 0));
        int count = 0;
        for (int x = cell.left(); x < cell.left() + view->iconSize().width() + 4; ++x) {
            for (int y = cell.top(); y <= cell.bottom(); ++y)
                count += std::abs(qGray(image.pixel(x, y)) - qGray(background.rgb())) > 60;
        }
        return count;
    };
    const int selected =
        standingOut(0, view->palette().color(QPalette::Active, QPalette::Highlight));
    const int plain = standingOut(1, view->palette().color(QPalette::Base));
    // Drowned in the highlight, none would.
    QVERIFY2(selected * 3 >= plain,
             qPrintable(QStringLiteral("%1 of %2").arg(selected).arg(plain)));
}

void TestMainWindow::columnWidthsComeFromTwips()
{
    QTemporaryDir files;
    QList<QStringList> rows = records({QStringLiteral("a")});
    rows[0][ColIP] = QStringLiteral("255.255.255.255");
    rows[0][ColDateTime] = QStringLiteral("2001/12/31 23:59:58");
    Program p(test::listFileOfRows(files, QStringLiteral("a.twv"), rows));
    // A first start gives the columns their shares of the window's inner width, but address
    // and date-time as wide as they need to show whole; the others give way.
    const auto widths = p.window().columnWidths();
    const double inner = p.window().innerWidth();
    const QAbstractItemView* view = p.window().listView();
    for (int column : {ColIP, ColDateTime})
        QVERIFY2(p.window().listView()->horizontalHeader()->sectionSize(column) >=
                     view->sizeHintForColumn(column),
                 qPrintable(QString::number(column)));
    QVERIFY(std::abs(std::accumulate(widths.begin(), widths.end(), 0.0) - inner) <= 30);
    QVERIFY(widths[0] <= inner * 0.21);
    QVERIFY(widths[4] >= inner * 0.12);

    p.program.settings().ColumnWidths = {1440, 2880, 720, 1500, 3000};
    p.window().setUpList();
    QHeaderView* header = p.window().listView()->horizontalHeader();
    const int dpi = header->logicalDpiX();
    QCOMPARE(header->sectionSize(0), dpi);
    QCOMPARE(header->sectionSize(1), 2 * dpi);
    QCOMPARE(header->sectionSize(2), dpi / 2);
    QCOMPARE(p.window().columnWidths()[1], 2880.0);
}

void TestMainWindow::hostileSettingsAreKeptWithinTheScreen()
{
    const QByteArray ini = test::settingsFileBytes(
        "Width=2147483647\r\nHeight=2147483647\r\nC1_Width=2147483647\r\n"
        "C2_Width=-2147483648\r\nC3_Width=1000\r\nC4_Width=1000\r\nC5_Width=1000\r\n",
        32767);
    Program p({}, {}, ini);
    const QRect available = p.window().screen()->availableGeometry();
    QVERIFY(p.window().width() <= available.width());
    QVERIFY(p.window().height() <= available.height());
    QVERIFY(p.window().geometry().intersects(available));
    QHeaderView* header = p.window().listView()->horizontalHeader();
    QVERIFY(header->sectionSize(0) <= available.width());
    QCOMPARE(header->sectionSize(1), 0);
    QCOMPARE(p.window().listView()->font().pointSize(), 72);
    // Rows stay visible: about one line of the list font each.
    QVERIFY(p.window().listView()->verticalHeader()->defaultSectionSize() < 200);
    // The file keeps what it holds until the settings are saved.
    QCOMPARE(p.program.settings().Font_Size, 32767);
    QCOMPARE(test::readBytes(p.settingsPath()), ini);
}

void TestMainWindow::headerClickSortsWithMarkers()
{
    QTemporaryDir files;
    Program p(listFile(files, QStringLiteral("a.twv"),
                       {QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("a")}));
    QHeaderView* header = p.window().listView()->horizontalHeader();
    const auto click = [&](int section) {
        const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    };
    const auto caption = [&](int section) {
        return p.window().model()->headerData(section, Qt::Horizontal).toString();
    };
    click(ColHost);
    QCOMPARE(caption(ColHost), QStringLiteral("ホスト(昇)"));
    QCOMPARE(hostColumn(p.window().model()),
             (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    click(ColHost);
    QCOMPARE(caption(ColHost), QStringLiteral("ホスト(降)"));
    QCOMPARE(hostColumn(p.window().model()),
             (QStringList{QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")}));
    click(ColIP);
    QCOMPARE(caption(ColIP), QStringLiteral("IP(昇)"));
    QCOMPARE(caption(ColHost), QStringLiteral("ホスト"));
    QVERIFY(p.window().commands().hasCurrentItem()); // sorting keeps the current item
    p.window().commands().closeLog();
    QCOMPARE(caption(ColIP), QStringLiteral("IP"));
}

void TestMainWindow::editMenuEnabling()
{
    QTemporaryDir files;
    const QString a = listFile(files, QStringLiteral("a.twv"), {QStringLiteral("a")});
    Program p;
    QMenu* edit = p.window().findChild<QMenu*>(QStringLiteral("mnuEdit"));
    const QStringList items{QStringLiteral("actCut"), QStringLiteral("actCopy"),
                            QStringLiteral("actDelete"), QStringLiteral("actSelectAll")};
    emit edit->aboutToShow();
    for (const QString& name : items)
        QVERIFY(!p.action(name)->isEnabled());
    // The state persists until the menu opens again.
    p.window().commands().openLogFile(a, OpenMode::Open);
    QVERIFY(!p.action(items.first())->isEnabled());
    emit edit->aboutToShow();
    for (const QString& name : items)
        QVERIFY(p.action(name)->isEnabled());
}

void TestMainWindow::popupEnabling_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("url");
    QTest::newRow("web page") << QStringLiteral("http://example.com/") << true;
    QTest::newRow("hyphen") << QStringLiteral("-") << false;
    QTest::newRow("substring") << QStringLiteral("xhttpx") << true;
}

void TestMainWindow::popupEnabling()
{
    QFETCH(QString, page);
    QFETCH(bool, url);
    QTemporaryDir files;
    QList<QStringList> rows = records({QStringLiteral("a")});
    rows[0][4] = page;
    const QString path = files.filePath(QStringLiteral("a.twv"));
    test::writeBytes(path, test::listFileBytes(rows));
    Program p;
    QMenu* popup = p.window().popupMenu();
    LogListView* view = p.window().listView();
    QList<bool> states;
    const auto inspectThenClose = [&] {
        QTimer::singleShot(0, popup, [&] {
            states.clear();
            for (int i : {0, 1, 2, 4, 6, 7})
                states.append(popup->actions().at(i)->isEnabled());
            popup->close();
        });
    };

    inspectThenClose();
    emit view->popupRequested(QPoint(10, 10)); // an empty list: all disabled
    QCOMPARE(states, QList<bool>(6, false));
    // The actions it shares get back the state of the menus' last opening, which the
    // shortcuts follow.
    for (const char* name : {"actCut", "actSelectAll", "actItemInfo", "actOpenUrl"})
        QVERIFY2(p.action(QString::fromLatin1(name))->isEnabled(), name);

    p.window().commands().openLogFile(path, OpenMode::Open);
    inspectThenClose();
    QTest::keyClick(view, Qt::Key_Menu);
    QCOMPARE(states, (QList<bool>{true, true, true, true, true, url}));

    // With Shift held the context-menu key does nothing.
    states.clear();
    bool shown = false;
    connect(popup, &QMenu::aboutToShow, popup, [&] { shown = true; });
    QTimer::singleShot(0, popup, [&] { popup->close(); });
    QTest::keyClick(view, Qt::Key_Menu, Qt::ShiftModifier);
    QVERIFY(!shown);
}

void TestMainWindow::listKeys()
{
    QTemporaryDir files;
    QList<QStringList> rows = records({QStringLiteral("a"), QStringLiteral("b")});
    rows[1][4] = QStringLiteral("-");
    const QString path = files.filePath(QStringLiteral("a.twv"));
    test::writeBytes(path, test::listFileBytes(rows));
    Program p(path);
    LogListView* view = p.window().listView();
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(p.platform.urls, QStringList{QStringLiteral("http://example.com/a")});
    // A previous page that is not a web address is not handed on: only a beep.
    view->setCurrentIndex(p.window().model()->index(1, 0));
    QTest::keyClick(view, Qt::Key_Enter);
    QCOMPARE(p.platform.urls.size(), 1);
    QCOMPARE(p.prompts.beeps, 1);
    const QRect cell = view->visualRect(p.window().model()->index(0, 1));
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(p.platform.urls.size(), 2);
}

void TestMainWindow::homeAndEndGoToFirstAndLastRow()
{
    QTemporaryDir files;
    Program p(listFile(
        files, QStringLiteral("a.twv"),
        {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
    LogListView* view = p.window().listView();
    view->horizontalHeader()->resizeSection(0, 3000); // room to scroll sideways
    p.window().setSelection({1}, 1);
    const int scrolled = view->horizontalScrollBar()->value();
    QTest::keyClick(view, Qt::Key_End);
    QCOMPARE(p.window().currentRow(), 3);
    QCOMPARE(p.window().selectedRows(), QList<qsizetype>{3});
    QCOMPARE(view->horizontalScrollBar()->value(), scrolled);
    QTest::keyClick(view, Qt::Key_Home, Qt::ShiftModifier);
    QCOMPARE(p.window().currentRow(), 0);
    QCOMPARE(p.window().selectedRows(), (QList<qsizetype>{0, 1, 2, 3}));
    QTest::keyClick(view, Qt::Key_End);
    QTest::keyClick(view, Qt::Key_Home);
    QCOMPARE(p.window().selectedRows(), QList<qsizetype>{0});
}

void TestMainWindow::deleteAndCopyThroughTheWindow()
{
    QTemporaryDir files;
    Program p(listFile(files, QStringLiteral("a.twv"),
                       {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                        QStringLiteral("4"), QStringLiteral("5")}));
    QAbstractItemModelTester tester(p.window().model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    LogListView* view = p.window().listView();
    QItemSelectionModel* selection = view->selectionModel();
    selection->clearSelection();
    for (int r : {1, 2, 4})
        selection->select(p.window().model()->index(r, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection->setCurrentIndex(p.window().model()->index(4, 0), QItemSelectionModel::NoUpdate);

    p.action(QStringLiteral("actCopy"))->trigger();
    QCOMPARE(p.platform.clipboard.count(QStringLiteral("\r\n")), 15);
    QVERIFY(p.platform.clipboard.startsWith(QStringLiteral("ブラウザ:")));

    p.action(QStringLiteral("actDelete"))->trigger();
    QCOMPARE(hostColumn(p.window().model()),
             (QStringList{QStringLiteral("1"), QStringLiteral("4")}));
    QCOMPARE(p.panel(3), QStringLiteral("アイテム数:2"));
    QVERIFY(view->updatesEnabled());
    QVERIFY(!QGuiApplication::overrideCursor());

    p.action(QStringLiteral("actSelectAll"))->trigger();
    QCOMPARE(selection->selectedRows().size(), 2);
    QCOMPARE(view->currentIndex().row(), 0);
}

void TestMainWindow::recentFileThatVanishedLeavesMenus()
{
    QTemporaryDir files;
    const QString a = listFile(files, QStringLiteral("a.twv"), {QStringLiteral("a")});
    const QString b = listFile(files, QStringLiteral("b.twv"), {QStringLiteral("b")});
    Program p(a);
    p.window().commands().openLogFile(b, OpenMode::Open);
    QVERIFY(p.action(QStringLiteral("actRecent2"))->isVisible());
    QVERIFY(QFile::remove(a));
    p.action(QStringLiteral("actRecent2"))->trigger();
    QCOMPARE(p.prompts.boxes.size(), 1);
    QCOMPARE(p.prompts.boxes.first().text,
             QStringLiteral("ファイルが見つかりません。ファイルが削除された可能性があります。"));
    QVERIFY(!p.action(QStringLiteral("actRecent2"))->isVisible());
    auto* open = qobject_cast<QToolButton*>(
        p.window().toolBar()->widgetForAction(p.action(QStringLiteral("OPEN"))));
    emit open->menu()->aboutToShow();
    QCOMPARE(open->menu()->actions().size(), 1);
}

void TestMainWindow::closeSavesSettings()
{
    QTemporaryDir files;
    const QString a = listFile(files, QStringLiteral("a.twv"), {QStringLiteral("a")});
    QString settingsPath;
    QTemporaryDir keep;
    {
        Program p(a);
        QSignalSpy closed(&p.window(), &MainWindow::closed);
        p.window().listView()->horizontalHeader()->resizeSection(1, 144);
        p.action(QStringLiteral("actExit"))->trigger();
        QCOMPARE(closed.size(), 1);
        QVERIFY(!p.window().isVisible());
        QVERIFY(p.prompts.boxes.isEmpty());
        QFile::copy(p.settingsPath(), keep.filePath(QStringLiteral("TALLYWVR.INI")));
    }
    const QByteArray saved = test::readBytes(keep.filePath(QStringLiteral("TALLYWVR.INI")));
    QVERIFY(saved.contains("HIS1=" + a.toUtf8() + "\r\n"));
    QVERIFY(saved.contains("StatusValues=11\r\n"));
    const int dpi = QApplication::primaryScreen() ? QWidget().logicalDpiX() : 96;
    QVERIFY(saved.contains("C2_Width=" + QByteArray::number(qRound(144 * 1440.0 / dpi)) + "\r\n"));
}

void TestMainWindow::failedSettingsSaveIsReported()
{
    Program p;
    // The settings folder becomes a plain file: nothing can be written there any more.
    QDir(p.dir.filePath(QStringLiteral("conf"))).removeRecursively();
    QVERIFY(test::writeBytes(p.dir.filePath(QStringLiteral("conf")), "x"));
    p.window().close();
    QCOMPARE(p.prompts.boxes.size(), 1);
    QCOMPARE(p.prompts.boxes.first().caption, QStringLiteral("エラー"));
    QCOMPARE(p.prompts.boxes.first().text, QStringLiteral("設定が保存されませんでした。"));
    QCOMPARE(p.prompts.boxes.first().icon, MessageIcon::Warning);
    QVERIFY(!p.window().isVisible()); // the close is never cancelled
}

void TestMainWindow::modelPassesTester()
{
    QTemporaryDir files;
    const QString a = listFile(files, QStringLiteral("a.twv"),
                               {QStringLiteral("d"), QStringLiteral("b"), QStringLiteral("c")});
    const QString b =
        listFile(files, QStringLiteral("b.twv"), {QStringLiteral("a"), QStringLiteral("e")});
    Program p;
    QAbstractItemModelTester tester(p.window().model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    MainCommands& c = p.window().commands();
    QVERIFY(c.openLogFile(a, OpenMode::Open));
    QVERIFY(c.openLogFile(b, OpenMode::Append));
    QCOMPARE(p.window().model()->rowCount(), 5);
    const QModelIndex ip = p.window().model()->index(0, ColIP);
    QCOMPARE(ip.data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::AlignRight | Qt::AlignVCenter);
    QVERIFY(!p.window().model()->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    QVERIFY(!p.window().model()->index(0, 1).data(Qt::DecorationRole).isValid());
    c.sortByHeader(ColHost);
    QVERIFY(c.openLogFile(b, OpenMode::Append)); // appended into a sorted list
    QCOMPARE(hostColumn(p.window().model()).first(), QStringLiteral("a"));
    p.window().selectAllRows(0);
    c.deleteSelected();
    QCOMPARE(p.window().model()->rowCount(), 0);
    QVERIFY(c.openLogFile(a, OpenMode::Open));
    c.closeLog();
    QCOMPARE(p.window().model()->rowCount(), 0);
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
