#include "analysis/ui/bar_list.h"
#include "analysis/ui/visitor_chart.h"
#include "analysis/ui/visitor_statistics_dialog.h"
#include "mainwindow/ui/filter_bar.h"
#include "mainwindow/ui/log_list_model.h"
#include "mainwindow/ui/program_rig.h"

#include <QTest>

using namespace tw;
using namespace Qt::StringLiterals;
using test::hostColumn;
using test::Program;

class TestMainWindowVisitors : public QObject {
    Q_OBJECT

private slots:
    void pagesCountTheShownRowsAndDrillDownAddsAChip();
};

void TestMainWindowVisitors::pagesCountTheShownRowsAndDrillDownAddsAChip()
{
    Program p;
    const QString log =
        test::listFile(p.dir, u"four.twv"_s,
                       {u"a.example.jp"_s, u"x.other.jp"_s, u"b.example.jp"_s, u"y.other.jp"_s});
    QVERIFY(p.window().commands().openLogFile(log, OpenMode::Open));

    p.action(u"actVisitorDays"_s)->trigger();
    VisitorStatisticsDialog* all = p.window().visitorStatisticsDialog(VisitorStatistic::Days);
    QVERIFY(all);
    QCOMPARE(all->windowTitle(), u"日別統計"_s);
    QCOMPARE(std::get<std::vector<DayFigures>>(all->figures()).at(0).hits, 4);

    p.window().addFilterCondition(FilterCondition::contains(ColHost, u"example"_s, false));
    QTRY_VERIFY(!p.window().isFiltering());
    p.action(u"actVisitorDays"_s)->trigger();
    VisitorStatisticsDialog* some = p.window().visitorStatisticsDialog(VisitorStatistic::Days);
    QVERIFY(some && some != all);
    QCOMPARE(some->windowTitle(), u"日別統計 (フィルタ適用中)"_s);
    QCOMPARE(std::get<std::vector<DayFigures>>(some->figures()).at(0).hits, 2);

    // A click on the day's column stacks its condition beside the first.
    some->chart()->resize(600, 300);
    QTest::mouseClick(some->chart(), Qt::LeftButton, {}, some->chart()->columnFoot(0));
    QTRY_VERIFY(!p.window().isFiltering());
    QCOMPARE(p.window().filterBar()->chipLabels().size(), 2);
    QCOMPARE(hostColumn(p.window().model()), (QStringList{u"a.example.jp"_s, u"b.example.jp"_s}));
}

QTEST_MAIN(TestMainWindowVisitors)
#include "tst_main_window_visitors.moc"
