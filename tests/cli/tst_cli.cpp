#include "core/clock.h"
#include "core/list_writers.h"
#include "core/log_list.h"
#include "core/log_reader.h"
#include "support/cli_run.h"
#include "support/size_limit.h"
#include "support/test_files.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <functional>

using namespace Qt::StringLiterals;
using namespace tw;

namespace {

using test::CliRun;

QString g_tempFolder; // the repair's converted copies go here, not into the real temp folder

CliRun runCli(const QStringList& args, const std::function<void()>& setup = {},
              const QString& outputFile = {})
{
    return test::runCli(args, setup, g_tempFolder, outputFile);
}

const QStringList& kMsie = test::kMsieRecord;
const QStringList& kWwwc = test::kWwwcRecord;
const QStringList kNetscape = {u"Mozilla/4.7 [ja] (Macintosh; I; PPC)"_s,
                               u"dhcp-1-2.example.ac.jp"_s, u"10.0.0.3"_s, u"2001/05/02 23:59:59"_s,
                               u""_s};

QString showLine(int number, const char* key, const QStringList& fields)
{
    return QString::number(number) + u'\t' + QLatin1StringView(key) + u'\t' + fields.join(u'\t') +
           u'\n';
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString writeList(const QString& name, const QList<QStringList>& records)
    {
        const QString p = path(name);
        test::writeBytes(p, test::listFileBytes(records));
        return p;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        g_tempFolder = m_dir.path();
    }

    void showPrintsRowsAsTabSeparatedUtf8()
    {
        const QString file = writeList(u"show.twv"_s, {kMsie, kWwwc, kNetscape});
        const CliRun run = runCli({u"show"_s, file});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QString());
        QCOMPARE(run.out, showLine(1, "IE", kMsie) + showLine(2, "WWWC", kWwwc) +
                              showLine(3, "NN", kNetscape));
    }

    void showPrintsControlCharactersInValuesAsBlanks()
    {
        // Only CSV can carry a TAB or a line break inside a value.
        QByteArray csv = csvHeaderLine() + "\r\n";
        csv += test::sjis("\"Wget\t1.5\",\"host\r\nname\",\"1.2.3.4\",\"2001/05/01 00:00:00\","
                          "\"日本語\"\r\n");
        const QString file = path(u"tab.csv"_s);
        QVERIFY(test::writeBytes(file, csv));
        const CliRun run = runCli({u"show"_s, file});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out,
                 u"1\tEXE\tWget 1.5\thost  name\t1.2.3.4\t2001/05/01 00:00:00\t日本語\n"_s);
    }

    void showSorts_data()
    {
        QTest::addColumn<QString>("sort");
        QTest::addColumn<QStringList>("browsers"); // expected order, by the first field
        QTest::newRow("host ascending by default")
            << u"2"_s << QStringList{kWwwc[0], kNetscape[0], kMsie[0]};
        QTest::newRow("host ascending")
            << u"2:asc"_s << QStringList{kWwwc[0], kNetscape[0], kMsie[0]};
        QTest::newRow("host descending")
            << u"2:desc"_s << QStringList{kMsie[0], kNetscape[0], kWwwc[0]};
        QTest::newRow("date-time descending")
            << u"4:desc"_s << QStringList{kNetscape[0], kWwwc[0], kMsie[0]};
        QTest::newRow("previous page") << u"5"_s << QStringList{kNetscape[0], kWwwc[0], kMsie[0]};
    }

    void showSorts()
    {
        QFETCH(QString, sort);
        QFETCH(QStringList, browsers);
        const QString file = writeList(u"sort.twv"_s, {kMsie, kWwwc, kNetscape});
        const CliRun run = runCli({u"show"_s, u"--sort"_s, sort, file});
        QCOMPARE(run.exitCode, 0);
        const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), browsers.size());
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QStringList fields = lines[i].split(u'\t');
            QCOMPARE(fields[0], QString::number(i + 1)); // numbered in display order
            QCOMPARE(fields[2], browsers[i]);
        }
    }

    void showOpensFirstFileAndAppendsTheOthers()
    {
        const QString a = writeList(u"a.twv"_s, {kMsie});
        const QString empty = writeList(u"empty.twv"_s, {});
        const QString b = writeList(u"b.twv"_s, {kWwwc, kNetscape});
        const CliRun run = runCli({u"show"_s, empty, a, b, a});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, showLine(1, "IE", kMsie) + showLine(2, "WWWC", kWwwc) +
                              showLine(3, "NN", kNetscape) + showLine(4, "IE", kMsie));

        // Sorting happens after all files are in.
        const CliRun sorted = runCli({u"show"_s, u"--sort=1:desc"_s, b, a});
        QCOMPARE(sorted.exitCode, 0);
        QCOMPARE(sorted.out, showLine(1, "WWWC", kWwwc) + showLine(2, "NN", kNetscape) +
                                 showLine(3, "IE", kMsie));
    }

    void saveWritesTheWritersBytes_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("options");
        QTest::newRow("twv") << u"twv"_s << QStringList{};
        QTest::newRow("csv") << u"csv"_s << QStringList{};
        QTest::newRow("report") << u"report"_s << QStringList{};
        QTest::newRow("twv sorted") << u"twv"_s << QStringList{u"--sort"_s, u"3:desc"_s};
        QTest::newRow("report sorted") << u"report"_s << QStringList{u"--sort"_s, u"2"_s};
    }

    void saveWritesTheWritersBytes()
    {
        QFETCH(QString, format);
        QFETCH(QStringList, options);
        const QString a = writeList(u"save_a.twv"_s, {kMsie, kNetscape});
        const QString b = writeList(u"save_b.twv"_s, {kWwwc});
        const QString out = path(u"saved."_s + format);
        const CliRun run = runCli(QStringList{u"save"_s, u"--format"_s, format, u"-o"_s, out,
                                              u"--now"_s, u"2001-02-15 14:05"_s} +
                                  options + QStringList{a, b});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QString());

        LogList list;
        list.append(std::move(readLogFile(a).batch));
        list.append(std::move(readLogFile(b).batch));
        if (!options.isEmpty()) {
            const int column = options[1].left(1).toInt() - 1;
            list.sortByHeader(column);
            if (options[1].endsWith(u":desc"))
                list.sortByHeader(column);
        }
        const QString expected = path(u"expected."_s + format);
        if (format == u"twv")
            QVERIFY(saveListFile(expected, list));
        else if (format == u"csv")
            QVERIFY(saveCsvFile(expected, list));
        else
            QVERIFY(saveReportFile(expected, list,
                                   FixedClock(QDateTime(QDate(2001, 2, 15), QTime(14, 5)))));
        const QByteArray bytes = test::readBytes(out);
        QVERIFY(!bytes.isEmpty());
        QCOMPARE(bytes, test::readBytes(expected));
        if (format == u"report")
            QVERIFY(bytes.contains(test::sjis("  作成日時:02/15/2001 14:05\r\n")));
    }

    void unreadableFilesEndWithStatus3_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << QByteArray() << u"not found"_s;
        QTest::newRow("unknown layout")
            << QByteArray("just text\r\n")
            << u"not a Tallyweaver list, CSV or log file (try: tallyweaver-cli repair FILE)"_s;
        QTest::newRow("bare LF header") << QByteArray("#Tallyweaver_Header\nx\ty\tz\tw\tv\n")
                                        << u"not a Tallyweaver list, CSV or log file"_s;
        QTest::newRow("empty file") << QByteArray("\x00", 0) << u"read error: "_s;
        QTest::newRow("cut-off CSV") << csvHeaderLine() + "\r\n\"a\",\"b\"\r\n"
                                     << u"read error: "_s;
    }

    void unreadableFilesEndWithStatus3()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        const QString good = writeList(u"good.twv"_s, {kMsie});
        const QString bad = path(u"bad_%1.log"_s.arg(QLatin1StringView(QTest::currentDataTag())));
        QFile::remove(bad);
        if (QByteArrayView(QTest::currentDataTag()) != "missing")
            QVERIFY(test::writeBytes(bad, content));
        // The browser and platform statistics count without the list, with the same errors.
        const QList<QStringList> commands = {
            {u"show"_s}, {u"stats"_s, u"browser"_s}, {u"stats"_s, u"platform"_s}};
        for (const QStringList& command : commands) {
            for (const QStringList& files : {QStringList{bad}, QStringList{good, bad}}) {
                const CliRun run = runCli(command + files);
                QCOMPARE(run.exitCode, 3);
                QCOMPARE(run.out, QString());
                QVERIFY2(run.err.startsWith(bad + u": "_s + reason), qPrintable(run.err));
                QCOMPARE(run.err.count(u'\n'), 1); // one line
            }
        }
    }

    void usageErrorsEndWithStatus2_data()
    {
        QTest::addColumn<QStringList>("args");
        const QString f = u"x.twv"_s;
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("unknown command") << QStringList{u"list"_s, f};
        QTest::newRow("show without file") << QStringList{u"show"_s};
        QTest::newRow("column 0") << QStringList{u"show"_s, u"--sort"_s, u"0"_s, f};
        QTest::newRow("column 6") << QStringList{u"show"_s, u"--sort"_s, u"6"_s, f};
        QTest::newRow("bad order") << QStringList{u"show"_s, u"--sort"_s, u"2:up"_s, f};
        QTest::newRow("sort without value") << QStringList{u"show"_s, f, u"--sort"_s};
        QTest::newRow("unknown option") << QStringList{u"show"_s, u"--fast"_s, f};
        QTest::newRow("-o on show") << QStringList{u"show"_s, u"-o"_s, u"out"_s, f};
        QTest::newRow("save without format") << QStringList{u"save"_s, u"-o"_s, u"out"_s, f};
        QTest::newRow("save unknown format")
            << QStringList{u"save"_s, u"--format"_s, u"xml"_s, u"-o"_s, u"out"_s, f};
        QTest::newRow("save without -o") << QStringList{u"save"_s, u"--format"_s, u"csv"_s, f};
        QTest::newRow("bad --now")
            << QStringList{u"save"_s, u"--format"_s, u"report"_s,     u"-o"_s,
                           u"out"_s,  u"--now"_s,    u"15/02/2001"_s, f};
        QTest::newRow("--now with a signed year") << QStringList{u"save"_s,
                                                                 u"--format"_s,
                                                                 u"report"_s,
                                                                 u"-o"_s,
                                                                 u"out"_s,
                                                                 u"--now"_s,
                                                                 u"-0001-01-01 10:00"_s,
                                                                 f};
        QTest::newRow("alogmax not a number")
            << QStringList{u"show"_s, u"--alogmax"_s, u"many"_s, f};
        QTest::newRow("repair two files") << QStringList{u"repair"_s, f, f};
        QTest::newRow("lf2crlf without file") << QStringList{u"lf2crlf"_s};
    }

    void usageErrorsEndWithStatus2()
    {
        QFETCH(QStringList, args);
        const CliRun run = runCli(args);
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.out, QString());
        QVERIFY(run.err.startsWith(u"tallyweaver-cli: "_s));
        QVERIFY(run.err.contains(u"Usage:"_s));
    }

    void helpAndVersionGoToStandardOutput()
    {
        const CliRun help = runCli({u"--help"_s});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.startsWith(u"Usage:"_s));
        QCOMPARE(help.err, QString());
        QCOMPARE(runCli({u"show"_s, u"--help"_s}).exitCode, 0);

        const CliRun version = runCli({u"--version"_s});
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out, u"tallyweaver-cli 2.02\n"_s);
    }

    void optionsAfterDoubleDashAreFiles()
    {
        const QString file = writeList(u"--sort"_s, {kWwwc});
        const CliRun run = runCli({u"show"_s, u"--"_s, file.section(u'/', -1)}, [this] {
            (void)::chdir(m_dir.path().toLocal8Bit().constData());
        });
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, showLine(1, "WWWC", kWwwc));
    }

    void failedWritesEndWithStatus4AndKeepTheOldFile_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("twv") << u"twv"_s;
        QTest::newRow("csv") << u"csv"_s;
        QTest::newRow("report") << u"report"_s;
    }

    void failedWritesEndWithStatus4AndKeepTheOldFile()
    {
        QFETCH(QString, format);
        QList<QStringList> many;
        for (int i = 0; i < 200; ++i)
            many << kMsie;
        const QString input = writeList(u"many.twv"_s, many);

        const QString nowhere = path(u"no/such/folder/out."_s + format);
        const CliRun missing = runCli({u"save"_s, u"--format"_s, format, u"-o"_s, nowhere, input});
        QCOMPARE(missing.exitCode, 4);
        QVERIFY2(missing.err.startsWith(nowhere + u": write error: "_s), qPrintable(missing.err));
        QVERIFY(!QFile::exists(nowhere));

        // A full disk, simulated by a file size limit: the old file must survive.
        const QString out = path(u"old."_s + format);
        QVERIFY(test::writeBytes(out, "old contents\r\n"));
        const CliRun full = runCli({u"save"_s, u"--format"_s, format, u"-o"_s, out, input},
                                   test::fileSizeLimit(4096));
        QCOMPARE(full.exitCode, 4);
        QVERIFY(full.err.startsWith(out + u": write error: "_s));
        QCOMPARE(test::readBytes(out), QByteArray("old contents\r\n"));
    }

    // A device that takes the first bytes of the output and no more, also when the output is
    // smaller than a write buffer and when it replaces the input itself.
    void cutShortWritesEndWithStatus4AndKeepTheOldFile_data()
    {
        QTest::addColumn<QStringList>("command"); // -o OUT and the input follow
        QTest::addColumn<bool>("overInput");
        const QString now = u"2001-05-01 09:05"_s;
        QTest::newRow("save report")
            << QStringList{u"save"_s, u"--format"_s, u"report"_s, u"--now"_s, now} << false;
        QTest::newRow("save csv") << QStringList{u"save"_s, u"--format"_s, u"csv"_s} << false;
        QTest::newRow("stats host") << QStringList{u"stats"_s, u"host"_s, u"--now"_s, now} << false;
        QTest::newRow("save over its input")
            << QStringList{u"save"_s, u"--format"_s, u"twv"_s} << true;
    }
    void cutShortWritesEndWithStatus4AndKeepTheOldFile()
    {
        QFETCH(QStringList, command);
        QFETCH(bool, overInput);
        QTemporaryDir dir;
        const QString input = dir.filePath(u"small.twv"_s);
        const QByteArray inputBytes = test::listFileBytes(
            {kMsie, kWwwc, kNetscape, kMsie, kWwwc, kNetscape, kMsie, kWwwc, kNetscape});
        QVERIFY(test::writeBytes(input, inputBytes));
        const QString whole = dir.filePath(u"whole.txt"_s);
        QCOMPARE(runCli(command + QStringList{u"-o"_s, whole, input}).exitCode, 0);
        const qint64 size = QFileInfo(whole).size();

        const QString out = overInput ? input : dir.filePath(u"old.txt"_s);
        const QByteArray old = overInput ? inputBytes : QByteArray("old contents\r\n");
        for (const long limit : {0L, 1L, 1024L, long(size - 1)}) {
            if (limit >= size)
                continue;
            QVERIFY(test::writeBytes(out, old));
            const QStringList files = test::filesIn(dir.path());
            const CliRun run =
                runCli(command + QStringList{u"-o"_s, out, input}, test::fileSizeLimit(limit));
            QCOMPARE(run.exitCode, 4);
            QVERIFY2(run.err.startsWith(out + u": write error: "_s), qPrintable(run.err));
            QCOMPARE(run.err.count(u'\n'), 1);
            QCOMPARE(test::readBytes(out), old);
            QCOMPARE(test::filesIn(dir.path()), files);
        }
    }

    // Output that cannot be written (a full device, a file that stops growing) is an error like
    // a file that cannot be written, for every command that prints.
    void unwritableStandardOutputEndsWithStatus4_data()
    {
        QTest::addColumn<QStringList>("args"); // FILE: a list file; RAW: a log with bare LF
        QTest::addColumn<long>("cutAt");       // -1: /dev/full; else a file cut at this size
        const QString file = u"FILE"_s;
        QTest::newRow("show") << QStringList{u"show"_s, file} << -1L;
        QTest::newRow("search") << QStringList{u"search"_s, u"Mozilla"_s, file} << -1L;
        QTest::newRow("stats browser") << QStringList{u"stats"_s, u"browser"_s, file} << -1L;
        QTest::newRow("stats access") << QStringList{u"stats"_s, u"access"_s, file} << -1L;
        QTest::newRow("repair") << QStringList{u"repair"_s, u"RAW"_s} << -1L;
        QTest::newRow("lf2crlf") << QStringList{u"lf2crlf"_s, u"RAW"_s} << -1L;
        QTest::newRow("--help") << QStringList{u"--help"_s} << -1L;
        QTest::newRow("--version") << QStringList{u"--version"_s} << -1L;
        QTest::newRow("show cut short") << QStringList{u"show"_s, file} << 2000L;
        QTest::newRow("--help cut short") << QStringList{u"--help"_s} << 100L;
    }
    void unwritableStandardOutputEndsWithStatus4()
    {
        QFETCH(QStringList, args);
        QFETCH(long, cutAt);
        QTemporaryDir dir;
        QList<QStringList> records;
        for (int i = 0; i < 40; ++i)
            records << kMsie << kNetscape;
        const QByteArray bytes = test::listFileBytes(records);
        const QString file = dir.filePath(u"log.twv"_s);
        const QString raw = dir.filePath(u"access_log"_s);
        QVERIFY(test::writeBytes(file, bytes));
        QVERIFY(test::writeBytes(raw, QByteArray(bytes).replace("\r\n", "\n")));
        args.replaceInStrings(u"FILE"_s, file).replaceInStrings(u"RAW"_s, raw);

        const QString output = cutAt < 0 ? u"/dev/full"_s : dir.filePath(u"output.txt"_s);
        const CliRun run =
            runCli(args, cutAt < 0 ? std::function<void()>() : test::fileSizeLimit(cutAt), output);
        QCOMPARE(run.exitCode, 4);
        QVERIFY2(run.err.startsWith(u"standard output: write error: "_s), qPrintable(run.err));
        QCOMPARE(run.err.count(u'\n'), 1);
    }

    // Renaming a new file over a device or a FIFO would turn it into a regular file (as root,
    // even /dev/null).
    void outputThatIsNoRegularFileIsRefused_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::newRow("save") << QStringList{u"save"_s, u"--format"_s, u"twv"_s};
        QTest::newRow("stats") << QStringList{u"stats"_s, u"host"_s};
    }
    void outputThatIsNoRegularFileIsRefused()
    {
        QFETCH(QStringList, command);
        QTemporaryDir dir;
        const QString input = writeList(u"refused.twv"_s, {kMsie});
        const QString fifo = dir.filePath(u"fifo"_s);
        const QString device = dir.filePath(u"null"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QStringList targets = {fifo};
        if (::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0)
            targets << device; // like /dev/null, where we may make device nodes
        for (const QString& target : std::as_const(targets)) {
            struct stat before {};
            QCOMPARE(::lstat(QFile::encodeName(target).constData(), &before), 0);
            const CliRun run = runCli(command + QStringList{u"-o"_s, target, input});
            QCOMPARE(run.exitCode, 4);
            QVERIFY2(run.err.startsWith(target + u": write error: "_s), qPrintable(run.err));
            struct stat after {};
            QCOMPARE(::lstat(QFile::encodeName(target).constData(), &after), 0);
            QCOMPARE(after.st_mode, before.st_mode);
            QCOMPARE(after.st_rdev, before.st_rdev);
        }
        QCOMPARE(test::filesIn(dir.path()).size(), targets.size());
    }

    void repairPrintsTheResult_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("printed");
        QTest::addColumn<int>("status");
        QTest::newRow("raw log with bare LF")
            << test::sjis("ブラウザ:WWWC/1.03\tホスト:h\tIP:1.2.3.4\t日付時間:2001/05/01 "
                          "00:00:00\t前回頁:-\n")
            << u"RepairDone 0\n"_s << 0;
        QTest::newRow("not a log") << QByteArray("hello\r\n") << u"RepairNotLogFile 1\n"_s << 1;
        QTest::newRow("header only")
            << QByteArray("#Tallyweaver_Header\r\n") << u"RepairEmptyLog 2\n"_s << 1;
        QTest::newRow("missing file") << QByteArray() << u"error 53: "_s << 1;
    }

    void repairPrintsTheResult()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, printed);
        QFETCH(int, status);
        const QString file = path(
            u"repair_%1.log"_s.arg(QLatin1StringView(QTest::currentDataTag())).replace(u' ', u'_'));
        if (!content.isEmpty())
            QVERIFY(test::writeBytes(file, content));
        const CliRun run = runCli({u"repair"_s, file});
        QCOMPARE(run.exitCode, status);
        QVERIFY2(run.out.startsWith(printed), qPrintable(run.out));
        if (status == 0) {
            QVERIFY(test::readBytes(file).startsWith("#Tallyweaver_Header\r\n"));
            QCOMPARE(runCli({u"show"_s, file}).exitCode, 0);
        }
    }

    void lfToCrLfPrintsTheCopyPath()
    {
        const QString unix = path(u"unix.log"_s);
        QVERIFY(test::writeBytes(unix, "a\nb\n"));
        const QString unixCopy = path(u"crlf_unix.log"_s);
        const CliRun converted = runCli({u"lf2crlf"_s, unix});
        QCOMPARE(converted.exitCode, 0);
        QCOMPARE(converted.out, unixCopy + u'\n');
        QCOMPARE(test::readBytes(unixCopy), QByteArray("a\r\nb\r\n\r\n"));

        const QString dos = path(u"dos.log"_s);
        QVERIFY(test::writeBytes(dos, "a\r\nb\r\n"));
        const CliRun nothing = runCli({u"lf2crlf"_s, dos});
        QCOMPARE(nothing.exitCode, 1);
        QCOMPARE(nothing.out, path(u"crlf_dos.log"_s) + u'\n');
        QVERIFY(QFile::exists(path(u"crlf_dos.log"_s))); // written all the same

        const CliRun missing = runCli({u"lf2crlf"_s, path(u"none.log"_s)});
        QCOMPARE(missing.exitCode, 3);
        QVERIFY(missing.err.endsWith(u": not found\n"_s));
    }

    void bundledSamplesReadAndRepair()
    {
        const CliRun sample =
            runCli({u"show"_s, test::sourcePath(u"resources/samples/sample.twv"_s)});
        QCOMPARE(sample.exitCode, 0);
        QCOMPARE(sample.out.count(u'\n'), 2000);

        // The raw log needs the repair first; its two damaged lines come back as "bad data".
        const QString log = path(u"access_log"_s);
        QVERIFY(test::writeBytes(
            log, test::readBytes(test::sourcePath(u"resources/samples/access_log"_s))));
        QCOMPARE(runCli({u"show"_s, log}).exitCode, 3);
        QCOMPARE(runCli({u"repair"_s, log}).out, u"RepairDone 0\n"_s);
        const CliRun repaired = runCli({u"show"_s, log});
        QCOMPARE(repaired.exitCode, 0);
        QCOMPARE(repaired.out.count(u'\n'), 200);
        QCOMPARE(repaired.out.count(u"\tEXE\tbad data\t"_s), 2);
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
