#include "loggen.h"

#include "core/cp932.h"
#include "core/log_list.h"
#include "core/log_reader.h"

#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tw;

class TestLogGen : public QObject {
    Q_OBJECT

private slots:
    void sameSeedGivesSameBytes_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("list") << int(bench::LogFormat::List);
        QTest::newRow("combined") << int(bench::LogFormat::Combined);
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
};

QTEST_GUILESS_MAIN(TestLogGen)
#include "tst_loggen.moc"
