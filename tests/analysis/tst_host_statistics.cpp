#include "analysis/host_statistics.h"
#include "core/log_list.h"
#include "support/log_rows.h"

#include <QRandomGenerator>
#include <QTest>

using namespace tw;
using namespace Qt::StringLiterals;

namespace {

// Backtracking matcher for patterns of "*" (any run) and "#" (one digit) and literal bytes.
bool likeMatch(QByteArrayView text, QByteArrayView pattern)
{
    if (pattern.isEmpty())
        return text.isEmpty();
    if (pattern.front() == '*') {
        for (qsizetype skip = 0; skip <= text.size(); ++skip) {
            if (likeMatch(text.sliced(skip), pattern.sliced(1)))
                return true;
        }
        return false;
    }
    if (text.isEmpty())
        return false;
    const char c = text.front();
    const bool ok = pattern.front() == '#' ? (c >= '0' && c <= '9') : c == pattern.front();
    return ok && likeMatch(text.sliced(1), pattern.sliced(1));
}

QString expectedReport(qint64 total, const QStringList& entries)
{
    QString text =
        u"    ＊＊＊ ホスト統計 ＊＊＊\r\n  カウント\tホスト名        有効カウント数:"_s +
        QString::number(total) + u"\r\n"_s;
    for (const QString& entry : entries)
        text += u"  "_s + entry + u"\r\n"_s;
    return text;
}

} // namespace

class TestHostStatistics : public QObject {
    Q_OBJECT

private slots:
    void numericPattern_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("numeric");
        QTest::newRow("address") << u"192.168.0.1"_s << true;
        QTest::newRow("short address") << u"10.0.0.1"_s << true;
        QTest::newRow("prefixed address") << u"host-10.1.2.3"_s << true;
        QTest::newRow("five numbers") << u"1.2.3.4.5"_s << true;
        QTest::newRow("letters between") << u"a1.b2.c3.d4"_s << true;
        QTest::newRow("ends in a name") << u"1.2.3.4.example"_s << false;
        QTest::newRow("ends in a letter") << u"10.0.0.1a"_s << false;
        QTest::newRow("only two digit dots") << u"a.1.2.3"_s << false;
        QTest::newRow("names") << u"p1234-ip01.tokyo.example.ne.jp"_s << false;
        QTest::newRow("dot last") << u"1.2.3.4."_s << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("digits without dots") << u"1234"_s << false;
        QTest::newRow("full-width digits") << u"１.２.３.４"_s << false;
    }
    void numericPattern()
    {
        QFETCH(QString, host);
        QFETCH(bool, numeric);
        QCOMPARE(isNumericHost(host.toUtf8()), numeric);
        QCOMPARE(likeMatch(host.toUtf8(), "*#.*#.*#.*#"), numeric);
    }

    void numericPatternAgreesWithWildcards()
    {
        QRandomGenerator random(4711);
        const char alphabet[] = "01.a-";
        for (int round = 0; round < 20000; ++round) {
            QByteArray host;
            const int length = random.bounded(14);
            for (int i = 0; i < length; ++i)
                host += alphabet[random.bounded(5)];
            QVERIFY2(isNumericHost(host) == likeMatch(host, "*#.*#.*#.*#"), host.constData());
        }
    }

    void report_data()
    {
        QTest::addColumn<QStringList>("hosts");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty list") << QStringList{} << expectedReport(0, {u"0回\t"_s});
        QTest::newRow("nothing groupable")
            << QStringList{u""_s, u"10.0.0.1"_s, u"mail.example.jp"_s, u"host-10.1.2.3"_s}
            << expectedReport(0, {u"0回\t"_s});
        QTest::newRow("example") << QStringList{u"a1.tokyo.example.ne.jp"_s, u"192.168.0.1"_s,
                                                u"b2.osaka.example.ne.jp"_s}
                                 << expectedReport(2, {u"2回\t*.example.ne.jp"_s});
        QTest::newRow("third-last dot") << QStringList{u"p1234-ip01.tokyo.example.ne.jp"_s}
                                        << expectedReport(1, {u"1回\t*.example.ne.jp"_s});
        QTest::newRow("exactly three dots")
            << QStringList{u"a.b.c.d"_s} << expectedReport(1, {u"1回\t*.b.c.d"_s});
        QTest::newRow("final dot kept")
            << QStringList{u"a.b.c."_s} << expectedReport(1, {u"1回\t*.b.c."_s});
        QTest::newRow("numbers then a name")
            << QStringList{u"1.2.3.4.example"_s} << expectedReport(1, {u"1回\t*.3.4.example"_s});
        QTest::newRow("case makes separate groups")
            << QStringList{u"x.A.example.jp"_s, u"y.a.example.jp"_s, u"z.a.example.jp"_s}
            << expectedReport(3, {u"2回\t*.a.example.jp"_s, u"1回\t*.A.example.jp"_s});
        QTest::newRow("ties: A1 B2 C2 give C B A")
            << QStringList{u"1.a.example.jp"_s, u"1.b.example.jp"_s, u"2.b.example.jp"_s,
                           u"1.c.example.jp"_s, u"2.c.example.jp"_s}
            << expectedReport(5, {u"2回\t*.c.example.jp"_s, u"2回\t*.b.example.jp"_s,
                                  u"1回\t*.a.example.jp"_s});
        QTest::newRow("non-ASCII labels") << QStringList{u"a.例え.日本.jp"_s, u"b.例え.日本.jp"_s}
                                          << expectedReport(2, {u"2回\t*.例え.日本.jp"_s});
    }
    void report()
    {
        QFETCH(QStringList, hosts);
        QFETCH(QString, expected);
        LogList list;
        test::appendHostRows(list, hosts);
        QCOMPARE(hostStatisticsText(list), expected);
    }

    void readsRowsInDisplayOrder()
    {
        // First appearance decides ties, so the list's current order must be the one read.
        LogList list;
        test::appendHostRows(list, {u"2.b.example.jp"_s, u"1.a.example.jp"_s});
        QCOMPARE(hostStatisticsText(list),
                 expectedReport(2, {u"1回\t*.b.example.jp"_s, u"1回\t*.a.example.jp"_s}));
        list.sortByHeader(ColHost);
        QCOMPARE(hostStatisticsText(list),
                 expectedReport(2, {u"1回\t*.a.example.jp"_s, u"1回\t*.b.example.jp"_s}));
    }
};

QTEST_GUILESS_MAIN(TestHostStatistics)
#include "tst_host_statistics.moc"
