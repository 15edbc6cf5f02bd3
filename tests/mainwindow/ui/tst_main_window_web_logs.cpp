#include "analysis/ui/item_info_dialog.h"
#include "mainwindow/ui/log_list_model.h"
#include "mainwindow/ui/log_list_view.h"
#include "mainwindow/ui/program_rig.h"
#include "mainwindow/ui/skipped_lines_dialog.h"
#include "support/gzip_bytes.h"
#include "support/web_logs.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTest>

using namespace tw;
using namespace Qt::StringLiterals;
using test::kWebFields;
using test::listFile;
using test::Program;
using test::WebLog;

namespace {

const QString kAgent = u"Mozilla/5.0 (X11; Linux x86_64)"_s;

// Rows of a combined log with a virtual host: request, status, bytes, host.
WebLog webLog(const QList<QStringList>& extras)
{
    WebLog log;
    log.fields = kWebFields;
    int n = 0;
    for (const QStringList& e : extras) {
        ++n;
        log.rows.append(QStringList{kAgent, u"h%1.example.jp"_s.arg(n), u"192.0.2.%1"_s.arg(n),
                                    u"2026/12/01 10:00:0%1"_s.arg(n), u"-"_s} +
                        e);
    }
    return log;
}

// The program with made-up web logs readable under the given names in its folder.
struct WebProgram : Program {
    QString add(const QString& name, const WebLog& log)
    {
        const QString path = dir.filePath(name);
        reader.logs.insert(path, log);
        window().commands().opener().setReadFunction(reader);
        return path;
    }
    // The rows of a log into the list, as Open (closing the list first) or Append bring them.
    void read(const WebLog& log, OpenMode mode)
    {
        MainCommands& c = window().commands();
        if (mode == OpenMode::Open)
            c.closeLog();
        c.editor().append(test::webBatch(log.fields, log.rows));
        if (!c.hasCurrentItem() && window().model()->rowCount() > 0)
            window().setSelection({0}, 0);
    }
    QHeaderView* header() { return window().listView()->horizontalHeader(); }
    QStringList captions()
    {
        QStringList texts;
        for (int c = 0; c < window().model()->columnCount(); ++c)
            texts.append(window().model()->headerData(c, Qt::Horizontal).toString());
        return texts;
    }
    QStringList column(int c)
    {
        QStringList texts;
        for (int r = 0; r < window().model()->rowCount(); ++r)
            texts.append(window().model()->index(r, c).data().toString());
        return texts;
    }
    void clickHeader(int section)
    {
        const QPoint at(header()->sectionViewportPosition(section) +
                            header()->sectionSize(section) / 2,
                        header()->height() / 2);
        QTest::mouseClick(header()->viewport(), Qt::LeftButton, {}, at);
    }
    QList<int> widths()
    {
        QList<int> sizes;
        for (int c = 0; c < header()->count(); ++c)
            sizes.append(header()->sectionSize(c));
        return sizes;
    }

    test::WebLogReader reader;
};

const QStringList kFiveCaptions = {u"ブラウザ"_s, u"ホスト"_s, u"IP"_s, u"日付時間"_s, u"前回頁"_s};

} // namespace

class TestMainWindowWebLogs : public QObject {
    Q_OBJECT

private slots:
    void columnsFollowTheListsFields();
    void headerClickSortsByAnExtraColumn();
    void itemInformationListsTheExtraFields();
    void skippedLinesAreToldBesideTheMessage();
    void severalFilesFromTheOpenDialog();
    void rotatedLogsAreOfferedOldestFirst();
    void jsonLinesFromTheFileMenu();
};

void TestMainWindowWebLogs::columnsFollowTheListsFields()
{
    WebProgram p;
    QAbstractItemModelTester tester(p.window().model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    const WebLog web = webLog({{u"GET / HTTP/1.1"_s, u"200"_s, u"512"_s, u"www.example.jp"_s},
                               {u"GET /a HTTP/1.1"_s, u"404"_s, u"0"_s, u"www.example.jp"_s}});
    const QString twv = listFile(p.dir, u"a.twv"_s, {u"x"_s, u"y"_s});
    const QList<int> five = p.widths();
    MainCommands& c = p.window().commands();

    p.read(web, OpenMode::Open);
    QCOMPARE(p.captions(), (kFiveCaptions + QStringList{u"リクエスト"_s, u"ステータス"_s,
                                                        u"バイト数"_s, u"仮想ホスト"_s}));
    QCOMPARE(p.header()->count(), 9);
    QCOMPARE(p.column(ColStatus), (QStringList{u"200"_s, u"404"_s}));
    QCOMPARE(
        p.window().model()->index(0, ColStatus).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
        Qt::AlignRight | Qt::AlignVCenter);
    // The five keep the widths the settings gave; the new ones fit their captions.
    QCOMPARE(p.widths().mid(0, 5), five);
    for (int col = kColumnCount; col < 9; ++col)
        QVERIFY(p.header()->sectionSize(col) >=
                p.header()->fontMetrics().horizontalAdvance(p.captions().at(col)));
    // Selecting every row highlights the new columns too.
    p.window().selectAllRows(0);
    QVERIFY(p.window().listView()->selectionModel()->isSelected(p.window().model()->index(1, 8)));

    // A list file in its place: the five again.
    QVERIFY(c.openLogFile(twv, OpenMode::Open));
    QCOMPARE(p.captions(), kFiveCaptions);

    // Web rows appended to an unsorted list bring their columns with them; the list file's
    // rows have nothing there.
    p.read(web, OpenMode::Append);
    QCOMPARE(p.header()->count(), 9);
    QCOMPARE(p.column(ColRequest),
             (QStringList{QString(), QString(), u"GET / HTTP/1.1"_s, u"GET /a HTTP/1.1"_s}));

    // Only the fields a log has: the columns follow in field order.
    WebLog partial;
    partial.fields = (1u << ColRequest) | (1u << ColVirtualHost);
    partial.rows = {{kAgent, u"h"_s, u"ip"_s, u"d"_s, u"r"_s, u"GET /"_s, {}, {}, u"vh"_s}};
    p.read(partial, OpenMode::Open);
    QCOMPARE(p.captions(), (kFiveCaptions + QStringList{u"リクエスト"_s, u"仮想ホスト"_s}));
    QCOMPARE(p.column(6), QStringList{u"vh"_s});

    c.closeLog();
    QCOMPARE(p.captions(), kFiveCaptions);
    QCOMPARE(p.widths(), five);
}

void TestMainWindowWebLogs::headerClickSortsByAnExtraColumn()
{
    WebProgram p;
    // Request and bytes only: bytes is the seventh column but field 7.
    WebLog log;
    log.fields = (1u << ColRequest) | (1u << ColBytes);
    for (const QString& bytes : {u"30"_s, u"100"_s, u"2"_s})
        log.rows.append(QStringList{kAgent, bytes, {}, {}, {}, {}, {}} << bytes);
    p.read(log, OpenMode::Open);
    QCOMPARE(p.header()->count(), 7);

    p.clickHeader(6);
    QCOMPARE(p.captions().at(6), u"バイト数(昇)"_s);
    QCOMPARE(p.column(6), (QStringList{u"100"_s, u"2"_s, u"30"_s}));
    p.clickHeader(6);
    QCOMPARE(p.captions().at(6), u"バイト数(降)"_s);
    QCOMPARE(p.column(6), (QStringList{u"30"_s, u"2"_s, u"100"_s}));
    QVERIFY(p.window().commands().hasCurrentItem()); // the current row stays
    p.clickHeader(ColHost);
    QCOMPARE(p.captions().at(6), u"バイト数"_s);
    QCOMPARE(p.captions().at(ColHost), u"ホスト(昇)"_s);
}

void TestMainWindowWebLogs::itemInformationListsTheExtraFields()
{
    WebProgram p;
    QVERIFY(
        p.window().commands().openLogFile(listFile(p.dir, u"a.twv"_s, {u"x"_s}), OpenMode::Open));
    p.read(webLog({{u"GET /x HTTP/1.0"_s, u"304"_s, u"0"_s, u"vh.example.jp"_s}}),
           OpenMode::Append);
    p.window().selectAllRows(0);
    p.action(u"actItemInfo"_s)->trigger();
    const QList<ItemInfoDialog*> dialogs =
        p.window().findChildren<ItemInfoDialog*>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(dialogs.size(), 2);
    // The list file's row has no web-log fields, the web row all four.
    QVERIFY(dialogs.at(0)->extras().isEmpty());
    QCOMPARE(dialogs.at(1)->extras().size(), 4);
    QCOMPARE(dialogs.at(1)->extras().last().text, u"vh.example.jp"_s);
}

void TestMainWindowWebLogs::skippedLinesAreToldBesideTheMessage()
{
    WebProgram p;
    WebLog damaged = webLog({{u"GET / HTTP/1.1"_s, u"200"_s, u"5"_s, u"vh"_s}});
    damaged.skippedLines = 12;
    damaged.firstSkipped = {u"garbage one"_s, u"bell\a and escape\x1b[2J"_s};
    const QString web = p.add(u"access.log"_s, damaged);
    WebLog cut = webLog({{u"GET /b HTTP/1.1"_s, u"200"_s, u"5"_s, u"vh"_s}});
    cut.cutShort = true;
    const QString gz = p.add(u"access.log.2.gz"_s, cut);
    const QString twv = listFile(p.dir, u"a.twv"_s, {u"x"_s});
    MainCommands& c = p.window().commands();
    QLabel* indicator = p.window().readNotesPanel();
    QAction* item = p.window().skippedLinesAction();
    QVERIFY(!indicator->isVisible());

    QVERIFY(c.openLogFile(web, OpenMode::Open));
    // Panel 1 says what it always says; the count has a panel of its own.
    QCOMPARE(p.panel(1), web + u" を開きました"_s);
    QCOMPARE(p.panel(3), u"アイテム数:1"_s);
    QVERIFY(indicator->isVisible());
    QVERIFY(indicator->text().contains(u"読めない行 12"_s));
    QVERIFY(item->isEnabled());

    // A click on it shows the lines, with control characters made visible.
    QTest::mouseClick(indicator, Qt::LeftButton, {}, indicator->rect().center());
    SkippedLinesDialog* dialog = p.window().skippedLinesDialog();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->summary(), u"読めない行 12"_s);
    QCOMPARE(dialog->details(), web + u"\n読めない行 12 (最初の 2 行):\ngarbage one\n"
                                      u"bell\u2407 and escape\u241b[2J"_s);

    // Appending a cut-short file adds its note; the dialog follows.
    QVERIFY(c.openLogFile(gz, OpenMode::Append));
    QCOMPARE(p.panel(1), gz + u" を追加しました"_s);
    QVERIFY(indicator->text().contains(u"読めない行 12、圧縮ファイルが途中で終わっています"_s));
    QVERIFY(dialog->details().endsWith(gz + u"\n圧縮ファイルが途中で終わっています"_s));

    // A list file read in their place: no panel, no menu item, no dialog, the old texts.
    QVERIFY(c.openLogFile(twv, OpenMode::Open));
    QCOMPARE(p.panel(1), twv + u" を開きました"_s);
    QVERIFY(!indicator->isVisible());
    QTRY_VERIFY(!p.window().skippedLinesDialog());
    emit p.window().findChild<QMenu*>(u"mnuVisit"_s)->aboutToShow();
    QVERIFY(!item->isEnabled());
    item->trigger();
    QVERIFY(!p.window().skippedLinesDialog());

    QVERIFY(c.openLogFile(web, OpenMode::Append));
    item->trigger();
    QVERIFY(p.window().skippedLinesDialog());
    c.closeLog();
    QVERIFY(!indicator->isVisible());
}

void TestMainWindowWebLogs::severalFilesFromTheOpenDialog()
{
    WebProgram p;
    const QString a = listFile(p.dir, u"a.twv"_s, {u"a1"_s, u"a2"_s});
    const QString b = listFile(p.dir, u"b.twv"_s, {u"b1"_s});
    const QString web =
        p.add(u"c.log"_s, webLog({{u"GET / HTTP/1.1"_s, u"200"_s, u"1"_s, u"vh"_s}}));
    listFile(p.dir, u"old.twv"_s, {u"old"_s});
    QVERIFY(p.window().commands().openLogFile(p.dir.filePath(u"old.twv"_s), OpenMode::Open));

    // Through the toolbar's button, as the user chose them: b first.
    p.prompts.fileLists.enqueue({b, web, a});
    p.action(u"OPEN"_s)->trigger();
    QVERIFY(p.prompts.dialogs.last().many);
    QCOMPARE(test::hostColumn(p.window().model()),
             (QStringList{u"b1"_s, u"h1.example.jp"_s, u"a1"_s, u"a2"_s}));
    QCOMPARE(p.panel(1), a + u" を追加しました"_s);
    QCOMPARE(p.program.history().menuItem(1), a);
    QCOMPARE(p.program.history().menuItem(3), b);
}

namespace {

QByteArray combinedLine(const QByteArray& host)
{
    return host + " - - [01/Dec/2026:10:00:00 +0900] \"GET / HTTP/1.1\" 200 5 \"-\" \"UA\"\n";
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

} // namespace

void TestMainWindowWebLogs::rotatedLogsAreOfferedOldestFirst()
{
    Program p;
    const QString log = p.dir.filePath(u"access.log"_s);
    write(log, combinedLine("new"));
    write(log + u".1"_s, combinedLine("mid"));
    write(log + u".2.gz"_s, test::gzipMember(combinedLine("old")));
    // A list file that only looks rotated is taken as chosen.
    const QString twv = listFile(p.dir, u"list.log"_s, {u"x"_s});
    write(twv + u".1"_s, combinedLine("other"));

    p.prompts.fileLists.enqueue({log});
    p.prompts.answers.enqueue(MessageAnswer::No);
    p.action(u"OPEN"_s)->trigger();
    QCOMPARE(p.prompts.boxes.size(), 1);
    QCOMPARE(p.prompts.boxes.last().defaultAnswer, MessageAnswer::Yes);
    QVERIFY(p.prompts.boxes.last().text.contains(u"access.log.2.gz"_s));
    QCOMPARE(test::hostColumn(p.window().model()), QStringList{u"new"_s});

    p.prompts.fileLists.enqueue({log});
    p.prompts.answers.enqueue(MessageAnswer::Yes);
    p.action(u"OPEN"_s)->trigger();
    QCOMPARE(test::hostColumn(p.window().model()), (QStringList{u"old"_s, u"mid"_s, u"new"_s}));

    p.prompts.boxes.clear();
    p.prompts.fileLists.enqueue({twv});
    p.action(u"OPEN"_s)->trigger();
    QVERIFY(p.prompts.boxes.isEmpty());
    QCOMPARE(test::hostColumn(p.window().model()), QStringList{u"x"_s});
}

void TestMainWindowWebLogs::jsonLinesFromTheFileMenu()
{
    WebProgram p;
    p.read(webLog({{u"GET /\"q\" HTTP/1.1"_s, u"404"_s, u"0"_s, u"vh"_s}}), OpenMode::Open);
    const QString out = p.dir.filePath(u"rows.jsonl"_s);
    p.prompts.fileNames.enqueue(out);
    p.action(u"actSaveJsonLines"_s)->trigger();
    QFile f(out);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QCOMPARE(bytes.count('\n'), 1);
    QVERIFY(bytes.contains("\"request\":\"GET /\\\"q\\\" HTTP/1.1\""));
    QVERIFY(bytes.contains("\"status\":\"404\""));
}

QTEST_MAIN(TestMainWindowWebLogs)
#include "tst_main_window_web_logs.moc"
