#include "support/cli_run.h"
#include "support/test_files.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tw;
using test::runCli;

namespace {

// Two days with one empty day between them.
const QByteArray kCombined =
    "192.0.2.1 - - [01/Dec/2026:10:00:01 +0900] \"GET /a?q=1 HTTP/1.1\" 200 512 "
    "\"https://example.jp/x\" \"UA1\"\n"
    "192.0.2.1 - - [01/Dec/2026:10:30:00 +0900] \"GET /a HTTP/1.1\" 404 - \"-\" \"UA1\"\n"
    "host.example.jp - - [03/Dec/2026:23:59:59 +0900] \"GET /b HTTP/1.1\" 200 8 \"-\" \"UA2\"\n";

// A desktop browser, a crawler and a phone.
const QByteArray kAgents =
    "192.0.2.1 - - [01/Dec/2026:10:00:01 +0900] \"GET /a HTTP/1.1\" 200 5 \"-\" \"Mozilla/5.0 "
    "(Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0.0.0 "
    "Safari/537.36\"\n"
    "192.0.2.2 - - [01/Dec/2026:10:00:02 +0900] \"GET /robots.txt HTTP/1.1\" 404 5 \"-\" "
    "\"Mozilla/5.0 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)\"\n"
    "192.0.2.3 - - [01/Dec/2026:10:00:03 +0900] \"GET /a HTTP/1.1\" 200 5 \"-\" \"Mozilla/5.0 "
    "(iPhone; CPU iPhone OS 17_1 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like Gecko) "
    "Version/17.1 Mobile/15E148 Safari/604.1\"\n";

test::CliRun runOn(const QByteArray& log, const QStringList& args)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"access.log"_s);
    if (!test::writeBytes(path, log))
        return {};
    return runCli(args + QStringList{path});
}

} // namespace

class TestCliVisitorStats : public QObject {
    Q_OBJECT

private slots:
    void printsTabSeparatedLines_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("out");
        QTest::newRow("status") << QStringList{u"status"_s}
                                << u"2\t66.67%\t200\n1\t33.33%\t404\n"_s;
        QTest::newRow("pages, top 1")
            << QStringList{u"pages"_s, u"--top"_s, u"1"_s} << u"2\t66.67%\t/a\n"_s;
        QTest::newRow("referrers")
            << QStringList{u"referrers"_s} << u"2\t66.67%\t-\n1\t33.33%\texample.jp\n"_s;
        QTest::newRow("days") << QStringList{u"days"_s}
                              << u"2026/12/01\t2\t1\t512\n2026/12/02\t0\t0\t0\n"
                                 u"2026/12/03\t1\t1\t8\n"_s;
        QTest::newRow("visitors, filtered")
            << QStringList{u"visitors"_s, u"--match"_s, u"status=404"_s}
            << u"2026/12/01\t1\t1\t0\n"_s;
        QTest::newRow("hours, top 0") << QStringList{u"hours"_s, u"--top=0"_s} << QString();
    }

    void printsTabSeparatedLines()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, out);
        QTemporaryDir dir;
        const QString log = dir.filePath(u"access.log"_s);
        QVERIFY(test::writeBytes(log, kCombined));
        const test::CliRun run = runCli(QStringList{u"stats"_s} + args + QStringList{log});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, out);
    }

    void hoursListEveryHour()
    {
        QTemporaryDir dir;
        const QString log = dir.filePath(u"access.log"_s);
        QVERIFY(test::writeBytes(log, kCombined));
        const QStringList lines =
            runCli({u"stats"_s, u"hours"_s, log}).out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 24);
        QCOMPARE(lines[0], u"00\t0\t0"_s);
        QCOMPARE(lines[10], u"10\t2\t1"_s);
        QCOMPARE(lines[23], u"23\t1\t1"_s);
    }

    void agentsAndBots_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("out");
        QTest::newRow("agents") << QStringList{u"stats"_s, u"agents"_s}
                                << u"1\t33.33%\tChrome 120\n1\t33.33%\tGooglebot 2\n"
                                   u"1\t33.33%\tMobile Safari 17\n"_s;
        QTest::newRow("os, bots left out")
            << QStringList{u"stats"_s, u"os"_s, u"--bots"_s, u"exclude"_s}
            << u"1\t50.00%\tWindows 10\n1\t50.00%\tiOS 17\n"_s;
        QTest::newRow("bots") << QStringList{u"stats"_s, u"bots"_s} << u"1\t100.00%\tGooglebot\n"_s;
        QTest::newRow("a classic statistic, bots alone")
            << QStringList{u"stats"_s, u"status"_s, u"--bots=only"_s} << u"1\t100.00%\t404\n"_s;
    }

    void agentsAndBots()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, out);
        const test::CliRun run = runOn(kAgents, args);
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, out);
    }

    void showLeavesOutBots()
    {
        QStringList ips;
        const test::CliRun run = runOn(kAgents, {u"show"_s, u"--bots"_s, u"exclude"_s});
        for (const QString& line : run.out.split(u'\n', Qt::SkipEmptyParts))
            ips << line.section(u'\t', 0, 0) + u' ' + line.section(u'\t', 4, 4);
        QCOMPARE(ips, QStringList({u"1 192.0.2.1"_s, u"2 192.0.2.3"_s}));
    }

    void daysOfThousandsOfYears()
    {
        // Two lines eight thousand years apart: every day between is listed, line by line.
        QTemporaryDir dir;
        const QString log = dir.filePath(u"far.log"_s);
        const QString listing = dir.filePath(u"days.txt"_s);
        QVERIFY(test::writeBytes(
            log, "1.2.3.4 - - [01/Jan/0001:00:00:00 +0000] \"GET / HTTP/1.1\" 200 5 \"-\" \"UA\"\n"
                 "1.2.3.4 - - [31/Dec/9999:23:59:59 +0000] \"GET / HTTP/1.1\" 200 7 \"-\" "
                 "\"UA\"\n"));
        const test::CliRun run =
            runCli({u"stats"_s, u"days"_s, log}, test::memoryLimit(350L << 20), {}, listing);
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        QFile file(listing);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 3652059 + 1);
        QCOMPARE(lines.front(), "0001/01/01\t1\t1\t5");
        QCOMPARE(lines[1], "0001/01/02\t0\t0\t0");
        QCOMPARE(lines[lines.size() - 2], "9999/12/31\t1\t1\t7");
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("--top on a report") << QStringList{u"host"_s, u"--top"_s, u"3"_s};
        QTest::newRow("-o on a visitor statistic") << QStringList{u"days"_s, u"-o"_s, u"x"_s};
        QTest::newRow("negative --top") << QStringList{u"pages"_s, u"--top"_s, u"-1"_s};
        QTest::newRow("--top on show") << QStringList{u"show"_s, u"--top"_s, u"1"_s};
        QTest::newRow("unknown statistic") << QStringList{u"weeks"_s};
        QTest::newRow("--bots keep") << QStringList{u"bots"_s, u"--bots"_s, u"keep"_s};
    }

    void usageErrors()
    {
        QFETCH(QStringList, args);
        const QStringList command =
            args.first() == u"show" ? QStringList{} : QStringList{u"stats"_s};
        const test::CliRun run = runCli(
            command + args + QStringList{test::sourcePath(u"resources/samples/access.log"_s)});
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.out, QString());
    }
};

QTEST_GUILESS_MAIN(TestCliVisitorStats)
#include "tst_cli_visitor_stats.moc"
