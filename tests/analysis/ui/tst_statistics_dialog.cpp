#include "analysis/access_statistics.h"
#include "analysis/host_statistics.h"
#include "analysis/row_filter.h"
#include "analysis/statistics_report.h"
#include "analysis/ui/shape_widget.h"
#include "analysis/ui/statistics_dialog.h"
#include "core/clock.h"
#include "core/cp932.h"
#include "core/log_list.h"
#include "mainwindow/ui/long_work_loop.h"
#include "mainwindow/ui/program_rig.h"
#include "settings/settings.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"
#include "ui/twips.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QThread>

#include <new>

using namespace tw;
using namespace Qt::StringLiterals;

namespace {

template <typename W> W* control(QWidget* dialog, const QString& name, int index)
{
    for (W* w : dialog->findChildren<W*>(name)) {
        if (w->property("index").toInt() == index)
            return w;
    }
    return nullptr;
}

void addRows(LogList& list, const QString& userAgent, int count)
{
    LogBatch batch;
    AccessRecord r;
    r.browser = userAgent;
    r.host = u"p1.tokyo.example.ne.jp"_s;
    r.dateTime = u"2001/05/01 09:05:00"_s;
    for (int i = 0; i < count; ++i)
        batch.addRecord(r);
    list.append(std::move(batch));
}

struct Rig {
    Rig() : clock(QDateTime(QDate(2001, 5, 1), QTime(9, 5))) { settings.InitDir = dir.path(); }
    StatisticsDialog* open(StatisticsPage page)
    {
        return showStatisticsDialog(page, list, settings, prompts, clock, nullptr);
    }

    QTemporaryDir dir;
    LogList list;
    Settings settings;
    test::ScriptedPrompts prompts;
    FixedClock clock;
};

const QString kIE = u"Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)"_s;

// Rows that each come from their own previous page of about a kilobyte, with distinct hosts.
void addLongPageRows(LogList& list, int count)
{
    LogBatch batch;
    AccessRecord r;
    r.browser = kIE;
    r.dateTime = u"2001/05/01 09:05:00"_s;
    for (int i = 0; i < count; ++i) {
        r.host = u"p%1.host%1.ne.jp"_s.arg(i);
        r.previousPage = u"http://example.jp/%1?q="_s.arg(i) + QString(1000, u'ア');
        batch.addRecord(r);
    }
    list.append(std::move(batch));
}

QPlainTextEdit* reportBox(StatisticsDialog* dialog)
{
    return dialog->findChild<QPlainTextEdit*>(
        dialog->page() == StatisticsPage::Access ? u"txtAccReport"_s : u"txtHostReport"_s);
}

QString shownText(StatisticsDialog* dialog)
{
    return reportBox(dialog)->toPlainText();
}

// Rows of three browsers, hosts, previous pages and hours; the second page holds a lone LF, CR and
// paragraph breaks, so its report line takes several lines of the box.
void addMixedRows(LogList& list)
{
    struct Kind {
        QString browser, host, page, time;
        int count;
    };
    const Kind kinds[] = {
        {kIE, u"a1.tokyo.example.ne.jp"_s, u"http://a.example/"_s, u"09:05:00"_s, 3},
        {u"Mozilla/4.7 [ja] (Macintosh; I; PPC)"_s, u"b.osaka.example.com"_s,
         u"http://b.example/\nlf-part\rcr-part\u2029ps-part\ufdd0fr-part"_s, u"13:10:00"_s, 2},
        {u"Wget/1.5"_s, u"c.tokyo.example.org"_s, QString(), u"13:20:00"_s, 1},
    };
    LogBatch batch;
    for (const Kind& kind : kinds) {
        AccessRecord r;
        r.browser = kind.browser;
        r.host = kind.host;
        r.previousPage = kind.page;
        r.dateTime = u"2001/05/01 "_s + kind.time;
        for (int i = 0; i < kind.count; ++i)
            batch.addRecord(r);
    }
    list.append(std::move(batch));
}

// A report as its box shows it: every break a line end.
QString boxForm(QString report)
{
    report.replace(u"\r\n"_s, u"\n"_s);
    for (char16_t c : {u'\r', u'\u2029', u'\ufdd0'})
        report.replace(QChar(c), u'\n');
    return report;
}

// The first block of the report box whose text holds `text`, and a point inside it.
QPoint pointOnLine(QPlainTextEdit* box, const QString& text)
{
    for (QTextBlock b = box->document()->begin(); b.isValid(); b = b.next()) {
        if (b.text().contains(text)) {
            box->setTextCursor(QTextCursor(b));
            box->ensureCursorVisible();
            const QRect r = box->cursorRect(QTextCursor(b));
            return QPoint(r.left() + 2, r.center().y());
        }
    }
    return QPoint(-1, -1);
}

// The count a report line shows: "  3回<TAB>..." or " 13時台<TAB>2回<TAB>...".
int countOnLine(QPlainTextEdit* box, QPoint at)
{
    const QString line = box->cursorForPosition(at).block().text();
    return QRegularExpression(u"(\\d+)回"_s).match(line).captured(1).toInt();
}

// The rows the single condition a dialog asked for keeps.
qsizetype keptRows(const LogList& list, const QSignalSpy& spy)
{
    RowFilter filter;
    filter.conditions.push_back(spy.at(0).at(0).value<FilterCondition>());
    return qsizetype(filterRows(list, filter)->size());
}

} // namespace

class TestStatisticsDialog : public QObject {
    Q_OBJECT

private slots:
    void browserBarsWidenTheWindow_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("outerWidth");
        QTest::newRow("empty list") << 0 << 5520;
        QTest::newRow("bar just short of the edge") << 227 << 5520;
        QTest::newRow("bar reaching the edge") << 228 << 5760;
        QTest::newRow("longer bar") << 300 << 960 + 6000 + 240;
    }

    void browserBarsWidenTheWindow()
    {
        QFETCH(int, rows);
        QFETCH(int, outerWidth);
        Rig rig;
        addRows(rig.list, kIE, rows);
        QCOMPARE(rig.list.browserTally()[0], rows);
        std::unique_ptr<StatisticsDialog> dialog(rig.open(StatisticsPage::Browser));

        QCOMPARE(dialog->objectName(), u"frmToolDlg"_s);
        QCOMPARE(dialog->windowTitle(), u"ブラウザ統計"_s);
        QCOMPARE(dialog->outerWidthTwips(), outerWidth);
        auto* bar = control<ShapeWidget>(dialog.get(), u"shpGraph"_s, 0);
        QVERIFY(bar);
        QCOMPARE(bar->width(), twipsToPixelsX(dialog.get(), 20 * rows));
        QCOMPARE(bar->x(), twipsToPixelsX(dialog.get(), 960));
        QCOMPARE(bar->fillColor(), QColor(18, 128, 248));
        QCOMPARE(bar->outlineColor(), QColor(63, 123, 184));
        if (outerWidth > 5520)
            QVERIFY(bar->geometry().right() < dialog->width()); // a widened window shows it all
        QCOMPARE(control<QLabel>(dialog.get(), u"lblLength"_s, 0)->text(), QString::number(rows));
        QCOMPARE(control<QLabel>(dialog.get(), u"lblBrows"_s, 1)->text(), u"ネスケ："_s);
        QCOMPARE(control<ShapeWidget>(dialog.get(), u"shpGraph"_s, 3)->fillColor(),
                 QColor(255, 255, 215));
        QCOMPARE(control<ShapeWidget>(dialog.get(), u"shpGraph"_s, 3)->width(), 0);
    }

    void widenedWindowStopsAtTheScreenEdge()
    {
        Rig rig;
        addRows(rig.list, kIE, 5000); // a bar of 100,000 twips
        std::unique_ptr<StatisticsDialog> dialog(rig.open(StatisticsPage::Browser));
        const QRect screen = dialog->screen()->availableGeometry();
        QVERIFY(dialog->width() < screen.width());
        QVERIFY(dialog->width() > screen.width() / 2);
        QVERIFY(dialog->x() >= screen.left());
        QVERIFY(dialog->x() + dialog->width() <= screen.right() + 1);
    }

    void platformUserRows()
    {
        Rig rig;
        rig.settings.Pratform = {u"Foo"_s, QString(), u"Bar"_s};
        rig.list.setUserPlatforms(UserPlatforms({u"Foo"_s, u"Baz"_s, u"Bar"_s}));
        addRows(rig.list, u"Foo Baz Bar"_s, 2);
        addRows(rig.list, u"Baz"_s, 3);
        std::unique_ptr<StatisticsDialog> dialog(rig.open(StatisticsPage::Platform));
        QCOMPARE(dialog->windowTitle(), u"プラットフォーム統計"_s);
        const auto name = [&](int i) {
            return control<QLabel>(dialog.get(), u"lblPName"_s, i)->text();
        };
        const auto count = [&](int i) {
            return control<QLabel>(dialog.get(), u"lvlPCnt"_s, i)->text();
        };
        QCOMPARE(name(9), u"ドリームキャスト："_s);
        QCOMPARE(name(12), u"Foo："_s);
        QCOMPARE(count(12), u"2"_s);
        // The slot emptied since the counting shows nothing, not even its count.
        QCOMPARE(name(13), QString());
        QCOMPARE(count(13), QString());
        QCOMPARE(name(14), u"Bar："_s);
        QCOMPARE(count(14), u"0"_s);
        QCOMPARE(name(15), u"その他："_s);
    }

    void save_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("name");
        QTest::newRow("browser") << 0 << u"b_20010501.txt"_s;
        QTest::newRow("platform") << 1 << u"p_20010501.txt"_s;
        QTest::newRow("access") << 2 << u"a_20010501.txt"_s;
        QTest::newRow("host") << 3 << u"h_20010501.txt"_s;
    }

    void save()
    {
        QFETCH(int, page);
        QFETCH(QString, name);
        Rig rig;
        addRows(rig.list, kIE, 10);
        const auto statisticsPage = StatisticsPage(page);
        std::unique_ptr<StatisticsDialog> dialog(rig.open(statisticsPage));
        // Opened as a snapshot: rows added later change neither the dialog nor its report.
        addRows(rig.list, kIE, 5);

        const QString path = rig.dir.filePath(name);
        rig.prompts.fileNames.enqueue(path);
        QAction* save = dialog->findChild<QAction*>(u"SAVE"_s);
        QVERIFY(save);
        QCOMPARE(save->toolTip(), u"レポートとして保存"_s);
        save->trigger();

        QCOMPARE(rig.prompts.dialogs.size(), 1);
        const FileDialogRequest& r = rig.prompts.dialogs[0].request;
        QVERIFY(rig.prompts.dialogs[0].save);
        QCOMPARE(r.title, u"レポートを保存"_s);
        QCOMPARE(r.filter, u"すべてのファイル(*.*)|*.*|テキストファイル(*.txt)|*.txt"_s);
        QCOMPARE(r.filterIndex, 2);
        QCOMPARE(r.defaultExtension, u"txt"_s);
        QCOMPARE(r.initialFolder, rig.dir.path());
        QCOMPARE(r.initialName, name);
        QVERIFY(r.confirmOverwrite);

        QCOMPARE(rig.prompts.boxes.size(), 1);
        QCOMPARE(rig.prompts.boxes[0].caption, u"情報"_s);
        QCOMPARE(rig.prompts.boxes[0].text, u"保存しました"_s);
        QCOMPARE(rig.prompts.boxes[0].icon, MessageIcon::Information);

        QString body;
        if (statisticsPage == StatisticsPage::Browser)
            body = browserReportBody({10, 0, 0, 0});
        else if (statisticsPage == StatisticsPage::Platform)
            body =
                platformReportBody(std::array<qint64, kPlatformClassCount>{0, 10}, UserPlatforms());
        else
            body = dialog
                       ->findChild<QPlainTextEdit*>(statisticsPage == StatisticsPage::Access
                                                        ? u"txtAccReport"_s
                                                        : u"txtHostReport"_s)
                       ->toPlainText()
                       .replace(u'\n', u"\r\n"_s);
        QVERIFY(body.contains(u"10"_s));
        QCOMPARE(test::readBytes(path),
                 cp932::encode(statisticsReportText(statisticsPage, body, rig.clock.now())));
    }

    // A report of several megabytes is computed through the runner and shown and saved whole.
    void longReportsAreMadeBesideTheWindow_data()
    {
        QTest::addColumn<int>("page");
        QTest::newRow("access") << 2;
        QTest::newRow("host") << 3;
    }
    void longReportsAreMadeBesideTheWindow()
    {
        QFETCH(int, page);
        const auto statisticsPage = StatisticsPage(page);
        Rig rig;
        addLongPageRows(rig.list, 1500);
        QList<QThread*> threads;
        const LongWorkRunner runner = [&](const std::function<void()>& work) {
            runKeepingWindowsPainted([&] {
                threads.append(QThread::currentThread());
                work();
            });
        };
        std::unique_ptr<StatisticsDialog> dialog(showStatisticsDialog(
            statisticsPage, rig.list, rig.settings, rig.prompts, rig.clock, nullptr, runner));
        QCOMPARE(threads.size(), 1);
        QVERIFY(threads[0] != QThread::currentThread());

        const QString body = statisticsPage == StatisticsPage::Access
                                 ? accessStatisticsText(rig.list, 0)
                                 : hostStatisticsText(rig.list);
        QVERIFY(body.size() > 1500000 || statisticsPage == StatisticsPage::Host);
        QPlainTextEdit* box = reportBox(dialog.get());
        QCOMPARE(box->document()->thread(), QThread::currentThread());
        QCOMPARE(box->tabStopDistance(), 8.0 * box->fontMetrics().averageCharWidth());
        QCOMPARE(shownText(dialog.get()), QString(body).replace(u"\r\n"_s, u"\n"_s));

        // Saving runs through the runner as well and writes the text as it was computed.
        const QString path = rig.dir.filePath(u"report.txt"_s);
        rig.prompts.fileNames.enqueue(path);
        dialog->saveReport();
        QCOMPARE(threads.size(), 2);
        QCOMPARE(test::readBytes(path),
                 cp932::encode(statisticsReportText(statisticsPage, body, rig.clock.now())));
    }

    void runningOutOfMemoryOpensNoDialog()
    {
        Rig rig;
        addRows(rig.list, kIE, 3);
        QWidget owner;
        const LongWorkRunner failing = [](const std::function<void()>&) { throw std::bad_alloc(); };
        QVERIFY(!showStatisticsDialog(StatisticsPage::Access, rig.list, rig.settings, rig.prompts,
                                      rig.clock, &owner, failing));
        QVERIFY(owner.findChildren<StatisticsDialog*>().isEmpty());
        QCOMPARE(rig.prompts.boxes.size(), 1);
        QCOMPARE(rig.prompts.boxes[0].caption, u"エラー"_s);
        QCOMPARE(rig.prompts.boxes[0].text, u"メモリが不足しています。"_s);

        // A save that runs out of memory is a failed save.
        std::unique_ptr<StatisticsDialog> dialog(
            new StatisticsDialog(StatisticsPage::Browser, rig.list, rig.settings, rig.prompts,
                                 rig.clock, nullptr, failing));
        rig.prompts.fileNames.enqueue(rig.dir.filePath(u"b.txt"_s));
        dialog->saveReport();
        QCOMPARE(rig.prompts.boxes.size(), 2);
        QCOMPARE(rig.prompts.boxes[1].text, u"ファイルが書き込めませんでした。"_s);
        QVERIFY(!QFile::exists(rig.dir.filePath(u"b.txt"_s)));
    }

    // The Tools menu computes the access and host statistics as the window's long work: the
    // window shows that it is busy meanwhile.
    void windowComputesStatisticsAsLongWork()
    {
        QTemporaryDir files;
        test::Program p(test::listFile(files, u"a.twv"_s, {u"p1.a.example.jp"_s}));
        p.window().show();
        for (StatisticsPage page : {StatisticsPage::Access, StatisticsPage::Host}) {
            QString panelDuringWork;
            // Posted before the command starts, so the busy window's own event loop runs it.
            QMetaObject::invokeMethod(
                &p.window(), [&] { panelDuringWork = p.panel(1); }, Qt::QueuedConnection);
            p.action(page == StatisticsPage::Access ? u"actAccessStatistics"_s
                                                    : u"actHostStatistics"_s)
                ->trigger();
            QCOMPARE(panelDuringWork, u"処理中..."_s);
            QVERIFY(shownText(p.window().statisticsDialog(page)).contains(u"1回\t"_s));
        }
    }

    void failedSaveSaysSo()
    {
        Rig rig;
        std::unique_ptr<StatisticsDialog> dialog(rig.open(StatisticsPage::Browser));
        rig.prompts.fileNames.enqueue(rig.dir.filePath(u"missing/b.txt"_s));
        dialog->saveReport();
        QCOMPARE(rig.prompts.boxes.size(), 1);
        QCOMPARE(rig.prompts.boxes[0].caption, u"エラー"_s);
        QCOMPARE(rig.prompts.boxes[0].text, u"ファイルが書き込めませんでした。"_s);
        QCOMPARE(rig.prompts.boxes[0].icon, MessageIcon::Warning);

        // Cancelling the dialog writes nothing and says nothing.
        dialog->saveReport();
        QCOMPARE(rig.prompts.boxes.size(), 1);
    }

    void layoutFollowsTheWindow()
    {
        Rig rig;
        rig.settings.ALogMax = 1;
        StatisticsDialog* dialog = rig.open(StatisticsPage::Access);
        QPointer<StatisticsDialog> guard(dialog);
        dialog->resize(500, 400);
        auto* close = dialog->findChild<QPushButton*>(u"cmdClose"_s);
        QCOMPARE(close->text(), u"閉じる(&C)"_s);
        QVERIFY(close->isDefault());
        QCOMPARE(close->pos(),
                 QPoint(500 - twipsToPixelsX(dialog, 1290), 400 - twipsToPixelsY(dialog, 420)));
        auto* box = dialog->findChild<QPlainTextEdit*>(u"txtAccReport"_s);
        QVERIFY(box->isVisible());
        QVERIFY(box->isReadOnly());
        QVERIFY(box->toPlainText().startsWith(u"    ＊＊＊ アクセス回数 ＊＊＊\n"_s));
        QCOMPARE(box->size(),
                 QSize(500, 400 - twipsToPixelsY(dialog, 540) - twipsToPixelsY(dialog, 40)));

        // Esc closes and discards the dialog like the close button.
        QTest::keyClick(dialog, Qt::Key_Escape);
        QTRY_VERIFY(guard.isNull());
    }

    // With shown rows every page counts them alone and says so; without, nothing changes.
    void followsTheShownRows()
    {
        Rig rig;
        addMixedRows(rig.list);
        const std::vector<quint32> rows = {3, 4, 5}; // the two Netscape rows and Wget
        const RowSubset shown(rows);
        const auto open = [&](StatisticsPage page, const RowSubset* subset) {
            return std::unique_ptr<StatisticsDialog>(showStatisticsDialog(
                page, rig.list, rig.settings, rig.prompts, rig.clock, nullptr, {}, subset));
        };
        for (const RowSubset* subset : {static_cast<const RowSubset*>(nullptr), &shown}) {
            const QString suffix = subset ? u" (フィルタ適用中)"_s : QString();
            auto browser = open(StatisticsPage::Browser, subset);
            QCOMPARE(browser->windowTitle(), u"ブラウザ統計"_s + suffix);
            QCOMPARE(control<QLabel>(browser.get(), u"lblLength"_s, 0)->text(),
                     subset ? u"0"_s : u"3"_s);
            QCOMPARE(control<QLabel>(browser.get(), u"lblLength"_s, 1)->text(), u"2"_s);
            auto platform = open(StatisticsPage::Platform, subset);
            QCOMPARE(platform->windowTitle(), u"プラットフォーム統計"_s + suffix);
            QCOMPARE(control<QLabel>(platform.get(), u"lvlPCnt"_s, 1)->text(),
                     subset ? u"0"_s : u"3"_s); // Windows 98
            const RowSubset all;
            auto access = open(StatisticsPage::Access, subset);
            QCOMPARE(access->windowTitle(), u"アクセス状況統計"_s + suffix);
            QCOMPARE(shownText(access.get()),
                     boxForm(accessStatisticsText(rig.list, rig.settings.ALogMax,
                                                  subset ? *subset : all)));
            auto host = open(StatisticsPage::Host, subset);
            QCOMPARE(host->windowTitle(), u"ホスト統計"_s + suffix);
            QCOMPARE(shownText(host.get()),
                     boxForm(hostStatisticsText(rig.list, subset ? *subset : all)));
        }
    }

    // A double-click on an entry asks for the condition that keeps exactly the rows it counts;
    // elsewhere it asks for nothing.
    void doubleClickDrillsDown()
    {
        Rig rig;
        rig.settings.ALogMax = 0;
        addMixedRows(rig.list);
        const auto open = [&](StatisticsPage page) {
            return std::unique_ptr<StatisticsDialog>(rig.open(page));
        };

        auto browser = open(StatisticsPage::Browser);
        QSignalSpy browserSpy(browser.get(), &StatisticsDialog::drillDownRequested);
        auto* label = control<QLabel>(browser.get(), u"lblBrows"_s, 1);
        QTest::mouseDClick(label, Qt::LeftButton, {}, label->rect().center());
        QCOMPARE(browserSpy.size(), 1);
        QCOMPARE(keptRows(rig.list, browserSpy),
                 control<QLabel>(browser.get(), u"lblLength"_s, 1)->text().toInt());

        auto platform = open(StatisticsPage::Platform);
        QSignalSpy platformSpy(platform.get(), &StatisticsDialog::drillDownRequested);
        label = control<QLabel>(platform.get(), u"lblPName"_s, 1); // Windows 98
        QTest::mouseDClick(label, Qt::LeftButton, {}, label->rect().center());
        QCOMPARE(platformSpy.size(), 1);
        QCOMPARE(keptRows(rig.list, platformSpy), 3);
        label = control<QLabel>(platform.get(), u"lblPName"_s, 12); // an unset user slot
        QTest::mouseDClick(label, Qt::LeftButton, {}, label->rect().center());
        QCOMPARE(platformSpy.size(), 1);

        struct Line {
            StatisticsPage page;
            QString text;
            int count; // -1: no entry
        };
        const Line lines[] = {
            {StatisticsPage::Access, u"http://a.example/"_s, 3},
            {StatisticsPage::Access, u"lf-part"_s, 2}, // the second part of the page with a LF
            {StatisticsPage::Access, u" 9時台"_s, 3},
            {StatisticsPage::Access, u"13時台"_s, 3}, // below the page that breaks a line
            {StatisticsPage::Access, u"アクセス回数"_s, -1},
            {StatisticsPage::Access, u"時間帯\t回数"_s, -1},
            {StatisticsPage::Host, u"*.example.ne.jp"_s, 3},
            {StatisticsPage::Host, u"ホスト"_s, -1},
        };
        for (const Line& line : lines) {
            auto dialog = open(line.page);
            QSignalSpy spy(dialog.get(), &StatisticsDialog::drillDownRequested);
            QPlainTextEdit* box = reportBox(dialog.get());
            const QPoint at = pointOnLine(box, line.text);
            QVERIFY2(at.y() >= 0, qPrintable(line.text));
            QTest::mouseDClick(box->viewport(), Qt::LeftButton, {}, at);
            QCOMPARE(spy.size(), line.count < 0 ? 0 : 1);
            if (line.count >= 0)
                QCOMPARE(keptRows(rig.list, spy), line.count);
            if (line.count > 0 && line.text != u"lf-part"_s)
                QCOMPARE(countOnLine(box, at), line.count);

            // The context menu offers the same on entries only.
            std::unique_ptr<QMenu> menu(dialog->makeContextMenu(box->viewport(), at));
            auto* narrow = menu->findChild<QAction*>(u"actDrillDown"_s);
            QCOMPARE(narrow != nullptr, line.count >= 0);
            if (narrow) {
                QCOMPARE(narrow->text(), u"この項目で絞り込む"_s);
                narrow->trigger();
                QCOMPARE(spy.size(), 2);
                QCOMPARE(spy.at(1).at(0).value<FilterCondition>().label(),
                         spy.at(0).at(0).value<FilterCondition>().label());
            }
        }
    }

    // Over shown rows the report lists their own entries, and each line drills down to its own.
    void drillsDownFromTheShownRows()
    {
        Rig rig;
        addMixedRows(rig.list);
        const std::vector<quint32> rows = {0, 5}; // one of each of two domains
        const RowSubset shown(rows);
        std::unique_ptr<StatisticsDialog> dialog(
            showStatisticsDialog(StatisticsPage::Host, rig.list, rig.settings, rig.prompts,
                                 rig.clock, nullptr, {}, &shown));
        QSignalSpy spy(dialog.get(), &StatisticsDialog::drillDownRequested);
        QPlainTextEdit* box = reportBox(dialog.get());
        const QPoint at = pointOnLine(box, u"example.org"_s);
        QVERIFY2(at.y() >= 0, qPrintable(shownText(dialog.get())));
        QTest::mouseDClick(box->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(spy.size(), 1);
        QVERIFY(spy.at(0).at(0).value<FilterCondition>().label().endsWith(u"example.org"_s));
        // The unfiltered report has the domain of two rows on this line.
        QCOMPARE(keptRows(rig.list, spy), 1);
        QVERIFY(!shownText(dialog.get()).contains(u"example.com"_s));
    }

    void eachCommandOpensAnotherDialog()
    {
        Rig rig;
        QWidget owner;
        StatisticsDialog* first = showStatisticsDialog(StatisticsPage::Host, rig.list, rig.settings,
                                                       rig.prompts, rig.clock, &owner);
        StatisticsDialog* second = showStatisticsDialog(
            StatisticsPage::Host, rig.list, rig.settings, rig.prompts, rig.clock, &owner);
        QVERIFY(first != second);
        QCOMPARE(first->windowTitle(), u"ホスト統計"_s);
        QVERIFY(first->isVisible() && second->isVisible());
        QVERIFY(!first->isModal());
        QPointer<StatisticsDialog> guard(first);
        QTest::mouseClick(first->findChild<QPushButton*>(u"cmdClose"_s), Qt::LeftButton);
        QTRY_VERIFY(guard.isNull());
        QVERIFY(second->isVisible());
    }
};

QTEST_MAIN(TestStatisticsDialog)
#include "tst_statistics_dialog.moc"
