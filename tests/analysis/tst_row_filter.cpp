#include "analysis/row_filter.h"
#include "core/cp932.h"
#include "core/log_list.h"
#include "support/web_logs.h"

#include <QRegularExpression>
#include <QTest>
#include <QThread>

#include <atomic>

using namespace tw;
using namespace Qt::StringLiterals;

namespace {

// 0x8790 as read from a file: the character and the mark of its other code.
const QString kNearlyEqualNec = u"≒"_s + QString::fromUcs4(&cp932::kCodeMarkFirst, 1);

// Rows of nine fields: browser, host, ip, datetime, referrer, request, status, bytes, vhost.
const QList<QStringList> kRows = {
    {u"Mozilla/4.0 (MSIE 6.0)"_s, u"a.example.ne.jp"_s, u"10.0.0.1"_s, u"2001/05/01 00:00:00"_s,
     u"http://www.google.co.jp/search?q=x"_s, u"GET /index.html HTTP/1.1"_s, u"200"_s, u"512"_s,
     u"www.site.jp"_s},
    {u"WWWC/1.04"_s, u"b.Example.co.jp"_s, u"10.0.0.2"_s, u"2001/05/01 23:59:59"_s, u"-"_s,
     u"GET /a.png HTTP/1.1"_s, u"404"_s, u"-"_s, u"img.site.jp"_s},
    {u"Mozilla/5.0 (X11; Linux)"_s, u""_s, u"192.168.1.1"_s, u"2001/05/02 00:00:00"_s,
     u"http://例え.jp/"_s + kNearlyEqualNec, u"POST /form HTTP/1.1"_s, u"302"_s, u"0"_s,
     u"www.site.jp"_s},
    // Date-times that are no date-time of the list's form.
    {u"curl/8.0"_s, u"c.example.ne.jp"_s, u""_s, u"2001/5/3 1:00:00"_s},
    {u"curl/8.0"_s, u"d.example.ne.jp"_s, u""_s, u"2001/02/29 10:00:00"_s},
    {u"curl/8.0"_s, u"e.example.ne.jp"_s, u""_s, u""_s},
};

void fill(LogList& list, const QList<QStringList>& rows)
{
    list.append(test::webBatch(kColumnFields | test::kWebFields, rows));
}

QList<quint32> kept(const LogList& list, const RowFilter& filter)
{
    const std::optional<std::vector<quint32>> rows = filterRows(list, filter);
    return rows ? QList<quint32>(rows->begin(), rows->end()) : QList<quint32>{quint32(999)};
}

} // namespace

class TestRowFilter : public QObject {
    Q_OBJECT

private slots:
    void conditions_data()
    {
        QTest::addColumn<FilterCondition>("condition");
        QTest::addColumn<QList<quint32>>("rows");
        using C = FilterCondition;
        QTest::newRow("host contains")
            << C::contains(ColHost, u"example.ne"_s, true) << QList<quint32>{0, 3, 4, 5};
        QTest::newRow("case counts")
            << C::contains(ColHost, u"example.co"_s, true) << QList<quint32>{};
        QTest::newRow("case ignored")
            << C::contains(ColHost, u"EXAMPLE.CO"_s, false) << QList<quint32>{1};
        QTest::newRow("does not contain")
            << C::contains(ColHost, u"example.ne"_s, true, true) << QList<quint32>{1, 2};
        QTest::newRow("only its own field")
            << C::contains(ColBrowser, u"10.0"_s, true) << QList<quint32>{};
        QTest::newRow("a web-log field")
            << C::contains(ColStatus, u"40"_s, true) << QList<quint32>{1};
        QTest::newRow("any field, web-log fields too")
            << C::contains(kAnyField, u"img.site"_s, true) << QList<quint32>{1};
        QTest::newRow("not across two fields")
            << C::contains(kAnyField, u"jp10.0"_s, false) << QList<quint32>{};
        QTest::newRow("either code of a character")
            << C::contains(ColPreviousPage, u"例え.jp/≒"_s, true) << QList<quint32>{2};
        QTest::newRow("empty text: a field with text")
            << C::contains(ColHost, QString(), true) << QList<quint32>{0, 1, 3, 4, 5};
        QTest::newRow("regex") << C::regex(ColRequest, u"^GET /\\w+\\.html"_s, true)
                               << QList<quint32>{0};
        QTest::newRow("regex, case ignored")
            << C::regex(ColBrowser, u"mozilla/[45]"_s, false) << QList<quint32>{0, 2};
        QTest::newRow("regex not matched")
            << C::regex(ColBrowser, u"^curl"_s, true, true) << QList<quint32>{0, 1, 2};
        QTest::newRow("regex on any field")
            << C::regex(kAnyField, u"^30[0-9]$"_s, true) << QList<quint32>{2};
        QTest::newRow("regex sees characters without code marks")
            << C::regex(ColPreviousPage, u"/≒$"_s, true) << QList<quint32>{2};
        QTest::newRow("from inclusive")
            << C::dateRange("2001/05/01 23:59:59", {}) << QList<quint32>{1, 2};
        QTest::newRow("until exclusive")
            << C::dateRange({}, "2001/05/02 00:00:00") << QList<quint32>{0, 1};
        QTest::newRow("both ends")
            << C::dateRange("2001/05/01 00:00:01", "2001/05/02 00:00:01") << QList<quint32>{1, 2};
        QTest::newRow("open range: date-times only")
            << C::dateRange({}, {}) << QList<quint32>{0, 1, 2};
        QTest::newRow("a bound of a day alone")
            << C::dateRange("2001/05/02", {}) << QList<quint32>{2};
        // Field numbers that name no field, as a damaged saved filter could hold: an empty text.
        QTest::newRow("a field far below")
            << C::contains(-1000000, u"a"_s, true, true) << QList<quint32>{0, 1, 2, 3, 4, 5};
        QTest::newRow("a field far above")
            << C::regex(1000000, u"^$"_s, true) << QList<quint32>{0, 1, 2, 3, 4, 5};
    }

    void conditions()
    {
        QFETCH(FilterCondition, condition);
        QFETCH(QList<quint32>, rows);
        LogList list;
        fill(list, kRows);
        QCOMPARE(kept(list, RowFilter{{condition}}), rows);
    }

    void conditionsAllHold()
    {
        LogList list;
        fill(list, kRows);
        QCOMPARE(kept(list, RowFilter{}), (QList<quint32>{0, 1, 2, 3, 4, 5}));
        RowFilter filter;
        filter.conditions.push_back(FilterCondition::contains(ColBrowser, u"Mozilla"_s, true));
        filter.conditions.push_back(FilterCondition::dateRange("2001/05/01 12:00:00", {}));
        QCOMPARE(kept(list, filter), QList<quint32>{2});
        filter.conditions.push_back(
            FilterCondition::custom(u"x"_s, [](const LogList& l, qsizetype row) {
                return l.field(row, ColIP) == "10.0.0.1";
            }));
        QCOMPARE(kept(list, filter), QList<quint32>{});
    }

    // A damaged saved filter still gets a label for its chip.
    void labelOfAFieldThatIsNone()
    {
        QVERIFY(FilterCondition::contains(-5, u"a"_s, true).label().contains(u"a"_s));
        QVERIFY(FilterCondition::regex(kMaxFieldCount, u"b"_s, true).label().contains(u"b"_s));
    }

    void invalidPatterns()
    {
        QVERIFY(regexError(u"a(b|c)+"_s).isEmpty());
        QVERIFY(!regexError(u"a(b"_s).isEmpty());
        const RowFilter filter{{FilterCondition::regex(ColHost, u"[z-a]"_s, true)}};
        QVERIFY(!filter.error().isEmpty());
        // Used all the same, it matches nothing, quietly rather than once per row.
        QTest::failOnWarning(QRegularExpression(u".*"_s));
        LogList list;
        fill(list, kRows);
        QCOMPARE(kept(list, filter), QList<quint32>{});
    }

    void dateTimes()
    {
        QVERIFY(isListDateTime("2000/02/29 23:59:59"));
        QVERIFY(!isListDateTime("1900/02/29 00:00:00"));
        QVERIFY(!isListDateTime("2001/04/31 00:00:00"));
        QVERIFY(!isListDateTime("2001/05/01 24:00:00"));
        QVERIFY(!isListDateTime("2001/05/01 09:05"));
        QVERIFY(!isListDateTime("2001-05-01 00:00:00"));
        QVERIFY(!isListDateTime("２001/05/01 00:00:00"));

        // The span skips what is no date-time, whatever the order of the rows.
        LogList list;
        QVERIFY(!dateTimeSpan(list));
        fill(list, QList<QStringList>(kRows.rbegin(), kRows.rend()));
        const auto span = dateTimeSpan(list);
        QVERIFY(span);
        QCOMPARE(span->first, QByteArray("2001/05/01 00:00:00"));
        QCOMPARE(span->second, QByteArray("2001/05/02 00:00:00"));
    }

    // Many rows, so that every core takes a share: the rows come back in display order.
    void largeListInOrder()
    {
        QList<QStringList> rows;
        for (int i = 0; i < 300000; ++i)
            rows << QStringList{u"UA"_s, u"h%1.example.jp"_s.arg(i % 7)};
        LogList list;
        fill(list, rows);
        const QList<quint32> got =
            kept(list, RowFilter{{FilterCondition::contains(ColHost, u"h3."_s, true)}});
        QCOMPARE(got.size(), 300000 / 7 + (300000 % 7 > 3 ? 1 : 0));
        for (qsizetype i = 0; i < got.size(); ++i)
            QCOMPARE(got[i], quint32(3 + 7 * i));
    }

    void cancellation()
    {
        LogList list;
        QList<QStringList> rows;
        for (int i = 0; i < 200000; ++i)
            rows << QStringList{u"UA"_s};
        fill(list, rows);
        std::atomic<bool> cancel{true};
        QVERIFY(!filterRows(list, RowFilter{}, &cancel));
        // Set while the work runs: every core stops at its next row, however slow each row is
        // (a pattern that backtracks on a hostile text).
        cancel = false;
        std::atomic<int> seen{0};
        const RowFilter filter{{FilterCondition::custom(u"x"_s, [&](const LogList&, qsizetype) {
            if (++seen == 10)
                cancel = true;
            return true;
        })}};
        QVERIFY(!filterRows(list, filter, &cancel));
        QCOMPARE_LT(seen, 10 + 2 * QThread::idealThreadCount());
    }

    // Memory running out on a worker reaches the caller, who tells the user.
    void failureReachesTheCaller()
    {
        LogList list;
        fill(list, QList<QStringList>(120000, QStringList{u"UA"_s}));
        const RowFilter filter{{FilterCondition::custom(u"x"_s, [](const LogList&, qsizetype row) {
            if (row == 100000)
                throw std::bad_alloc();
            return true;
        })}};
        QVERIFY_THROWS_EXCEPTION(std::bad_alloc, filterRows(list, filter));
    }
};

QTEST_GUILESS_MAIN(TestRowFilter)
#include "tst_row_filter.moc"
