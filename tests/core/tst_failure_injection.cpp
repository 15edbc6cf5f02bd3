#include "core/cp932.h"
#include "core/list_writers.h"
#include "core/log_reader.h"
#include "core/log_repair.h"
#include "support/faulty_places.h"
#include "support/log_rows.h"
#include "support/size_limit.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace tw;
using namespace tw::test;
using namespace Qt::StringLiterals;

namespace {

const Rows kRows = {
    {u"Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)"_s, u"host.example.jp"_s, u"192.0.2.1"_s,
     u"2001/02/15 14:05:00"_s, u"http://example.jp/日記.html"_s},
    {u"ｱｲｳ 表示ソフト"_s, QString(), u"198.51.100.7"_s, u"x"_s, QString()},
};

QByteArray listLine(const char* browser)
{
    return sjis("ブラウザ:") + browser + sjis("\tホスト:h.example.jp\tIP:192.0.2.1\t日付時間:") +
           "2001/02/15 14:05:00" + sjis("\t前回頁:http://example.jp/") + "\r\n";
}

} // namespace

class TestFailureInjection : public QObject {
    Q_OBJECT

private slots:
    void failedSaveKeepsEverything_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("writer");
        for (FaultyPlace::Kind kind : FaultyPlace::all())
            for (int writer = 0; writer < 3; ++writer)
                QTest::addRow("%s, writer %d", FaultyPlace::name(kind), writer)
                    << int(kind) << writer;
    }
    void failedSaveKeepsEverything()
    {
        QFETCH(int, kind);
        QFETCH(int, writer);
        FaultyPlace place{FaultyPlace::Kind(kind)};
        if (!place.skipReason().isEmpty())
            QSKIP(qPrintable(place.skipReason()));
        LogList list;
        appendRows(list, kRows);
        // Enough text that a full device cannot take it even in its last partial block.
        Rows many;
        for (int i = 0; i < 2000; ++i)
            many.append({u"Mozilla/4.0"_s, u"h%1.example.jp"_s.arg(i)});
        appendRows(list, many);
        const Rows before = rowsOf(list);

        const FixedClock clock(QDateTime(QDate(2001, 2, 15), QTime(14, 5)));
        QString error;
        bool saved = true;
        switch (writer) {
        case 0:
            saved = saveListFile(place.target(), list, &error);
            break;
        case 1:
            saved = saveCsvFile(place.target(), list, &error);
            break;
        default:
            saved = saveReportFile(place.target(), list, clock, &error);
            break;
        }
        QVERIFY(!saved);
        QVERIFY(!error.isEmpty());
        QVERIFY(place.intact());
        QCOMPARE(rowsOf(list), before);
    }

    // A device that takes part of a write and then no more, at any byte: small files that fit in
    // a write buffer as well as big ones, and block boundaries of the parallel encoding.
    void cutShortSaveKeepsThePreviousFile_data()
    {
        QTest::addColumn<int>("writer");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("blockRows");
        for (int writer = 0; writer < 3; ++writer) {
            QTest::addRow("writer %d, empty list", writer) << writer << 0 << 16384;
            QTest::addRow("writer %d, 40 rows", writer) << writer << 40 << 16384;
            for (int blockRows : {1, 64})
                QTest::addRow("writer %d, 300 rows in blocks of %d", writer, blockRows)
                    << writer << 300 << blockRows;
        }
    }
    void cutShortSaveKeepsThePreviousFile()
    {
        QFETCH(int, writer);
        QFETCH(int, rows);
        QFETCH(int, blockRows);
        LogList list;
        Rows many;
        for (int i = 0; i < rows; ++i)
            many.append(kRows.at(i % 2));
        appendRows(list, many);
        const qsizetype oldBlockRows = detail::setWriterBlockRows(blockRows);
        const FixedClock clock(QDateTime(QDate(2001, 2, 15), QTime(14, 5)));
        const QString fault = cutShortSaveFault([&](const QString& target) {
            switch (writer) {
            case 0:
                return saveListFile(target, list);
            case 1:
                return saveCsvFile(target, list);
            default:
                return saveReportFile(target, list, clock);
            }
        });
        detail::setWriterBlockRows(oldBlockRows);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }

    void cutShortLineEndConversionKeepsThePreviousCopy()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath(u"access_log"_s);
        QByteArray bytes;
        for (int i = 0; i < 30; ++i) // less than a write buffer
            bytes += listLine("Mozilla/4.0").replace("\r\n", "\n");
        QVERIFY(writeBytes(source, bytes));
        const QString fault = cutShortSaveFault([&](const QString& target) {
            int code = 0;
            return convertLfToCrLf(source, target, &code) && code == 0;
        });
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }

    // Cut short at any byte of any of its files (backup, the log itself), the repair fails, the
    // log is as it was, and what is left beside it is what a finished repair leaves, each file
    // complete.
    void cutShortRepairKeepsTheLog()
    {
        QByteArray log;
        for (int i = 0; i < 60; ++i)
            log += listLine(i % 7 ? "Mozilla/4.0" : "").replace("\r\n", "\n");
        log.replace(sjis("ブラウザ:\t"), "\t"); // lines that lost their browser label

        QTemporaryDir reference;
        QVERIFY(QDir(reference.path()).mkdir(u"log"_s));
        const QString referenceLog = reference.filePath(u"log/access_log"_s);
        QVERIFY(writeBytes(referenceLog, log));
        QCOMPARE(repairLogFile(referenceLog), int(RepairDone));
        QHash<QString, QByteArray> finished; // "folder/name" -> bytes a finished repair leaves
        qint64 largest = 0;
        for (const QString& folder : {u"log"_s}) {
            for (const QString& name : filesIn(reference.filePath(folder))) {
                const QByteArray bytes = readBytes(reference.filePath(folder + u'/' + name));
                finished.insert(folder + u'/' + name, bytes);
                largest = std::max(largest, qint64(bytes.size()));
            }
        }

        for (const qint64 cut : limitsBelow(largest)) {
            QTemporaryDir dir;
            QVERIFY(QDir(dir.path()).mkdir(u"log"_s));
            const QString path = dir.filePath(u"log/access_log"_s);
            QVERIFY(writeBytes(path, log));
            int code = RepairDone;
            {
                const FileSizeLimit limit(cut);
                code = repairLogFile(path);
            }
            QVERIFY2(code != RepairDone, qPrintable(QString::number(cut)));
            QVERIFY2(readBytes(path) == log, qPrintable(QString::number(cut)));
            for (const QString& folder : {u"log"_s}) {
                for (const QString& name : filesIn(dir.filePath(folder))) {
                    const QString key = folder + u'/' + name;
                    if (key == u"log/access_log")
                        continue;
                    QVERIFY2(finished.contains(key) &&
                                 readBytes(dir.filePath(key)) == finished[key],
                             qPrintable(u"cut at %1: %2"_s.arg(cut).arg(key)));
                }
            }
        }
    }

    void repairOfUnwritableLogChangesNothing()
    {
        FaultyPlace place(FaultyPlace::ReadOnlyDevice);
        if (!place.skipReason().isEmpty())
            QSKIP(qPrintable(place.skipReason()));
        const QByteArray before = readBytes(place.target());
        const int code = repairLogFile(place.target());
        QVERIFY(code != RepairDone);
        QVERIFY(!errorDescriptionJapanese(code).isEmpty() || !repairResultName(code).isEmpty());
        QCOMPARE(readBytes(place.target()), before);
    }

    void logThatDisappearsBeforeTheRead()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"access_log"_s);
        QVERIFY(writeBytes(path, listFileBytes({kRows.first()})));
        QVERIFY(QFile::remove(path)); // chosen in the dialog, gone before the read
        QCOMPARE(readLogFile(path).status, ReadStatus::NotFound);
    }

    void awkwardContents_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("rows");
        const QByteArray header = "#Tallyweaver_Header\r\n";
        // The last row stops after the lead byte of "日".
        const QByteArray cut =
            header + listLine("a") + listLine("b").chopped(2) + sjis("日").left(1);
        QTest::newRow("cut inside a double-byte character") << cut << int(ReadStatus::Ok) << 2;
        QTest::newRow("NUL bytes only")
            << QByteArray(4096, '\0') << int(ReadStatus::UnknownLayout) << 0;
        QTest::newRow("list after NUL bytes")
            << header + QByteArray(100, '\0') + "\r\n" + listLine("b") << int(ReadStatus::Ok) << 1;
        QTest::newRow("UTF-8 with a BOM")
            << "\xEF\xBB\xBF" + header + listLine("c") << int(ReadStatus::UnknownLayout) << 0;
        QTest::newRow("CSV cut inside a quote")
            << csvHeaderLine() + "\r\n\"a\",\"b" << int(ReadStatus::ReadError) << 0;
        QTest::newRow("line of 10 MB")
            << header + listLine(QByteArray(10 << 20, 'M').constData()) + listLine("d")
            << int(ReadStatus::Ok) << 2;
    }
    void awkwardContents()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, status);
        QFETCH(int, rows);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"log.twv"_s);
        QVERIFY(writeBytes(path, bytes));
        for (const ReadResult& r : {readLogFile(path), parseLogBytes(bytes)}) {
            QCOMPARE(int(r.status), status);
            QCOMPARE(r.batch.size(), qsizetype(rows));
        }
        if (rows == 0)
            return;
        // Whatever was read saves and reads back the same, raw bytes included.
        LogList list;
        list.append(readLogFile(path).batch);
        const QString again = dir.filePath(u"again.twv"_s);
        QVERIFY(saveListFile(again, list));
        LogList back;
        back.append(readLogFile(again).batch);
        QCOMPARE(rowsOf(back), rowsOf(list));
        if (QTest::currentDataTag() == QByteArray("cut inside a double-byte character"))
            QVERIFY(cp932::encode(list.text(1, 4)).endsWith(sjis("日").left(1)));
    }

    void fileOf300MB()
    {
        QTemporaryDir dir;
        if (QStorageInfo(dir.path()).bytesAvailable() < (qint64(2) << 30))
            QSKIP("less than 2 GB free");
        const QString path = dir.filePath(u"big.twv"_s);
        const QByteArray line = listLine("Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)");
        QByteArray block = "#Tallyweaver_Header\r\n";
        while (block.size() < (1 << 20))
            block += line;
        const qint64 lines = (block.size() - 21) / line.size();
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.write(block) == block.size());
        block.remove(0, 21);
        for (int i = 1; i < 300; ++i)
            QVERIFY(f.write(block) == block.size());
        f.close();
        const ReadResult r = readLogFile(path);
        QCOMPARE(r.status, ReadStatus::Ok);
        QCOMPARE(r.batch.size(), lines * 300);
        QCOMPARE(r.batch.row(r.batch.size() - 1).field(0),
                 QByteArrayView("Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)"));
    }
};

QTEST_GUILESS_MAIN(TestFailureInjection)
#include "tst_failure_injection.moc"
