#include "core/cp932.h"
#include "core/log_reader.h"
#include "core/log_repair.h"
#include "support/fifo.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <unistd.h>

using namespace tw;
using namespace tw::test;
using namespace Qt::StringLiterals;

namespace {

const QByteArray kHeader = "#Tallyweaver_Header";

QByteArray record(const char* browser, const char* host = "h", const char* ip = "1.2.3.4",
                  const char* dateTime = "2001/02/15", const char* previous = "http://x/")
{
    return sjis("ブラウザ:") + browser + sjis("\tホスト:") + host + sjis("\tIP:") + ip +
           sjis("\t日付時間:") + dateTime + sjis("\t前回頁:") + previous;
}

// The last four fields of a record, as left when its browser field was lost.
QByteArray tail(const char* host = "h", const char* ip = "1.2.3.4",
                const char* dateTime = "2001/02/15", const char* previous = "http://x/")
{
    return sjis("ホスト:") + host + sjis("\tIP:") + ip + sjis("\t日付時間:") + dateTime +
           sjis("\t前回頁:") + previous;
}

QByteArray crlfLines(const QList<QByteArray>& lines)
{
    QByteArray out;
    for (const QByteArray& line : lines)
        out += line + "\r\n";
    return out;
}

} // namespace

class TestLogRepair : public QObject {
    Q_OBJECT

private slots:
    void repair_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("output"); // empty: the file is left as it was
        QTest::addColumn<bool>("converted");    // line ends were converted

        const QByteArray r1 = record("Mozilla/4.0", "a.example.jp");
        const QByteArray r2 = record("ｱｲｳ 表示", "b.example.jp", "::1", "x", "http://表/");
        const QByteArray r3 = record("Lynx", "c");

        QTest::newRow("header with CR LF, records with bare LF")
            << kHeader + "\r\n" + r1 + "\n" + r2 + "\n" + r3 + "\n"
            << int(RepairDone) << crlfLines({kHeader, r1, r2, r3, ""}) << true;
        QTest::newRow("bare LF everywhere, header included")
            << kHeader + "\n" + r1 + "\n" + r2 + "\n"
            << int(RepairDone) << crlfLines({kHeader, r1, r2, ""}) << true;
        QTest::newRow("bare LF without header, no final line end")
            << r1 + "\n" + r2 << int(RepairDone) << crlfLines({kHeader, r1, r2}) << true;
        QTest::newRow("records without header")
            << crlfLines({r1, r2}) << int(RepairDone) << crlfLines({kHeader, r1, r2}) << false;
        QTest::newRow("lone CR line ends, empty lines kept")
            << r1 + "\r\r" + r2 + "\r" << int(RepairDone) << crlfLines({kHeader, r1, "", r2})
            << false;
        QTest::newRow("intact list file is written again unchanged")
            << crlfLines({kHeader, r1, r2}) << int(RepairDone) << crlfLines({kHeader, r1, r2})
            << false;
        QTest::newRow("browser label found anywhere in the line")
            << crlfLines({kHeader, "junk " + r1}) << int(RepairDone)
            << crlfLines({kHeader, "junk " + r1}) << false;

        QTest::newRow("only the header") << kHeader << int(RepairEmptyLog) << QByteArray() << false;
        QTest::newRow("header and empty lines")
            << crlfLines({kHeader, "", ""}) << int(RepairEmptyLog) << QByteArray() << false;
        QTest::newRow("header and damaged lines only")
            << crlfLines({kHeader, tail()}) << int(RepairEmptyLog) << QByteArray() << false;
        QTest::newRow("text without header or record")
            << QByteArray("hello\r\nworld\r\n") << int(RepairNotLogFile) << QByteArray() << false;
        QTest::newRow("header in lower case is data")
            << QByteArray("#tallyweaver_header\r\n") << int(RepairNotLogFile) << QByteArray()
            << false;
        QTest::newRow("a single line end")
            << QByteArray("\r\n") << int(RepairNotLogFile) << QByteArray() << false;
        QTest::newRow("empty file")
            << QByteArray() << int(kErrReadPastEnd) << QByteArray() << false;

        QTest::newRow("browser field lost")
            << crlfLines({kHeader, r1, tail("b.example.jp"), r2}) << int(RepairDone)
            << crlfLines({kHeader, r1, sjis("ブラウザ:bad data\t") + tail("b.example.jp"), r2})
            << false;
        QTest::newRow("no labels at all")
            << crlfLines({r1, sjis("garbage 表 line")}) << int(RepairDone)
            << crlfLines({kHeader, r1,
                          sjis("ブラウザ:bad data\tホスト:bad data\tIP:bad data\t日付時間:bad "
                               "data\t前回頁:[bad datas]garbage 表 line")})
            << false;
        QTest::newRow("only the previous page left")
            << crlfLines({r1, sjis("xx前回頁:http://y/")}) << int(RepairDone)
            << crlfLines({kHeader, r1,
                          sjis("ブラウザ:bad data\tホスト:bad data\tIP:bad data\t日付時間:bad "
                               "data\t前回頁:http://y/")})
            << false;
        QTest::newRow("empty value before the next label")
            << crlfLines({r1, sjis("ホスト:\tIP:\t日付時間:d\t前回頁:")}) << int(RepairDone)
            << crlfLines(
                   {kHeader, r1, sjis("ブラウザ:bad data\tホスト:\tIP:\t日付時間:d\t前回頁:")})
            << false;
        // The character before the next label is taken for the TAB, even a double-byte one.
        QTest::newRow("no TAB before the next label")
            << crlfLines({r1, sjis("ホスト:ab表IP:1表日付時間:d\t前回頁:p")}) << int(RepairDone)
            << crlfLines(
                   {kHeader, r1, sjis("ブラウザ:bad data\tホスト:ab\tIP:1\t日付時間:d\t前回頁:p")})
            << false;
        QTest::newRow("damaged lines after bare LF conversion")
            << kHeader + "\n" + r1 + "\n" + tail() + "\n"
            << int(RepairDone) << crlfLines({kHeader, r1, sjis("ブラウザ:bad data\t") + tail(), ""})
            << true;
        // 0x8A83 is one character; the bytes of "ブラウザ:" starting at its second byte are no
        // label.
        QTest::newRow("label bytes inside a double-byte character")
            << crlfLines({r1, "\x8a\x83" + sjis("uラウザ:") + "\t" + tail()}) << int(RepairDone)
            << crlfLines({kHeader, r1, sjis("ブラウザ:bad data\t") + tail()}) << false;

        QTest::newRow("labels out of order")
            << crlfLines({r1, sjis("IP:1\tホスト:h\t日付時間:d\t前回頁:p")})
            << int(kErrInvalidArgument) << QByteArray() << false;
        QTest::newRow("label without the next one")
            << crlfLines({r1, sjis("ホスト:h\tIP:1\t前回頁:p")}) << int(kErrInvalidArgument)
            << QByteArray() << false;
        QTest::newRow("next label straight after a label")
            << crlfLines({r1, sjis("ホスト:IP:1\t日付時間:d\t前回頁:p")})
            << int(kErrInvalidArgument) << QByteArray() << false;
        QTest::newRow("invalid damaged line after conversion")
            << r1 + "\n" + sjis("IP:1\tホスト:h") + "\n"
            << int(kErrInvalidArgument) << QByteArray() << true;
    }

    void repair()
    {
        QFETCH(QByteArray, input);
        QFETCH(int, result);
        QFETCH(QByteArray, output);
        QFETCH(bool, converted);
        if (QByteArrayView(QTest::currentDataTag()).startsWith("label bytes inside"))
            QCOMPARE(cp932::decode("\x8a\x83").size(), 1);

        QTemporaryDir dir;
        QTemporaryDir temp;
        const QString path = dir.filePath(u"access_log"_s);
        QVERIFY(writeBytes(path, input));

        // The conversion happens in memory: nothing goes to the temporary folder.
        const QByteArray savedTemp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(temp.path()));
        QCOMPARE(repairLogFile(path), result);
        qputenv("TMPDIR", savedTemp);
        QVERIFY(QDir(temp.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        const QString backup = dir.filePath(u"ｵﾘｼﾞﾅﾙ～access_log"_s);
        QCOMPARE(repairBackupPath(path), backup);
        if (output.isEmpty()) {
            QCOMPARE(readBytes(path), input);
            QVERIFY(!QFileInfo::exists(backup));
        } else {
            QCOMPARE(readBytes(path), output);
            QCOMPARE(readBytes(backup), input);
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(),
                 output.isEmpty() ? 1 : 2);
        if (converted && !output.isEmpty()) {
            const QByteArray bytes = readBytes(path);
            QVERIFY(bytes.endsWith("\r\n"));
            for (qsizetype i = 0; i < bytes.size(); ++i)
                QVERIFY(bytes[i] != '\n' || (i > 0 && bytes[i - 1] == '\r'));
        }
    }

    // After a repair the reader takes every record, in order.
    void repairedFileReadsBack()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"access_log"_s);
        QByteArray input = kHeader + "\r\n";
        for (int i = 0; i < 40000; ++i) {
            const QByteArray n = QByteArray::number(i);
            input += i % 1000 == 7 ? tail(n.constData()) : record("Mozilla", n.constData());
            input += '\n';
        }
        QVERIFY(writeBytes(path, input));
        QCOMPARE(parseLogBytes(input).batch.size(), 40000 - 40); // damaged lines are skipped
        QCOMPARE(repairLogFile(path), int(RepairDone));

        const ReadResult read = readLogFile(path);
        QCOMPARE(read.status, ReadStatus::Ok);
        QCOMPARE(read.batch.size(), 40000);
        QCOMPARE(read.batch.row(7).field(ColBrowser), QByteArrayView("bad data"));
        QCOMPARE(read.batch.row(7).field(ColHost), QByteArrayView("7"));
        QCOMPARE(read.batch.row(39999).field(ColHost), QByteArrayView("39999"));
    }

    void missingOrUnreadableFile()
    {
        QTemporaryDir dir;
        QCOMPARE(repairLogFile(dir.filePath(u"none"_s)), int(kErrFileNotFound));
        QCOMPARE(repairLogFile(dir.path()), int(kErrPathFileAccess));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 0);
    }

    // With the temporary folder being the log's own folder nothing is written over the log
    // before the final rewrite.
    void temporaryFolderIsTheLogFolder()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"access_log"_s);
        const QByteArray input = kHeader + "\n" + record("a") + "\n";
        QVERIFY(writeBytes(path, input));
        const QByteArray savedTemp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(dir.path() + u'/'));
        QCOMPARE(repairLogFile(path), int(RepairDone));
        qputenv("TMPDIR", savedTemp);
        QCOMPARE(readBytes(repairBackupPath(path)), input);
        QCOMPARE(readBytes(path), crlfLines({kHeader, record("a"), ""}));
    }

    // The backup is written first; when the rewrite then fails the log is unchanged.
    void rewriteFails()
    {
        QTemporaryDir dir;
        const QByteArray input = crlfLines({record("a"), tail()});
        // The log is reached through a link whose target has a name at the length limit, so
        // the new file cannot be created beside the target.
        const QString target = dir.filePath(QString(250, u'n'));
        QVERIFY(writeBytes(target, input));
        const QString path = dir.filePath(u"access_log"_s);
        QVERIFY(QFile::link(target, path));
        QCOMPARE(repairLogFile(path), int(kErrPathFileAccess));
        QCOMPARE(readBytes(target), input);
        QCOMPARE(readBytes(repairBackupPath(path)), input);

        if (geteuid() == 0)
            QSKIP("permissions do not stop root");
        const QString readOnly = dir.filePath(u"readonly_log"_s);
        QVERIFY(writeBytes(readOnly, input));
        QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner));
        QCOMPARE(repairLogFile(readOnly), int(kErrPathFileAccess));
        QCOMPARE(readBytes(readOnly), input);
        QCOMPARE(readBytes(repairBackupPath(readOnly)), input);
    }

    void backupFails()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"access_log"_s);
        const QByteArray input = crlfLines({record("a"), tail()});
        QVERIFY(writeBytes(path, input));
        QVERIFY(QDir().mkdir(repairBackupPath(path)));
        QCOMPARE(repairLogFile(path), int(kErrPathFileAccess));
        QCOMPARE(readBytes(path), input);
    }

    void backupKeepsPermissions()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"access_log"_s);
        QVERIFY(writeBytes(path, crlfLines({record("a")})));
        const auto privateLog = QFile::ReadOwner | QFile::WriteOwner;
        QVERIFY(QFile::setPermissions(path, privateLog));
        const auto ownerAndOthers = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                    QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                    QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        QCOMPARE(repairLogFile(path), int(RepairDone));
        QCOMPARE(QFileInfo(repairBackupPath(path)).permissions() & ownerAndOthers, privateLog);
        QCOMPARE(QFileInfo(path).permissions() & ownerAndOthers, privateLog);
    }

    // A pipe would keep the repair waiting for a writer.
    void pipesAreRefused()
    {
        const Fifo fifo;
        QVERIFY(fifo.isValid());
        int repaired = 0;
        int converted = 0;
        QVERIFY(fifo.endsWithin(3000, [&] { repaired = repairLogFile(fifo.path()); }));
        QCOMPARE(repaired, kErrNotRegularFile);
        const QString copy = convertedCopyPath(fifo.path());
        QVERIFY(fifo.endsWithin(3000, [&] { convertLfToCrLf(fifo.path(), copy, &converted); }));
        QCOMPARE(converted, kErrNotRegularFile);
        QVERIFY(!QFileInfo::exists(copy));
        QVERIFY(!QFileInfo::exists(repairBackupPath(fifo.path())));
    }

    // The backup and the converted copy go beside the log, often a shared folder: a name that
    // someone else holds with a link is never written through, and the new file is no more
    // readable than the log.
    void sideFilesNeverFollowLinks_data()
    {
        QTest::addColumn<bool>("backup"); // the repair's backup, else the converted copy
        QTest::addColumn<QString>("planted");
        QTest::newRow("backup over a link") << true << u"link"_s;
        QTest::newRow("backup over a dangling link") << true << u"dangling link"_s;
        QTest::newRow("backup over an earlier backup") << true << u"file"_s;
        QTest::newRow("copy over a link") << false << u"link"_s;
        QTest::newRow("copy over an earlier copy") << false << u"file"_s;
    }

    void sideFilesNeverFollowLinks()
    {
        QFETCH(bool, backup);
        QFETCH(QString, planted);
        QTemporaryDir shared;
        QTemporaryDir home;
        const QString log = shared.filePath(u"access_log"_s);
        const QByteArray input = kHeader + "\n" + record("a") + "\n";
        QVERIFY(writeBytes(log, input));
        const auto privateFile = QFile::ReadOwner | QFile::WriteOwner;
        QVERIFY(QFile::setPermissions(log, privateFile));
        const QString side = backup ? repairBackupPath(log) : convertedCopyPath(log);
        const QString victim = home.filePath(u".bashrc"_s);
        if (planted == u"link")
            QVERIFY(writeBytes(victim, "victim"));
        const auto victimMode = QFileInfo(victim).permissions();
        if (planted == u"file")
            QVERIFY(writeBytes(side, "earlier"));
        else
            QVERIFY(QFile::link(victim, side));

        int code = -1;
        if (backup)
            code = repairLogFile(log);
        else
            convertLfToCrLf(log, side, &code);

        const QStringList expectedEntries{u"access_log"_s, QFileInfo(side).fileName()};
        QCOMPARE(
            QDir(shared.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            expectedEntries);
        if (planted == u"file") {
            QCOMPARE(code, 0);
            QCOMPARE(readBytes(side), backup ? input : crlfLines({kHeader, record("a"), ""}));
            const auto everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                  QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                  QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
            QCOMPARE(QFileInfo(side).permissions() & everyone, privateFile);
            return;
        }
        QCOMPARE(code, int(kErrPathFileAccess));
        QVERIFY(QFileInfo(side).isSymLink());
        QCOMPARE(QFileInfo::exists(victim), planted == u"link");
        if (planted == u"link") {
            QCOMPARE(readBytes(victim), QByteArray("victim"));
            QCOMPARE(QFileInfo(victim).permissions(), victimMode);
        }
        QCOMPARE(readBytes(log), input);
    }

    // A server still writing the log: what it wrote while the repair ran must not be lost with
    // the old file.
    void logChangedDuringTheRepair_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("line appended") << u"append"_s;
        QTest::newRow("replaced by a file of the same size") << u"replace"_s;
        QTest::newRow("rewritten in place, same size") << u"rewrite"_s;
    }

    void logChangedDuringTheRepair()
    {
        QFETCH(QString, change);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"access_log"_s);
        const QByteArray input = crlfLines({record("a"), record("b")});
        QVERIFY(writeBytes(path, input));
        QByteArray now = input;
        detail::setAfterRepairRead([&] {
            QFile file(path);
            if (change == u"append") {
                now += record("c") + "\r\n";
                file.open(QIODevice::Append);
                file.write(record("c") + "\r\n");
            } else if (change == u"replace") {
                now = crlfLines({record("x"), record("y")});
                const QString other = dir.filePath(u"new"_s);
                writeBytes(other, now);
                ::rename(QFile::encodeName(other).constData(), QFile::encodeName(path).constData());
            } else {
                now[0] = '#';
                file.open(QIODevice::ReadWrite);
                file.write("#");
                // Clocks can be coarse: make sure the time shows the write.
                file.setFileTime(file.fileTime(QFileDevice::FileModificationTime).addSecs(2),
                                 QFileDevice::FileModificationTime);
            }
        });
        const int code = repairLogFile(path);
        detail::setAfterRepairRead({});
        QCOMPARE(code, kErrLogChanged);
        QCOMPARE(readBytes(path), now);
        QVERIFY(!QFileInfo::exists(repairBackupPath(path)));
    }

    void convert_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<bool>("converted");
        QTest::addColumn<QByteArray>("output");

        QTest::newRow("bare LF, three lines")
            << QByteArray("a\nb\nc\n") << true << QByteArray("a\r\nb\r\nc\r\n\r\n");
        QTest::newRow("bare LF, no final line end")
            << QByteArray("a\nb") << true << QByteArray("a\r\nb\r\n");
        QTest::newRow("already CR LF")
            << QByteArray("a\r\nb\r\n") << false << QByteArray("a\r\nb\r\n\r\n");
        QTest::newRow("CR LF header, LF records")
            << QByteArray("h\r\na\nb\n") << true << QByteArray("h\r\na\r\nb\r\n\r\n");
        QTest::newRow("LF run between CR LF lines")
            << QByteArray("h\r\na\nb\r\nc\r\n") << true << QByteArray("h\r\na\r\nb\r\nc\r\n\r\n");
        QTest::newRow("lone CR") << QByteArray("a\rb") << false << QByteArray("a\r\nb\r\n\r\n");
        QTest::newRow("empty lines") << QByteArray("\n\n") << true << QByteArray("\r\n\r\n\r\n");
        QTest::newRow("empty file") << QByteArray() << false << QByteArray("\r\n");
        QTest::newRow("double-byte text") << sjis("表\nソ\n") << true << sjis("表\r\nソ\r\n\r\n");
    }

    void convert()
    {
        QFETCH(QByteArray, input);
        QFETCH(bool, converted);
        QFETCH(QByteArray, output);
        QTemporaryDir dir;
        const QString source = dir.filePath(u"access_log"_s);
        QVERIFY(writeBytes(source, input));
        const QString target = convertedCopyPath(source);
        QCOMPARE(target, dir.filePath(u"crlf_access_log"_s));
        QVERIFY(writeBytes(target, "old copy"));
        int code = -1;
        QCOMPARE(convertLfToCrLf(source, target, &code), converted);
        QCOMPARE(code, 0);
        QCOMPARE(readBytes(target), output);
        QCOMPARE(readBytes(source), input);
    }

    void convertFails()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath(u"access_log"_s);
        int code = -1;
        QVERIFY(!convertLfToCrLf(source, dir.filePath(u"copy"_s), &code));
        QCOMPARE(code, kErrFileNotFound);
        QVERIFY(!QFileInfo::exists(dir.filePath(u"copy"_s)));

        QVERIFY(writeBytes(source, "a\nb\n"));
        QVERIFY(!convertLfToCrLf(source, dir.path(), &code));
        QCOMPARE(code, kErrPathFileAccess);
        QVERIFY(!convertLfToCrLf(source, dir.filePath(u"gone/copy"_s), &code));
        QCOMPARE(code, kErrPathFileAccess);
        QVERIFY(!convertLfToCrLf(dir.path(), dir.filePath(u"copy"_s), &code));
        QCOMPARE(code, kErrPathFileAccess);
        QVERIFY(!QFileInfo::exists(dir.filePath(u"copy"_s)));
    }

    void names()
    {
        QCOMPARE(repairResultName(RepairDone), u"RepairDone"_s);
        QCOMPARE(repairResultName(RepairNotLogFile), u"RepairNotLogFile"_s);
        QCOMPARE(repairResultName(RepairEmptyLog), u"RepairEmptyLog"_s);
        QCOMPARE(repairResultName(RepairConvertFailed), u"RepairConvertFailed"_s);
        QCOMPARE(repairResultName(kErrFileNotFound), QString());
        QCOMPARE(errorDescriptionEnglish(kErrFileNotFound), u"file not found"_s);
        QCOMPARE(errorDescriptionEnglish(kErrReadPastEnd), u"input past end of file"_s);
        QCOMPARE(errorDescriptionEnglish(kErrPathFileAccess), u"path/file access error"_s);
        QCOMPARE(errorDescriptionEnglish(kErrInvalidArgument),
                 u"invalid procedure call or argument"_s);
        QCOMPARE(errorDescriptionEnglish(kErrOverflow), u"overflow"_s);
        QCOMPARE(errorDescriptionJapanese(kErrInvalidArgument),
                 u"プロシージャの呼び出し、または引数が不正です。"_s);
        QCOMPARE(errorDescriptionJapanese(kErrOverflow), u"オーバーフローしました。"_s);
        QCOMPARE(errorDescriptionJapanese(kErrFileNotFound), u"ファイルが見つかりません。"_s);
        QCOMPARE(errorDescriptionJapanese(kErrReadPastEnd),
                 u"ファイルにこれ以上データがありません。"_s);
        QCOMPARE(errorDescriptionJapanese(kErrPathFileAccess), u"パス名が無効です。"_s);
        QCOMPARE(errorDescriptionJapanese(9999), u"エラー 9999"_s);
        QCOMPARE(repairBackupPath(u"/logs/a.twv"_s), u"/logs/ｵﾘｼﾞﾅﾙ～a.twv"_s);
        QCOMPARE(convertedCopyPath(u"access_log"_s), u"crlf_access_log"_s);
    }
};

QTEST_GUILESS_MAIN(TestLogRepair)
#include "tst_log_repair.moc"
