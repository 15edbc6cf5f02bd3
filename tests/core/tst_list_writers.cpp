#include "core/cp932.h"
#include "core/list_writers.h"
#include "core/log_reader.h"
#include "support/log_rows.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace tw;
using namespace tw::test;
using namespace Qt::StringLiterals;

namespace {

enum Writer { ListWriter, CsvWriter, ReportWriter };

bool save(Writer writer, const QString& path, const LogList& list, QString* error = nullptr)
{
    const FixedClock clock(QDateTime(QDate(2001, 2, 15), QTime(14, 5)));
    switch (writer) {
    case ListWriter:
        return saveListFile(path, list, error);
    case CsvWriter:
        return saveCsvFile(path, list, error);
    case ReportWriter:
        return saveReportFile(path, list, clock, error);
    }
    return false;
}

const Rows kTwoRows = {
    {u"Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)"_s, u"host.example.jp"_s, u"192.0.2.1"_s,
     u"2001/02/15 14:05:00"_s, u"http://example.jp/日記.html"_s},
    {u"ｱｲｳ 表示ソフト"_s, QString(), u"198.51.100.7"_s, u"x"_s, QString()},
};

const char* const kHead = "------------------------------------------------------------\r\n"
                          " Tallyweaver レポートファイル\r\n"
                          "\r\n"
                          "  作成日時:02/15/2001 14:05\r\n"
                          "------------------------------------------------------------\r\n"
                          "\r\n"
                          " [アクセスログ]\r\n"
                          "\r\n";

} // namespace

class TestListWriters : public QObject {
    Q_OBJECT

private slots:
    void exactBytes_data()
    {
        QTest::addColumn<int>("writer");
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("list, empty")
            << int(ListWriter) << Rows{} << QByteArray("#Tallyweaver_Header\r\n");
        QTest::newRow("list, two rows")
            << int(ListWriter) << kTwoRows
            << sjis("#Tallyweaver_Header\r\n"
                    "ブラウザ:Mozilla/4.0 (compatible; MSIE 5.5; Windows "
                    "98)\tホスト:host.example.jp\t"
                    "IP:192.0.2.1\t日付時間:2001/02/15 "
                    "14:05:00\t前回頁:http://example.jp/日記.html\r\n"
                    "ブラウザ:ｱｲｳ 表示ソフト\tホスト:\tIP:198.51.100.7\t日付時間:x\t前回頁:\r\n");
        QTest::newRow("list, line breaks in values become blanks")
            << int(ListWriter) << Rows{{u"a\tb"_s, u"c\r\nd"_s, u"e\nf"_s, u"g\rh"_s, u"\t"_s}}
            << sjis("#Tallyweaver_Header\r\n"
                    "ブラウザ:a b\tホスト:c  d\tIP:e f\t日付時間:g h\t前回頁: \r\n");
        QTest::newRow("csv, empty")
            << int(CsvWriter) << Rows{}
            << sjis("\"ブラウザ\",\"ホスト\",\"IP\",\"日付時間\",\"前回頁\"\r\n");
        QTest::newRow("csv, two rows")
            << int(CsvWriter) << kTwoRows
            << sjis("\"ブラウザ\",\"ホスト\",\"IP\",\"日付時間\",\"前回頁\"\r\n"
                    "\"Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)\",\"host.example.jp\","
                    "\"192.0.2.1\",\"2001/02/15 14:05:00\",\"http://example.jp/日記.html\"\r\n"
                    "\"ｱｲｳ 表示ソフト\",\"\",\"198.51.100.7\",\"x\",\"\"\r\n");
        QTest::newRow("csv, quotes doubled")
            << int(CsvWriter) << Rows{{u"say \"hi\""_s, u"\""_s, u"a,b"_s, u"\"\""_s, u" x "_s}}
            << sjis("\"ブラウザ\",\"ホスト\",\"IP\",\"日付時間\",\"前回頁\"\r\n"
                    "\"say \"\"hi\"\"\",\"\"\"\",\"a,b\",\"\"\"\"\"\",\" x \"\r\n");
        QTest::newRow("report, empty")
            << int(ReportWriter) << Rows{} << sjis((QByteArray(kHead) + "[EOF]\r\n").constData());
        QTest::newRow("report, two rows")
            << int(ReportWriter) << kTwoRows
            << sjis((QByteArray(kHead) +
                     "ブラウザ:\tMozilla/4.0 (compatible; MSIE 5.5; Windows 98)\r\n"
                     "ホスト:\t\thost.example.jp\r\n"
                     "IP:\t\t192.0.2.1\r\n"
                     "日付時間:\t2001/02/15 14:05:00\r\n"
                     "前回頁:\t\thttp://example.jp/日記.html\r\n"
                     "\r\n"
                     "ブラウザ:\tｱｲｳ 表示ソフト\r\n"
                     "ホスト:\t\t\r\n"
                     "IP:\t\t198.51.100.7\r\n"
                     "日付時間:\tx\r\n"
                     "前回頁:\t\t\r\n"
                     "\r\n"
                     "[EOF]\r\n")
                        .constData());
    }

    void exactBytes()
    {
        QFETCH(int, writer);
        QFETCH(Rows, rows);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"out.txt"_s);
        LogList list;
        appendRows(list, rows);
        QString error;
        QVERIFY(save(Writer(writer), path, list, &error));
        QVERIFY(error.isEmpty());
        QCOMPARE(readBytes(path), expected);
    }

    void roundTrip_data()
    {
        QTest::addColumn<int>("writer");
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<Rows>("expected");

        const Rows plain = kTwoRows + Rows{{u"①㈱～"_s, u"表ソ能"_s, u"::1"_s, u"d"_s, u"p"_s}};
        const Rows awkward = {
            {u"quote \" inside"_s, u"comma, inside"_s, u"tab\tinside"_s, u"  spaces  "_s,
             u"\"quoted\""_s},
            {u"line\r\nbreak"_s, u","_s, u"\""_s, QString(), u"ブラウザ:"_s},
        };
        QTest::newRow("list") << int(ListWriter) << plain << plain;
        QTest::newRow("csv") << int(CsvWriter) << plain << plain;
        QTest::newRow("csv, quotes, commas, TABs and line breaks")
            << int(CsvWriter) << awkward << awkward;
        Rows blanked = awkward;
        blanked[0][2] = u"tab inside"_s;
        blanked[1][0] = u"line  break"_s;
        QTest::newRow("list, quotes, commas, TABs and line breaks")
            << int(ListWriter) << awkward << blanked;
    }

    // What a writer saves, the reader loads back: same rows, same order, same icons.
    void roundTrip()
    {
        QFETCH(int, writer);
        QFETCH(Rows, rows);
        QFETCH(Rows, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"saved"_s);
        LogList list;
        appendRows(list, rows);
        QVERIFY(save(Writer(writer), path, list));

        ReadResult read = readLogFile(path);
        QCOMPARE(read.status, ReadStatus::Ok);
        LogList loaded;
        loaded.append(std::move(read.batch));
        QCOMPARE(rowsOf(loaded), expected);
        for (qsizetype r = 0; r < loaded.rowCount(); ++r)
            QCOMPARE(loaded.browserClass(r), list.browserClass(r));
    }

    // Rows go out in display order, so a sorted list is saved sorted.
    void sortedListSavedInDisplayOrder()
    {
        QTemporaryDir dir;
        LogList list;
        appendRows(list, {{u"b"_s, u"2"_s}, {u"c"_s, u"1"_s}, {u"a"_s, u"3"_s}});
        list.sortByHeader(ColHost);
        const Rows sorted = rowsOf(list);
        QCOMPARE(sorted.first().value(ColHost), u"1"_s);
        for (Writer writer : {ListWriter, CsvWriter}) {
            const QString path = dir.filePath(QString::number(writer));
            QVERIFY(save(writer, path, list));
            QCOMPARE(rowsOf(readLogFile(path).batch), sorted);
        }
        QVERIFY(save(ReportWriter, dir.filePath(u"r"_s), list));
        const QByteArray report = readBytes(dir.filePath(u"r"_s));
        QVERIFY(report.indexOf(sjis("ホスト:\t\t1")) < report.indexOf(sjis("ホスト:\t\t2")));
        QVERIFY(report.indexOf(sjis("ホスト:\t\t2")) < report.indexOf(sjis("ホスト:\t\t3")));
    }

    // A list file survives open and save byte for byte, whatever the bytes in its values, and
    // saving over the file it came from leaves the rows there once.
    void openAndSaveIsByteExact()
    {
        QByteArray bytes = "#Tallyweaver_Header\r\n";
        bytes += sjis("ブラウザ:") + "Mozilla \x95\x5c\x83\x5c\x87\x40\x87\x8a\x81\x60" +
                 sjis("\tホスト:") + "raw \x80\xfd\xa0\xff end" + sjis("\tIP:") + "lead\x81" +
                 sjis("\t日付時間:") + "\x81\x7f\xfc\xfc" + sjis("\t前回頁:") + "tail\x9f\r\n";
        bytes += sjis("ブラウザ:\tホスト:\tIP:\t日付時間:\t前回頁:") + "\x82\r\n";
        QTemporaryDir dir;
        const QString path = dir.filePath(u"log.twv"_s);
        QVERIFY(writeBytes(path, bytes));

        for (int pass = 0; pass < 2; ++pass) {
            ReadResult read = readLogFile(path);
            QCOMPARE(read.status, ReadStatus::Ok);
            LogList list;
            list.append(std::move(read.batch));
            QCOMPARE(list.rowCount(), 2);
            QVERIFY(saveListFile(path, list));
            QCOMPARE(readBytes(path), bytes);
        }
    }

    // Rows are encoded in blocks on several cores: any block size gives the same bytes.
    void blocksJoinInRowOrder_data()
    {
        QTest::addColumn<int>("writer");
        QTest::addColumn<int>("blockRows");
        for (const auto& [writer, name] :
             {std::pair{ListWriter, "list"}, std::pair{CsvWriter, "csv"},
              std::pair{ReportWriter, "report"}}) {
            for (const int rows : {1, 2, 3, 7, 64})
                QTest::addRow("%s, %d rows a block", name, rows) << int(writer) << rows;
        }
    }
    void blocksJoinInRowOrder()
    {
        QFETCH(int, writer);
        QFETCH(int, blockRows);
        Rows rows;
        for (int i = 0; i < 50; ++i)
            rows.append({u"Agent %1 \"表示\"\t"_s.arg(i), i % 3 ? u"host%1"_s.arg(i) : QString(),
                         u"10.0.0.%1"_s.arg(i), u"2001/02/15 14:%1:00"_s.arg(i % 60),
                         u"http://example.jp/日記%1.html"_s.arg(i)});
        LogList list;
        appendRows(list, rows);
        QTemporaryDir dir;
        const QString whole = dir.filePath(u"whole"_s);
        const QString blocks = dir.filePath(u"blocks"_s);
        QVERIFY(save(Writer(writer), whole, list));
        const qsizetype usual = detail::setWriterBlockRows(blockRows);
        const bool saved = save(Writer(writer), blocks, list);
        detail::setWriterBlockRows(usual);
        QVERIFY(saved);
        QCOMPARE(readBytes(blocks), readBytes(whole));
    }

    void failureLeavesNothing_data()
    {
        QTest::addColumn<int>("writer");
        QTest::newRow("list") << int(ListWriter);
        QTest::newRow("csv") << int(CsvWriter);
        QTest::newRow("report") << int(ReportWriter);
    }

    void failureLeavesNothing()
    {
        QFETCH(int, writer);
        QTemporaryDir dir;
        LogList list;
        appendRows(list, kTwoRows);

        const QString missing = dir.filePath(u"gone/out.twv"_s);
        QString error;
        QVERIFY(!save(Writer(writer), missing, list, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFileInfo::exists(missing));
        QVERIFY(!QFileInfo::exists(dir.filePath(u"gone"_s)));

        const QString folder = dir.filePath(u"folder"_s);
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(writeBytes(folder + u"/inside"_s, "keep"));
        error.clear();
        QVERIFY(!save(Writer(writer), folder, list, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(readBytes(folder + u"/inside"_s), QByteArray("keep"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    // The new file is built beside the old one; when that cannot happen the old file stays.
    void failedSaveKeepsPreviousFile()
    {
        QTemporaryDir dir;
        LogList list;
        appendRows(list, kTwoRows);
        // A name at the length limit leaves no room for the temporary file's suffix.
        const QString longName = dir.filePath(QString(250, u'n'));
        QVERIFY(writeBytes(longName, "previous"));
        QVERIFY(!saveListFile(longName, list));
        QCOMPARE(readBytes(longName), QByteArray("previous"));

        if (geteuid() == 0)
            QSKIP("permissions do not stop root");
        const QString folder = dir.filePath(u"readonly"_s);
        QVERIFY(QDir().mkdir(folder));
        const QString path = folder + u"/list.twv"_s;
        QVERIFY(writeBytes(path, "previous"));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(!saveCsvFile(path, list));
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(readBytes(path), QByteArray("previous"));
    }

    // JSON Lines keep every field a row has, as the command line prints it, in valid JSON: the
    // keys of fields the list does not have are left out, quotes, backslashes and control
    // characters are escaped, line breaks become blanks and code marks go.
    void jsonLines()
    {
        LogList list;
        LogBatch web;
        web.setFields(kColumnFields | (1u << ColRequest) | (1u << ColStatus) | (1u << ColBytes));
        const QByteArray mark = QStringView(QChar::fromUcs4(cp932::kCodeMarkFirst)).toUtf8();
        const QByteArrayList fields = {"UA \"q\" \\ x",
                                       "h",
                                       "",
                                       "2026/12/01 10:00:00",
                                       "http://例.jp/\tp\r\n" + mark,
                                       "GET / HTTP/1.1",
                                       "200",
                                       "-",
                                       "\x01"};
        std::vector<QByteArrayView> views(fields.begin(), fields.end());
        web.addRow(views.data(), int(views.size()));
        list.append(std::move(web));
        list.appendRecord(AccessRecord{u"Mozilla"_s, u"a"_s, u"1.2.3.4"_s, u"d"_s, u"-"_s});

        QTemporaryDir dir;
        const QString path = dir.filePath(u"rows.jsonl"_s);
        QVERIFY(saveJsonLinesFile(path, list));
        const QByteArray expected =
            "{\"browser\":\"UA \\\"q\\\" \\\\ x\",\"host\":\"h\",\"ip\":\"\","
            "\"datetime\":\"2026/12/01 10:00:00\",\"referrer\":\"http://例.jp/ p  \","
            "\"request\":\"GET / HTTP/1.1\",\"status\":\"200\",\"bytes\":\"-\"}\n"
            "{\"browser\":\"Mozilla\",\"host\":\"a\",\"ip\":\"1.2.3.4\",\"datetime\":\"d\","
            "\"referrer\":\"-\"}\n";
        QCOMPARE(readBytes(path), expected);
    }

    void reportDateUsesClock()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"l_010215.txt"_s);
        LogList list;
        const FixedClock clock(QDateTime(QDate(2001, 2, 15), QTime(14, 5, 59)));
        QVERIFY(saveReportFile(path, list, clock));
        const QList<QByteArray> lines = readBytes(path).split('\n');
        QCOMPARE(lines.value(3), sjis("  作成日時:02/15/2001 14:05\r"));
        FixedClock evening(QDateTime(QDate(2012, 11, 3), QTime(21, 7)));
        QVERIFY(saveReportFile(path, list, evening));
        QCOMPARE(readBytes(path).split('\n').value(3), sjis("  作成日時:11/03/2012 21:07\r"));
    }
};

QTEST_GUILESS_MAIN(TestListWriters)
#include "tst_list_writers.moc"
