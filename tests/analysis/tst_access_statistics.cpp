#include "analysis/access_statistics.h"
#include "core/log_list.h"

#include <QTest>

#include <array>

using namespace tw;
using namespace Qt::StringLiterals;

namespace {

struct Visit {
    QString previousPage;
    QString dateTime;
};

void fillVisits(LogList& list, const QList<Visit>& visits)
{
    for (const Visit& visit : visits) {
        AccessRecord r;
        r.host = u"a.b.example.jp"_s;
        r.dateTime = visit.dateTime;
        r.previousPage = visit.previousPage;
        list.appendRecord(r);
    }
}

// The whole report from its page lines ("count回\tpage") and the 24 hour lines' counts and shares.
QString expectedReport(const QStringList& pageLines, const std::array<int, 24>& counts,
                       const QStringList& shares)
{
    QString text = u"    ＊＊＊ アクセス回数 ＊＊＊\r\n  カウント\t前回頁\r\n"_s;
    for (const QString& line : pageLines)
        text += u"  "_s + line + u"\r\n"_s;
    text += u"\r\n      ＊＊＊ アクセス時間帯 ＊＊＊\r\n  時間帯\t回数\t比率\r\n"_s;
    for (int h = 0; h < 24; ++h) {
        const QString share = shares.isEmpty() ? u"0.00%"_s : shares.at(h);
        text += u" %1時台\t%2回\t%3\r\n"_s.arg(h).arg(counts[std::size_t(h)]).arg(share);
    }
    return text;
}

QList<Visit> pagesWithoutTimes(const QStringList& pages)
{
    QList<Visit> visits;
    for (const QString& page : pages)
        visits.append({page, QString()});
    return visits;
}

} // namespace

class TestAccessStatistics : public QObject {
    Q_OBJECT

private slots:
    void hour_data()
    {
        QTest::addColumn<QString>("dateTime");
        QTest::addColumn<int>("hour");
        QTest::newRow("date and time") << u"2001/05/01 09:05:00"_s << 9;
        QTest::newRow("first colon decides") << u"x23:59:00 12:00"_s << 23;
        QTest::newRow("midnight") << u"00:00"_s << 0;
        QTest::newRow("blank before digit") << u"2001/05/01  9:05"_s << 9;
        QTest::newRow("blank after digit") << u"9 :05"_s << 9;
        QTest::newRow("24") << u"24:00"_s << -1;
        QTest::newRow("99") << u"99:00"_s << -1;
        QTest::newRow("letters") << u"ab:00"_s << -1;
        QTest::newRow("digit and letter") << u"1a:00"_s << -1;
        QTest::newRow("no colon") << u"2001/05/01 0905"_s << -1;
        QTest::newRow("empty") << QString() << -1;
        QTest::newRow("two blanks") << u"  :00"_s << -1;
        QTest::newRow("colon first") << u":00"_s << -1;
        QTest::newRow("colon second") << u"7:00"_s << 7;
        QTest::newRow("sign") << u"+9:00"_s << 9;
        QTest::newRow("negative") << u"-1:00"_s << -1;
        QTest::newRow("negative zero") << u"-0:00"_s << 0;
        QTest::newRow("decimal rounds down") << u".4:00"_s << 0;
        QTest::newRow("half rounds up") << u".5:00"_s << 1;
        QTest::newRow("trailing point") << u"2.:00"_s << 2;
        QTest::newRow("point only") << u" .:00"_s << -1;
        QTest::newRow("full-width digits") << u"１２:00"_s << -1;
        QTest::newRow("wide character then digit") << u"時9:00"_s << -1;
        QTest::newRow("full-width colon is not a colon") << u"12：00"_s << -1;
    }
    void hour()
    {
        QFETCH(QString, dateTime);
        QFETCH(int, hour);
        QCOMPARE(hourOfDateTime(dateTime.toUtf8()), hour);
    }

    void share_data()
    {
        QTest::addColumn<qint64>("count");
        QTest::addColumn<qint64>("divisor");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing read") << qint64(0) << qint64(1) << u"0.00%"_s;
        QTest::newRow("all") << qint64(3) << qint64(3) << u"100.00%"_s;
        QTest::newRow("quarter") << qint64(1) << qint64(4) << u"25.00%"_s;
        QTest::newRow("third") << qint64(1) << qint64(3) << u"33.33%"_s;
        QTest::newRow("two thirds") << qint64(2) << qint64(3) << u"66.67%"_s;
        QTest::newRow("small") << qint64(1) << qint64(16) << u"6.25%"_s;
        QTest::newRow("half a hundredth rounds up") << qint64(1) << qint64(20000) << u"0.01%"_s;
        QTest::newRow("below half a hundredth") << qint64(1) << qint64(20001) << u"0.00%"_s;
        QTest::newRow("large counts") << qint64(1) << qint64(3000000000) << u"0.00%"_s;
    }
    void share()
    {
        QFETCH(qint64, count);
        QFETCH(qint64, divisor);
        QFETCH(QString, text);
        QCOMPARE(formatShare(count, divisor), text);
    }

    void report_data()
    {
        QTest::addColumn<QList<Visit>>("visits");
        QTest::addColumn<int>("aLogMax");
        QTest::addColumn<QString>("expected");

        QTest::newRow("empty list") << QList<Visit>{} << 0 << expectedReport({u"0回\t"_s}, {}, {});

        std::array<int, 24> counts{};
        counts[9] = 2;
        counts[13] = 1;
        counts[23] = 1;
        QStringList shares;
        for (int h = 0; h < 24; ++h)
            shares << (h == 9 ? u"50.00%"_s : h == 13 || h == 23 ? u"25.00%"_s : u"0.00%"_s);
        const QList<Visit> example = {{u"P"_s, u"2001/05/01 09:10:00"_s},
                                      {u"Q"_s, u"2001/05/01 09:59:59"_s},
                                      {u"P"_s, u"2001/05/02 13:00:00"_s},
                                      {QString(), u"2001/05/03 23:30:00"_s}};
        QTest::newRow("four rows")
            << example << 0
            << expectedReport({u"2回\tP"_s, u"1回\tQ"_s, u"1回\t"_s}, counts, shares);
        QTest::newRow("limit above the page count")
            << example << 10
            << expectedReport({u"2回\tP"_s, u"1回\tQ"_s, u"1回\t"_s}, counts, shares);
        QTest::newRow("negative limit lists no page")
            << example << -1 << expectedReport({}, counts, shares);
        QTest::newRow("negative limit, empty list")
            << QList<Visit>{} << -1 << expectedReport({}, {}, {});

        // Ten pages: page k is visited k times; only the three most visited are listed.
        QList<Visit> ten;
        for (int k = 1; k <= 10; ++k) {
            for (int n = 0; n < k; ++n)
                ten.append({u"http://example.jp/%1"_s.arg(k), u"no time"_s});
        }
        QTest::newRow("limit 3 of ten pages")
            << ten << 3
            << expectedReport({u"10回\thttp://example.jp/10"_s, u"9回\thttp://example.jp/9"_s,
                               u"8回\thttp://example.jp/8"_s},
                              {}, {});

        QTest::newRow("empty page keeps its entry")
            << pagesWithoutTimes({QString(), u"A"_s, QString(), u"B"_s, QString()}) << 0
            << expectedReport({u"3回\t"_s, u"1回\tA"_s, u"1回\tB"_s}, {}, {});
        QTest::newRow("ties: A1 B2 C2 give C B A")
            << pagesWithoutTimes({u"A"_s, u"B"_s, u"B"_s, u"C"_s, u"C"_s}) << 0
            << expectedReport({u"2回\tC"_s, u"2回\tB"_s, u"1回\tA"_s}, {}, {});
        QTest::newRow("case makes separate pages")
            << pagesWithoutTimes({u"http://a/"_s, u"HTTP://A/"_s, u"http://a/"_s}) << 0
            << expectedReport({u"2回\thttp://a/"_s, u"1回\tHTTP://A/"_s}, {}, {});

        std::array<int, 24> unreadable{};
        unreadable[0] = 1;
        QStringList onlyMidnight;
        for (int h = 0; h < 24; ++h)
            onlyMidnight << (h == 0 ? u"100.00%"_s : u"0.00%"_s);
        QTest::newRow("unreadable hours count as pages only")
            << QList<Visit>{{u"X"_s, u"24:00"_s},
                            {u"X"_s, u"ab:00"_s},
                            {u"X"_s, u"no colon"_s},
                            {u"X"_s, u"00:00"_s}}
            << 0 << expectedReport({u"4回\tX"_s}, unreadable, onlyMidnight);
    }
    void report()
    {
        QFETCH(QList<Visit>, visits);
        QFETCH(int, aLogMax);
        QFETCH(QString, expected);
        LogList list;
        fillVisits(list, visits);
        QCOMPARE(accessStatisticsText(list, aLogMax), expected);
    }
};

QTEST_GUILESS_MAIN(TestAccessStatistics)
#include "tst_access_statistics.moc"
