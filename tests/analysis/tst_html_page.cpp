#include "analysis/html_page.h"
#include "analysis/svg_chart.h"
#include "core/cp932.h"
#include "support/xml_page.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QTest>

#include <limits>

using namespace tw;
using namespace Qt::StringLiterals;

namespace {

// What a page may consist of: no element that runs or loads anything.
const QStringList kAllowedElements = {
    u"html"_s,    u"head"_s,     u"meta"_s,   u"title"_s, u"style"_s,  u"body"_s, u"main"_s,
    u"header"_s,  u"h1"_s,       u"h2"_s,     u"p"_s,     u"strong"_s, u"div"_s,  u"span"_s,
    u"section"_s, u"table"_s,    u"thead"_s,  u"tbody"_s, u"tr"_s,     u"th"_s,   u"td"_s,
    u"details"_s, u"summary"_s,  u"footer"_s, u"svg"_s,   u"g"_s,      u"rect"_s, u"line"_s,
    u"text"_s,    u"polyline"_s, u"circle"_s};

QString hostile(const QString& tag)
{
    return u"<script>alert('%1')</script>\"'><img src=x onerror=alert(1)>]]><!--&amp;"_s.arg(tag) +
           QChar(0x01) + QChar(0x1B) + QChar(0x7F) + QChar(0x85) + QChar(0xD800) +
           QString::fromUcs4(std::u32string{cp932::kRawByteBase + 0x80}.data(), 1) +
           QString::fromUcs4(std::u32string{cp932::kCodeMarkFirst}.data(), 1) + QChar(0xFFFE);
}

struct Bar {
    double y;
    double height;
    QString tip;
};

QList<Bar> barsOf(const QList<test::PageElement>& elements)
{
    QList<Bar> bars;
    QString tip;
    for (const test::PageElement& e : elements) {
        if (e.name == u"title")
            tip = e.text;
        if (e.name == u"rect" && e.attributes.value(u"class"_s) == u"bar")
            bars.append({e.attributes.value(u"y"_s).toDouble(),
                         e.attributes.value(u"height"_s).toDouble(), tip});
    }
    return bars;
}

} // namespace

class TestHtmlPage : public QObject {
    Q_OBJECT

private slots:
    // Whatever a log holds comes out as text: the page stays well-formed, every element is one
    // of the page's own, no attribute is an event handler, and the hostile texts read back as
    // the characters they were (controls and raw bytes made visible).
    void hostileTextsStayText()
    {
        ReportFigures figures;
        figures.rows = 3;
        figures.days = {{QDate(2026, 12, 1), 3, 2, 10}};
        figures.hours[13] = {3, 2};
        for (const QString& title : {u"今のブラウザ"_s, u"ページ"_s, u"参照元サイト"_s})
            figures.tables.push_back({hostile(title), hostile(u"key"_s), {{hostile(title), 3}}, 3});
        HtmlReportOptions options;
        options.title = hostile(u"title"_s);
        options.filterLabel = hostile(u"filter"_s);
        options.madeAt = QDateTime(QDate(2026, 12, 7), QTime(9, 30));
        const QByteArray page = htmlReportPage(figures, options);

        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString decoded = utf8(page);
        QVERIFY(!utf8.hasError());
        QVERIFY(!page.contains("<script"));
        QVERIFY(!page.contains("<img"));
        QVERIFY(!page.contains("<!--"));
        QVERIFY(page.contains("&lt;script&gt;"));

        QList<test::PageElement> elements;
        QString error;
        QVERIFY2(test::readXmlPage(page, &elements, &error), qPrintable(error));
        int hostileTexts = 0;
        for (const test::PageElement& e : elements) {
            QVERIFY2(kAllowedElements.contains(e.name), qPrintable(e.name));
            for (auto a = e.attributes.cbegin(); a != e.attributes.cend(); ++a)
                QVERIFY2(!a.key().startsWith(u"on"_s), qPrintable(a.key()));
            if (e.text.contains(u"<script>alert("_s)) {
                ++hostileTexts;
                QVERIFY(e.text.contains(u"\"'><img src=x onerror=alert(1)>]]><!--&amp;"_s));
                QVERIFY(e.text.contains(u"\\x01\\x1B\\x7F\\x85\uFFFD\\x80\uFFFD"_s));
            }
        }
        // Two titles, the filter, and each table's title, key header and entry.
        QCOMPARE(hostileTexts, 2 + 1 + 3 * 3);
        QVERIFY(decoded.contains(u"<meta name=\"viewport\""_s));
    }

    // Each column stands for its value: heights in the values' order, the largest reaching no
    // higher than the plot, a zero column drawn flat but there with its tip.
    void chartColumnsFollowTheFigures()
    {
        ChartData chart;
        chart.columns = {5, 0, 12, 3, 0, 7};
        chart.line = {2, 0, 9, 1, 0, 7};
        for (std::size_t i = 0; i < chart.columns.size(); ++i) {
            chart.labels.append(QString::number(i + 1));
            chart.tips.append(u"<day %1> %2"_s.arg(i + 1).arg(chart.columns[i]));
        }
        QList<test::PageElement> elements;
        QString error;
        QVERIFY2(test::readXmlPage(svgChart(chart), &elements, &error), qPrintable(error));
        const QList<Bar> bars = barsOf(elements);
        QCOMPARE(bars.size(), qsizetype(chart.columns.size()));
        const double base = ChartLayout::kTop + ChartLayout::plotHeight();
        for (qsizetype i = 0; i < bars.size(); ++i) {
            QCOMPARE(bars[i].tip, chart.tips[i]);
            QCOMPARE(bars[i].y + bars[i].height, base);
            QVERIFY(bars[i].height <= ChartLayout::plotHeight());
            QCOMPARE(bars[i].height == 0, chart.columns[std::size_t(i)] == 0);
            for (qsizetype j = 0; j < bars.size(); ++j) {
                if (chart.columns[std::size_t(i)] < chart.columns[std::size_t(j)])
                    QVERIFY(bars[i].height < bars[j].height);
            }
        }
        // The largest column reaches at least the last tick but one.
        QVERIFY(bars[2].height > ChartLayout::plotHeight() * 0.5);
    }

    // The value axis ends on a round number at or above the largest value, in a few steps.
    void axisEndsOnARoundNumber()
    {
        for (const qint64 largest : {qint64(1), qint64(7), qint64(10), qint64(99), qint64(1234),
                                     qint64(50000), qint64(999999), Q_INT64_C(4000000000000)}) {
            const AxisScale s = axisScale(largest);
            QVERIFY(s.top >= largest);
            QVERIFY(s.top % s.step == 0);
            QVERIFY(s.top / s.step <= 5);
            QVERIFY(s.top < 2 * largest + 2 * s.step);
            QString digits = QString::number(s.step);
            QVERIFY2(QList<QChar>({u'1', u'2', u'5'}).contains(digits[0]) &&
                         digits.mid(1).count(u'0') == digits.size() - 1,
                     qPrintable(digits));
        }
        QCOMPARE(axisScale(0).top, 1);
    }

    // Dates that span millennia (a hostile log) give a chart of a few hundred columns, each a run
    // of days whose figures add up, and a page that stays small.
    void daysBeyondAChartAreGathered()
    {
        ReportFigures figures;
        const QDate first(1, 1, 1);
        const QDate last(9999, 12, 31);
        qint64 hits = 0;
        for (QDate d = first; d <= last; d = d.addDays(1)) {
            const bool busy = d == first || d == last || d.day() == 1;
            figures.days.push_back({d, busy ? 3 : 0, busy ? 1 : 0, busy ? 1000 : 0});
            hits += busy ? 3 : 0;
        }
        figures.days.back().bytes = std::numeric_limits<qint64>::max();
        figures.rows = hits;
        const QByteArray page = htmlReportPage(figures, {});
        QVERIFY2(page.size() < 1000000, qPrintable(QString::number(page.size())));
        QList<test::PageElement> elements;
        QString error;
        QVERIFY2(test::readXmlPage(page, &elements, &error), qPrintable(error));
        const QList<Bar> bars = barsOf(elements);
        QVERIFY(bars.size() > 24 + 300 && bars.size() <= 24 + 400);
        QVERIFY(bars.first().tip.startsWith(u"0001/01/01 – "_s));
        QVERIFY(bars[bars.size() - 25].tip.contains(u" – 9999/12/31"_s));
        static const QRegularExpression hitsOf(u"アクセス ([0-9,]+)"_s);
        qint64 shown = 0;
        for (qsizetype i = 0; i < bars.size() - 24; ++i)
            shown += hitsOf.match(bars[i].tip).captured(1).remove(u',').toLongLong();
        QCOMPARE(shown, hits);
        QVERIFY(page.contains("9,223,372,036,854,775,807 バイト"));
    }

    // Only the first `top` entries of a table are listed; the rest are summed up.
    void tablesListTheTopEntries()
    {
        ReportFigures figures;
        ReportTable table{u"ステータス"_s, u"ステータス"_s, {}, 0};
        for (int i = 0; i < 15; ++i) {
            table.entries.push_back({QString::number(500 - i), 15 - i});
            table.counted += 15 - i;
        }
        figures.tables = {table};
        HtmlReportOptions options;
        options.top = 10;
        const QByteArray page = htmlReportPage(figures, options);
        QList<test::PageElement> elements;
        QString error;
        QVERIFY2(test::readXmlPage(page, &elements, &error), qPrintable(error));
        QStringList keys;
        for (const test::PageElement& e : elements) {
            if (e.attributes.value(u"class"_s) == u"key")
                keys.append(e.text);
        }
        QCOMPARE(keys.size(), 10);
        QCOMPARE(keys.first(), u"500"_s);
        QCOMPARE(keys.last(), u"491"_s);
        QVERIFY(page.contains("ほか 5 項目（15 件）"));
        QVERIFY(!page.contains("class=\"filter\""));
    }
};

QTEST_GUILESS_MAIN(TestHtmlPage)
#include "tst_html_page.moc"
