#include "support/cli_run.h"
#include "support/gzip_bytes.h"
#include "support/test_files.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tw;
using test::runCli;

namespace {

// A combined log with the cases servers really write: an IPv6 client, "-" for bytes and
// referrer, a 408's request of "-", escapes in the user agent, a line that is no log line, and
// a last line without a line end.
const QByteArray kCombined =
    "2001:db8::1 - - [01/Dec/2026:10:00:01 +0900] \"GET /a?q=1 HTTP/1.1\" 200 512 "
    "\"https://example.jp/\" \"UA \\\"quoted\\\" \\\\ \\x41\"\r\n"
    "host.example.jp - - [01/Dec/2026:10:00:02 -0500] \"-\" 408 - \"-\" \"-\"\n"
    "this is no log line\n"
    "192.0.2.9 - - [01/Dec/2026:23:59:59 +0000] \"POST /f HTTP/1.0\" 404 0 \"-\" \"curl/8\"";

const QString kShown =
    u"1\tEXE\tUA \"quoted\" \\ A\t2001:db8::1\t2001:db8::1\t2026/12/01 "
    u"10:00:01\thttps://example.jp/\t"
    "GET /a?q=1 HTTP/1.1\t200\t512\t\n"
    "2\tEXE\t-\thost.example.jp\t\t2026/12/01 10:00:02\t-\t-\t408\t-\t\n"
    "3\tEXE\tcurl/8\t192.0.2.9\t192.0.2.9\t2026/12/01 23:59:59\t-\tPOST /f HTTP/1.0\t404\t0\t\n"_s;

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestCliWebLogs : public QObject {
    Q_OBJECT

private slots:
    void showsEveryFieldAndTellsWhatWasSkipped();
    void gzipReadsAsThePlainLogAndACutOneIsTold();
    void savesJsonLinesAndTheFiveFieldsElsewhere();
    void forcedFormats();
};

void TestCliWebLogs::showsEveryFieldAndTellsWhatWasSkipped()
{
    QTemporaryDir dir;
    const QString log = write(dir, u"access.log"_s, kCombined);
    const auto run = runCli({u"show"_s, u"--all-fields"_s, log});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, kShown);
    QCOMPARE(run.err, log + u": 1 lines skipped\n"_s);

    // Search looks in the extra fields as well.
    const auto found = runCli({u"search"_s, u"408"_s, log});
    QCOMPARE(found.exitCode, 0);
    QVERIFY(found.out.contains(u"host.example.jp"_s));
    QVERIFY(!found.out.contains(u"curl"_s));

    // The bundled samples read without a skipped line.
    for (const QString& sample : {u"access.log"_s, u"u_ex261201.log"_s}) {
        const auto s = runCli({u"show"_s, test::sourcePath(u"resources/samples/"_s + sample)});
        QCOMPARE(s.exitCode, 0);
        QCOMPARE(s.err, QString());
        QCOMPARE(s.out.count(u'\n'), 200);
    }
}

void TestCliWebLogs::gzipReadsAsThePlainLogAndACutOneIsTold()
{
    QTemporaryDir dir;
    const QString plain = write(dir, u"access.log"_s, kCombined);
    const QByteArray packed = test::gzipMember(kCombined);
    const QString gz = write(dir, u"access.log.2.gz"_s, packed);
    for (const QString& what : {u"show"_s, u"stats"_s}) {
        QStringList args = what == u"show"_s ? QStringList{u"show"_s, u"--all-fields"_s}
                                             : QStringList{u"stats"_s, u"host"_s, u"--now"_s,
                                                           u"2026-12-07 10:00"_s};
        const auto fromPlain = runCli(args + QStringList{plain});
        const auto fromGz = runCli(args + QStringList{gz});
        QCOMPARE(fromGz.exitCode, 0);
        QCOMPARE(fromGz.out, fromPlain.out);
    }

    // Cut in the middle of the deflate stream: the rows before the cut and a note.
    QByteArray big;
    for (int i = 0; i < 20000; ++i)
        big += "192.0.2." + QByteArray::number(i % 250) +
               " - - [01/Dec/2026:10:00:00 +0900] \"GET /" + QByteArray::number(i) +
               " HTTP/1.1\" 200 1 \"-\" \"UA\"\n";
    const QByteArray whole = test::gzipMember(big, 1);
    const QString cut = write(dir, u"cut.log.gz"_s, whole.left(whole.size() / 2));
    const auto run = runCli({u"show"_s, cut});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.err.contains(u"the compressed data ends early"_s));
    const qsizetype rows = run.out.count(u'\n');
    QVERIFY2(rows > 1000 && rows < 20000, qPrintable(QString::number(rows)));
}

void TestCliWebLogs::savesJsonLinesAndTheFiveFieldsElsewhere()
{
    QTemporaryDir dir;
    const QString log = write(dir, u"access.log"_s, kCombined);
    const QString jsonl = dir.filePath(u"rows.jsonl"_s);
    QCOMPARE(runCli({u"save"_s, u"--format"_s, u"jsonl"_s, u"-o"_s, jsonl, log}).exitCode, 0);
    const QList<QByteArray> lines = readAll(jsonl).split('\n');
    QCOMPARE(lines.size(), 4); // three rows and the end of the last
    QCOMPARE(lines.at(1), QByteArray("{\"browser\":\"-\",\"host\":\"host.example.jp\",\"ip\":\"\","
                                     "\"datetime\":\"2026/12/01 10:00:02\",\"referrer\":\"-\","
                                     "\"request\":\"-\",\"status\":\"408\",\"bytes\":\"-\"}"));
    QVERIFY(lines.at(0).startsWith("{\"browser\":\"UA \\\"quoted\\\" \\\\ A\""));

    // A list file of a web log holds the five fields and reads back as them.
    const QString twv = dir.filePath(u"rows.twv"_s);
    QCOMPARE(runCli({u"save"_s, u"--format"_s, u"twv"_s, u"-o"_s, twv, log}).exitCode, 0);
    const auto back = runCli({u"show"_s, twv});
    QVERIFY(back.out.contains(u"3\tEXE\tcurl/8\t192.0.2.9\t192.0.2.9\t2026/12/01 23:59:59\t-\n"_s));
    QCOMPARE(runCli({u"show"_s, u"--all-fields"_s, twv}).out.count(u"\tPOST"_s), 0);
}

void TestCliWebLogs::forcedFormats()
{
    QTemporaryDir dir;
    const QString log = write(dir, u"access.log"_s, kCombined);
    const auto unknown = runCli({u"show"_s, u"--log-format"_s, u"nginx"_s, log});
    QCOMPARE(unknown.exitCode, 2);
    QVERIFY(unknown.err.startsWith(u"tallyweaver-cli: --log-format takes"_s));

    // Forced to what it is, it reads as detected; forced to what it is not, nothing parses and
    // it is no log at all.
    const auto detected = runCli({u"show"_s, log});
    const auto combined = runCli({u"show"_s, u"--log-format"_s, u"combined"_s, log});
    QCOMPARE(combined.exitCode, 0);
    QCOMPARE(combined.out, detected.out);
    for (const QString& other : {u"common"_s, u"w3c"_s})
        QCOMPARE(runCli({u"show"_s, u"--log-format"_s, other, log}).exitCode, 3);
}

QTEST_MAIN(TestCliWebLogs)
#include "tst_cli_web_logs.moc"
