#include "analysis/first_seen_tally.h"

#include <QByteArrayList>
#include <QRandomGenerator>
#include <QTest>

using namespace tw;

class TestFirstSeenTally : public QObject {
    Q_OBJECT

private slots:
    // Against a plain search of the table on thousands of keys (the table grows many times):
    // the empty key, keys that are prefixes of others, rows left out.
    void countsInFirstSeenOrder()
    {
        QRandomGenerator random(7);
        QByteArrayList rows;
        for (int i = 0; i < 20000; ++i) {
            const int n = random.bounded(3000);
            rows << (n % 97 == 0 ? QByteArray() : QByteArray(n % 5, 'a') + QByteArray::number(n));
        }
        const FirstSeenTally tally(rows.size(), [&rows](qsizetype row) {
            return row % 11 == 0 ? std::nullopt : std::optional(QByteArrayView(rows[row]));
        });

        QByteArrayList keys;
        QList<qint64> counts;
        qint64 total = 0;
        for (qsizetype row = 0; row < rows.size(); ++row) {
            if (row % 11 == 0)
                continue;
            ++total;
            const qsizetype at = keys.indexOf(rows[row]);
            if (at < 0) {
                keys << rows[row];
                counts << 1;
            } else {
                ++counts[at];
            }
        }
        QCOMPARE(tally.size(), keys.size());
        QCOMPARE(tally.total(), total);
        for (qsizetype i = 0; i < keys.size(); ++i) {
            QCOMPARE(tally.key(i), QByteArrayView(keys[i]));
            QCOMPARE(tally.counts()[std::size_t(i)], counts[i]);
        }
    }
};

QTEST_GUILESS_MAIN(TestFirstSeenTally)
#include "tst_first_seen_tally.moc"
