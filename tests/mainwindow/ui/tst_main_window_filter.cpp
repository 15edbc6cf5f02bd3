#include "analysis/ui/statistics_dialog.h"
#include "mainwindow/ui/filter_bar.h"
#include "mainwindow/ui/log_list_model.h"
#include "mainwindow/ui/program_rig.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QToolBar>

using namespace tw;
using namespace Qt::StringLiterals;
using test::hostColumn;
using test::listFile;
using test::Program;

namespace {

const QStringList kHosts = {u"a.example.jp"_s, u"x.other.jp"_s,   u"b.example.jp"_s,
                            u"y.other.jp"_s,   u"c.example.jp"_s, u"z.other.jp"_s};

struct FilterProgram : Program {
    FilterProgram()
    {
        const QString log = listFile(dir, u"six.twv"_s, kHosts);
        if (!window().commands().openLogFile(log, OpenMode::Open))
            qFatal("cannot open the list");
    }
    FilterBar* bar() { return window().filterBar(); }
    // Types into the bar and waits for the rows beside the window.
    void type(const QString& text)
    {
        bar()->textBox()->setText(text);
        QTRY_VERIFY(!window().isFiltering());
    }
    QStringList shown() { return hostColumn(window().model()); }
};

} // namespace

class TestMainWindowFilter : public QObject {
    Q_OBJECT

private slots:
    void hiddenRowsSurviveCutAndClear();
    void searchWalksTheShownRows();
    void saveAsksForTheShownRowsOrAll();
    void statisticsFollowAndDrillDownAddsAChip();
    void savedFilterComesBackByName();
    void botsAreLeftOutAndComeBackSaved();
    void rangeSwitchedOnStartsAtTheList();
};

void TestMainWindowFilter::hiddenRowsSurviveCutAndClear()
{
    FilterProgram p;
    p.action(u"actFilterBar"_s)->trigger();
    QVERIFY(p.window().findChild<QToolBar*>(u"tbrFilter"_s)->isVisible());
    QCOMPARE(p.window().settings().FilterBar, 1);

    p.type(u"example.jp"_s);
    QCOMPARE(p.shown(), (QStringList{u"a.example.jp"_s, u"b.example.jp"_s, u"c.example.jp"_s}));
    QCOMPARE(p.panel(3), u"アイテム数:3 / 6"_s);

    // Cut every shown row: only those go, to the clipboard and out of the list.
    p.action(u"actSelectAll"_s)->trigger();
    p.action(u"actCut"_s)->trigger();
    QCOMPARE(p.window().logList().rowCount(), 3);
    QVERIFY(p.shown().isEmpty());
    QCOMPARE(p.panel(3), u"アイテム数:0 / 3"_s);

    p.action(u"actClearFilter"_s)->trigger();
    QTRY_VERIFY(!p.window().isFiltering());
    QCOMPARE(p.shown(), (QStringList{u"x.other.jp"_s, u"y.other.jp"_s, u"z.other.jp"_s}));
    QCOMPARE(p.panel(3), u"アイテム数:3"_s);
}

void TestMainWindowFilter::searchWalksTheShownRows()
{
    FilterProgram p;
    p.type(u"other"_s);
    p.window().setSelection({1}, 1); // list row 1: x.other.jp, shown first
    p.window().search().find(0, false, u"example.com/"_s);
    QCOMPARE(p.window().currentRow(), 1);
    p.window().search().findNext();
    QCOMPARE(p.window().currentRow(), 3); // y.other.jp; b.example.jp is hidden
    p.window().search().findNext();
    QCOMPARE(p.window().currentRow(), 5);
    p.window().search().findNext();
    QCOMPARE(p.prompts.boxes.last().text, u"検索が終了しました。"_s);
}

void TestMainWindowFilter::saveAsksForTheShownRowsOrAll()
{
    FilterProgram p;
    p.type(u"other"_s);
    const QString part = p.dir.filePath(u"part.twv"_s);
    const QString all = p.dir.filePath(u"all.twv"_s);

    p.prompts.answers.enqueue(MessageAnswer::Yes);
    p.prompts.fileNames.enqueue(part);
    p.action(u"actSaveAs"_s)->trigger();
    QVERIFY(p.prompts.boxes.last().text.contains(u"3 行"_s));
    QCOMPARE(p.prompts.dialogs.last().request.initialName, u"filtered.twv"_s);

    p.prompts.answers.enqueue(MessageAnswer::No);
    p.prompts.fileNames.enqueue(all);
    p.action(u"actSaveAs"_s)->trigger();
    QVERIFY(p.prompts.dialogs.last().request.initialName != u"filtered.twv"_s);

    const auto hostsIn = [](const QString& path) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        const QByteArray bytes = f.readAll();
        QStringList found;
        for (const QString& h : kHosts) {
            if (bytes.contains(h.toLatin1()))
                found << h;
        }
        return found;
    };
    QCOMPARE(hostsIn(part), (QStringList{u"x.other.jp"_s, u"y.other.jp"_s, u"z.other.jp"_s}));
    QCOMPARE(hostsIn(all), kHosts);

    // Without a filter nothing is asked.
    p.action(u"actClearFilter"_s)->trigger();
    const qsizetype boxes = p.prompts.boxes.size();
    p.prompts.fileNames.enqueue(all);
    p.action(u"actSaveAs"_s)->trigger();
    QCOMPARE(p.prompts.boxes.size(), boxes);
}

void TestMainWindowFilter::statisticsFollowAndDrillDownAddsAChip()
{
    FilterProgram p;
    p.type(u"example.jp"_s);
    p.action(u"actBrowserStatistics"_s)->trigger();
    StatisticsDialog* dialog = p.window().statisticsDialog(StatisticsPage::Browser);
    QVERIFY(dialog);
    QVERIFY(dialog->windowTitle().endsWith(u"(フィルタ適用中)"_s));

    // A drill-down lands in the bar as a chip, and the rows follow both conditions.
    emit dialog->drillDownRequested(FilterCondition::contains(ColHost, u"b."_s, false));
    QTRY_VERIFY(!p.window().isFiltering());
    QCOMPARE(p.bar()->chipLabels().size(), 1);
    QCOMPARE(p.shown(), QStringList{u"b.example.jp"_s});
}

void TestMainWindowFilter::savedFilterComesBackByName()
{
    FilterProgram p;
    // Nothing to save: told, nothing asked.
    emit p.bar()->saveRequested();
    QVERIFY(p.prompts.textLabels.isEmpty());

    p.bar()->addCondition(FilterCondition::contains(ColHost, u"example"_s, false));
    p.type(u"b."_s);
    p.prompts.texts.enqueue(u"  b だけ  "_s);
    emit p.bar()->saveRequested();
    QCOMPARE(p.window().settings().SavedFilters.size(), 1);
    QCOMPARE(p.window().settings().SavedFilters[0].name, u"b だけ"_s);

    // The same name again replaces only when the user says so.
    p.prompts.texts.enqueue(u"b だけ"_s);
    p.prompts.answers.enqueue(MessageAnswer::No);
    const QString first = p.window().settings().SavedFilters[0].definition;
    p.type(u"c."_s);
    emit p.bar()->saveRequested();
    QCOMPARE(p.prompts.boxes.last().buttons, MessageButtons::YesNo);
    QCOMPARE(p.window().settings().SavedFilters.size(), 1);
    QCOMPARE(p.window().settings().SavedFilters[0].definition, first);

    p.action(u"actClearFilter"_s)->trigger();
    QTRY_VERIFY(!p.window().isFiltering());
    QCOMPARE(p.shown().size(), kHosts.size());

    emit p.bar()->savedChosen(0);
    QTRY_VERIFY(!p.window().isFiltering());
    QCOMPARE(p.shown(), QStringList{u"b.example.jp"_s});
    QCOMPARE(p.bar()->chipLabels().size(), 2);

    // A damaged definition is told and leaves the bar as it was.
    p.window().settings().SavedFilters[0].definition = u"{\"version\":1,\"conditions\":[{}]}"_s;
    emit p.bar()->savedChosen(0);
    QCOMPARE(p.prompts.boxes.last().caption, u"エラー"_s);
    QCOMPARE(p.bar()->chipLabels().size(), 2);

    // Removing asks first; No keeps it.
    p.prompts.answers.enqueue(MessageAnswer::No);
    emit p.bar()->savedRemoveRequested(0);
    QCOMPARE(p.window().settings().SavedFilters.size(), 1);
    p.prompts.answers.enqueue(MessageAnswer::Yes);
    emit p.bar()->savedRemoveRequested(0);
    QVERIFY(p.window().settings().SavedFilters.isEmpty());
}

void TestMainWindowFilter::botsAreLeftOutAndComeBackSaved()
{
    Program p;
    const QString ua =
        u"Mozilla/5.0 (Windows NT 10.0; Win64; x64) Chrome/131.0.0.0 Safari/537.36"_s;
    const QString bot =
        u"Mozilla/5.0 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)"_s;
    const QString list =
        test::listFileOfRows(p.dir, u"bots.twv"_s,
                             {{ua, u"a.example.jp"_s, {}, u"2026/12/01 10:00:00"_s, u"-"_s},
                              {bot, u"crawl.googlebot.com"_s, {}, u"2026/12/01 10:00:01"_s, u"-"_s},
                              {ua, u"b.example.jp"_s, {}, u"2026/12/01 10:00:02"_s, u"-"_s}});
    QVERIFY(p.window().commands().openLogFile(list, OpenMode::Open));
    auto* box = p.window().filterBar()->findChild<QCheckBox*>(u"chkWithoutBots"_s);
    box->setChecked(true);
    QTRY_VERIFY(!p.window().isFiltering());
    QCOMPARE(hostColumn(p.window().model()), (QStringList{u"a.example.jp"_s, u"b.example.jp"_s}));

    p.prompts.texts.enqueue(u"人だけ"_s);
    emit p.window().filterBar()->saveRequested();
    p.action(u"actClearFilter"_s)->trigger();
    QTRY_VERIFY(!p.window().isFiltering());
    QVERIFY(!box->isChecked());
    QCOMPARE(hostColumn(p.window().model()).size(), 3);
    emit p.window().filterBar()->savedChosen(0);
    QTRY_VERIFY(!p.window().isFiltering());
    QVERIFY(box->isChecked());
    QCOMPARE(hostColumn(p.window().model()).size(), 2);
}

// Switching the range on hides no row until the user moves it.
void TestMainWindowFilter::rangeSwitchedOnStartsAtTheList()
{
    FilterProgram p;
    for (const QString& name : {u"chkFrom"_s, u"chkUntil"_s})
        p.bar()->findChild<QCheckBox*>(name)->setChecked(true);
    QTRY_VERIFY(!p.window().isFiltering());
    QCOMPARE(p.bar()->filter().conditions.size(), std::size_t(1));
    QCOMPARE(p.shown(), kHosts);
}

QTEST_MAIN(TestMainWindowFilter)
#include "tst_main_window_filter.moc"
