#include "analysis/ui/item_info_dialog.h"
#include "analysis/ui/search_dialog.h"
#include "analysis/ui/statistics_dialog.h"
#include "core/url_open.h"
#include "mainwindow/ui/frm_version.h"
#include "mainwindow/ui/log_list_model.h"
#include "mainwindow/ui/log_list_view.h"
#include "mainwindow/ui/program_rig.h"
#include "settings/ui/preferences_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace tw;
using namespace Qt::StringLiterals;
using test::listFile;
using test::listFileOfRows;
using test::Program;

namespace {

// Runs `inspect` on the modal dialog of type T once it is shown, then lets it finish.
template <typename T, typename Inspect> void whenModal(Inspect inspect)
{
    QTimer::singleShot(0, qApp, [inspect] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        QVERIFY2(dialog, "the expected modal dialog is not shown");
        inspect(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
}

template <typename T> QList<T*> dialogsOf(MainWindow& window)
{
    return window.findChildren<T*>(QString(), Qt::FindDirectChildrenOnly);
}

void selectRows(MainWindow& window, const QList<qsizetype>& rows, qsizetype current)
{
    window.setSelection(rows, current);
}

} // namespace

class TestMainWindowCommands : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void statisticsOpenNewDialogs();
    void fileToolsAskForTheirFiles();
    void findNextBeforeAnySearchBeeps();
    void searchReusesOneDialog();
    void searchMatchHandsTheKeysToTheList();
    void searchHistoryReachesSettingsAtClose();
    void itemInformation_data();
    void itemInformation();
    void preferencesApplyPlatformStrings();
    void helpAndHomePages();
    void versionDialogIsModal();

private:
    QTemporaryDir m_xdg;
};

void TestMainWindowCommands::initTestCase()
{
    // The preferences write the desktop's association files: keep them out of the home folder.
    qputenv("XDG_DATA_HOME", m_xdg.filePath(u"data"_s).toUtf8());
    qputenv("XDG_CONFIG_HOME", m_xdg.filePath(u"config"_s).toUtf8());
}

void TestMainWindowCommands::statisticsOpenNewDialogs()
{
    QTemporaryDir files;
    Program p(listFile(files, u"a.twv"_s, {u"a"_s, u"b"_s}));
    p.action(u"actBrowserStatistics"_s)->trigger();
    p.action(u"actBrowserStatistics"_s)->trigger();
    QList<StatisticsDialog*> dialogs = dialogsOf<StatisticsDialog>(p.window());
    QCOMPARE(dialogs.size(), 2);
    QVERIFY(dialogs.at(0) != dialogs.at(1));
    for (StatisticsDialog* d : dialogs) {
        QCOMPARE(d->page(), StatisticsPage::Browser);
        QVERIFY(d->isVisible());
        QVERIFY(!d->isModal());
    }
    // The newest one is kept.
    QCOMPARE(p.window().statisticsDialog(StatisticsPage::Browser), dialogs.at(1));

    const std::array<StatisticsPage, 3> pages = {StatisticsPage::Platform, StatisticsPage::Access,
                                                 StatisticsPage::Host};
    const std::array<QString, 3> commands = {u"actPlatformStatistics"_s, u"actAccessStatistics"_s,
                                             u"actHostStatistics"_s};
    for (std::size_t k = 0; k < pages.size(); ++k) {
        p.action(commands[k])->trigger();
        StatisticsDialog* d = p.window().statisticsDialog(pages[k]);
        QVERIFY(d);
        QCOMPARE(d->page(), pages[k]);
    }
    QCOMPARE(dialogsOf<StatisticsDialog>(p.window()).size(), 5);

    // A closed dialog is gone; the kept reference does not dangle.
    StatisticsDialog* browser = p.window().statisticsDialog(StatisticsPage::Browser);
    browser->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!p.window().statisticsDialog(StatisticsPage::Browser));
    QVERIFY(p.prompts.boxes.isEmpty());
}

void TestMainWindowCommands::fileToolsAskForTheirFiles()
{
    QTemporaryDir files;
    const QString unix = files.filePath(u"unix.twv"_s);
    QVERIFY(test::writeBytes(unix, "line 1\nline 2\n"));
    Program p;
    p.prompts.fileNames.enqueue(unix);
    p.action(u"actConvertLf"_s)->trigger();
    QCOMPARE(p.prompts.dialogs.size(), 1);
    QCOMPARE(test::readBytes(files.filePath(u"crlf_unix.twv"_s)),
             QByteArray("line 1\r\nline 2\r\n\r\n"));
    QCOMPARE(p.prompts.boxes.size(), 1);
    QCOMPARE(p.prompts.boxes.last().icon, MessageIcon::Information);

    // The repair first warns; cancelling there asks for no file.
    p.prompts.answers.enqueue(MessageAnswer::Cancel);
    p.action(u"actRepairLog"_s)->trigger();
    QCOMPARE(p.prompts.boxes.size(), 2);
    QCOMPARE(p.prompts.boxes.last().buttons, MessageButtons::OkCancel);
    QCOMPARE(p.prompts.dialogs.size(), 1);
    p.prompts.answers.enqueue(MessageAnswer::Ok); // then the file dialog is cancelled
    p.action(u"actRepairLog"_s)->trigger();
    QCOMPARE(p.prompts.dialogs.size(), 2);
}

void TestMainWindowCommands::findNextBeforeAnySearchBeeps()
{
    QTemporaryDir files;
    Program p(listFile(files, u"a.twv"_s, {u"a"_s, u"b"_s}));
    selectRows(p.window(), {1}, 1);
    p.action(u"actFindNext"_s)->trigger();
    QCOMPARE(p.prompts.beeps, 1);
    QVERIFY(p.prompts.boxes.isEmpty());
    QCOMPARE(p.window().selectedRows(), QList<qsizetype>{1});
    QCOMPARE(p.window().currentRow(), 1);
}

void TestMainWindowCommands::searchReusesOneDialog()
{
    QTemporaryDir files;
    Program p(listFile(files, u"a.twv"_s, {u"host1"_s, u"other"_s, u"host2"_s}));
    p.action(u"FIND"_s)->trigger();
    SearchDialog* dialog = p.window().searchDialog();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->isModal());

    // A new search from the dialog, then find next from the menu: they share one state.
    selectRows(p.window(), {}, -1);
    auto* text = dialog->findChild<QComboBox*>(u"cmbSrchHist"_s);
    text->setEditText(u"HOST"_s);
    dialog->findChildren<QPushButton*>(u"cmdSearch"_s).at(0)->click();
    QCOMPARE(p.window().selectedRows(), QList<qsizetype>{0});
    QCOMPARE(p.window().currentRow(), 0);
    p.action(u"actFindNext"_s)->trigger();
    QCOMPARE(p.window().selectedRows(), QList<qsizetype>{2});
    QCOMPARE(p.window().currentRow(), 2);

    // Shown again after being closed: the same dialog, with the history it had.
    dialog->reject();
    QVERIFY(!dialog->isVisible());
    p.action(u"actSearch"_s)->trigger();
    QCOMPARE(p.window().searchDialog(), dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->history(), QStringList{u"HOST"_s});
    QCOMPARE(p.window().findChildren<SearchDialog*>().size(), 1);
}

void TestMainWindowCommands::searchMatchHandsTheKeysToTheList()
{
    QTemporaryDir files;
    Program p(listFile(files, u"a.twv"_s, {u"a"_s, u"host1"_s, u"b"_s, u"host2"_s}));
    QVERIFY(QTest::qWaitForWindowActive(&p.window()));
    p.action(u"actSearch"_s)->trigger();
    SearchDialog* dialog = p.window().searchDialog();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    auto* text = dialog->findChild<QComboBox*>(u"cmbSrchHist"_s);
    text->setEditText(u"host"_s);
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(p.window().currentRow(), 1);
    QTRY_COMPARE(QApplication::activeWindow(), &p.window());
    QCOMPARE(QApplication::focusWidget(), p.window().listView());
    QVERIFY(dialog->isVisible());

    // Keys typed now go to the list: F3 finds the next match, Down moves on from it.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
    QCOMPARE(p.window().currentRow(), 3);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QCOMPARE(p.window().currentRow(), 2);
}

void TestMainWindowCommands::searchHistoryReachesSettingsAtClose()
{
    QTemporaryDir files;
    Program p(listFile(files, u"a.twv"_s, {u"a"_s}));
    p.action(u"actSearch"_s)->trigger();
    SearchDialog* dialog = p.window().searchDialog();
    dialog->findChild<QComboBox*>(u"cmbSrchHist"_s)->setEditText(u"検索語"_s);
    dialog->findChild<QCheckBox*>(u"chkBSString"_s)->setChecked(true);
    dialog->findChildren<QPushButton*>(u"cmdSearch"_s).at(0)->click();
    // Left open when the program ends.
    QVERIFY(dialog->isVisible());
    p.window().close();
    QVERIFY(!dialog->isVisible());
    const QByteArray saved = test::readBytes(p.settingsPath());
    QVERIFY2(saved.contains("SearchHistory0=" + test::sjis("検索語") + "\r\n"), saved.constData());
    QCOMPARE(p.program.settings().SearchMatchCase, 1);
}

void TestMainWindowCommands::itemInformation_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("throughPopup");
    QTest::newRow("View menu") << u"actItemInfo"_s << false;
    QTest::newRow("pop-up") << u"actItemInfo"_s << true;
    QTest::newRow("toolbar") << u"ITEM"_s << false;
}

void TestMainWindowCommands::itemInformation()
{
    QFETCH(QString, command);
    QFETCH(bool, throughPopup);
    QTemporaryDir files;
    Program p(listFile(files, u"a.twv"_s, {u"a"_s, u"b"_s, u"c"_s, u"d"_s}));
    const auto run = [&] {
        if (!throughPopup) {
            p.action(command)->trigger();
            return;
        }
        QMenu* popup = p.window().popupMenu();
        QTimer::singleShot(0, popup, [&, popup] {
            p.action(command)->trigger();
            popup->close();
        });
        emit p.window().listView()->popupRequested(QPoint(10, 10));
    };

    // Without a current item the pop-up's item is disabled; the others beep.
    selectRows(p.window(), {}, -1);
    run();
    QCOMPARE(p.prompts.beeps, throughPopup ? 0 : 1);
    QVERIFY(dialogsOf<ItemInfoDialog>(p.window()).isEmpty());

    // Two selected rows, the current one elsewhere: one dialog each, in list order.
    selectRows(p.window(), {1, 3}, 0);
    run();
    const QList<ItemInfoDialog*> dialogs = dialogsOf<ItemInfoDialog>(p.window());
    QCOMPARE(dialogs.size(), 2);
    QCOMPARE(dialogs.at(0)->item(), p.window().logList().record(1));
    QCOMPARE(dialogs.at(1)->item(), p.window().logList().record(3));
    for (ItemInfoDialog* d : dialogs) {
        QVERIFY(d->isVisible());
        QVERIFY(!d->isModal());
    }
    QCOMPARE(p.prompts.beeps, throughPopup ? 0 : 1);
}

void TestMainWindowCommands::preferencesApplyPlatformStrings()
{
    QTemporaryDir files;
    const QString a = listFile(files, u"a.twv"_s, {u"a"_s});
    Program p(a);
    const auto win98 = std::size_t(PlatformClass::Win98);
    const auto user1 = std::size_t(PlatformClass::User1);
    QCOMPARE(p.window().logList().platformTally()[win98], 1);

    bool shown = false;
    whenModal<PreferencesDialog>([&](PreferencesDialog* dialog) {
        shown = true;
        QCOMPARE(dialog->parentWidget(), &p.window());
        dialog->findChild<QLineEdit*>(u"txtPFUserAdd(0)"_s)->setText(u"MSIE"_s);
        dialog->buttonClicked(0);
    });
    p.action(u"actPreferences"_s)->trigger();
    QVERIFY(shown);
    QCOMPARE(p.program.settings().Pratform[0], u"MSIE"_s);
    QCOMPARE(p.window().logList().userPlatforms(), UserPlatforms({u"MSIE"_s, {}, {}}));

    // Rows added now count with the new string; the earlier row keeps its class.
    QVERIFY(p.window().commands().openLogFile(a, OpenMode::Append));
    QCOMPARE(p.window().logList().platformTally()[win98], 1);
    QCOMPARE(p.window().logList().platformTally()[user1], 1);

    // Cancel changes nothing.
    whenModal<PreferencesDialog>([](PreferencesDialog* dialog) {
        dialog->findChild<QLineEdit*>(u"txtPFUserAdd(0)"_s)->setText(u"X11"_s);
        dialog->buttonClicked(1);
    });
    p.action(u"actPreferences"_s)->trigger();
    QCOMPARE(p.window().logList().userPlatforms(), UserPlatforms({u"MSIE"_s, {}, {}}));
}

void TestMainWindowCommands::helpAndHomePages()
{
    QTemporaryDir exe;
    QVERIFY(test::writeBytes(exe.filePath(u"help.html"_s), "<html></html>"));
    Program p;
    p.platform.exeFolder = exe.path();
    p.action(u"actHelp"_s)->trigger();
    p.action(u"HELP"_s)->trigger();
    const QString help = QUrl::fromLocalFile(exe.filePath(u"help.html"_s)).toString();
    QCOMPARE(p.platform.urls, (QStringList{help, help}));
    QCOMPARE(helpPageUrl(exe.path()), help);

    p.platform.urls.clear();
    for (const QString& page : {u"actProductPage"_s, u"actAuthorPage"_s, u"actDownloadPage"_s})
        p.action(page)->trigger();
    QCOMPARE(p.platform.urls,
             (QStringList{u"https://tallyweaver.example.org/"_s, u"https://author.example.org/"_s,
                          u"https://download.example.org/tallyweaver/"_s}));

    // With a browser configured the pages go to it, as one argument each.
    p.program.settings().UrlOMode = 1;
    p.program.settings().BrowserPath = u"/usr/bin/some-browser"_s;
    p.action(u"actAuthorPage"_s)->trigger();
    QCOMPARE(p.platform.launches.size(), 1);
    QCOMPARE(p.platform.launches.first().program, u"/usr/bin/some-browser"_s);
    QCOMPARE(p.platform.launches.first().arguments, QStringList{u"https://author.example.org/"_s});
}

void TestMainWindowCommands::versionDialogIsModal()
{
    Program p;
    bool shown = false;
    whenModal<VersionDialog>([&](VersionDialog* dialog) {
        shown = true;
        QCOMPARE(dialog->parentWidget(), &p.window());
        QCOMPARE(dialog->objectName(), u"frmVersion"_s);
    });
    p.action(u"actVersion"_s)->trigger();
    QVERIFY(shown);
    QVERIFY(dialogsOf<VersionDialog>(p.window()).isEmpty());
}

QTEST_MAIN(TestMainWindowCommands)
#include "tst_main_window_commands.moc"
