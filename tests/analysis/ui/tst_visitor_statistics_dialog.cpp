#include "analysis/ui/bar_list.h"
#include "analysis/ui/visitor_chart.h"
#include "analysis/ui/visitor_statistics_dialog.h"
#include "analysis/visitor_pages.h"
#include "core/clock.h"
#include "core/cp932.h"
#include "core/log_list.h"
#include "settings/settings.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"
#include "support/web_logs.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using namespace tw;
using namespace Qt::StringLiterals;

namespace {

// Nine rows over four days with no row on the third, three statuses and three hours.
QList<QStringList> webRows()
{
    const QString chrome = u"Mozilla/5.0 (Windows NT 10.0) Chrome/131.0 Safari/537.36"_s;
    const QString bot = u"Mozilla/5.0 (compatible; Googlebot/2.1)"_s;
    auto row = [](const QString& agent, const QString& ip, const QString& when,
                  const QString& status, const QString& bytes) {
        return QStringList{agent,  ip,    ip, when, u"-"_s, u"GET /a.html?q=1 HTTP/1.1"_s,
                           status, bytes, {}};
    };
    return {
        row(chrome, u"10.0.0.1"_s, u"2026/12/01 09:00:00"_s, u"200"_s, u"100"_s),
        row(chrome, u"10.0.0.1"_s, u"2026/12/01 09:30:00"_s, u"200"_s, u"100"_s),
        row(bot, u"10.0.0.2"_s, u"2026/12/01 13:00:00"_s, u"404"_s, u"-"_s),
        row(chrome, u"10.0.0.3"_s, u"2026/12/02 13:10:00"_s, u"200"_s, u"50"_s),
        row(bot, u"10.0.0.2"_s, u"2026/12/02 23:59:59"_s, u"304"_s, u"-"_s),
        row(chrome, u"10.0.0.1"_s, u"2026/12/04 00:00:00"_s, u"200"_s, u"7"_s),
        row(chrome, u"10.0.0.4"_s, u"2026/12/04 13:00:00"_s, u"404"_s, u"9"_s),
        row(bot, u"10.0.0.2"_s, u"2026/12/04 13:30:00"_s, u"200"_s, u"1"_s),
        row(chrome, u"10.0.0.5"_s, u"no date"_s, u"500"_s, u"1"_s),
    };
}

struct Rig {
    Rig() : clock(QDateTime(QDate(2026, 12, 7), QTime(18, 0)))
    {
        settings.InitDir = dir.path();
        list.append(test::webBatch(kColumnFields | test::kWebFields, webRows()));
    }
    VisitorStatisticsDialog* open(VisitorStatistic statistic, const RowSubset* shown = nullptr)
    {
        return showVisitorStatisticsDialog(statistic, list, settings, prompts, clock, nullptr, {},
                                           shown);
    }
    // The rows the condition keeps, over all rows.
    std::vector<quint32> kept(const FilterCondition& condition)
    {
        RowFilter filter;
        filter.conditions.push_back(condition);
        return filterRows(list, filter).value();
    }

    QTemporaryDir dir;
    LogList list;
    Settings settings;
    test::ScriptedPrompts prompts;
    FixedClock clock;
};

std::vector<DayFigures> daysWithGaps(int count)
{
    std::vector<DayFigures> days;
    for (int i = 0; i < count; ++i) {
        const qint64 hits = i % 3 == 1 ? 0 : 1 + (i * 7919) % 500;
        days.push_back({QDate(2020, 1, 1).addDays(i), hits, hits / 2, hits * 1000});
    }
    return days;
}

// The drill-down a signal carried.
FilterCondition condition(const QSignalSpy& spy, int i = 0)
{
    return spy.at(i).at(0).value<FilterCondition>();
}

} // namespace

class TestVisitorStatisticsDialog : public QObject {
    Q_OBJECT

private slots:
    void chartMapsPositionsToColumnsFromOneToThousandsOfDays();
    void chartHoverAndClickNameTheirColumn();
    void clickOnAColumnKeepsThatDayOrHour();
    void barDrillDownKeepsExactlyTheEntrysRows();
    void barsShowHostileKeysTamed();
    void dialogFollowsTheShownRows();
    void saveWritesTheReportLines();
    void runningOutOfMemoryOpensNoDialog();
};

void TestVisitorStatisticsDialog::chartMapsPositionsToColumnsFromOneToThousandsOfDays()
{
    for (const int count : {1, 10, 400, 3000}) {
        VisitorChart chart;
        const std::vector<DayFigures> days = daysWithGaps(count);
        chart.setDays(days);
        chart.resize(std::max(600, chart.minimumSizeHint().width()), 300);
        QCOMPARE(chart.columnCount(), count);
        // Every column, zero days included, is found across its own slot.
        const double slot =
            count > 1
                ? double(chart.columnFoot(count - 1).x() - chart.columnFoot(0).x()) / (count - 1)
                : 100.0;
        const QPoint quarter(int(slot / 4), 0);
        for (qsizetype i = 0; i < count; ++i) {
            QCOMPARE(chart.columnAt(chart.columnFoot(i)), i);
            QCOMPARE(chart.columnAt(chart.columnFoot(i) - quarter), i);
            QCOMPARE(chart.columnAt(chart.columnFoot(i) + quarter), i);
        }
        QCOMPARE(chart.columnAt(QPoint(1, 150)), -1); // left of the axis
        QCOMPARE(chart.columnAt(QPoint(300, 1)), -1); // above the plot
        QCOMPARE(chart.columnAt(QPoint(chart.width() - 1, 150)), -1);

        // Labels never overlap: the step gives each at least the width of "12/31".
        if (count > 1)
            QVERIFY(slot * double(chart.labelStep()) >=
                    chart.fontMetrics().horizontalAdvance(u"12/31"_s));
        const auto most = std::max_element(days.begin(), days.end(),
                                           [](auto& a, auto& b) { return a.hits < b.hits; });
        QVERIFY(chart.axisTop() >= most->hits);
        QCOMPARE(chart.axisTop() % chart.tickStep(), 0);
        QVERIFY(chart.axisTop() / chart.tickStep() <= 10);
    }
    QCOMPARE(niceAxis(0), std::make_pair(qint64(1), qint64(1)));
    QCOMPARE(niceAxis(7), std::make_pair(qint64(8), qint64(2)));
    QCOMPARE(niceAxis(1234), std::make_pair(qint64(1500), qint64(500)));
}

void TestVisitorStatisticsDialog::chartHoverAndClickNameTheirColumn()
{
    VisitorChart chart;
    chart.setDays(daysWithGaps(10));
    chart.resize(600, 300);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));

    // Day 2020/01/02 has no hits: its tooltip still names it.
    QTest::mouseMove(&chart, chart.columnFoot(1));
    QTRY_COMPARE(chart.hoveredColumn(), 1);
    QCOMPARE(chart.figuresText(1), u"2020/01/02 (木)\nヒット: 0\n訪問者: 0\nバイト: 0"_s);
    QVERIFY(chart.figuresText(3).endsWith(u"ヒット: 258\n訪問者: 129\nバイト: 258,000"_s));

    QSignalSpy clicked(&chart, &VisitorChart::columnClicked);
    QTest::mouseClick(&chart, Qt::LeftButton, {}, chart.columnFoot(7));
    QCOMPARE(clicked.size(), 1);
    QCOMPARE(clicked.at(0).at(0).value<qsizetype>(), 7);
    QTest::mouseClick(&chart, Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(clicked.size(), 1);

    std::array<HourFigures, 24> hours{};
    hours[13] = {5, 2};
    chart.setHours(hours);
    QCOMPARE(chart.columnCount(), 24);
    QCOMPARE(chart.hoveredColumn(), -1);
    QCOMPARE(chart.columnAt(chart.columnFoot(0)), 0);
    QCOMPARE(chart.columnAt(chart.columnFoot(23)), 23);
    QCOMPARE(chart.figuresText(13), u"13時台\nヒット: 5\n訪問者: 2"_s);
}

void TestVisitorStatisticsDialog::clickOnAColumnKeepsThatDayOrHour()
{
    Rig rig;
    VisitorStatisticsDialog* days = rig.open(VisitorStatistic::Days);
    QVERIFY(days && days->chart());
    QCOMPARE(days->chart()->columnCount(), 4);
    QSignalSpy narrowed(days, &VisitorStatisticsDialog::drillDownRequested);
    for (const qsizetype column : {0, 2, 3})
        QTest::mouseClick(days->chart(), Qt::LeftButton, {}, days->chart()->columnFoot(column));
    QCOMPARE(narrowed.size(), 3);
    QCOMPARE(rig.kept(condition(narrowed, 0)), (std::vector<quint32>{0, 1, 2}));
    QCOMPARE(rig.kept(condition(narrowed, 1)), std::vector<quint32>{}); // the zero day
    QCOMPARE(rig.kept(condition(narrowed, 2)), (std::vector<quint32>{5, 6, 7}));
    QCOMPARE(condition(narrowed, 2).label(), u"日付 = 2026/12/04"_s);

    VisitorStatisticsDialog* hours = rig.open(VisitorStatistic::Hours);
    QSignalSpy hourNarrowed(hours, &VisitorStatisticsDialog::drillDownRequested);
    QTest::mouseClick(hours->chart(), Qt::LeftButton, {}, hours->chart()->columnFoot(13));
    QCOMPARE(hourNarrowed.size(), 1);
    QCOMPARE(rig.kept(condition(hourNarrowed)), (std::vector<quint32>{2, 3, 6, 7}));

    // The context menu offers the same.
    QMenu* menu = hours->makeContextMenu(hours->chart(), hours->chart()->columnFoot(23));
    QAction* narrow = menu->findChild<QAction*>(u"actDrillDown"_s);
    QVERIFY(narrow);
    narrow->trigger();
    QCOMPARE(rig.kept(condition(hourNarrowed, 1)), (std::vector<quint32>{4}));
    delete menu;
    delete days;
    delete hours;
}

void TestVisitorStatisticsDialog::barDrillDownKeepsExactlyTheEntrysRows()
{
    Rig rig;
    for (const VisitorStatistic statistic :
         {VisitorStatistic::Agents, VisitorStatistic::Os, VisitorStatistic::Bots,
          VisitorStatistic::Pages, VisitorStatistic::Status, VisitorStatistic::Referrers}) {
        VisitorStatisticsDialog* dialog = rig.open(statistic);
        QVERIFY(dialog && dialog->barList());
        BarList* bars = dialog->barList();
        bars->resize(500, 20 * bars->rowHeight()); // every entry in view
        const KeyCounts& counts = bars->counts();
        QVERIFY2(!counts.entries.empty(), qPrintable(dialog->windowTitle()));
        QSignalSpy narrowed(dialog, &VisitorStatisticsDialog::drillDownRequested);
        for (qsizetype i = 0; i < qsizetype(counts.entries.size()); ++i) {
            const QPoint pos(100, int(i) * bars->rowHeight() + bars->rowHeight() / 2);
            QCOMPARE(bars->entryAt(pos), i);
            QTest::mouseDClick(bars->viewport(), Qt::LeftButton, {}, pos);
            QCOMPARE(narrowed.size(), i + 1);
            const std::vector<quint32> kept = rig.kept(condition(narrowed, int(i)));
            QCOMPARE(qint64(kept.size()), counts.entries[std::size_t(i)].count);
            for (const quint32 row : kept)
                QCOMPARE(keyOfRow(statistic, rig.list, row), counts.entries[std::size_t(i)].key);
        }
        // Below the last entry nothing is offered.
        const QPoint below(100, int(counts.entries.size()) * bars->rowHeight() + 2);
        QMenu* menu = dialog->makeContextMenu(bars->viewport(), below);
        QVERIFY(menu->isEmpty());
        delete menu;
        delete dialog;
    }
}

void TestVisitorStatisticsDialog::barsShowHostileKeysTamed()
{
    QCOMPARE(BarList::shownKey({}), u"（空）"_s);
    QCOMPARE(BarList::shownKey(u"/a\tb\r\n\x1b[31m\u202egnp.exe"_s),
             u"/a\u2409b\u240d\u240a\u241b[31m\ufffdgnp.exe"_s);
    // Megabyte keys among thousands: each is shown by its ends.
    KeyCounts counts;
    for (int i = 0; i < 3000; ++i)
        counts.entries.push_back({QString(i < 20 ? 1 << 20 : 10, QChar(u'a' + i % 26)), 3000 - i});
    counts.counted = 3000 * 3001 / 2;
    QCOMPARE(BarList::shownKey(counts.entries[0].key).size(), 401);
    BarList bars;
    bars.resize(500, 300);
    bars.setCounts(std::move(counts));
    QVERIFY(!bars.viewport()->grab().isNull());
    QCOMPARE(bars.figuresText(0), u"3,000 (0.07%)"_s);
}

void TestVisitorStatisticsDialog::dialogFollowsTheShownRows()
{
    Rig rig;
    VisitorStatisticsDialog* all = rig.open(VisitorStatistic::Status);
    QCOMPARE(all->windowTitle(), u"ステータス統計"_s);
    QCOMPARE(all->barList()->counts().counted, 9);

    const std::vector<quint32> shownRows = {2, 4, 6, 7};
    const RowSubset shown(shownRows);
    VisitorStatisticsDialog* some = rig.open(VisitorStatistic::Status, &shown);
    QCOMPARE(some->windowTitle(), u"ステータス統計 (フィルタ適用中)"_s);
    const KeyCounts& counts = some->barList()->counts();
    QCOMPARE(counts.counted, 4);
    QCOMPARE(counts.entries.size(), 3u);
    QCOMPARE(counts.entries[0].key, u"404"_s);
    QCOMPARE(counts.entries[0].count, 2);
    QCOMPARE(some->barList()->figuresText(0), u"2 (50.00%)"_s);

    VisitorStatisticsDialog* days = rig.open(VisitorStatistic::Days, &shown);
    const auto& figures = std::get<std::vector<DayFigures>>(days->figures());
    QCOMPARE(figures.size(), 4u);
    QCOMPARE(figures[0].hits, 1);
    QCOMPARE(figures[3].hits, 2);

    // No row shown: an empty chart that offers nothing.
    const RowSubset none(std::span<const quint32>{});
    VisitorStatisticsDialog* empty = rig.open(VisitorStatistic::Days, &none);
    QCOMPARE(empty->chart()->columnCount(), 0);
    QVERIFY(!empty->chart()->grab().isNull());
    QVERIFY(!empty->conditionAt(empty->chart(), QPoint(300, 150)));
    delete all;
    delete some;
    delete days;
    delete empty;
}

void TestVisitorStatisticsDialog::saveWritesTheReportLines()
{
    Rig rig;
    VisitorStatisticsDialog* dialog = rig.open(VisitorStatistic::Status);
    const QString path = rig.dir.filePath(u"status.txt"_s);
    rig.prompts.fileNames.enqueue(path);
    dialog->findChild<QAction*>(u"SAVE"_s)->trigger();
    QCOMPARE(rig.prompts.dialogs.size(), 1);
    QCOMPARE(rig.prompts.dialogs[0].request.initialName, u"st_20261207.txt"_s);
    QCOMPARE(rig.prompts.boxes.last().text, u"保存しました"_s);

    const QByteArray bytes = test::readBytes(path);
    const QString text = cp932::decode(bytes);
    QVERIFY(text.contains(u"\r\n [ステータス統計]\r\n"_s));
    QVERIFY(text.contains(QString::fromUtf8(dialog->reportBody())));
    QVERIFY(text.contains(u"5\t55.56%\t200\r\n"_s));
    QVERIFY(text.endsWith(u"\r\n[EOF]\r\n"_s));
    QCOMPARE(bytes.count("\n"), bytes.count("\r\n"));
    delete dialog;
}

void TestVisitorStatisticsDialog::runningOutOfMemoryOpensNoDialog()
{
    Rig rig;
    QWidget owner;
    const LongWorkRunner failing = [](const std::function<void()>&) { throw std::bad_alloc(); };
    QVERIFY(!showVisitorStatisticsDialog(VisitorStatistic::Days, rig.list, rig.settings,
                                         rig.prompts, rig.clock, &owner, failing));
    QVERIFY(owner.findChildren<VisitorStatisticsDialog*>().isEmpty());
    QCOMPARE(rig.prompts.boxes.size(), 1);
    QCOMPARE(rig.prompts.boxes[0].text, u"メモリが不足しています。"_s);
}

QTEST_MAIN(TestVisitorStatisticsDialog)
#include "tst_visitor_statistics_dialog.moc"
