#include "support/cli_run.h"
#include "support/test_files.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tw;
using test::runCli;

namespace {

// Three rows of one day: a web-log field (status) tells them apart.
const QByteArray kCombined =
    "2001:db8::7 - - [01/Dec/2026:10:00:01 +0900] \"GET /a?q=1 HTTP/1.1\" 200 512 "
    "\"https://example.jp/\" \"Mozilla/4.0 (compatible; MSIE 6.0)\"\n"
    "host.example.jp - - [01/Dec/2026:10:00:02 -0500] \"-\" 408 - \"-\" \"-\"\n"
    "192.0.2.9 - - [01/Dec/2026:23:59:59 +0000] \"POST /f HTTP/1.0\" 404 0 \"-\" \"curl/8\"\n";

// The row numbers and hosts of what show printed.
QStringList shown(const test::CliRun& run)
{
    QStringList out;
    for (const QString& line : run.out.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(u'\t');
        out << fields[0] + u' ' + fields[3];
    }
    return out;
}

} // namespace

class TestCliFilter : public QObject {
    Q_OBJECT

private slots:
    void showSearchAndSaveKeepTheRowsThatPass_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("no filter")
            << QStringList{}
            << QStringList{u"1 2001:db8::7"_s, u"2 host.example.jp"_s, u"3 192.0.2.9"_s};
        QTest::newRow("a web-log field, numbered among the kept")
            << QStringList{u"--match"_s, u"status=40"_s}
            << QStringList{u"1 host.example.jp"_s, u"2 192.0.2.9"_s};
        QTest::newRow("after the sort")
            << QStringList{u"--sort"_s, u"4:desc"_s, u"--match=status=40"_s}
            << QStringList{u"1 192.0.2.9"_s, u"2 host.example.jp"_s};
        QTest::newRow("all must hold")
            << QStringList{u"--match"_s, u"status=40"_s, u"--exclude"_s, u"browser=curl"_s}
            << QStringList{u"1 host.example.jp"_s};
        QTest::newRow("case counts")
            << QStringList{u"--match"_s, u"host=EXAMPLE"_s} << QStringList{};
        QTest::newRow("--ignore-case after the text")
            << QStringList{u"--match"_s, u"host=EXAMPLE"_s, u"--ignore-case"_s}
            << QStringList{u"1 host.example.jp"_s};
        QTest::newRow("regex on any field")
            << QStringList{u"--regex"_s, u"any=^POST /\\w "_s} << QStringList{u"1 192.0.2.9"_s};
        QTest::newRow("a text with =")
            << QStringList{u"--match"_s, u"request=q=1"_s} << QStringList{u"1 2001:db8::7"_s};
        QTest::newRow("from inclusive, until exclusive")
            << QStringList{u"--from"_s, u"2026-12-01 10:00:02"_s, u"--until"_s,
                           u"2026-12-01 23:59:59"_s}
            << QStringList{u"1 host.example.jp"_s};
        QTest::newRow("a day") << QStringList{u"--from"_s, u"2026-12-01"_s, u"--until"_s,
                                              u"2026-12-02"_s}
                               << QStringList{u"1 2001:db8::7"_s, u"2 host.example.jp"_s,
                                              u"3 192.0.2.9"_s};
        QTest::newRow("minutes") << QStringList{u"--until"_s, u"2026-12-01 10:01"_s}
                                 << QStringList{u"1 2001:db8::7"_s, u"2 host.example.jp"_s};
    }

    void showSearchAndSaveKeepTheRowsThatPass()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, rows);
        QTemporaryDir dir;
        const QString log = dir.filePath(u"access.log"_s);
        QVERIFY(test::writeBytes(log, kCombined));

        const auto show = runCli(QStringList{u"show"_s} + args + QStringList{log});
        QCOMPARE(show.exitCode, 0);
        QCOMPARE(shown(show), rows);

        // Search finds among the kept rows, numbered as show numbers them.
        const auto search =
            runCli(QStringList{u"search"_s, u"example"_s} + args + QStringList{log});
        QCOMPARE(search.exitCode, 0);
        QStringList found = rows;
        found.removeIf([](const QString& row) { return row.endsWith(u"192.0.2.9"_s); });
        QCOMPARE(shown(search), found);

        // Saved, the kept rows alone are written.
        const QString saved = dir.filePath(u"kept.twv"_s);
        const auto save = runCli(QStringList{u"save"_s, u"--format"_s, u"twv"_s, u"-o"_s, saved} +
                                 args + QStringList{log});
        QCOMPARE(save.exitCode, 0);
        QStringList again;
        for (const QString& row : shown(runCli({u"show"_s, saved})))
            again << row.section(u' ', 1);
        QStringList hosts;
        for (const QString& row : rows)
            hosts << row.section(u' ', 1);
        QCOMPARE(again, hosts);
    }

    // Every statistic over the kept rows is the statistic of a file holding only them.
    void statisticsCountTheKeptRows()
    {
        QTemporaryDir dir;
        const QString sample = test::sourcePath(u"resources/samples/sample.twv"_s);
        const QString saved = dir.filePath(u"kept.twv"_s);
        const QStringList filter = {u"--regex"_s,    u"host=\\.(ne|or)\\.jp$"_s, u"--from"_s,
                                    u"2001-05-10"_s, u"--platform1"_s,           u"Windows"_s};
        QCOMPARE(runCli(QStringList{u"save"_s, u"--format"_s, u"twv"_s, u"-o"_s, saved} + filter +
                        QStringList{sample})
                     .exitCode,
                 0);
        const qsizetype kept = runCli({u"show"_s, saved}).out.count(u'\n');
        const qsizetype all = runCli({u"show"_s, sample}).out.count(u'\n');
        QVERIFY(kept > 10 && kept < all);
        for (const QString& page : {u"browser"_s, u"platform"_s, u"access"_s, u"host"_s}) {
            const QStringList common = {u"stats"_s,       page,
                                        u"--now"_s,       u"2001-05-01 09:05"_s,
                                        u"--platform1"_s, u"Windows"_s};
            const auto filtered = runCli(common + filter + QStringList{sample});
            const auto whole = runCli(common + QStringList{sample});
            const auto ofFile = runCli(common + QStringList{saved});
            QCOMPARE(filtered.exitCode, 0);
            QCOMPARE(filtered.out, ofFile.out);
            QVERIFY(filtered.out != whole.out);
        }
    }

    void malformedFiltersAreUsageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown field") << QStringList{u"show"_s, u"--match"_s, u"hosts=a"_s};
        QTest::newRow("no =") << QStringList{u"show"_s, u"--exclude"_s, u"host"_s};
        QTest::newRow("no value") << QStringList{u"show"_s, u"--regex"_s};
        QTest::newRow("invalid pattern")
            << QStringList{u"stats"_s, u"host"_s, u"--regex"_s, u"host=(a"_s};
        QTest::newRow("no such day") << QStringList{u"save"_s, u"--from"_s, u"2026-02-30"_s};
        QTest::newRow("no such hour")
            << QStringList{u"search"_s, u"x"_s, u"--until"_s, u"2026-12-01 24:00"_s};
        QTest::newRow("short date") << QStringList{u"show"_s, u"--from"_s, u"2026-12-1"_s};
        QTest::newRow("signed year") << QStringList{u"show"_s, u"--from"_s, u"-001-12-01"_s};
        QTest::newRow("--ignore-case with a value")
            << QStringList{u"show"_s, u"--ignore-case=yes"_s};
        QTest::newRow("not for repair") << QStringList{u"repair"_s, u"--match"_s, u"host=a"_s};
    }

    void malformedFiltersAreUsageErrors()
    {
        QFETCH(QStringList, args);
        const auto run =
            runCli(args + QStringList{test::sourcePath(u"resources/samples/sample.twv"_s)});
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.out, QString());
        QVERIFY(run.err.startsWith(u"tallyweaver-cli: "_s));
        QCOMPARE(run.err.section(u'\n', 1, 1), QString());
        QVERIFY(run.err.contains(u"\nUsage:"_s));
    }
};

QTEST_GUILESS_MAIN(TestCliFilter)
#include "tst_cli_filter.moc"
