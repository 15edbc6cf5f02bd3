#include "analysis/count_order.h"

#include <QRandomGenerator>
#include <QTest>

#include <utility>

using namespace tw;

namespace {

// The exchange procedure as the statistics are defined, kept here as the reference.
std::vector<qsizetype> exchangeSorted(const std::vector<qint64>& counts)
{
    std::vector<std::pair<qint64, qsizetype>> table;
    for (std::size_t i = 0; i < counts.size(); ++i)
        table.emplace_back(counts[i], qsizetype(i));
    for (qsizetype a = qsizetype(table.size()) - 1; a >= 0; --a) {
        for (qsizetype b = qsizetype(table.size()) - 1; b >= a; --b) {
            if (table[std::size_t(a)].first < table[std::size_t(b)].first)
                std::swap(table[std::size_t(a)], table[std::size_t(b)]);
        }
    }
    std::vector<qsizetype> order;
    for (const auto& entry : table)
        order.push_back(entry.second);
    return order;
}

} // namespace

class TestCountOrder : public QObject {
    Q_OBJECT

private slots:
    void knownTables_data()
    {
        QTest::addColumn<QList<qint64>>("counts");
        QTest::addColumn<QList<qsizetype>>("expected");
        QTest::newRow("empty") << QList<qint64>{} << QList<qsizetype>{};
        QTest::newRow("one") << QList<qint64>{5} << QList<qsizetype>{0};
        // A (1), B (2), C (2) in first-appearance order end as C, B, A.
        QTest::newRow("A1 B2 C2") << QList<qint64>{1, 2, 2} << QList<qsizetype>{2, 1, 0};
        QTest::newRow("all equal keep first appearance")
            << QList<qint64>{3, 3, 3, 3} << QList<qsizetype>{0, 1, 2, 3};
        QTest::newRow("ascending") << QList<qint64>{1, 2, 3} << QList<qsizetype>{2, 1, 0};
        QTest::newRow("descending") << QList<qint64>{3, 2, 1} << QList<qsizetype>{0, 1, 2};
        // A smaller count before a run of larger ones rotates that run's last entry to its front.
        QTest::newRow("rotation") << QList<qint64>{1, 2, 2, 2} << QList<qsizetype>{3, 1, 2, 0};
        QTest::newRow("two rotations")
            << QList<qint64>{1, 1, 2, 2, 2} << QList<qsizetype>{3, 4, 2, 0, 1};
        QTest::newRow("smaller after the run")
            << QList<qint64>{2, 2, 1, 2} << QList<qsizetype>{0, 1, 3, 2};
    }
    void knownTables()
    {
        QFETCH(QList<qint64>, counts);
        QFETCH(QList<qsizetype>, expected);
        const std::vector<qsizetype> order = countOrder({counts.begin(), counts.end()});
        QCOMPARE(QList<qsizetype>(order.begin(), order.end()), expected);
    }

    // The fast order against the procedure itself on tables of many shapes.
    void matchesExchangeProcedure_data()
    {
        QTest::addColumn<qint64>("maxCount");
        QTest::newRow("one group") << qint64(1);
        QTest::newRow("two values") << qint64(2);
        QTest::newRow("many ties") << qint64(4);
        QTest::newRow("some ties") << qint64(30);
        QTest::newRow("mostly distinct") << qint64(1000000000);
    }
    void matchesExchangeProcedure()
    {
        QFETCH(qint64, maxCount);
        QRandomGenerator random(quint32(maxCount * 7919 + 17));
        for (int round = 0; round < 1500; ++round) {
            const int size = random.bounded(301);
            std::vector<qint64> counts(std::size_t(size), 0);
            for (auto& c : counts)
                c = 1 + random.bounded(maxCount);
            const std::vector<qsizetype> fast = countOrder(counts);
            const std::vector<qsizetype> reference = exchangeSorted(counts);
            if (fast != reference) {
                QString table;
                for (qint64 c : counts)
                    table += QString::number(c) + QLatin1Char(' ');
                QFAIL(qPrintable(QStringLiteral("order differs for counts: ") + table));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestCountOrder)
#include "tst_count_order.moc"
