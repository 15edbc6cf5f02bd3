#include "core/cp932.h"
#include "core/log_reader.h"
#include "support/fifo.h"
#include "support/log_rows.h"
#include "support/test_files.h"

#include <QDir>
#include <QTest>

#include <atomic>

using namespace tw;

using test::Rows;
using test::rowsOf;

namespace {

// One record line of the list layout, labels included, without its line end.
QByteArray line(const char* browser, const char* host = "h", const char* ip = "1.2.3.4",
                const char* dateTime = "2001/02/03 04:05:06", const char* previous = "-")
{
    return tw::test::sjis("ブラウザ:") + tw::test::sjis(browser) + '\t' +
           tw::test::sjis("ホスト:") + tw::test::sjis(host) + '\t' + "IP:" + ip + '\t' +
           tw::test::sjis("日付時間:") + dateTime + '\t' + tw::test::sjis("前回頁:") +
           tw::test::sjis(previous);
}

QStringList row(const char* browser, const char* host = "h", const char* ip = "1.2.3.4",
                const char* dateTime = "2001/02/03 04:05:06", const char* previous = "-")
{
    return {QString::fromUtf8(browser), QString::fromUtf8(host), QString::fromUtf8(ip),
            QString::fromUtf8(dateTime), QString::fromUtf8(previous)};
}

const QByteArray kHeader = "#Tallyweaver_Header";

} // namespace

class TestLogReader : public QObject {
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void listRecords_data();
    void listRecords();
    void csvRecords_data();
    void csvRecords();

    void files_data();
    void files();
    void manyRecordsLoad_data();
    void manyRecordsLoad();
    void chunkedRangesMatchWholeFile_data();
    void chunkedRangesMatchWholeFile();
    void pipesAndDevicesAreRefused();
};

void TestLogReader::layout_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<ReadStatus>("status");
    QTest::addColumn<Rows>("rows");

    const QByteArray csvHeader =
        tw::test::sjis("\"ブラウザ\",\"ホスト\",\"IP\",\"日付時間\",\"前回頁\"");
    const QByteArray legacyHeader = tw::test::sjis(
        "\"ブラウザ情報\",\"ホスト情報\",\"IP情報\",\"日付時間の情報\",\"前回頁の情報\"");
    const QByteArray csvRecord = "\"Mozilla\",\"h\",\"1.2.3.4\",\"2001/02/03 04:05:06\",\"-\"\r\n";

    QTest::newRow("list header") << kHeader + "\r\n" + line("Mozilla") + "\r\n"
                                 << ReadStatus::Ok << Rows{row("Mozilla")};
    QTest::newRow("CSV header") << csvHeader + "\r\n" + csvRecord << ReadStatus::Ok
                                << Rows{row("Mozilla")};
    QTest::newRow("older CSV header")
        << legacyHeader + "\r\n" + csvRecord << ReadStatus::Ok << Rows{row("Mozilla")};
    QTest::newRow("header only") << kHeader + "\r\n" << ReadStatus::Ok << Rows{};
    QTest::newRow("header without line end") << kHeader << ReadStatus::Ok << Rows{};
    QTest::newRow("CSV header only") << csvHeader + "\r\n" << ReadStatus::Ok << Rows{};

    QTest::newRow("lower-case header") << "#tallyweaver_header\r\n" + line("Mozilla") + "\r\n"
                                       << ReadStatus::UnknownLayout << Rows{};
    QTest::newRow("header followed by a space") << kHeader + " \r\n" + line("Mozilla") + "\r\n"
                                                << ReadStatus::UnknownLayout << Rows{};
    QTest::newRow("UTF-8 BOM before the header")
        << "\xEF\xBB\xBF" + kHeader + "\r\n" + line("Mozilla") + "\r\n"
        << ReadStatus::UnknownLayout << Rows{};
    QTest::newRow("UTF-8 BOM before the CSV header")
        << "\xEF\xBB\xBF" + csvHeader + "\r\n" + csvRecord << ReadStatus::UnknownLayout << Rows{};
    QTest::newRow("CSV header with a space after a comma")
        << tw::test::sjis("\"ブラウザ\", \"ホスト\",\"IP\",\"日付時間\",\"前回頁\"\r\n") + csvRecord
        << ReadStatus::UnknownLayout << Rows{};
    QTest::newRow("CSV header without quotes")
        << tw::test::sjis("ブラウザ,ホスト,IP,日付時間,前回頁\r\n") + csvRecord
        << ReadStatus::UnknownLayout << Rows{};
    QTest::newRow("raw log without header") << line("Mozilla") + "\r\n"
                                            << ReadStatus::UnknownLayout << Rows{};
    QTest::newRow("empty first line") << "\r\n" + kHeader + "\r\n"
                                      << ReadStatus::UnknownLayout << Rows{};
    QTest::newRow("empty file") << QByteArray() << ReadStatus::ReadError << Rows{};

    // Line ends after the header.
    const QByteArray a = line("a"), b = line("b"), c = line("c"), d = line("d"), e = line("e");
    const Rows five{row("a"), row("b"), row("c"), row("d"), row("e")};

    QTest::newRow("CR LF") << kHeader + "\r\n" + a + "\r\n" + b + "\r\n"
                           << ReadStatus::Ok << Rows{row("a"), row("b")};
    QTest::newRow("bare LF after a CR LF header")
        << kHeader + "\r\n" + a + "\n" + b + "\n" + c + "\n" + d + "\n" + e + "\n"
        << ReadStatus::Ok << five;
    QTest::newRow("bare LF run between CR LF records")
        << kHeader + "\r\n" + a + "\r\n" + b + "\n" + c + "\n" + d + "\r\n" + e + "\r\n"
        << ReadStatus::Ok << five;
    QTest::newRow("bare LF run with empty pieces")
        << kHeader + "\r\n" + a + "\n\n" + b + "\n" + c + "\r\n\n" + d + "\n\r\n" + e
        << ReadStatus::Ok << five;
    QTest::newRow("bare LF everywhere") << kHeader + "\n" + a + "\n" + b + "\n"
                                        << ReadStatus::UnknownLayout << Rows{};
    QTest::newRow("lone CR") << kHeader + "\r" + a + "\r" + b + "\r" + c << ReadStatus::Ok
                             << Rows{row("a"), row("b"), row("c")};
    QTest::newRow("empty lines anywhere")
        << kHeader + "\r\n\r\n" + a + "\r\n\r\n\r\n" + b + "\r\n\r\n"
        << ReadStatus::Ok << Rows{row("a"), row("b")};
    QTest::newRow("last line without line end")
        << kHeader + "\r\n" + a + "\r\n" + b << ReadStatus::Ok << Rows{row("a"), row("b")};
}

void TestLogReader::layout()
{
    QFETCH(QByteArray, bytes);
    QFETCH(ReadStatus, status);
    QFETCH(Rows, rows);

    const ReadResult result = parseLogBytes(bytes);
    QCOMPARE(result.status, status);
    QCOMPARE(rowsOf(result.batch), rows);
}

void TestLogReader::listRecords_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<Rows>("rows");

    QTest::newRow("Japanese values and 0x5C trail bytes")
        << line("Mozilla/4.0", "表.example.jp", "10.0.0.1", "2001/02/03", "http://x/ソフト/能")
        << Rows{
               row("Mozilla/4.0", "表.example.jp", "10.0.0.1", "2001/02/03", "http://x/ソフト/能")};
    // Labels go by character count, whatever they say.
    QTest::newRow("labels removed by length, not text")
        << QByteArray("12345Moz\tHOS.h\tip:9\tDATE:d\tPRE-p")
        << Rows{row("Moz", "h", "9", "d", "p")};
    QTest::newRow("double-byte label characters count once")
        << tw::test::sjis("ホスト:x\tホスト:h\tホスト\t日付時間:d\t前回頁:p")
        << Rows{row("", "h", "", "d", "p")};
    QTest::newRow("short first field gives empty Browser")
        << tw::test::sjis("Mozi\tホスト:h\tIP:1\t日付時間:d\t前回頁:p")
        << Rows{row("", "h", "1", "d", "p")};
    QTest::newRow("all fields empty") << QByteArray("\t\t\t\t") << Rows{row("", "", "", "", "")};
    QTest::newRow("three TABs skipped") << QByteArray("12345a\t1234b\t123c\t12345d") << Rows{};
    QTest::newRow("no TAB skipped") << QByteArray("just text") << Rows{};
    QTest::newRow("fields after the fifth ignored")
        << line("a") + "\textra\tmore" << Rows{row("a")};
    QTest::newRow("empty sixth field ignored") << line("a") + "\t" << Rows{row("a")};
    QTest::newRow("second header in the middle")
        << line("a") + "\r\n" + kHeader + "\r\n" + line("b") << Rows{row("a"), row("b")};
    // Kept byte for byte as raw-byte characters.
    QTest::newRow("undecodable bytes in a value")
        << QByteArray("12345a\x80\xFF\t1234h\x95\t123\t12345\t1234")
        << Rows{{cp932::decode("a\x80\xFF"), cp932::decode("h\x95"), {}, {}, {}}};
    QTest::newRow("spaces kept") << line(" a ", "  ") << Rows{row(" a ", "  ")};
}

void TestLogReader::listRecords()
{
    QFETCH(QByteArray, body);
    QFETCH(Rows, rows);

    const ReadResult result = parseLogBytes(kHeader + "\r\n" + body + "\r\n");
    QCOMPARE(result.status, ReadStatus::Ok);
    QCOMPARE(rowsOf(result.batch), rows);
}

void TestLogReader::csvRecords_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<ReadStatus>("status");
    QTest::addColumn<Rows>("rows");

    const Rows abcde{row("a", "b", "c", "d", "e")};
    QTest::newRow("quoted fields")
        << QByteArray("\"a\",\"b\",\"c\",\"d\",\"e\"\r\n") << ReadStatus::Ok << abcde;
    QTest::newRow("commas inside quotes")
        << QByteArray("\"Mozilla/4.0 (compatible, MSIE 5.0)\",\"h,1\",\"\",\",\",\"x\"\r\n")
        << ReadStatus::Ok << Rows{row("Mozilla/4.0 (compatible, MSIE 5.0)", "h,1", "", ",", "x")};
    QTest::newRow("doubled quotes are one quote")
        << QByteArray("\"say \"\"hi\"\"\",\"\"\"\",\"\"\"\"\"\",d,e\r\n") << ReadStatus::Ok
        << Rows{row("say \"hi\"", "\"", "\"\"", "d", "e")};
    QTest::newRow("unquoted fields trimmed")
        << QByteArray("  a  , b ,c,d ,   e   \r\n") << ReadStatus::Ok << abcde;
    QTest::newRow("spaces inside quotes kept")
        << QByteArray("  \" a \" ,\"b\",c,d,e\r\n") << ReadStatus::Ok
        << Rows{row(" a ", "b", "c", "d", "e")};
    QTest::newRow("record spanning lines")
        << QByteArray("\"a\",\"b\"\r\n\"c\"\r\n\"d\",\"e\"\r\n") << ReadStatus::Ok << abcde;
    QTest::newRow("two records on one line")
        << QByteArray("a,b,c,d,e,f,g,h,i,j\r\n") << ReadStatus::Ok
        << Rows{row("a", "b", "c", "d", "e"), row("f", "g", "h", "i", "j")};
    QTest::newRow("line end inside quotes is text")
        << QByteArray("\"a\r\nb\",c,d,e,f\r\n") << ReadStatus::Ok
        << Rows{row("a\r\nb", "c", "d", "e", "f")};
    QTest::newRow("empty unquoted fields")
        << QByteArray(",,,,\r\n") << ReadStatus::Ok << Rows{row("", "", "", "", "")};
    QTest::newRow("lone CR and bare LF end fields")
        << QByteArray("a,b\rc\nd,e\r\n") << ReadStatus::Ok << abcde;
    QTest::newRow("no line end after the last record")
        << QByteArray("a,b,c,d,e\r\nf,g,h,i,j") << ReadStatus::Ok
        << Rows{row("a", "b", "c", "d", "e"), row("f", "g", "h", "i", "j")};
    QTest::newRow("blank lines at the end")
        << QByteArray("a,b,c,d,e\r\n\r\n\r\n  \r\n") << ReadStatus::Ok << abcde;
    QTest::newRow("blank lines between records")
        << QByteArray("a,b,c,d,e\r\n\r\n\r\nf,g,h,i,j\r\n") << ReadStatus::Ok
        << Rows{row("a", "b", "c", "d", "e"), row("f", "g", "h", "i", "j")};
    // Written by the classic writer, which leaves quotes inside values alone.
    QTest::newRow("values ending in a quote, not doubled")
        << QByteArray("\"UA ending with quote\"\",\"h\",\"\"\",\"d\",\"p\"\"\r\n"
                      "\"x\",\"h\",\"i\",\"d\",\"q\"\"")
        << ReadStatus::Ok
        << Rows{row("UA ending with quote\"", "h", "\"", "d", "p\""),
                row("x", "h", "i", "d", "q\"")};
    QTest::newRow("Japanese and 0x5C trail bytes")
        << tw::test::sjis("\"表\",\"ソ,能\",c,日付,\"前回\"\r\n") << ReadStatus::Ok
        << Rows{row("表", "ソ,能", "c", "日付", "前回")};

    QTest::newRow("file ends inside a record")
        << QByteArray("a,b,c,d,e\r\nf,g,h,i\r\n") << ReadStatus::ReadError << Rows{};
    QTest::newRow("file ends after a comma")
        << QByteArray("a,b,c,d,") << ReadStatus::ReadError << Rows{};
    QTest::newRow("file ends inside quotes")
        << QByteArray("a,b,c,d,\"e\r\nf,g,h,i,j\r\n") << ReadStatus::ReadError << Rows{};
    QTest::newRow("file ends inside quotes of the first field")
        << QByteArray("\"a,b,c,d,e\r\n") << ReadStatus::ReadError << Rows{};
}

void TestLogReader::csvRecords()
{
    QFETCH(QByteArray, body);
    QFETCH(ReadStatus, status);
    QFETCH(Rows, rows);

    for (const QByteArray& header : {csvHeaderLine(), legacyCsvHeaderLine()}) {
        const ReadResult result = parseLogBytes(header + "\r\n" + body);
        QCOMPARE(result.status, status);
        QCOMPARE(rowsOf(result.batch), rows);
    }
}

void TestLogReader::files_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<ReadStatus>("status");
    QTest::addColumn<Rows>("rows");

    QTest::newRow("missing") << QStringLiteral("missing") << ReadStatus::NotFound << Rows{};
    // A folder is no file to read: callers treat it like a missing one.
    QTest::newRow("directory") << QStringLiteral("directory") << ReadStatus::NotFound << Rows{};
    QTest::newRow("0 bytes") << QStringLiteral("empty") << ReadStatus::ReadError << Rows{};
    QTest::newRow("records") << QStringLiteral("records") << ReadStatus::Ok
                             << Rows{row("a"), row("表")};
}

void TestLogReader::files()
{
    QFETCH(QString, kind);
    QFETCH(ReadStatus, status);
    QFETCH(Rows, rows);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.twv"));
    QByteArray bytes;
    if (kind == u"directory")
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("log.twv")));
    if (kind == u"records")
        bytes = tw::test::listFileBytes({row("a"), row("表")});
    if (kind == u"empty" || kind == u"records")
        QVERIFY(tw::test::writeBytes(path, bytes));

    const ReadResult result = readLogFile(path);
    QCOMPARE(result.status, status);
    QCOMPARE(rowsOf(result.batch), rows);
    QCOMPARE(result.fileSize, qint64(bytes.size()));
}

void TestLogReader::manyRecordsLoad_data()
{
    QTest::addColumn<bool>("csv");
    QTest::addColumn<int>("count");

    QTest::newRow("list file, 100,000") << false << 100000;
    QTest::newRow("CSV, 40,000") << true << 40000;
}

// No 16-bit record limit: every record of a large file loads, in order.
void TestLogReader::manyRecordsLoad()
{
    QFETCH(bool, csv);
    QFETCH(int, count);

    const QByteArray label = tw::test::sjis("ブラウザ:");
    const QByteArray rest =
        csv ? "\",\"h\",\"1.2.3.4\",\"d\",\"-\"\r\n" : line("").mid(label.size()) + "\r\n";
    QByteArray bytes = csv ? csvHeaderLine() + "\r\n" : kHeader + "\r\n";
    for (int i = 0; i < count; ++i)
        bytes += (csv ? QByteArray("\"") : label) + "Mozilla " + QByteArray::number(i) + rest;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.twv"));
    QVERIFY(tw::test::writeBytes(path, bytes));
    const ReadResult result = readLogFile(path);
    QCOMPARE(result.status, ReadStatus::Ok);
    QCOMPARE(result.batch.size(), qsizetype(count));
    for (int i : {0, 32766, 32767, 32768, 65535, 65536, count - 1}) {
        if (i < count)
            QCOMPARE(result.batch.row(i).field(ColBrowser).toByteArray(),
                     "Mozilla " + QByteArray::number(i));
    }
}

void TestLogReader::chunkedRangesMatchWholeFile_data()
{
    QTest::addColumn<qint64>("chunkBytes");
    QTest::addColumn<qint64>("minRangeBytes");
    QTest::addColumn<int>("maxRanges");

    QTest::newRow("one byte chunks, one range") << qint64(1) << qint64(1) << 1;
    QTest::newRow("7-byte chunks, two ranges") << qint64(7) << qint64(100) << 2;
    QTest::newRow("64-byte chunks, five ranges") << qint64(64) << qint64(50) << 5;
    QTest::newRow("chunks shorter than a line, many ranges") << qint64(33) << qint64(10) << 40;
}

// File reads come in chunks and ranges cut at line starts: whatever the cuts, the rows must be
// the ones the whole file gives, in the same order.
void TestLogReader::chunkedRangesMatchWholeFile()
{
    QFETCH(qint64, chunkBytes);
    QFETCH(qint64, minRangeBytes);
    QFETCH(int, maxRanges);

    const char* const ends[] = {"\r\n", "\r", "\n", "\r\n\r\n", "\n\n\r"};
    QByteArray bytes = kHeader + "\r\n";
    quint32 seed = 7;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    for (int i = 0; i < 300; ++i) {
        const QByteArray number = QByteArray::number(i);
        bytes += line(("ua " + number).constData(), "表.example.jp", number.constData(),
                      "2001/05/01 09:05:33",
                      i % 50 == 7 ? QByteArray(500, 'x').constData() : "http://a/ソ");
        bytes += ends[next() % 5];
    }
    const ReadResult whole = parseLogBytes(bytes);
    QCOMPARE(whole.batch.size(), qsizetype(300));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("chunks.twv"));
    QVERIFY(tw::test::writeBytes(path, bytes));
    const detail::ReaderSplit saved = detail::readerSplit();
    detail::setReaderSplit({chunkBytes, minRangeBytes, maxRanges});
    std::atomic<qint64> bytesRead = -1;
    const ReadResult chunked = readLogFile(path, &bytesRead);
    detail::setReaderSplit(saved);
    QCOMPARE(chunked.status, ReadStatus::Ok);
    QCOMPARE(rowsOf(chunked.batch), rowsOf(whole.batch));
    // The progress count ends at the file's size, however the reading was cut.
    QCOMPARE(bytesRead.load(), qint64(bytes.size()));
}

// A pipe would keep the reader waiting for a writer, a device would never end.
void TestLogReader::pipesAndDevicesAreRefused()
{
    const tw::test::Fifo fifo;
    QVERIFY(fifo.isValid());
    ReadResult result;
    QVERIFY(fifo.endsWithin(3000, [&] { result = readLogFile(fifo.path()); }));
    QCOMPARE(result.status, ReadStatus::ReadError);
    QCOMPARE(result.detail, QStringLiteral("read error: not a regular file"));

    result = readLogFile(QStringLiteral("/dev/zero"));
    QCOMPARE(result.status, ReadStatus::ReadError);
    QCOMPARE(result.detail, QStringLiteral("read error: not a regular file"));
}

QTEST_GUILESS_MAIN(TestLogReader)
#include "tst_log_reader.moc"
