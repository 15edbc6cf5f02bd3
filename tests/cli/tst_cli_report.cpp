#include "support/cli_run.h"
#include "support/test_files.h"
#include "support/xml_page.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tw;

namespace {

using test::CliRun;
using test::runCli;

// Combined lines with markup in every field a statistic keys on.
const QByteArray kHostileLog =
    "203.0.113.9 - - [07/Dec/2026:10:00:00 +0900] \"GET /<script>a()</script>?q=<b> HTTP/1.1\" "
    "404 12 \"http://<script>b()</script>/x\" \"<script>c()</script> Googlebot/2.1\"\n"
    "203.0.113.9 - - [08/Dec/2026:11:00:00 +0900] \"GET /ok\\\"'><img src=x> HTTP/1.1\" 200 5 "
    "\"-\" \"Mozilla/5.0 \\x01\\xff<svg onload=d()>\"\n";

} // namespace

class TestCliReport : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(dir.isValid()); }

    // The page is written whole, follows the filter and names it, and no markup from the log
    // reaches it as markup.
    void writesThePageOfTheKeptRows()
    {
        const QString log = dir.filePath(u"access.log"_s);
        QVERIFY(test::writeBytes(log, kHostileLog));
        const QString out = dir.filePath(u"report.html"_s);
        const CliRun run = runCli(
            {u"report"_s, u"--html"_s, u"-o"_s, out, u"--now"_s, u"2026-12-09 08:15"_s, log});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QString());
        const QByteArray page = test::readBytes(out);
        QVERIFY(page.startsWith("<!DOCTYPE html>"));
        QVERIFY(page.contains("2026/12/09 08:15"));
        QCOMPARE(page.count("<svg"), 2);
        QVERIFY(!page.contains("<script"));
        QVERIFY(!page.contains("<img"));
        QVERIFY(!page.contains("<b>"));
        QVERIFY(page.count("&lt;script&gt;") >= 2);
        QList<test::PageElement> elements;
        QString error;
        QVERIFY2(test::readXmlPage(page, &elements, &error), qPrintable(error));
        for (const test::PageElement& e : elements)
            QVERIFY2(e.name != u"script"_s && e.name != u"img"_s, qPrintable(e.name));

        const CliRun filtered =
            runCli({u"report"_s, u"--html"_s, u"-o"_s, out, u"--match"_s, u"status=404"_s, log});
        QCOMPARE(filtered.exitCode, 0);
        const QByteArray part = test::readBytes(out);
        QVERIFY(part.contains("アクセス数</div><div class=\"value\">1</div>"));
        QVERIFY(part.contains("class=\"filter\""));
        QVERIFY(page.contains("アクセス数</div><div class=\"value\">2</div>"));
    }

    void usageErrors()
    {
        const QString log = dir.filePath(u"access.log"_s);
        QVERIFY(test::writeBytes(log, kHostileLog));
        const QString out = dir.filePath(u"never.html"_s);
        for (const QStringList& args : {QStringList{u"report"_s, u"-o"_s, out, log},
                                        QStringList{u"report"_s, u"--html"_s, log},
                                        QStringList{u"report"_s, u"--html"_s, u"-o"_s, out},
                                        QStringList{u"report"_s, u"--html"_s, u"-o"_s, out,
                                                    u"--regex"_s, u"host=("_s, log}}) {
            const CliRun run = runCli(args);
            QCOMPARE(run.exitCode, 2);
            QVERIFY(!QFile::exists(out));
        }
    }

    // Status 4 and one line; what was at the target before stays byte for byte.
    void failedWriteKeepsTheOldFile()
    {
        const QString log = dir.filePath(u"access.log"_s);
        QVERIFY(test::writeBytes(log, kHostileLog));
        const QString nowhere = dir.filePath(u"no/such/folder/report.html"_s);
        const CliRun missing = runCli({u"report"_s, u"--html"_s, u"-o"_s, nowhere, log});
        QCOMPARE(missing.exitCode, 4);
        QVERIFY2(missing.err.startsWith(nowhere + u": write error: "_s), qPrintable(missing.err));

        const QString out = dir.filePath(u"old.html"_s);
        QVERIFY(test::writeBytes(out, "<p>old</p>\n"));
        const CliRun full =
            runCli({u"report"_s, u"--html"_s, u"-o"_s, out, log}, test::fileSizeLimit(4096));
        QCOMPARE(full.exitCode, 4);
        QVERIFY2(full.err.startsWith(out + u": write error: "_s), qPrintable(full.err));
        QCOMPARE(full.err.count(u'\n'), 1);
        QCOMPARE(test::readBytes(out), QByteArray("<p>old</p>\n"));
    }

private:
    QTemporaryDir dir;
};

QTEST_GUILESS_MAIN(TestCliReport)
#include "tst_cli_report.moc"
