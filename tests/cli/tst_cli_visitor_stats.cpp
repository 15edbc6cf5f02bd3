#include "support/cli_run.h"
#include "support/test_files.h"

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

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("--top on a report") << QStringList{u"host"_s, u"--top"_s, u"3"_s};
        QTest::newRow("-o on a visitor statistic") << QStringList{u"days"_s, u"-o"_s, u"x"_s};
        QTest::newRow("negative --top") << QStringList{u"pages"_s, u"--top"_s, u"-1"_s};
        QTest::newRow("--top on show") << QStringList{u"show"_s, u"--top"_s, u"1"_s};
        QTest::newRow("unknown statistic") << QStringList{u"weeks"_s};
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
