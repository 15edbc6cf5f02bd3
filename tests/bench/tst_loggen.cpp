#include "loggen.h"

#include "core/cp932.h"
#include "core/log_list.h"
#include "core/log_reader.h"
#include "support/test_files.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace tw;

namespace {

bench::LogGenOptions webOptions(bench::LogFormat format, qint64 rows)
{
    bench::LogGenOptions options;
    options.format = format;
    options.rows = rows;
    options.rareRows = true;
    return options;
}

// A quoted field of an Apache log: any bytes, with only \", \\ and \xhh escapes.
const QString kQuoted = uR"re("((?:[^"\\]|\\["\\]|\\x[0-9a-f]{2})*)")re"_s;
// host, user, request, status, bytes; then referrer and user agent unless Common.
const QString kCommonPattern =
    uR"re((\S+) - (\S+) \[\d\d/[A-Z][a-z]{2}/\d{4}:\d\d:\d\d:\d\d \+0900\] )re"
    uR"re("(-|GET \S+ HTTP/1\.[01])" (\d{3}) (\d+|-))re"_s;

QRegularExpression apacheLine(bench::LogFormat format)
{
    QString pattern = u"^"_s;
    if (format == bench::LogFormat::VCombined)
        pattern += uR"re(([a-z.]+)(:\d+)? )re"_s;
    pattern += kCommonPattern;
    if (format != bench::LogFormat::Common)
        pattern += u" "_s + kQuoted + u" "_s + kQuoted;
    return QRegularExpression(pattern + u"$"_s);
}

} // namespace

class TestLogGen : public QObject {
    Q_OBJECT

private slots:
    void sameSeedGivesSameBytes_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("list") << int(bench::LogFormat::List);
        QTest::newRow("combined") << int(bench::LogFormat::Combined);
        QTest::newRow("common") << int(bench::LogFormat::Common);
        QTest::newRow("vcombined") << int(bench::LogFormat::VCombined);
        QTest::newRow("w3c") << int(bench::LogFormat::W3C);
    }

    void sameSeedGivesSameBytes()
    {
        QFETCH(int, format);
        bench::LogGenOptions options;
        options.rows = 3000;
        options.seed = 42;
        options.format = bench::LogFormat(format);
        const QByteArray first = bench::generateLog(options);
        QCOMPARE(bench::generateLog(options), first);
        options.seed = 43;
        QVERIFY(bench::generateLog(options) != first);

        // The file holds exactly the bytes made in memory.
        options.seed = 42;
        QTemporaryDir dir;
        const QString path = dir.filePath(u"log"_s);
        QVERIFY(bench::writeLog(path, options));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), first);
    }

    void listFileReadsBackWithTheRequestedRows_data()
    {
        QTest::addColumn<qint64>("rows");
        QTest::newRow("none") << qint64(0);
        QTest::newRow("one") << qint64(1);
        QTest::newRow("many") << qint64(20000); // more than one write chunk
    }

    void listFileReadsBackWithTheRequestedRows()
    {
        QFETCH(qint64, rows);
        bench::LogGenOptions options;
        options.rows = rows;
        QTemporaryDir dir;
        const QString path = dir.filePath(u"log.twv"_s);
        QVERIFY(bench::writeLog(path, options));
        ReadResult result = readLogFile(path);
        QCOMPARE(result.status, ReadStatus::Ok);
        QCOMPARE(result.batch.size(), rows);
        if (rows < 1000)
            return;

        // Every browser class and the Japanese texts are there; the row size is near 250 bytes.
        LogList list;
        list.append(std::move(result.batch));
        for (qint64 count : list.browserTally())
            QVERIFY(count > 0);
        QVERIFY(list.platformTally()[std::size_t(PlatformClass::Other)] > 0);
        QVERIFY(list.platformTally()[std::size_t(PlatformClass::ReGet)] > 0);
        QVERIFY(list.platformTally()[std::size_t(PlatformClass::Dreamcast)] > 0);
        bool japanese = false, dash = false, empty = false, emptyHost = false;
        for (qsizetype i = 0; i < list.rowCount(); ++i) {
            const QByteArrayView page = list.field(i, ColPreviousPage);
            japanese = japanese || page.contains("表示") || page.contains("ホームページ");
            dash = dash || page == "-";
            empty = empty || page.isEmpty();
            emptyHost = emptyHost || list.field(i, ColHost).isEmpty();
        }
        QVERIFY(japanese && dash && empty && emptyHost);
        const double rowBytes = double(result.fileSize) / double(rows);
        QVERIFY2(rowBytes > 200 && rowBytes < 300, qPrintable(QString::number(rowBytes)));
    }

    // The statistics benchmark's worst case: every visit from its own long previous page.
    void longPagesAreDistinctAndLong()
    {
        bench::LogGenOptions options;
        options.rows = 300;
        options.longPageBytes = 1000;
        QTemporaryDir dir;
        const QString path = dir.filePath(u"long.twv"_s);
        QVERIFY(bench::writeLog(path, options));
        ReadResult result = readLogFile(path);
        QCOMPARE(result.status, ReadStatus::Ok);
        LogList list;
        list.append(std::move(result.batch));
        QSet<QByteArray> pages;
        for (qsizetype i = 0; i < list.rowCount(); ++i) {
            const QByteArrayView page = list.field(i, ColPreviousPage);
            QVERIFY(page.size() >= 1000 && page.size() <= 1002);
            pages.insert(page.toByteArray());
        }
        QCOMPARE(pages.size(), 300);
    }

    void rawLogHasNoHeaderBareLfAndDamagedLines()
    {
        bench::LogGenOptions options;
        options.rows = 100;
        options.header = false;
        options.bareLf = true;
        options.damagedRows = 3;
        const QByteArray bytes = bench::generateLog(options);
        QVERIFY(!bytes.contains('\r'));
        const QList<QByteArray> lines = bytes.split('\n');
        QCOMPARE(lines.size(), 101); // the last line ends with LF too
        QVERIFY(lines.last().isEmpty());
        const QByteArray label = cp932::encode(u"ブラウザ:");
        int damaged = 0;
        for (qsizetype i = 0; i < 100; ++i) {
            QVERIFY(lines[i].count('\t') == 4);
            if (!lines[i].startsWith(label))
                ++damaged;
        }
        QCOMPARE(damaged, 3);
    }

    // The committed samples, and with them the older formats' bytes, are what the generator
    // makes with the options of scripts/make-samples.sh.
    void samplesAreReproduced_data()
    {
        QTest::addColumn<QString>("sample");
        QTest::addColumn<int>("format");
        QTest::addColumn<qint64>("rows");
        QTest::addColumn<quint64>("seed");
        QTest::addColumn<bool>("raw");
        QTest::addColumn<bool>("crlf");
        using F = bench::LogFormat;
        QTest::newRow("list") << u"sample.twv"_s << int(F::List) << 2000LL << 2001ULL << false
                              << false;
        QTest::newRow("raw") << u"access_log"_s << int(F::List) << 200LL << 501ULL << true << false;
        QTest::newRow("combined") << u"access.log"_s << int(F::Combined) << 200LL << 1204ULL
                                  << false << false;
        QTest::newRow("w3c") << u"u_ex261201.log"_s << int(F::W3C) << 200LL << 1202ULL << false
                             << true;
    }

    void samplesAreReproduced()
    {
        QFETCH(QString, sample);
        QFETCH(int, format);
        QFETCH(qint64, rows);
        QFETCH(quint64, seed);
        QFETCH(bool, raw);
        QFETCH(bool, crlf);
        bench::LogGenOptions options;
        options.format = bench::LogFormat(format);
        options.rows = rows;
        options.seed = seed;
        options.crlf = crlf;
        if (raw) {
            options.header = false;
            options.bareLf = true;
            options.damagedRows = 2;
        }
        if (options.format != bench::LogFormat::List) {
            options.rareRows = true;
            options.startDay = 20788; // 2026-12-01
            options.spanDays = 0.7;
        }
        const QByteArray committed =
            test::readBytes(test::sourcePath(u"resources/samples/"_s + sample));
        QVERIFY(!committed.isEmpty());
        QCOMPARE(bench::generateLog(options), committed);
    }

    // The plain Combined log of the GoAccess comparison: its bytes must not drift.
    void plainCombinedBytesArePinned()
    {
        bench::LogGenOptions options;
        options.format = bench::LogFormat::Combined;
        options.rows = 2000;
        options.seed = 3;
        options.distinctPages = 20;
        QCOMPARE(QCryptographicHash::hash(bench::generateLog(options), QCryptographicHash::Sha256)
                     .toHex(),
                 QByteArray("591d884de1c9606aa42b5c09d3243be0c86fbff78f9e919fc0651ec33dec8a82"));
    }

    void apacheLinesHaveTheirFormatsLayout_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("common") << int(bench::LogFormat::Common);
        QTest::newRow("combined") << int(bench::LogFormat::Combined);
        QTest::newRow("vcombined") << int(bench::LogFormat::VCombined);
    }

    void apacheLinesHaveTheirFormatsLayout()
    {
        QFETCH(int, format);
        const auto options = webOptions(bench::LogFormat(format), 3000);
        const QByteArray bytes = bench::generateLog(options);
        QVERIFY(!bytes.contains('\r'));
        QList<QByteArray> lines = bytes.split('\n');
        QCOMPARE(lines.size(), 3001);
        QVERIFY(lines.takeLast().isEmpty());
        const QRegularExpression layout = apacheLine(options.format);
        QVERIFY(layout.isValid());
        for (const QByteArray& line : lines)
            QVERIFY2(layout.match(QString::fromLatin1(line)).hasMatch(), line.constData());
    }

    // A line the server was killed in the middle of; the rest are whole.
    void damagedWebLinesAreCutShort()
    {
        auto options = webOptions(bench::LogFormat::Combined, 100);
        options.damagedRows = 3;
        QList<QByteArray> lines = bench::generateLog(options).split('\n');
        QVERIFY(lines.takeLast().isEmpty());
        QCOMPARE(lines.size(), 100);
        const QRegularExpression layout = apacheLine(options.format);
        const auto whole = std::count_if(lines.begin(), lines.end(), [&](const QByteArray& line) {
            return layout.match(QString::fromLatin1(line)).hasMatch();
        });
        QCOMPARE(whole, 97);
    }

    // The odd rows come at their rates, each kind written as a server writes it.
    void rareRowsComeAtTheirRates()
    {
        constexpr qint64 rows = 40000;
        const auto options = webOptions(bench::LogFormat::VCombined, rows);
        const QRegularExpression layout = apacheLine(options.format);
        const QRegularExpression modern(u"Chrome/131.0.0.0|Firefox/133|Version/1(8.1|7.6)"_s);
        const QRegularExpression bot(u"bot/|curl/|python-req"_s,
                                     QRegularExpression::CaseInsensitiveOption);
        QHash<QString, int> seen;
        for (const QByteArray& line : bench::generateLog(options).split('\n')) {
            if (line.isEmpty())
                continue;
            const QRegularExpressionMatch m = layout.match(QString::fromLatin1(line));
            QVERIFY2(m.hasMatch(), line.constData());
            const QString agent = m.captured(9);
            const QByteArray referrer = m.captured(8).toLatin1();
            seen[u"ipv6"_s] += m.captured(3).contains(u':');
            seen[u"user"_s] += m.captured(4) != u"-";
            seen[u"408"_s] += m.captured(5) == u"-" && m.captured(6) == u"408" &&
                              m.captured(7) == u"-" && agent == u"-";
            seen[u"no port"_s] += m.captured(2).isEmpty();
            seen[u"modern"_s] += agent.contains(modern);
            seen[u"bot"_s] += agent.contains(bot);
            seen[u"escaped agent"_s] += agent.contains(u'\\');
            seen[u"escaped utf-8"_s] += referrer.contains("\\x");
            if (std::any_of(referrer.begin(), referrer.end(), [](char c) { return c & 0x80; })) {
                QStringDecoder utf8(QStringDecoder::Utf8);
                const QString decoded = utf8.decode(referrer); // decodes only when converted
                seen[utf8.hasError() ? u"raw cp932"_s : u"raw utf-8"_s] += 1;
            }
        }
        using R = bench::RareRowRates;
        const QHash<QString, int> rates = {{u"ipv6"_s, R::ipv6Client},
                                           {u"user"_s, R::remoteUser},
                                           {u"408"_s, R::timeout408},
                                           {u"no port"_s, R::hostWithoutPort},
                                           {u"modern"_s, R::modernBrowser},
                                           {u"bot"_s, R::bot},
                                           {u"escaped agent"_s, R::escapedAgent},
                                           {u"escaped utf-8"_s, R::utf8Referrer / 2},
                                           {u"raw utf-8"_s, R::utf8Referrer / 2},
                                           {u"raw cp932"_s, R::cp932Referrer}};
        for (auto it = rates.begin(); it != rates.end(); ++it) {
            const double expected = double(it.value()) * rows / 10000;
            const int count = seen.value(it.key());
            QVERIFY2(count > 0.7 * expected && count < 1.3 * expected,
                     qPrintable(u"%1: %2 rows, about %3 expected"_s.arg(it.key()).arg(count).arg(
                         expected)));
        }
    }

    // A W3C log as IIS writes it: directives before the rows, and again with other fields from the
    // middle on; every data line has as many blank-separated values as its #Fields names.
    void w3cLogHasItsDirectivesAndChangesFieldsHalfway()
    {
        auto options = webOptions(bench::LogFormat::W3C, 1000);
        options.crlf = true;
        const QByteArray bytes = bench::generateLog(options);
        QVERIFY(bytes.endsWith("\r\n"));
        QList<QByteArray> lines = bytes.split('\n');
        QVERIFY(lines.takeLast().isEmpty());
        QList<QByteArray> fieldLists;
        qsizetype fields = 0;
        qint64 dataRows = 0;
        static const QRegularExpression dateTime(u"^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d"_s);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            QVERIFY(lines[i].endsWith('\r'));
            const QByteArray line = lines[i].chopped(1);
            if (line.startsWith('#')) {
                if (!line.startsWith("#Fields: "))
                    continue;
                // #Software, #Version and #Date come first; #Date is the next row's time.
                QVERIFY(i >= 3 && lines[i - 3].startsWith("#Software: "));
                QCOMPARE(lines[i - 2], QByteArray("#Version: 1.0\r"));
                QCOMPARE(lines[i - 1].mid(7, 19), lines[i + 1].left(19));
                QCOMPARE(dataRows, fieldLists.isEmpty() ? 0 : 500);
                fieldLists.append(line.mid(9));
                fields = fieldLists.last().count(' ') + 1;
                continue;
            }
            ++dataRows;
            QVERIFY2(line.count(' ') + 1 == fields && !line.contains("  "), line.constData());
            QVERIFY(dateTime.match(QString::fromLatin1(line)).hasMatch());
        }
        QCOMPARE(dataRows, 1000);
        QCOMPARE(fieldLists.size(), 2);
        QVERIFY(fieldLists[0] != fieldLists[1]);
        for (const QByteArray& list : fieldLists) {
            for (const char* name : {"date", "time", "c-ip", "cs(User-Agent)", "cs(Referer)",
                                     "sc-status", "cs-uri-stem", "cs-uri-query"})
                QVERIFY(list.split(' ').contains(name));
        }
        QVERIFY(fieldLists[1].split(' ').contains("cs-host"));
        QVERIFY(fieldLists[1].split(' ').contains("sc-bytes"));
    }

    void gzipOutputIsThePlainBytesCompressed()
    {
        auto options = webOptions(bench::LogFormat::Combined, 30000); // several chunks
        options.gzip = true;
        QTemporaryDir dir;
        const QString path = dir.filePath(u"log.gz"_s);
        QVERIFY(bench::writeLog(path, options));
        QProcess gzip;
        gzip.start(u"gzip"_s, {u"-dc"_s, path});
        QVERIFY(gzip.waitForFinished(60000));
        QCOMPARE(gzip.exitCode(), 0);
        const QByteArray unpacked = gzip.readAllStandardOutput();
        options.gzip = false;
        const QByteArray plain = bench::generateLog(options);
        QCOMPARE(unpacked.size(), plain.size());
        QVERIFY(unpacked == plain);
        QVERIFY(QFileInfo(path).size() < plain.size() / 4);
    }

    void combinedLinesHaveTheCombinedLayout()
    {
        bench::LogGenOptions options;
        options.rows = 500;
        options.format = bench::LogFormat::Combined;
        const QByteArray bytes = bench::generateLog(options);
        const QList<QByteArray> lines = bytes.split('\n');
        QCOMPARE(lines.size(), 501);
        static const QRegularExpression combined(QString::fromLatin1(
            "^\\S+ - - \\[\\d\\d/[A-Z][a-z]{2}/\\d{4}:\\d\\d:\\d\\d:\\d\\d \\+0900\\] "
            "\"GET \\S+ HTTP/1\\.0\" \\d{3} (\\d+|-) \"[\\x21-\\x7e]+\" \"[^\"]+\"$"));
        for (qsizetype i = 0; i < 500; ++i) {
            QVERIFY2(combined.match(QString::fromLatin1(lines[i])).hasMatch(),
                     lines[i].constData());
        }
    }

    // A log made with an agent set: exactly that many agents, most rows on a few of them, bots
    // and phones among them, and everything but the agent as without the set.
    void agentSetGivesDistinctSkewedAgents()
    {
        bench::LogGenOptions options;
        options.rows = 20000;
        options.seed = 7;
        options.format = bench::LogFormat::Combined;
        const QByteArray plain = bench::generateLog(options);
        options.agents = 1500;
        const QByteArray withAgents = bench::generateLog(options);
        QCOMPARE(bench::generateLog(options), withAgents);

        const QList<QByteArray> before = plain.split('\n');
        const QList<QByteArray> after = withAgents.split('\n');
        QCOMPARE(after.size(), before.size());
        QHash<QByteArray, int> rowsOf;
        for (qsizetype i = 0; i + 1 < after.size(); ++i) {
            // The agent is the last quoted field; none holds a quote.
            const qsizetype cut = after[i].lastIndexOf(" \"", after[i].size() - 2);
            QCOMPARE(after[i].left(cut),
                     before[i].left(before[i].lastIndexOf(" \"", before[i].size() - 2)));
            const QByteArray agent = after[i].mid(cut + 2, after[i].size() - cut - 3);
            QVERIFY2(!agent.contains('"') && !agent.contains('\\'), agent.constData());
            ++rowsOf[agent];
        }
        QCOMPARE(rowsOf.size(), 1500);
        QList<int> counts = rowsOf.values();
        std::sort(counts.begin(), counts.end(), std::greater<>());
        QVERIFY2(counts[0] > 20000 / 20, "the top agent holds at least 5 % of the rows");
        QVERIFY(counts[counts.size() / 2] <= 5);
        const auto share = [&](const char* word) {
            return std::count_if(rowsOf.keyBegin(), rowsOf.keyEnd(),
                                 [word](const QByteArray& a) { return a.contains(word); });
        };
        QVERIFY(share("Googlebot") > 0 && share("GPTBot") > 0 && share("curl/") > 0);
        QVERIFY(share("iPhone OS") > 150 && share("Android") > 150 && share("Windows NT") > 150);
        QVERIFY(share("Firefox/") > 20 && share("Edg/") > 20);
    }
};

QTEST_GUILESS_MAIN(TestLogGen)
#include "tst_loggen.moc"
