#include "analysis/access_statistics.h"
#include "analysis/host_statistics.h"
#include "analysis/save_report_command.h"
#include "analysis/search.h"
#include "analysis/statistics_report.h"
#include "core/clock.h"
#include "core/cp932.h"
#include "core/list_writers.h"
#include "core/log_list.h"
#include "core/log_reader.h"
#include "support/cli_run.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tw;

namespace {

using test::CliRun;
using test::runCli;

const QString kNow = u"2001-05-01 09:05"_s;
const QDateTime kNowTime(QDate(2001, 5, 1), QTime(9, 5));

QString samplePath()
{
    return test::sourcePath(u"resources/samples/sample.twv"_s);
}

void readList(LogList& list, const QString& path, const QStringList& platforms = {})
{
    list.clear();
    list.setUserPlatforms(UserPlatforms(platforms));
    list.append(std::move(readLogFile(path).batch));
}

// The report body the statistics dialog shows for a page.
QString dialogBody(StatisticsPage page, const LogList& list, const QStringList& platforms,
                   int aLogMax)
{
    switch (page) {
    case StatisticsPage::Browser:
        return browserReportBody(list.browserTally());
    case StatisticsPage::Platform:
        return platformReportBody(list.platformTally(), UserPlatforms(platforms));
    case StatisticsPage::Access:
        return accessStatisticsText(list, aLogMax);
    case StatisticsPage::Host:
        return hostStatisticsText(list);
    }
    return {};
}

qint64 rowsContaining(const LogList& list, int column, QByteArrayView text)
{
    qint64 n = 0;
    for (qsizetype i = 0; i < list.rowCount(); ++i)
        n += list.field(i, column).contains(text) ? 1 : 0;
    return n;
}

// The page lines of an access report: those between the header and the empty line.
QStringList accessPageLines(const QString& report)
{
    const QStringList lines = report.split(u'\n');
    const qsizetype header = lines.indexOf(u"  カウント\t前回頁"_s);
    if (header < 0)
        return {};
    QStringList pages;
    for (qsizetype i = header + 1; i < lines.size() && !lines[i].isEmpty(); ++i)
        pages << lines[i];
    return pages;
}

QStringList rowNumbers(const QString& out)
{
    QStringList numbers;
    for (const QString& line : out.split(u'\n', Qt::SkipEmptyParts))
        numbers << line.section(u'\t', 0, 0);
    return numbers;
}

const QStringList& kMsie = test::kMsieRecord;
const QStringList& kWwwc = test::kWwwcRecord;
const QStringList kGreek = {u"Lynx/2.8"_s, u"ΑΘΗΝΑ.example.gr"_s, u"10.0.0.3"_s,
                            u"2001/05/02 23:59:59"_s, u"http://example.gr/"_s};

} // namespace

class TestCliStats : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    LogList m_sample;    // as the window holds it with no user platform strings
    QString m_longPages; // a list whose reports run to megabytes
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        readList(m_sample, samplePath());
        QVERIFY(m_sample.rowCount() > 0);

        QList<QStringList> rows;
        for (int i = 0; i < 1500; ++i)
            rows.append({kMsie[0], u"p%1.host%1.ne.jp"_s.arg(i), kMsie[2], kMsie[3],
                         u"http://example.jp/%1?q="_s.arg(i) + QString(1000, u'表')});
        m_longPages = path(u"long.twv"_s);
        QVERIFY(test::writeBytes(m_longPages, test::listFileBytes(rows)));
    }

    void statsWritesWhatTheDialogSaves_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("page");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("platforms");
        QTest::addColumn<int>("aLogMax");
        QTest::addColumn<bool>("longPages");
        QTest::newRow("browser") << u"browser"_s << 0 << QStringList{} << QStringList{} << 0
                                 << false;
        QTest::newRow("platform") << u"platform"_s << 1
                                  << QStringList{u"--platform1"_s, u"DreamPassport"_s,
                                                 u"--platform3"_s, u"ReGet"_s}
                                  << QStringList{u"DreamPassport"_s, u""_s, u"ReGet"_s} << 0
                                  << false;
        QTest::newRow("access") << u"access"_s << 2 << QStringList{} << QStringList{} << 0 << false;
        QTest::newRow("access alogmax 5") << u"access"_s << 2 << QStringList{u"--alogmax"_s, u"5"_s}
                                          << QStringList{} << 5 << false;
        QTest::newRow("host") << u"host"_s << 3 << QStringList{} << QStringList{} << 0 << false;
        // Reports of megabytes go out in pieces; a thousand domains sort as a few do.
        QTest::newRow("access, long pages")
            << u"access"_s << 2 << QStringList{} << QStringList{} << 0 << true;
        QTest::newRow("host, many domains")
            << u"host"_s << 3 << QStringList{} << QStringList{} << 0 << true;
    }

    // The bytes of -o are those of the dialog's save for the same list and time, and standard
    // output carries the same text in UTF-8 with LF.
    void statsWritesWhatTheDialogSaves()
    {
        QFETCH(QString, kind);
        QFETCH(int, page);
        QFETCH(QStringList, options);
        QFETCH(QStringList, platforms);
        QFETCH(int, aLogMax);
        QFETCH(bool, longPages);
        const QString input = longPages ? m_longPages : samplePath();
        const QString out =
            path(u"cli_"_s + QLatin1StringView(QTest::currentDataTag()) + u".txt"_s);
        const QStringList head{u"stats"_s, kind, u"--now"_s, kNow};
        const CliRun run = runCli(head + options + QStringList{u"-o"_s, out, input});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QString());
        QCOMPARE(run.out, QString());

        LogList list;
        readList(list, input, platforms);
        const auto statisticsPage = StatisticsPage(page);
        test::ScriptedPrompts prompts;
        const QString expected = path(u"dialog.txt"_s);
        prompts.fileNames.enqueue(expected);
        QVERIFY(runSaveReport(statisticsPage, dialogBody(statisticsPage, list, platforms, aLogMax),
                              QString(), prompts, FixedClock(kNowTime)));
        const QByteArray bytes = test::readBytes(out);
        QCOMPARE(bytes, test::readBytes(expected));
        QVERIFY(bytes.contains(test::sjis("  作成日時:2001/05/01 09:05\r\n")));
        QVERIFY(bytes.endsWith("\r\n[EOF]\r\n"));

        QVERIFY(!longPages || bytes.size() > (page == 2 ? 3000000 : 30000));
        const CliRun printed = runCli(head + options + QStringList{input});
        QCOMPARE(printed.exitCode, 0);
        QVERIFY(!printed.out.contains(u'\r'));
        QCOMPARE(printed.out, cp932::decode(bytes).replace(u"\r\n"_s, u"\n"_s));
    }

    // Several files of every layout add up as if appended to one list, also when the list files
    // are large enough to be read in ranges.
    void browserAndPlatformAddUpEveryFile()
    {
        const QString csv = path(u"tally.csv"_s);
        LogList records;
        records.appendRecord(AccessRecord{kMsie[0], kMsie[1], kMsie[2], kMsie[3], kMsie[4]});
        records.appendRecord(AccessRecord{kWwwc[0], kWwwc[1], kWwwc[2], kWwwc[3], kWwwc[4]});
        QVERIFY(saveCsvFile(csv, records));
        const QString list = path(u"tally.twv"_s);
        QVERIFY(test::writeBytes(list, test::listFileBytes(QList<QStringList>(50, kGreek) +
                                                           QList<QStringList>(20, kMsie))));
        const QStringList files{samplePath(), csv, list, samplePath()};
        const QStringList platforms{u"Lynx"_s, QString(), u"MSIE 5.5"_s};

        LogList all;
        all.setUserPlatforms(UserPlatforms(platforms));
        for (const QString& file : files) {
            ReadResult read = readLogFile(file);
            QCOMPARE(read.status, ReadStatus::Ok);
            all.append(std::move(read.batch));
        }
        const QStringList options{u"--now"_s,       kNow,        u"--platform1"_s, platforms[0],
                                  u"--platform3"_s, platforms[2]};
        for (const auto page : {StatisticsPage::Browser, StatisticsPage::Platform}) {
            const CliRun run =
                runCli(QStringList{u"stats"_s,
                                   page == StatisticsPage::Browser ? u"browser"_s : u"platform"_s} +
                       options + files);
            QCOMPARE(run.exitCode, 0);
            QCOMPARE(run.err, QString());
            const QString expected =
                statisticsReportText(page, dialogBody(page, all, platforms, 0), kNowTime);
            QCOMPARE(run.out, QString(expected).replace(u"\r\n"_s, u"\n"_s));
        }
    }

    void statsWithoutNowTakesTheCurrentTime()
    {
        const QDateTime before = QDateTime::currentDateTime();
        const CliRun run = runCli({u"stats"_s, u"browser"_s, samplePath()});
        const QDateTime after = QDateTime::currentDateTime();
        QCOMPARE(run.exitCode, 0);
        const QString stamp = run.out.section(u'\n', 3, 3).mid(QStringView(u"  作成日時:").size());
        const QStringList possible{before.toString(u"yyyy/MM/dd hh:mm"_s),
                                   after.toString(u"yyyy/MM/dd hh:mm"_s)};
        QVERIFY2(possible.contains(stamp), qPrintable(stamp));
    }

    void platformReportListsOnlyTheSetUserSlots()
    {
        const LogList& list = m_sample;
        const qint64 msie55 = rowsContaining(list, 0, "MSIE 5.5");
        QVERIFY(msie55 > 0);
        const CliRun run = runCli({u"stats"_s, u"platform"_s, u"--platform2"_s, u"MSIE 5.5"_s,
                                   u"--now"_s, kNow, samplePath()});
        QCOMPARE(run.exitCode, 0);
        const QStringList lines = run.out.split(u'\n');
        qsizetype at = -1;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (lines[i].startsWith(u"ReGet:\t\t"_s))
                at = i;
        }
        QVERIFY(at > 0);
        // The user line lies between ReGet and the other platforms; slots 1 and 3 are left out.
        QCOMPARE(lines[at + 1], u"MSIE 5.5:\t"_s + QString::number(msie55));
        QVERIFY(lines[at + 2].startsWith(u"その他:\t"_s));
        QCOMPARE(lines.mid(at + 3), (QStringList{u""_s, u""_s, u"[EOF]"_s, u""_s}));
    }

    void settingsFileGivesPlatformsAndALogMax()
    {
        // A value longer than the program's 63-byte read limit comes back cut, never inside a
        // double-byte character: 32 of them are 64 bytes, 31 are kept.
        const QString longName = u"プラットフォーム"_s.repeated(4);
        const QString ini = path(u"TALLYWVR.INI"_s);
        QVERIFY(test::writeBytes(ini, test::sjis("'comment\r\n[PREF]\r\nStatusValues=11\r\n"
                                                 "ALogMax=3\r\nPratform0=MSIE 5.5\r\n") +
                                          "Pratform2=" + cp932::encode(longName) + "\r\n"));

        const CliRun access = runCli({u"stats"_s, u"access"_s, u"--settings"_s, ini, samplePath()});
        QCOMPARE(access.exitCode, 0);
        const QStringList pages = accessPageLines(access.out);
        QCOMPARE(pages.size(), 3);
        QCOMPARE(pages,
                 accessPageLines(accessStatisticsText(m_sample, 3).replace(u"\r\n"_s, u"\n"_s)));

        const CliRun platform =
            runCli({u"stats"_s, u"platform"_s, u"--settings"_s, ini, samplePath()});
        QCOMPARE(platform.exitCode, 0);
        const qint64 msie55 = rowsContaining(m_sample, 0, "MSIE 5.5");
        QVERIFY(platform.out.contains(u"\nMSIE 5.5:\t"_s + QString::number(msie55) + u'\n'));
        QVERIFY(platform.out.contains(u'\n' + longName.left(31) + u":\t0\n"_s));

        // Direct values win over the file.
        const CliRun direct = runCli({u"stats"_s, u"access"_s, u"--settings"_s, ini, u"--alogmax"_s,
                                      u"1"_s, u"--platform1"_s, u"Windows 98"_s, samplePath()});
        QCOMPARE(direct.exitCode, 0);
        QCOMPARE(accessPageLines(direct.out).size(), 1);
        const CliRun directPlatform = runCli({u"stats"_s, u"platform"_s, u"--settings"_s, ini,
                                              u"--platform1"_s, u"Windows 98"_s, samplePath()});
        QVERIFY(!directPlatform.out.contains(u"\nMSIE 5.5:\t"_s));
        const QString userLine =
            u"\nReGet:\t\t%1\nWindows 98:\t%2\n"_s.arg(m_sample.platformTally()[11])
                .arg(rowsContaining(m_sample, 0, "Windows 98"));
        QVERIFY2(directPlatform.out.contains(userLine), qPrintable(directPlatform.out));

        // show and save accept the same settings.
        QCOMPARE(runCli({u"show"_s, u"--settings"_s, ini, samplePath()}).exitCode, 0);
    }

    void badSettingsFiles_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << QByteArray() << QStringList{} << 3 << u"not found"_s;
        QTest::newRow("ALogMax out of range")
            << QByteArray("[PREF]\r\nALogMax=40000\r\n") << QStringList{} << 3
            << u"ALogMax \"40000\" is not a number from -32768 to 32767"_s;
        QTest::newRow("ALogMax letters") << QByteArray("[PREF]\r\nALogMax=many\r\n")
                                         << QStringList{} << 3 << u"ALogMax \"many\""_s;
        QTest::newRow("ALogMax cut to 6 bytes")
            << QByteArray("[PREF]\r\nALogMax=0000001\r\n") << QStringList{} << 0 << QString();
        QTest::newRow("bad ALogMax replaced by --alogmax")
            << QByteArray("[PREF]\r\nALogMax=many\r\n") << QStringList{u"--alogmax"_s, u"2"_s} << 0
            << QString();
        QTest::newRow("never saved: no ALogMax")
            << QByteArray("[PREF]\r\nStatusValues=11\r\n\r\n") << QStringList{} << 0 << QString();
        QTest::newRow("empty ALogMax")
            << QByteArray("[PREF]\r\nALogMax=\r\n") << QStringList{} << 0 << QString();
    }

    void badSettingsFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QString, message);
        const QString ini = path(
            u"bad_%1.ini"_s.arg(QLatin1StringView(QTest::currentDataTag())).replace(u' ', u'_'));
        if (!content.isEmpty())
            QVERIFY(test::writeBytes(ini, content));
        for (const QString& command : {u"stats"_s, u"show"_s}) {
            QStringList args{command};
            if (command == u"stats")
                args << u"access"_s;
            const CliRun run = runCli(args + QStringList{u"--settings"_s, ini} + options +
                                      QStringList{samplePath()});
            QCOMPARE(run.exitCode, status);
            if (status == 0)
                continue;
            QCOMPARE(run.out, QString());
            QVERIFY2(run.err.startsWith(ini + u": "_s + message), qPrintable(run.err));
            QCOMPARE(run.err.count(u'\n'), 1);
        }
        if (status == 0) {
            // 0 (also a cut "000000" or an unset key) lists every page; --alogmax 2 lists two.
            const CliRun run = runCli(QStringList{u"stats"_s, u"access"_s, u"--settings"_s, ini} +
                                      options + QStringList{samplePath()});
            const QStringList expected =
                accessPageLines(accessStatisticsText(m_sample, options.isEmpty() ? 0 : 2)
                                    .replace(u"\r\n"_s, u"\n"_s));
            QCOMPARE(accessPageLines(run.out), expected);
        }
    }

    void failedStatsWriteEndsWithStatus4AndKeepsTheOldFile()
    {
        const QString nowhere = path(u"no/such/folder/a.txt"_s);
        const CliRun missing = runCli({u"stats"_s, u"host"_s, u"-o"_s, nowhere, samplePath()});
        QCOMPARE(missing.exitCode, 4);
        QVERIFY2(missing.err.startsWith(nowhere + u": write error: "_s), qPrintable(missing.err));
        QVERIFY(!QFile::exists(nowhere));

        // A full disk, simulated by a file size limit below the report's size.
        const QString out = path(u"old_report.txt"_s);
        QVERIFY(test::writeBytes(out, "old contents\r\n"));
        const CliRun full =
            runCli({u"stats"_s, u"access"_s, u"-o"_s, out, samplePath()}, test::fileSizeLimit(256));
        QCOMPARE(full.exitCode, 4);
        QVERIFY(full.err.startsWith(out + u": write error: "_s));
        QCOMPARE(test::readBytes(out), QByteArray("old contents\r\n"));
    }

    void searchFindsRowsContainingTheText_data()
    {
        QTest::addColumn<QStringList>("args"); // before the file
        QTest::addColumn<QStringList>("rows"); // row numbers printed
        QTest::newRow("case ignored") << QStringList{u"msie"_s} << QStringList{u"1"_s};
        QTest::newRow("match case, other case")
            << QStringList{u"--match-case"_s, u"msie"_s} << QStringList{};
        QTest::newRow("match case after the text")
            << QStringList{u"MSIE"_s, u"--match-case"_s} << QStringList{u"1"_s};
        QTest::newRow("only in the IP column") << QStringList{u"10.0.0.2"_s} << QStringList{u"2"_s};
        QTest::newRow("in every row")
            << QStringList{u"10.0.0."_s} << QStringList{u"1"_s, u"2"_s, u"3"_s};
        QTest::newRow("Japanese") << QStringList{u"表示"_s} << QStringList{u"1"_s};
        QTest::newRow("Greek, case ignored") << QStringList{u"αθηνα"_s} << QStringList{u"3"_s};
        QTest::newRow("Greek, match case")
            << QStringList{u"--match-case"_s, u"ΑΘΗΝΑ"_s} << QStringList{u"3"_s};
        QTest::newRow("Greek, match case, other case")
            << QStringList{u"--match-case"_s, u"αθηνα"_s} << QStringList{};
        // "WWWC/1.03", "" and "10.0.0.2" lie back to back in memory.
        QTest::newRow("not across two texts") << QStringList{u"0310"_s} << QStringList{};
        QTest::newRow("no match") << QStringList{u"nowhere"_s} << QStringList{};
        QTest::newRow("text starting with a dash")
            << QStringList{u"--"_s, u"-ip01"_s} << QStringList{u"1"_s};
        QTest::newRow("numbered in sorted order")
            << QStringList{u"--sort"_s, u"1:desc"_s, u"msie"_s} << QStringList{u"2"_s};
    }

    void searchFindsRowsContainingTheText()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, rows);
        const QString file = path(u"search.twv"_s);
        QVERIFY(test::writeBytes(file, test::listFileBytes({kMsie, kWwwc, kGreek})));
        const CliRun run = runCli(QStringList{u"search"_s} + args + QStringList{file});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QString());
        QCOMPARE(rowNumbers(run.out), rows);
        if (!rows.isEmpty() && !args.contains(u"--sort"_s)) {
            // The lines are those show prints.
            const QStringList shown = runCli({u"show"_s, file}).out.split(u'\n');
            for (const QString& line : run.out.split(u'\n', Qt::SkipEmptyParts))
                QCOMPARE(line, shown[line.section(u'\t', 0, 0).toInt() - 1]);
        }
    }

    // Without --match-case the rows are those a new search and repeated find-next select.
    void searchListsWhatTheDialogStepsFind_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("host") << u"HINODE"_s;
        QTest::newRow("browser") << u"windows nt"_s;
        QTest::newRow("Japanese") << u"料理"_s;
    }

    void searchListsWhatTheDialogStepsFind()
    {
        QFETCH(QString, text);
        const LogList& list = m_sample;
        SearchState state;
        QStringList expected;
        FindResult step = findInList(state, list, 0, false, text, -1);
        while (step.outcome == FindOutcome::Found) {
            expected << QString::number(step.row + 1);
            step = findInList(state, list, 1, false, QString(), step.row);
        }
        QVERIFY(expected.size() > 1);
        const CliRun run = runCli({u"search"_s, text, samplePath()});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(rowNumbers(run.out), expected);
    }

    void usageErrorsEndWithStatus2_data()
    {
        QTest::addColumn<QStringList>("args");
        const QString f = samplePath();
        QTest::newRow("stats without anything") << QStringList{u"stats"_s};
        QTest::newRow("stats unknown kind") << QStringList{u"stats"_s, u"hosts"_s, f};
        QTest::newRow("stats without file") << QStringList{u"stats"_s, u"host"_s};
        QTest::newRow("stats --match-case")
            << QStringList{u"stats"_s, u"host"_s, u"--match-case"_s, f};
        QTest::newRow("stats --format")
            << QStringList{u"stats"_s, u"host"_s, u"--format"_s, u"csv"_s, f};
        QTest::newRow("stats -o without name") << QStringList{u"stats"_s, u"host"_s, f, u"-o"_s};
        QTest::newRow("stats bad --now")
            << QStringList{u"stats"_s, u"host"_s, u"--now"_s, u"yesterday"_s, f};
        QTest::newRow("stats --alogmax out of range")
            << QStringList{u"stats"_s, u"access"_s, u"--alogmax"_s, u"32768"_s, f};
        QTest::newRow("search without anything") << QStringList{u"search"_s};
        QTest::newRow("search without file") << QStringList{u"search"_s, u"msie"_s};
        QTest::newRow("search -o") << QStringList{u"search"_s, u"-o"_s, u"x"_s, u"msie"_s, f};
        QTest::newRow("search --match-case=1")
            << QStringList{u"search"_s, u"--match-case=1"_s, u"msie"_s, f};
        QTest::newRow("show --match-case") << QStringList{u"show"_s, u"--match-case"_s, f};
        QTest::newRow("--settings without value")
            << QStringList{u"stats"_s, u"host"_s, f, u"--settings"_s};
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
};

QTEST_GUILESS_MAIN(TestCliStats)
#include "tst_cli_stats.moc"
