#include "analysis/html_report.h"
#include "core/log_list.h"
#include "support/web_logs.h"

#include <QTest>

using namespace tw;
using namespace Qt::StringLiterals;

namespace {

// Web-log rows over three days with several agents, pages, statuses and referrers.
QList<QStringList> webRows()
{
    const QStringList agents = {
        u"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
        u"Chrome/131.0.0.0 Safari/537.36"_s,
        u"Mozilla/5.0 (iPhone; CPU iPhone OS 18_1 like Mac OS X) AppleWebKit/605.1.15 (KHTML, "
        u"like Gecko) Version/18.1 Mobile/15E148 Safari/604.1"_s,
        u"Mozilla/5.0 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)"_s,
        u"Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)"_s};
    QList<QStringList> rows;
    for (int i = 0; i < 40; ++i) {
        const QString host = u"192.0.2.%1"_s.arg(i % 7);
        rows.append(
            {agents[i % agents.size()], host, host,
             u"2026/12/%1 %2:1%3:00"_s.arg(1 + (i % 5) / 2, 2, 10, QLatin1Char('0'))
                 .arg(i % 24, 2, 10, QLatin1Char('0'))
                 .arg(i % 6),
             i % 3 ? u"https://www.example.%1/q?x=1"_s.arg(i % 2 ? u"jp"_s : u"com"_s) : u"-"_s,
             u"GET /page%1?id=%2 HTTP/1.1"_s.arg(i % 5).arg(i), i % 4 ? u"200"_s : u"404"_s,
             QString::number(100 * i), QString()});
    }
    return rows;
}

} // namespace

class TestHtmlReport : public QObject {
    Q_OBJECT

private slots:
    // Over some rows of a list the report is the one a list of those rows alone gets: every
    // figure, chart and table follows the subset, the classic classes included.
    void followsTheSubset()
    {
        const QList<QStringList> rows = webRows();
        LogList whole;
        whole.append(test::webBatch(kColumnFields | test::kWebFields, rows));
        std::vector<quint32> picked;
        QList<QStringList> pickedRows;
        for (quint32 r = 0; r < quint32(rows.size()); ++r) {
            if (r % 3 != 1) {
                picked.push_back(r);
                pickedRows.append(rows[qsizetype(r)]);
            }
        }
        LogList part;
        part.append(test::webBatch(kColumnFields | test::kWebFields, pickedRows));

        HtmlReportOptions options;
        options.title = u"access.log"_s;
        options.filterLabel = u"ステータス に 200 を含む"_s;
        options.madeAt = QDateTime(QDate(2026, 12, 7), QTime(9, 0));
        options.top = 3;
        const std::optional<QByteArray> ofSubset = htmlReport(whole, RowSubset(picked), options);
        const std::optional<QByteArray> ofPart = htmlReport(part, RowSubset(), options);
        QVERIFY(ofSubset && ofPart);
        QCOMPARE(*ofSubset, *ofPart);
        const std::optional<QByteArray> ofWhole = htmlReport(whole, RowSubset(), options);
        QVERIFY(ofWhole && *ofWhole != *ofSubset);
        QVERIFY(ofSubset->contains(("アクセス数</div><div class=\"value\">" +
                                    QByteArray::number(qsizetype(picked.size())))));
        QVERIFY(ofSubset->contains("ステータス に 200 を含む"));

        const std::atomic<bool> cancelled = true;
        QVERIFY(!htmlReport(whole, RowSubset(), options, &cancelled));
    }
};

QTEST_GUILESS_MAIN(TestHtmlReport)
#include "tst_html_report.moc"
