#include "analysis/visitor_key_counts.h"
#include "analysis/visitor_keys.h"
#include "analysis/visitor_lines.h"
#include "analysis/visitor_statistics.h"
#include "core/log_list.h"
#include "core/log_reader.h"
#include "support/log_rows.h"
#include "support/web_logs.h"

#include <QTest>

#include <numeric>

using namespace tw;
using namespace Qt::StringLiterals;

namespace {

// On the 1st two visitors (10.0.0.1 twice, a host name once), none on the 2nd, two on the 3rd
// (10.0.0.1 again, with another user agent).
const QByteArray kCombined =
    "10.0.0.1 - - [01/Dec/2026:09:10:00 +0900] \"GET /a/b?x=1 HTTP/1.1\" 200 100 \"-\" \"UA1\"\n"
    "10.0.0.1 - - [01/Dec/2026:09:20:00 +0900] \"GET /a/b HTTP/1.1\" 404 - "
    "\"https://user@Example.com:8080/p?q\" \"UA1\"\n"
    "host.example.jp - - [01/Dec/2026:23:59:59 +0900] \"GET /c HTTP/1.1\" 200 50 \"\" \"UA1\"\n"
    "10.0.0.1 - - [03/Dec/2026:09:00:00 +0900] \"POST /a/b?y HTTP/1.0\" 500 7 \"http://[::1]:80/\" "
    "\"UA2\"\n"
    "10.0.0.2 - - [03/Dec/2026:10:00:00 +0900] \"-\" 408 - \"https://example.com/\" \"UA1\"\n";

LogList& combinedList()
{
    static LogList list;
    if (list.rowCount() == 0) {
        ReadResult read = parseLogBytes(kCombined);
        list.append(std::move(read.batch));
    }
    return list;
}

QStringList lines(VisitorStatistic statistic, const LogList& list, const RowSubset& rows = {},
                  qsizetype top = -1)
{
    return visitorStatisticLines(statistic, list, rows, top).value_or(QStringList{u"(none)"_s});
}

} // namespace

class TestVisitorStatistics : public QObject {
    Q_OBJECT

private slots:
    void keyRules_data();
    void keyRules();
    void keyedStatistics();
    void daysAndHours();
    void followTheSubset();
    void rowsWithoutTheFieldAreNotCounted();
    void hostileBytesDoNotWrap();
    void cancelled();
};

void TestVisitorStatistics::keyRules_data()
{
    QTest::addColumn<int>("rule");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("key"); // "(none)": not counted

    const auto row = [](int rule, const char* text, const QString& key) {
        QTest::addRow("%d %s", rule, text) << rule << QByteArray(text) << key;
    };
    row(0, "GET /a/b?x=1 HTTP/1.1", u"/a/b"_s);
    row(0, "GET /?x", u"/"_s);
    row(0, "OPTIONS * HTTP/1.1", u"*"_s);
    row(0, "GET http://proxy.example/x?y HTTP/1.0", u"http://proxy.example/x"_s);
    row(0, "-", u"-"_s);
    row(0, "GET", u"-"_s);
    row(0, "GET ?x HTTP/1.1", u"-"_s);
    row(0, "", u"(none)"_s);
    row(1, "https://www.example.com/a?b", u"www.example.com"_s);
    row(1, "http://u:p@example.com:8080", u"example.com"_s);
    row(1, "http://[2001:db8::1]:8080/x", u"[2001:db8::1]"_s);
    row(1, "http://[2001:db8::1]/x", u"[2001:db8::1]"_s);
    row(1, "android-app://com.example.app/", u"com.example.app"_s);
    row(1, "www.example.com/page", u"www.example.com"_s);
    row(1, "/local?u=http://x/", u"-"_s);
    row(1, "file:///etc/passwd", u"-"_s);
    row(1, "-", u"-"_s);
    row(1, "", u"-"_s);
    row(2, "2026/12/01 10:00:00", u"2026/12/01"_s);
    row(2, "2026/12/01", u"2026/12/01"_s);
    row(2, "2026/02/29 10:00:00", u"(none)"_s);
    row(2, "0000/01/01 10:00:00", u"(none)"_s);
    row(2, "2026/1/01 10:00:00", u"(none)"_s);
    row(2, "2026/12/01x", u"(none)"_s);
    row(3, "12345", u"12345"_s);
    row(3, "-", u"0"_s);
    row(3, "12a", u"0"_s);
    row(3, "99999999999999999999", u"0"_s);
}

void TestVisitorStatistics::keyRules()
{
    QFETCH(int, rule);
    QFETCH(QByteArray, text);
    QFETCH(QString, key);
    std::optional<QString> got;
    switch (rule) {
    case 0:
        if (const auto path = requestPathKey(text))
            got = QString::fromUtf8(*path);
        break;
    case 1:
        got = QString::fromUtf8(referrerHostKey(text));
        break;
    case 2:
        if (const auto day = dayOfDateTime(text))
            got = day->toString(u"yyyy/MM/dd"_s);
        break;
    default:
        got = QString::number(responseBytes(text));
    }
    QCOMPARE(got.value_or(u"(none)"_s), key);
}

void TestVisitorStatistics::keyedStatistics()
{
    const LogList& list = combinedList();
    QCOMPARE(list.rowCount(), 5);
    QCOMPARE(lines(VisitorStatistic::Pages, list),
             QStringList({u"3\t60.00%\t/a/b"_s, u"1\t20.00%\t-"_s, u"1\t20.00%\t/c"_s}));
    QCOMPARE(lines(VisitorStatistic::Status, list),
             QStringList({u"2\t40.00%\t200"_s, u"1\t20.00%\t404"_s, u"1\t20.00%\t408"_s,
                          u"1\t20.00%\t500"_s}));
    // "-" and empty are one entry; the host keeps the case it was logged in.
    QCOMPARE(lines(VisitorStatistic::Referrers, list),
             QStringList({u"2\t40.00%\t-"_s, u"1\t20.00%\tExample.com"_s, u"1\t20.00%\t[::1]"_s,
                          u"1\t20.00%\texample.com"_s}));
    QCOMPARE(lines(VisitorStatistic::Status, list, {}, 2),
             QStringList({u"2\t40.00%\t200"_s, u"1\t20.00%\t404"_s}));
    QCOMPARE(lines(VisitorStatistic::Status, list, {}, 0), QStringList());
    QCOMPARE(keyOfRow(VisitorStatistic::Pages, list, 3), std::optional(u"/a/b"_s));
    QCOMPARE(keyOfRow(VisitorStatistic::Referrers, list, 2), std::optional(u"-"_s));

    // Keys that differ past a surrogate pair sort by code point, not by UTF-16 unit.
    KeyCounts odd{{{u"\U0001F600"_s, 1}, {u"\uFF41"_s, 1}, {u"a\tb"_s, 1}}, 3};
    sortKeyCounts(odd.entries);
    QCOMPARE(keyCountLines(odd), QStringList({u"1\t33.33%\ta b"_s, u"1\t33.33%\t\uFF41"_s,
                                              u"1\t33.33%\t\U0001F600"_s}));
}

void TestVisitorStatistics::daysAndHours()
{
    const LogList& list = combinedList();
    // The 2nd has no row and is listed all the same; 10.0.0.1 and the host name are two
    // visitors, 10.0.0.1 with UA2 is another visitor than with UA1.
    QCOMPARE(lines(VisitorStatistic::Days, list),
             QStringList(
                 {u"2026/12/01\t3\t2\t150"_s, u"2026/12/02\t0\t0\t0"_s, u"2026/12/03\t2\t2\t7"_s}));
    const QStringList hours = lines(VisitorStatistic::Hours, list);
    QCOMPARE(hours.size(), 24);
    QCOMPARE(hours[0], u"00\t0\t0"_s);
    // 10.0.0.1 with UA1 at 9 on the 1st twice and 10.0.0.1 with UA2 on the 3rd.
    QCOMPARE(hours[9], u"09\t3\t2"_s);
    QCOMPARE(hours[10], u"10\t1\t1"_s);
    QCOMPARE(hours[23], u"23\t1\t1"_s);
    QCOMPARE(lines(VisitorStatistic::Days, list, {}, 1), QStringList(u"2026/12/01\t3\t2\t150"_s));
}

void TestVisitorStatistics::followTheSubset()
{
    // Many rows, so every core takes a share; the subset leaves out every third row.
    LogList list;
    test::Rows rows;
    for (int i = 0; i < 300000; ++i) {
        rows << QStringList{u"UA%1"_s.arg(i % 7),
                            u"h%1"_s.arg(i % 1000),
                            {},
                            u"2026/12/%1 %2:00:00"_s.arg(1 + i % 3, 2, 10, QChar(u'0'))
                                .arg(i % 24, 2, 10, QChar(u'0')),
                            u"http://r%1.example/"_s.arg(i % 5)};
    }
    test::appendRows(list, rows);
    std::vector<quint32> kept;
    for (quint32 i = 0; i < 300000; ++i) {
        if (i % 3 != 2)
            kept.push_back(i);
    }
    const auto days = dayFigures(list, RowSubset(kept));
    QVERIFY(days);
    QCOMPARE(days->size(), std::size_t(2)); // the 3rd is every third row
    for (const DayFigures& d : *days) {
        QCOMPARE(d.hits, qint64(100000));
        // Host i % 1000 and agent i % 7 on day i % 3: 7,000 pairs repeat every 21,000 rows.
        QCOMPARE(d.visitors, qint64(7000));
    }
    const auto referrers = countKeys(VisitorStatistic::Referrers, list, RowSubset(kept));
    QVERIFY(referrers);
    QCOMPARE(referrers->counted, qint64(kept.size()));
    QCOMPARE(referrers->entries.size(), std::size_t(5));
    const auto hours = hourFigures(list, RowSubset(kept));
    QVERIFY(hours);
    QCOMPARE(std::accumulate(hours->begin(), hours->end(), qint64(0),
                             [](qint64 n, const HourFigures& h) { return n + h.hits; }),
             qint64(kept.size()));
}

void TestVisitorStatistics::rowsWithoutTheFieldAreNotCounted()
{
    // A list file has no request or status; rows without a date-time have no day, a row
    // without a user agent (Common Log Format) no browser or system.
    LogList list;
    test::appendRows(list, {{u"UA"_s, u"h"_s, {}, u"2026/12/01 10:00:00"_s, u"-"_s},
                            {u"UA"_s, u"h"_s, {}, u"昨日"_s, u"-"_s},
                            {{}, u"h"_s, {}, {}, u"-"_s}});
    QCOMPARE(countKeys(VisitorStatistic::Agents, list)->counted, qint64(2));
    QCOMPARE(countKeys(VisitorStatistic::Os, list)->counted, qint64(2));
    QCOMPARE(lines(VisitorStatistic::Pages, list), QStringList());
    QCOMPARE(countKeys(VisitorStatistic::Status, list)->counted, qint64(0));
    QCOMPARE(lines(VisitorStatistic::Days, list), QStringList(u"2026/12/01\t1\t1\t0"_s));
    QCOMPARE(lines(VisitorStatistic::Days, LogList()), QStringList());
}

void TestVisitorStatistics::hostileBytesDoNotWrap()
{
    // Ten responses claiming 18 digits of bytes each: more than a 64-bit sum holds.
    LogList list;
    QList<QStringList> rows;
    for (int i = 0; i < 10; ++i)
        rows << QStringList{u"UA"_s,  u"h"_s,
                            {},       u"2026/12/01 10:00:00"_s,
                            u"-"_s,   u"GET / HTTP/1.1"_s,
                            u"200"_s, u"999999999999999999"_s};
    list.append(test::webBatch(test::kWebFields | kColumnFields, rows));
    QCOMPARE(dayFigures(list)->front().bytes, std::numeric_limits<qint64>::max());
}

void TestVisitorStatistics::cancelled()
{
    const std::atomic<bool> cancel = true;
    const LogList& list = combinedList();
    QVERIFY(!countKeys(VisitorStatistic::Pages, list, {}, &cancel));
    QVERIFY(!dayFigures(list, {}, &cancel));
    QVERIFY(!hourFigures(list, {}, &cancel));
}

QTEST_GUILESS_MAIN(TestVisitorStatistics)
#include "tst_visitor_statistics.moc"
