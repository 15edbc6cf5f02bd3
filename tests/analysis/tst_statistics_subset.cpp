#include "analysis/access_statistics.h"
#include "analysis/class_counts.h"
#include "analysis/host_statistics.h"
#include "core/log_list.h"
#include "support/log_rows.h"

#include <QRandomGenerator>
#include <QTest>

#include <numeric>

using namespace tw;
using namespace Qt::StringLiterals;

namespace {

const QStringList kPlatforms = {u"Sleipnir"_s, QString(), u"Lunascape"_s};

// Texts that hit every rule of the statistics: numeric, short and empty hosts, odd hours,
// repeated and distinct pages, user agents of every class and of the user platforms.
test::Rows randomRows(QRandomGenerator& random, int count)
{
    const QStringList agents = {u"Mozilla/4.0 (compatible; MSIE 6.0; Windows 98)"_s,
                                u"Mozilla/4.7 [ja] (Macintosh; I; PPC)"_s,
                                u"WWWC/1.04"_s,
                                u"DoCoMo/1.0/N503i"_s,
                                u"Mozilla/5.0 (X11; Linux) Sleipnir"_s,
                                u"Lunascape 1.0"_s,
                                u"curl/8.0"_s,
                                QString()};
    const QStringList hosts = {
        u"p1.tokyo.ocn.ne.jp"_s, u"p2.osaka.ocn.ne.jp"_s, u"a.b.c"_s, u"10.1.2.3"_s, QString(),
        u"x.y.example.co.jp"_s,  u"ホスト.例え.co.jp"_s};
    const QStringList times = {u"2001/05/01 09:05:00"_s,
                               u"2001/05/01  9:05"_s,
                               u"23:00"_s,
                               u"2001/05/01 24:00:00"_s,
                               QString(),
                               u"2001/05/02 00:59:59"_s};
    test::Rows rows;
    for (int i = 0; i < count; ++i) {
        rows << QStringList{agents[random.bounded(int(agents.size()))],
                            hosts[random.bounded(int(hosts.size()))], u"10.0.0.1"_s,
                            times[random.bounded(int(times.size()))],
                            u"http://site/p%1"_s.arg(random.bounded(12))};
    }
    return rows;
}

void fill(LogList& list, const test::Rows& rows)
{
    list.setUserPlatforms(UserPlatforms(kPlatforms));
    test::appendRows(list, rows);
}

} // namespace

class TestStatisticsSubset : public QObject {
    Q_OBJECT

private slots:
    // Over any subset, every statistic says what it says of a list holding only those rows; over
    // every row, what it says of the whole list.
    void subsetIsListOfItsRows()
    {
        QRandomGenerator random(20261207);
        for (int round = 0; round < 40; ++round) {
            const test::Rows rows = randomRows(random, random.bounded(1, 300));
            LogList list;
            fill(list, rows);

            std::vector<quint32> every(std::size_t(rows.size()));
            std::iota(every.begin(), every.end(), quint32(0));
            const RowSubset all(every);
            QCOMPARE(accessStatisticsText(list, 0, all), accessStatisticsText(list, 0));
            QCOMPARE(hostStatisticsText(list, all), hostStatisticsText(list));
            const ClassTally counted = countClasses(list, RowSubset());
            QCOMPARE(counted.browser, list.browserTally());
            QCOMPARE(counted.platform, list.platformTally());
            QCOMPARE(countClasses(list, all), counted);

            std::vector<quint32> picked;
            test::Rows pickedRows;
            const int share = random.bounded(0, 101);
            for (quint32 r = 0; r < quint32(rows.size()); ++r) {
                if (random.bounded(100) < share) {
                    picked.push_back(r);
                    pickedRows << rows[qsizetype(r)];
                }
            }
            LogList only;
            fill(only, pickedRows);
            const RowSubset subset(picked);
            const int aLogMax = random.bounded(-1, 5);
            QCOMPARE(accessStatisticsText(list, aLogMax, subset),
                     accessStatisticsText(only, aLogMax));
            QCOMPARE(hostStatisticsText(list, subset), hostStatisticsText(only));
            const ClassTally part = countClasses(list, subset);
            QCOMPARE(part.browser, only.browserTally());
            QCOMPARE(part.platform, only.platformTally());
            QCOMPARE(part.rows, qint64(picked.size()));
        }
    }

    // Cut rows stay in the list's own tallies but not in the counts of the rows left.
    void countsLeaveOutRemovedRows()
    {
        QRandomGenerator random(7);
        LogList list;
        fill(list, randomRows(random, 50));
        LogList rest;
        fill(rest, test::rowsOf(list).mid(10));
        list.removeRows({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
        const ClassTally counted = countClasses(list, RowSubset());
        QCOMPARE(counted.browser, rest.browserTally());
        QCOMPARE(counted.platform, rest.platformTally());
    }
};

QTEST_GUILESS_MAIN(TestStatisticsSubset)
#include "tst_statistics_subset.moc"
