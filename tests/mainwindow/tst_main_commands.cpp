#include "core/clock.h"
#include "core/log_repair.h"
#include "fake_main_view.h"
#include "mainwindow/main_commands.h"
#include "settings/menu_history.h"
#include "settings/settings.h"
#include "support/recording_platform.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"
#include "support/web_logs.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <new>
#include <stdexcept>

using namespace tw;
using namespace Qt::StringLiterals;

namespace {

// The command layer with recording stand-ins for everything around it.
struct Rig {
    Rig()
        : clock(QDateTime(QDate(2001, 12, 3), QTime(9, 5))),
          commands(list, view, prompts, platform, history, settings, clock)
    {
        for (int i = 0; i < 10; ++i)
            history.setMenu();
        view.countRows = [this] { return list.rowCount(); };
        platform.temp = dir.path();
    }

    QString file(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        test::writeBytes(path, bytes);
        return path;
    }
    QString listFile(const QString& name, const QList<QStringList>& records)
    {
        return file(name, test::listFileBytes(records));
    }
    QStringList column(int col) const
    {
        QStringList texts;
        for (qsizetype r = 0; r < list.rowCount(); ++r)
            texts.append(list.text(r, col));
        return texts;
    }

    QTemporaryDir dir;
    LogList list;
    test::FakeMainView view;
    test::ScriptedPrompts prompts;
    test::RecordingPlatform platform;
    MenuHistory history;
    Settings settings;
    FixedClock clock;
    MainCommands commands;
};

QList<QStringList> records(const QStringList& hosts)
{
    QList<QStringList> out;
    for (const QString& h : hosts)
        out.append({QStringLiteral("Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)"), h,
                    QStringLiteral("10.0.0.1"), QStringLiteral("2001/12/03 09:05:00"),
                    QStringLiteral("http://example.com/") + h});
    return out;
}

const QString kBoxA = QStringLiteral("指定されたファイルはTallyweaverで読み込めるファイルでは無いか"
                                     "壊れている可能性があります。\r\nログ修復を行いますか？");
const QString kBoxB =
    QStringLiteral("ファイルの読み込み中にエラーが発生しました。\r\nログ修復を行いますか？");

} // namespace

class TestMainCommands : public QObject {
    Q_OBJECT

private slots:
    void openShowsFileInTitleAndPanels();
    void openMissingFileIsSilent();
    void unreadableFileOffersRepair_data();
    void unreadableFileOffersRepair();
    void repairThenReopensInOpenMode();
    void repairResultMessages_data();
    void repairResultMessages();
    void closeLogRestoresNoFileState();
    void appendOnEmptyListOpens();
    void appendWhileSortedResorts();
    void cancelledAppendKeepsSortedMode();
    void appendTakesSeveralFilesInOrder();
    void skippedLinesOfEveryChosenFileAreKept();
    void sortMarkers();
    void sortKeepsSelectionAndCurrent();
    void deleteSelectedRows();
    void copyThreeRows();
    void cutWithoutCurrentItemBeepsTwice();
    void editEnablingFollowsCurrentItem();
    void selectAll();
    void recentFileThatVanished();
    void recentFileOpens();
    void folderFromOutsideLeavesTheList();
    void saveCommands_data();
    void saveCommands();
    void htmlReportOfTheShownRows();
    void failedSaveIsReported();
    void reportDialogOffersDatedNameEveryTime();
    void dialogSharesLastChosenPath();
    void openUrlHandsOnlyWebAndMailAddresses_data();
    void openUrlHandsOnlyWebAndMailAddresses();
    void failedWorkIsReported_data();
    void failedWorkIsReported();
};

void TestMainCommands::openShowsFileInTitleAndPanels()
{
    Rig rig;
    const QString path = rig.listFile(QStringLiteral("access_log.twv"),
                                      records({QStringLiteral("a"), QStringLiteral("b")}));
    QVERIFY(rig.commands.openLogFile(path, OpenMode::Open));
    QCOMPARE(rig.list.rowCount(), 2);
    QCOMPARE(rig.view.title, QStringLiteral("Tallyweaver - [access_log.twv]"));
    QCOMPARE(rig.view.panels[0], path + QStringLiteral(" を開きました"));
    QCOMPARE(rig.view.panels[1], QStringLiteral("%1Bytes").arg(QFileInfo(path).size()));
    QCOMPARE(rig.view.panels[2], QStringLiteral("アイテム数:2"));
    QCOMPARE(rig.history.menuItem(1), path);
    QCOMPARE(rig.view.current, 0); // a freshly filled list has its first row current
    QVERIFY(rig.view.listVisible);
    QCOMPARE(rig.view.activations, 1);
    QVERIFY(rig.prompts.boxes.isEmpty());

    // A header-only file opens with no rows.
    const QString empty = rig.listFile(QStringLiteral("empty.twv"), {});
    QVERIFY(rig.commands.openLogFile(empty, OpenMode::Open));
    QCOMPARE(rig.view.panels[2], QStringLiteral("アイテム数:0"));
    QCOMPARE(rig.view.title, QStringLiteral("Tallyweaver - [empty.twv]"));
    QCOMPARE(rig.view.current, -1);
}

void TestMainCommands::openMissingFileIsSilent()
{
    Rig rig;
    const QString path = rig.listFile(QStringLiteral("a.twv"), records({QStringLiteral("a")}));
    QVERIFY(rig.commands.openLogFile(path, OpenMode::Open));
    QVERIFY(
        !rig.commands.openLogFile(rig.dir.filePath(QStringLiteral("gone.twv")), OpenMode::Open));
    QVERIFY(rig.prompts.boxes.isEmpty());
    // Open always closes first: the previous log is gone.
    QCOMPARE(rig.list.rowCount(), 0);
    QCOMPARE(rig.view.title, QStringLiteral("Tallyweaver"));
    QCOMPARE(rig.history.menuCount(), 1);
}

void TestMainCommands::unreadableFileOffersRepair_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("unknown layout") << QByteArray("hello\r\n") << kBoxA;
    QTest::newRow("lower-case header") << QByteArray("#tallyweaver_header\r\n") << kBoxA;
    QTest::newRow("empty file") << QByteArray() << kBoxB;
}

void TestMainCommands::unreadableFileOffersRepair()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    Rig rig;
    const QString path = rig.file(QStringLiteral("bad.log"), bytes);
    rig.prompts.answers.enqueue(MessageAnswer::No);
    QVERIFY(!rig.commands.openLogFile(path, OpenMode::Open));
    QCOMPARE(rig.prompts.boxes.size(), 1);
    const auto& box = rig.prompts.boxes.first();
    QCOMPARE(box.caption, QStringLiteral("エラー"));
    QCOMPARE(box.text, text);
    QCOMPARE(box.icon, MessageIcon::Warning);
    QCOMPARE(box.buttons, MessageButtons::YesNo);
    QCOMPARE(box.defaultAnswer, MessageAnswer::No);
    QCOMPARE(test::readBytes(path), bytes); // No repairs nothing
    QCOMPARE(rig.history.menuCount(), 0);
}

void TestMainCommands::repairThenReopensInOpenMode()
{
    Rig rig;
    const QString first = rig.listFile(QStringLiteral("first.twv"), records({QStringLiteral("x")}));
    QVERIFY(rig.commands.openLogFile(first, OpenMode::Open));

    // Records with bare LF line ends throughout, header included.
    QByteArray lf = test::listFileBytes(records({QStringLiteral("a"), QStringLiteral("b")}));
    lf.replace("\r\n", "\n");
    const QString path = rig.file(QStringLiteral("access_log"), lf);
    rig.prompts.answers.enqueue(MessageAnswer::Yes);
    QVERIFY(rig.commands.openLogFile(path, OpenMode::Append));
    QCOMPARE(rig.prompts.boxes.size(), 1);
    QCOMPARE(rig.prompts.boxes.first().text, kBoxA);
    // Re-read in Open mode: the earlier row is gone.
    QCOMPARE(rig.column(ColHost), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    QCOMPARE(rig.view.panels[0], path + QStringLiteral(" を開きました"));
    QVERIFY(QFile::exists(repairBackupPath(path)));
}

void TestMainCommands::repairResultMessages_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    QTest::addColumn<MessageIcon>("icon");
    const QString error = QStringLiteral("エラー");
    QTest::newRow("not a log") << int(RepairNotLogFile) << error
                               << QStringLiteral("Tallyweaver用のファイルではありません")
                               << MessageIcon::Warning;
    QTest::newRow("empty log") << int(RepairEmptyLog) << QStringLiteral("情報")
                               << QStringLiteral("ログが空です") << MessageIcon::Information;
    QTest::newRow("convert failed")
        << int(RepairConvertFailed) << error
        << QStringLiteral("異常終了しました。ログファイルの修正は行われませんでした")
        << MessageIcon::Warning;
    QTest::newRow("file access") << kErrPathFileAccess << error
                                 << QStringLiteral("ファイルが書き込めませんでした。")
                                 << MessageIcon::Warning;
    QTest::newRow("invalid argument")
        << kErrInvalidArgument << error << errorDescriptionJapanese(kErrInvalidArgument)
        << MessageIcon::Warning;
    QTest::newRow("overflow") << kErrOverflow << error << errorDescriptionJapanese(kErrOverflow)
                              << MessageIcon::Warning;
    QTest::newRow("log changed meanwhile")
        << kErrLogChanged << error
        << QStringLiteral("ログファイルが修正中に変更されました。修正は行われませんでした。")
        << MessageIcon::Warning;
}

void TestMainCommands::repairResultMessages()
{
    QFETCH(int, code);
    QFETCH(QString, caption);
    QFETCH(QString, text);
    QFETCH(MessageIcon, icon);
    Rig rig;
    QString repairedPath;
    rig.commands.opener().setRepairFunction([&](const QString& p) {
        repairedPath = p;
        return code;
    });
    const QString path = rig.file(QStringLiteral("bad.log"), "hello\r\n");
    rig.prompts.answers.enqueue(MessageAnswer::Yes);
    QVERIFY(!rig.commands.openLogFile(path, OpenMode::Open));
    QCOMPARE(repairedPath, path);
    QCOMPARE(rig.prompts.boxes.size(), 2);
    const auto& box = rig.prompts.boxes.at(1);
    QCOMPARE(box.caption, caption);
    QCOMPARE(box.text, text);
    QCOMPARE(box.icon, icon);
    QCOMPARE(box.buttons, MessageButtons::Ok);
    QVERIFY(!box.text.isEmpty());
}

void TestMainCommands::closeLogRestoresNoFileState()
{
    Rig rig;
    const QString path =
        rig.listFile(QStringLiteral("a.twv"), records({QStringLiteral("b"), QStringLiteral("a")}));
    QVERIFY(rig.commands.openLogFile(path, OpenMode::Open));
    rig.commands.sortByHeader(ColHost);
    rig.commands.closeLog();
    QCOMPARE(rig.list.rowCount(), 0);
    QVERIFY(!rig.list.isSorted());
    QCOMPARE(rig.list.headerCaption(ColHost), QStringLiteral("ホスト"));
    QCOMPARE(rig.list.browserTally()[0], 0);
    QCOMPARE(rig.view.title, QStringLiteral("Tallyweaver"));
    QCOMPARE(rig.view.panels[0], QStringLiteral("ファイルは開かれていません"));
    QCOMPARE(rig.view.panels[1], QStringLiteral("0Bytes"));
    QCOMPARE(rig.view.panels[2], QStringLiteral("アイテム数:0"));
    QCOMPARE(rig.history.menuCount(), 1); // recent files survive Close
}

void TestMainCommands::appendOnEmptyListOpens()
{
    Rig rig;
    const QString path = rig.listFile(QStringLiteral("a.twv"), records({QStringLiteral("a")}));
    rig.prompts.fileNames.enqueue(path);
    rig.commands.append();
    QCOMPARE(rig.list.rowCount(), 1);
    QCOMPARE(rig.view.panels[0], path + QStringLiteral(" を開きました"));
}

void TestMainCommands::appendWhileSortedResorts()
{
    Rig rig;
    const QString a =
        rig.listFile(QStringLiteral("a.twv"), records({QStringLiteral("m"), QStringLiteral("c")}));
    const QString b =
        rig.listFile(QStringLiteral("b.twv"), records({QStringLiteral("z"), QStringLiteral("a")}));
    QVERIFY(rig.commands.openLogFile(a, OpenMode::Open));
    rig.commands.sortByHeader(ColHost);
    rig.view.setSelection({1}, 1); // "m"
    rig.prompts.fileNames.enqueue(b);
    rig.commands.append();
    QVERIFY(rig.list.isSorted());
    QCOMPARE(rig.column(ColHost), (QStringList{QStringLiteral("a"), QStringLiteral("c"),
                                               QStringLiteral("m"), QStringLiteral("z")}));
    QCOMPARE(rig.list.headerCaption(ColHost), QStringLiteral("ホスト(昇)"));
    QCOMPARE(rig.list.browserTally()[0], 4);
    QCOMPARE(rig.view.panels[0], b + QStringLiteral(" を追加しました"));
    QCOMPARE(rig.view.panels[1], QStringLiteral("%1Bytes").arg(QFileInfo(b).size()));
    QCOMPARE(rig.view.panels[2], QStringLiteral("アイテム数:4"));
    QCOMPARE(rig.history.menuItem(1), b);
    // The selected row moved with its text.
    QCOMPARE(rig.view.current, 2);
    QCOMPARE(rig.view.selectedRows(), QList<qsizetype>{2});
}

void TestMainCommands::cancelledAppendKeepsSortedMode()
{
    Rig rig;
    const QString a =
        rig.listFile(QStringLiteral("a.twv"), records({QStringLiteral("m"), QStringLiteral("c")}));
    QVERIFY(rig.commands.openLogFile(a, OpenMode::Open));
    rig.commands.append(); // no file name queued: cancelled
    QVERIFY(!rig.list.isSorted());
    rig.commands.sortByHeader(ColHost);
    rig.commands.append();
    QVERIFY(rig.list.isSorted());
    QCOMPARE(rig.prompts.dialogs.size(), 2);
    QVERIFY(rig.prompts.boxes.isEmpty());
}

void TestMainCommands::appendTakesSeveralFilesInOrder()
{
    Rig rig;
    const QString a = rig.listFile(u"a.twv"_s, records({u"m"_s, u"c"_s}));
    const QString b = rig.listFile(u"b.twv"_s, records({u"z"_s}));
    QVERIFY(rig.commands.openLogFile(a, OpenMode::Open));
    rig.commands.sortByHeader(ColHost);
    // A file gone since it was chosen is passed over without a word; the rest are sorted in.
    rig.prompts.fileLists.enqueue({b, rig.dir.filePath(u"gone.twv"_s), a});
    rig.commands.append();
    QVERIFY(rig.prompts.dialogs.last().many);
    QVERIFY(rig.list.isSorted());
    QCOMPARE(rig.column(ColHost), (QStringList{u"c"_s, u"c"_s, u"m"_s, u"m"_s, u"z"_s}));
    QCOMPARE(rig.view.panels[0], a + u" を追加しました"_s);
    QCOMPARE(rig.history.menuItem(1), a);
    QCOMPARE(rig.history.menuItem(2), b);
    QVERIFY(rig.prompts.boxes.isEmpty());

    // Unsorted, they keep the order chosen.
    rig.prompts.fileLists.enqueue({b, a});
    rig.commands.open();
    QCOMPARE(rig.column(ColHost), (QStringList{u"z"_s, u"m"_s, u"c"_s}));
    QCOMPARE(rig.view.panels[0], a + u" を追加しました"_s);
}

void TestMainCommands::skippedLinesOfEveryChosenFileAreKept()
{
    Rig rig;
    test::WebLogReader reader;
    test::WebLog noRows;
    noRows.skippedLines = 3;
    noRows.firstSkipped = {QString(3000, u'x')};
    test::WebLog oneRow;
    oneRow.rows = {{u"UA"_s, u"h"_s}};
    const QString first = rig.dir.filePath(u"error.log"_s);
    const QString second = rig.dir.filePath(u"access.log"_s);
    reader.logs.insert(first, noRows);
    reader.logs.insert(second, oneRow);
    rig.commands.opener().setReadFunction(reader);

    // The first file gave no rows, so the second is opened in its place, as Append does; what
    // the first left out is still told.
    rig.prompts.fileLists.enqueue({first, second});
    rig.commands.open();
    QCOMPARE(rig.view.panels[0], second + u" を開きました"_s);
    QCOMPARE(rig.list.rowCount(), 1);
    QCOMPARE(rig.view.notes.summary(), u"読めない行 3"_s);
    // Very long lines are cut for showing.
    const QStringList details = rig.view.notes.details().split(u'\n');
    QCOMPARE(details.mid(0, 2), (QStringList{first, u"読めない行 3 (最初の 1 行):"_s}));
    QCOMPARE(details.at(2), QString(2000, u'x') + u'…');

    // Reading a clean file in their place, or closing, forgets them.
    rig.prompts.fileLists.enqueue({second});
    rig.commands.open();
    QVERIFY(rig.view.notes.isEmpty());
    rig.prompts.fileLists.enqueue({first});
    rig.commands.append();
    QCOMPARE(rig.view.notes.skippedLines(), 3);
    rig.commands.closeLog();
    QVERIFY(rig.view.notes.isEmpty());
}

void TestMainCommands::sortMarkers()
{
    Rig rig;
    const QString a =
        rig.listFile(QStringLiteral("a.twv"),
                     records({QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("a")}));
    QVERIFY(rig.commands.openLogFile(a, OpenMode::Open));
    const QStringList up{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    const QStringList down{QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")};

    rig.commands.sortByHeader(ColHost);
    QCOMPARE(rig.list.headerCaption(ColHost), QStringLiteral("ホスト(昇)"));
    QCOMPARE(rig.column(ColHost), up);
    rig.commands.sortByHeader(ColHost);
    QCOMPARE(rig.list.headerCaption(ColHost), QStringLiteral("ホスト(降)"));
    QCOMPARE(rig.column(ColHost), down);
    rig.commands.sortByHeader(ColHost);
    QCOMPARE(rig.list.headerCaption(ColHost), QStringLiteral("ホスト(昇)"));
    QCOMPARE(rig.column(ColHost), up);

    // Each column keeps its own direction; only the last clicked carries a marker.
    rig.commands.sortByHeader(ColIP);
    QCOMPARE(rig.list.headerCaption(ColIP), QStringLiteral("IP(昇)"));
    QCOMPARE(rig.list.headerCaption(ColHost), QStringLiteral("ホスト"));
    rig.commands.sortByHeader(ColHost);
    QCOMPARE(rig.list.headerCaption(ColHost), QStringLiteral("ホスト(降)"));
    QCOMPARE(rig.list.headerCaption(ColIP), QStringLiteral("IP"));
    QCOMPARE(rig.column(ColHost), down);
}

void TestMainCommands::sortKeepsSelectionAndCurrent()
{
    Rig rig;
    const QString a =
        rig.listFile(QStringLiteral("a.twv"), records({QStringLiteral("d"), QStringLiteral("b"),
                                                       QStringLiteral("c"), QStringLiteral("a")}));
    QVERIFY(rig.commands.openLogFile(a, OpenMode::Open));
    rig.view.setSelection({0, 2}, 2); // d, c; c current
    rig.commands.sortByHeader(ColHost);
    QCOMPARE(rig.view.selectedRows(), (QList<qsizetype>{2, 3}));
    QCOMPARE(rig.view.current, 2);

    rig.view.selectAllRows(1);          // b current
    rig.commands.sortByHeader(ColHost); // descending: d c b a
    QCOMPARE(rig.view.selectedRows().size(), 4);
    QCOMPARE(rig.view.current, 2);
}

void TestMainCommands::deleteSelectedRows()
{
    Rig rig;
    const QString a =
        rig.listFile(QStringLiteral("a.twv"),
                     records({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                              QStringLiteral("4"), QStringLiteral("5")}));
    QVERIFY(rig.commands.openLogFile(a, OpenMode::Open));
    const QString title = rig.view.title;
    const QString panel1 = rig.view.panels[0];
    rig.view.setSelection({1, 2, 4}, 4);
    rig.commands.deleteSelected();
    QCOMPARE(rig.column(ColHost), (QStringList{QStringLiteral("1"), QStringLiteral("4")}));
    QCOMPARE(rig.view.panels[2], QStringLiteral("アイテム数:2"));
    QCOMPARE(rig.view.title, title);
    QCOMPARE(rig.view.panels[0], panel1);
    // Targeted removals, bottom run first.
    QCOMPARE(rig.view.removals.size(), 2);
    QCOMPARE(rig.view.removals.first(), (std::pair<qsizetype, qsizetype>(4, 4)));
    QCOMPARE(rig.view.removals.last(), (std::pair<qsizetype, qsizetype>(1, 2)));
    QVERIFY(rig.view.listVisible);
    QVERIFY(!rig.view.busy);
    // Tallies count every row added, deleted ones included.
    QCOMPARE(rig.list.browserTally()[0], 5);
    QCOMPARE(test::readBytes(a), test::listFileBytes(records(
                                     {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                      QStringLiteral("4"), QStringLiteral("5")})));
}

void TestMainCommands::copyThreeRows()
{
    Rig rig;
    const QString a = rig.listFile(QStringLiteral("a.twv"),
                                   records({QStringLiteral("h1"), QStringLiteral("h2"),
                                            QStringLiteral("h3"), QStringLiteral("h4")}));
    QVERIFY(rig.commands.openLogFile(a, OpenMode::Open));
    rig.view.setSelection({0, 1, 3}, 3);
    rig.commands.copy();
    const QString text = rig.platform.clipboard;
    QVERIFY(text.endsWith(QStringLiteral("\r\n")));
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 16); // 15 lines and the empty text after the last CR LF
    QCOMPARE(lines.at(0),
             QStringLiteral("ブラウザ:Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)"));
    QCOMPARE(lines.at(1), QStringLiteral("ホスト:h1"));
    QCOMPARE(lines.at(2), QStringLiteral("IP:10.0.0.1"));
    QCOMPARE(lines.at(3), QStringLiteral("日付時間:2001/12/03 09:05:00"));
    QCOMPARE(lines.at(4), QStringLiteral("前回頁:http://example.com/h1"));
    QCOMPARE(lines.at(6), QStringLiteral("ホスト:h2"));
    QCOMPARE(lines.at(11), QStringLiteral("ホスト:h4"));
    QCOMPARE(rig.list.rowCount(), 4);
}

void TestMainCommands::cutWithoutCurrentItemBeepsTwice()
{
    Rig rig;
    rig.platform.clipboard = QStringLiteral("before");
    rig.commands.cut();
    QCOMPARE(rig.prompts.beeps, 2);
    QCOMPARE(rig.platform.clipboard, QStringLiteral("before"));

    const QString a = rig.listFile(QStringLiteral("a.twv"),
                                   records({QStringLiteral("h1"), QStringLiteral("h2")}));
    QVERIFY(rig.commands.openLogFile(a, OpenMode::Open));
    rig.view.setSelection({1}, -1);
    rig.commands.cut();
    QCOMPARE(rig.prompts.beeps, 4);
    QCOMPARE(rig.list.rowCount(), 2);

    rig.view.setSelection({1}, 1);
    rig.commands.cut();
    QCOMPARE(rig.prompts.beeps, 4);
    QVERIFY(rig.platform.clipboard.contains(QStringLiteral("ホスト:h2\r\n")));
    QCOMPARE(rig.column(ColHost), QStringList{QStringLiteral("h1")});
}

void TestMainCommands::editEnablingFollowsCurrentItem()
{
    Rig rig;
    QVERIFY(!rig.commands.editEnabled());
    QVERIFY(!rig.commands.openUrlEnabled());
    QList<QStringList> rows =
        records({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    rows[1][4] = QStringLiteral("-");
    rows[2][4] = QStringLiteral("xhttpx");
    const QString a = rig.listFile(QStringLiteral("a.twv"), rows);
    QVERIFY(rig.commands.openLogFile(a, OpenMode::Open));
    QVERIFY(rig.commands.editEnabled());
    QVERIFY(rig.commands.openUrlEnabled());
    rig.view.setSelection({}, 1);
    QVERIFY(rig.commands.editEnabled());
    QVERIFY(!rig.commands.openUrlEnabled());
    rig.view.setSelection({}, 2);
    QVERIFY(rig.commands.openUrlEnabled()); // a substring test
    rig.view.setSelection({2}, -1);
    QVERIFY(!rig.commands.editEnabled());
}

void TestMainCommands::selectAll()
{
    Rig rig;
    rig.commands.selectAll(); // empty list: nothing happens
    QCOMPARE(rig.view.current, -1);
    const QString a =
        rig.listFile(QStringLiteral("a.twv"), records({QStringLiteral("a"), QStringLiteral("b")}));
    QVERIFY(rig.commands.openLogFile(a, OpenMode::Open));
    rig.view.setSelection({}, 1);
    rig.commands.selectAll();
    QCOMPARE(rig.view.selectedRows(), (QList<qsizetype>{0, 1}));
    QCOMPARE(rig.view.current, 0);
}

void TestMainCommands::recentFileThatVanished()
{
    Rig rig;
    const QString a = rig.listFile(QStringLiteral("a.twv"), records({QStringLiteral("a")}));
    const QString b = rig.listFile(QStringLiteral("b.twv"), records({QStringLiteral("b")}));
    QVERIFY(rig.commands.openLogFile(a, OpenMode::Open));
    QVERIFY(rig.commands.openLogFile(b, OpenMode::Open));
    QVERIFY(QFile::remove(a));
    rig.commands.openRecent(2);
    QCOMPARE(rig.prompts.boxes.size(), 1);
    QCOMPARE(rig.prompts.boxes.first().caption, QStringLiteral("エラー"));
    QCOMPARE(rig.prompts.boxes.first().text,
             QStringLiteral("ファイルが見つかりません。ファイルが削除された可能性があります。"));
    QCOMPARE(rig.prompts.boxes.first().icon, MessageIcon::Warning);
    QCOMPARE(rig.history.menuCount(), 1);
    QCOMPARE(rig.history.menuItem(1), b);
    QCOMPARE(rig.list.rowCount(), 1); // the open log stays
}

void TestMainCommands::recentFileOpens()
{
    Rig rig;
    const QString a = rig.listFile(QStringLiteral("a.twv"), records({QStringLiteral("a")}));
    const QString b = rig.listFile(QStringLiteral("b.twv"), records({QStringLiteral("b")}));
    QVERIFY(rig.commands.openLogFile(a, OpenMode::Open));
    QVERIFY(rig.commands.openLogFile(b, OpenMode::Open));
    rig.commands.openRecent(2);
    QCOMPARE(rig.column(ColHost), QStringList{QStringLiteral("a")});
    QCOMPARE(rig.history.menuItem(1), a);
    QCOMPARE(rig.history.menuItem(2), b);
}

void TestMainCommands::folderFromOutsideLeavesTheList()
{
    Rig rig;
    const QString a = rig.listFile(QStringLiteral("a.twv"), records({QStringLiteral("a")}));
    const QString folder = rig.dir.filePath(QStringLiteral("logs"));
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(rig.commands.openLogFile(a, OpenMode::Open));
    rig.history.addItem(folder);
    rig.history.addItem(a);

    rig.commands.openRecent(2);
    rig.commands.openFromCommandLine(folder);
    QCOMPARE(rig.column(ColHost), QStringList{QStringLiteral("a")});
    QCOMPARE(rig.prompts.boxes.size(), 2);
    for (const auto& box : rig.prompts.boxes) {
        QCOMPARE(box.caption, QStringLiteral("エラー"));
        QCOMPARE(box.text, folder + QStringLiteral("\r\nは読み込めるファイルではありません。"));
    }
    QCOMPARE(rig.history.menuItem(1), a);
}

void TestMainCommands::saveCommands_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<bool>("addsRecent");
    QTest::newRow("list") << 0 << QStringLiteral("名前を付けて保存") << saveListFilter() << 3
                          << QStringLiteral("twv") << true;
    QTest::newRow("csv") << 1 << QStringLiteral("CSV形式で保存")
                         << QStringLiteral("すべてのファイル(*.*)|*.*|CSVファイル(*.csv)|*.csv")
                         << 2 << QStringLiteral("csv") << false;
    QTest::newRow("report") << 2 << QStringLiteral("レポート形式で保存")
                            << QStringLiteral(
                                   "すべてのファイル(*.*)|*.*|テキストファイル(*.txt)|*.txt")
                            << 2 << QStringLiteral("txt") << false;
}

void TestMainCommands::saveCommands()
{
    QFETCH(int, command);
    QFETCH(QString, title);
    QFETCH(QString, filter);
    QFETCH(int, index);
    QFETCH(QString, extension);
    QFETCH(bool, addsRecent);
    Rig rig;
    rig.settings.InitDir = QStringLiteral("/logs");
    const QString a = rig.listFile(QStringLiteral("a.twv"), records({QStringLiteral("a")}));
    QVERIFY(rig.commands.openLogFile(a, OpenMode::Open));
    const QString target = rig.dir.filePath(QStringLiteral("out"));
    rig.prompts.fileNames.enqueue(target);
    switch (command) {
    case 0:
        rig.commands.saveAsList();
        break;
    case 1:
        rig.commands.saveAsCsv();
        break;
    default:
        rig.commands.saveAsReport();
        break;
    }
    QCOMPARE(rig.prompts.dialogs.size(), 1);
    const auto& d = rig.prompts.dialogs.first();
    QVERIFY(d.save);
    QCOMPARE(d.request.title, title);
    QCOMPARE(d.request.filter, filter);
    QCOMPARE(d.request.filterIndex, index);
    QCOMPARE(d.request.defaultExtension, extension);
    QCOMPARE(d.request.initialFolder, QStringLiteral("/logs"));
    QVERIFY(d.request.confirmOverwrite);
    QVERIFY(!d.request.mustExist);
    QVERIFY(QFile::exists(target));
    QVERIFY(rig.prompts.boxes.isEmpty());
    QCOMPARE(rig.history.menuItem(1), addsRecent ? target : a);
    QCOMPARE(rig.history.menuCount(), addsRecent ? 2 : 1);

    // A cancelled dialog writes nothing and says nothing.
    rig.commands.saveAsList();
    QCOMPARE(rig.prompts.dialogs.size(), 2);
    QVERIFY(rig.prompts.boxes.isEmpty());
}

// The report counts the rows the window shows and names the filter that picked them; it is made
// as long work, and a failed write is told like any other.
void TestMainCommands::htmlReportOfTheShownRows()
{
    Rig rig;
    const QString a = rig.listFile(u"access.twv"_s, records({u"a"_s, u"b"_s, u"bb"_s, u"c"_s}));
    QVERIFY(rig.commands.openLogFile(a, OpenMode::Open));
    RowFilter filter;
    filter.conditions.push_back(FilterCondition::contains(ColHost, u"b"_s, true));
    rig.commands.editor().setFilter(filter, *filterRows(rig.list, filter));
    int longWork = 0;
    rig.view.longWorkFault = [&longWork] { ++longWork; };

    const QString target = rig.dir.filePath(u"out.html"_s);
    rig.prompts.fileNames.enqueue(target);
    rig.commands.saveAsHtmlReport();
    QCOMPARE(rig.prompts.dialogs.last().request.title, u"HTMLレポートを保存"_s);
    QCOMPARE(rig.prompts.dialogs.last().request.initialName, u"access.html"_s);
    QCOMPARE(longWork, 1);
    QVERIFY(rig.prompts.boxes.isEmpty());
    const QByteArray filtered = test::readBytes(target);
    QVERIFY(filtered.contains("アクセス数</div><div class=\"value\">2</div>"));
    QVERIFY(filtered.contains(filter.conditions.front().label().toUtf8()));

    rig.commands.editor().setFilter({}, {});
    rig.prompts.fileNames.enqueue(target);
    rig.commands.saveAsHtmlReport();
    const QByteArray all = test::readBytes(target);
    QVERIFY(all.contains("アクセス数</div><div class=\"value\">4</div>"));
    QVERIFY(!all.contains("class=\"filter\""));

    rig.prompts.fileNames.enqueue(rig.dir.filePath(u"no/such/folder/out.html"_s));
    rig.commands.saveAsHtmlReport();
    QCOMPARE(rig.prompts.boxes.size(), 1);
    QCOMPARE(rig.prompts.boxes.last().text, u"ファイルが書き込めませんでした。"_s);
    QCOMPARE(test::readBytes(target), all);
}

void TestMainCommands::failedSaveIsReported()
{
    Rig rig;
    const QString a = rig.listFile(QStringLiteral("a.twv"), records({QStringLiteral("a")}));
    QVERIFY(rig.commands.openLogFile(a, OpenMode::Open));
    const QString target = rig.dir.filePath(QStringLiteral("no/such/folder/out.twv"));
    for (int i = 0; i < 3; ++i)
        rig.prompts.fileNames.enqueue(target);
    rig.commands.saveAsList();
    rig.commands.saveAsCsv();
    rig.commands.saveAsReport();
    QCOMPARE(rig.prompts.boxes.size(), 3);
    for (const auto& box : std::as_const(rig.prompts.boxes)) {
        QCOMPARE(box.caption, QStringLiteral("エラー"));
        QCOMPARE(box.text, QStringLiteral("ファイルが書き込めませんでした。"));
        QCOMPARE(box.icon, MessageIcon::Warning);
    }
    QCOMPARE(rig.history.menuCount(), 1);
}

void TestMainCommands::reportDialogOffersDatedNameEveryTime()
{
    Rig rig;
    rig.prompts.fileNames.enqueue(rig.dir.filePath(QStringLiteral("mine.txt")));
    rig.commands.saveAsReport();
    rig.commands.saveAsReport();
    QCOMPARE(rig.prompts.dialogs.size(), 2);
    QCOMPARE(rig.prompts.dialogs.at(0).request.initialName, QStringLiteral("l_011203.txt"));
    QCOMPARE(rig.prompts.dialogs.at(1).request.initialName, QStringLiteral("l_011203.txt"));
}

void TestMainCommands::dialogSharesLastChosenPath()
{
    Rig rig;
    const QString a = rig.listFile(QStringLiteral("a.twv"), records({QStringLiteral("a")}));
    rig.prompts.fileNames.enqueue(a);
    rig.commands.open();
    rig.commands.saveAsCsv(); // cancelled
    rig.commands.append();    // cancelled
    QCOMPARE(rig.prompts.dialogs.size(), 3);
    const auto& open = rig.prompts.dialogs.at(0).request;
    QVERIFY(!rig.prompts.dialogs.at(0).save);
    QCOMPARE(open.title, QStringLiteral("リストを開く"));
    QCOMPARE(open.filter, openListFilter());
    QCOMPARE(open.filterIndex, 3);
    QCOMPARE(open.defaultExtension, QStringLiteral("twv"));
    QVERIFY(open.mustExist);
    QVERIFY(open.initialName.isEmpty());
    QVERIFY(open.initialFolder.isEmpty());
    QCOMPARE(rig.prompts.dialogs.at(1).request.initialName, a);
    QCOMPARE(rig.prompts.dialogs.at(2).request.initialName, a);
    QCOMPARE(splitFilterPairs(openListFilter()).size(), 6);
    QCOMPARE(splitFilterPairs(openListFilter()).at(2).pattern, QStringLiteral("*.twv"));
}

void TestMainCommands::openUrlHandsOnlyWebAndMailAddresses_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("handed");
    QTest::newRow("http") << QStringLiteral("http://example.com/a?b=c") << true;
    QTest::newRow("https") << QStringLiteral("https://example.com/") << true;
    QTest::newRow("upper case scheme") << QStringLiteral("HTTP://EXAMPLE.COM/") << true;
    QTest::newRow("mailto") << QStringLiteral("mailto:someone@example.com") << true;
    QTest::newRow("hyphen") << QStringLiteral("-") << false;
    QTest::newRow("file") << QStringLiteral("file:///etc/passwd") << false;
    QTest::newRow("javascript") << QStringLiteral("javascript:alert(1)//http://") << false;
    QTest::newRow("program") << QStringLiteral("/usr/bin/xterm") << false;
    QTest::newRow("scheme only") << QStringLiteral("http://") << false;
}

void TestMainCommands::openUrlHandsOnlyWebAndMailAddresses()
{
    QFETCH(QString, page);
    QFETCH(bool, handed);
    Rig rig;
    rig.commands.openUrlOfCurrentItem(); // no current item: nothing at all
    QCOMPARE(rig.prompts.beeps, 0);
    QList<QStringList> rows = records({QStringLiteral("a")});
    rows[0][4] = page;
    QVERIFY(rig.commands.openLogFile(rig.listFile(QStringLiteral("a.twv"), rows), OpenMode::Open));
    rig.commands.openUrlOfCurrentItem();
    QCOMPARE(rig.platform.urls, handed ? QStringList{page} : QStringList{});
    QCOMPARE(rig.prompts.beeps, handed ? 0 : 1);
    QVERIFY(rig.platform.launches.isEmpty());

    // A configured browser gets the web address as its one argument.
    rig.settings.UrlOMode = 1;
    rig.settings.BrowserPath = QStringLiteral("/opt/browser/run");
    rig.commands.openUrlOfCurrentItem();
    const bool browser = handed && !page.startsWith(QStringLiteral("mailto:"));
    QCOMPARE(rig.platform.launches.size(), browser ? 1 : 0);
    if (browser) {
        QCOMPARE(rig.platform.launches.first().program, rig.settings.BrowserPath);
        QCOMPARE(rig.platform.launches.first().arguments, QStringList{page});
    }
}

void TestMainCommands::failedWorkIsReported_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("inList"); // the list's own work fails (classifying, ordering)
    QTest::addColumn<bool>("memory"); // std::bad_alloc, else another exception
    QTest::newRow("open") << QStringLiteral("open") << false << true;
    QTest::newRow("append, reading") << QStringLiteral("append") << false << true;
    QTest::newRow("append, classifying") << QStringLiteral("append") << true << true;
    QTest::newRow("sort") << QStringLiteral("sort") << true << true;
    QTest::newRow("sort, other failure") << QStringLiteral("sort") << true << false;
    QTest::newRow("copy") << QStringLiteral("copy") << false << true;
    QTest::newRow("cut") << QStringLiteral("cut") << false << true;
    QTest::newRow("save") << QStringLiteral("save") << false << true;
}

// Long work that throws (memory running out, above all) is told in one box, and the list, the
// clipboard and the files stay as they were; only opening has closed the list first.
void TestMainCommands::failedWorkIsReported()
{
    QFETCH(QString, command);
    QFETCH(bool, inList);
    QFETCH(bool, memory);
    Rig rig;
    const QString first =
        rig.listFile(QStringLiteral("a.twv"), records({QStringLiteral("b"), QStringLiteral("a")}));
    const QString second = rig.listFile(QStringLiteral("b.twv"), records({QStringLiteral("c")}));
    const QString saved = rig.dir.filePath(QStringLiteral("saved.twv"));
    QVERIFY(rig.commands.openLogFile(first, OpenMode::Open));
    rig.view.setSelection({0, 1}, 1);
    rig.platform.clipboard = QStringLiteral("before");
    const auto tally = rig.list.browserTally();
    const auto fail = [memory] {
        if (memory)
            throw std::bad_alloc();
        throw std::runtime_error("failed");
    };
    if (inList)
        rig.list.setLongWorkRunner([&](const std::function<void()>&) { fail(); });
    else
        rig.view.longWorkFault = fail;

    if (command == u"open") {
        QVERIFY(!rig.commands.openLogFile(second, OpenMode::Open));
    } else if (command == u"append") {
        rig.prompts.fileNames.enqueue(second);
        rig.commands.append();
    } else if (command == u"sort") {
        rig.commands.sortByHeader(ColHost);
    } else if (command == u"copy") {
        rig.commands.copy();
    } else if (command == u"cut") {
        rig.commands.cut();
    } else {
        rig.prompts.fileNames.enqueue(saved);
        rig.commands.saveAsList();
    }

    QCOMPARE(rig.prompts.boxes.size(), 1);
    const auto& box = rig.prompts.boxes.at(0);
    QCOMPARE(box.caption, QStringLiteral("エラー"));
    QCOMPARE(box.icon, MessageIcon::Warning);
    QCOMPARE(box.text,
             memory ? QStringLiteral("メモリが不足しています。")
                    : QStringLiteral("処理中にエラーが発生しました。処理は中断されました。"));
    const bool opened = command == u"open";
    const QStringList hosts = {QStringLiteral("b"), QStringLiteral("a")};
    QCOMPARE(rig.column(ColHost), opened ? QStringList() : hosts);
    QCOMPARE(rig.view.rowCount, rig.list.rowCount());
    QCOMPARE(rig.view.changesUnderway, 0);
    if (!opened) {
        QCOMPARE(rig.list.browserTally(), tally);
        QCOMPARE(rig.view.selectedRows(), (QList<qsizetype>{0, 1}));
        QCOMPARE(rig.view.current, 1);
    }
    QCOMPARE(rig.list.sortColumn(), -1);
    QCOMPARE(rig.platform.clipboard, QStringLiteral("before"));
    QVERIFY(!QFileInfo::exists(saved));
    QCOMPARE(rig.history.menuItem(1), first);
    QVERIFY(!rig.view.busy);
    QVERIFY(rig.view.listVisible);
}

QTEST_GUILESS_MAIN(TestMainCommands)
#include "tst_main_commands.moc"
