// Inputs that are not the plain log files the command-line tool expects: pipes and devices,
// files larger than the memory there is, temporary folders that are missing or shared.
#include "core/log_reader.h"
#include "support/cli_run.h"
#include "support/fifo.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace tw;
using test::CliRun;

namespace {

const QByteArray kLfLog =
    "#Tallyweaver_Header\n" + test::sjis("ブラウザ:Lynx\tホスト:h\tIP:1\t日付時間:d\t前回頁:p\n");

// A file of size bytes that takes no room on disk: head, then NUL bytes (no line end among
// them) except for a CR at each offset in crs.
bool writeSparse(const QString& path, const QByteArray& head, qint64 size,
                 const QList<qint64>& crs = {})
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(head) != head.size())
        return false;
    for (qint64 at : crs) {
        if (!file.seek(at) || file.write("\r", 1) != 1)
            return false;
    }
    return file.resize(size);
}

} // namespace

class TestCliHostileInputs : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    // A pipe would keep the tool waiting for a writer and a device would be read without end:
    // both are refused at once.
    void pipesAndDevicesAreRefused_data()
    {
        QTest::addColumn<QStringList>("args"); // "PIPE" stands for the path of a pipe
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("reason"); // on standard error, after the path
        const QString pipe = u"PIPE"_s;
        const QString notRegular = u"read error: not a regular file"_s;
        QTest::newRow("show a pipe")
            << QStringList{u"show"_s, pipe} << 3 << QString() << notRegular;
        QTest::newRow("browser statistics of a pipe")
            << QStringList{u"stats"_s, u"browser"_s, pipe} << 3 << QString() << notRegular;
        QTest::newRow("repair a pipe") << QStringList{u"repair"_s, pipe} << 1
                                       << u"error 1002: not a regular file\n"_s << QString();
        QTest::newRow("convert a pipe")
            << QStringList{u"lf2crlf"_s, pipe} << 3 << QString() << notRegular;
        QTest::newRow("pipe as settings file")
            << QStringList{u"show"_s, u"--settings"_s, pipe, u"/dev/null"_s} << 3 << QString()
            << u"read error: cannot read the settings file"_s;
        QTest::newRow("show a device")
            << QStringList{u"show"_s, u"/dev/zero"_s} << 3 << QString() << notRegular;
        QTest::newRow("repair a device") << QStringList{u"repair"_s, u"/dev/zero"_s} << 1
                                         << u"error 1002: not a regular file\n"_s << QString();
        QTest::newRow("convert a device")
            << QStringList{u"lf2crlf"_s, u"/dev/urandom"_s} << 3 << QString() << notRegular;
    }

    void pipesAndDevicesAreRefused()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, reason);
        const test::Fifo fifo;
        QVERIFY(fifo.isValid());
        const qsizetype at = args.indexOf(u"PIPE"_s);
        if (at >= 0)
            args[at] = fifo.path();
        // Old ways of reading a device fill the memory: cap it.
        const CliRun run =
            test::runCli(args, test::memoryLimit(kMemoryLimit), m_dir.path(), {}, 5000);
        QCOMPARE(run.exitCode, status);
        QCOMPARE(run.out, out);
        const QString named = at >= 0 ? fifo.path() : args.last();
        QCOMPARE(run.err, reason.isEmpty() ? QString() : named + u": "_s + reason + u'\n');
    }

    // The repair works in memory: a missing temporary folder does not send a copy into the
    // current folder, and a link planted in a shared one is not written through.
    void repairLeavesTheTemporaryFolderAlone_data()
    {
        QTest::addColumn<bool>("missing");
        QTest::newRow("temporary folder missing") << true;
        QTest::newRow("link planted in the temporary folder") << false;
    }

    void repairLeavesTheTemporaryFolderAlone()
    {
        QFETCH(bool, missing);
        QTemporaryDir logs;
        QTemporaryDir current;
        QTemporaryDir temp;
        QTemporaryDir home;
        const QString log = logs.filePath(u"access_log"_s);
        QVERIFY(test::writeBytes(log, kLfLog));
        const QString unrelated = current.filePath(u"access_log"_s);
        QVERIFY(test::writeBytes(unrelated, "unrelated"));
        const QString victim = home.filePath(u".bashrc"_s);
        QVERIFY(test::writeBytes(victim, "victim"));
        if (!missing)
            QVERIFY(QFile::link(victim, temp.filePath(u"access_log"_s)));
        const QString tempFolder = missing ? temp.filePath(u"gone"_s) : temp.path();
        const QByteArray cwd = QFile::encodeName(current.path());
        const CliRun run = test::runCli(
            {u"repair"_s, log}, [cwd] { (void)::chdir(cwd.constData()); }, tempFolder);

        QCOMPARE(run.out, u"RepairDone 0\n"_s);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(test::readBytes(unrelated), QByteArray("unrelated"));
        QCOMPARE(test::readBytes(victim), QByteArray("victim"));
        QCOMPARE(
            QDir(temp.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            missing ? QStringList() : QStringList{u"access_log"_s});
        QVERIFY(test::readBytes(log).startsWith("#Tallyweaver_Header\r\n"));
    }

    // Running out of memory ends the command with one line and the status of the step that
    // failed, never with an abort; a file whose first line is no header is not read further.
    void outOfMemoryEndsWithOneLine_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QList<qint64>>("crs");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("reason");
        const qint64 half = kFileSize / 2;
        const QByteArray list = "#Tallyweaver_Header\r\n";
        const QString memory = u"read error: out of memory"_s;
        QTest::newRow("CSV file") << u"show"_s << csvHeaderLine() + "\r\n\"" << QList<qint64>{} << 3
                                  << QString() << memory;
        // One line on each core: the worker thread runs out of memory too.
        QTest::newRow("list file of two huge lines")
            << u"show"_s << list << QList<qint64>{half + 100} << 3 << QString() << memory;
        QTest::newRow("list file, browser statistics")
            << u"stats browser"_s << list << QList<qint64>{half + 100} << 3 << QString() << memory;
        QTest::newRow("no header")
            << u"show"_s << QByteArray("GET / HTTP/1.0\r\n") << QList<qint64>{} << 3 << QString()
            << u"not a Tallyweaver list, CSV or log file (try: tallyweaver-cli repair FILE)"_s;
        QTest::newRow("repair") << u"repair"_s << QByteArray("x\n") << QList<qint64>{} << 1
                                << u"error 7: out of memory\n"_s << QString();
        QTest::newRow("conversion")
            << u"lf2crlf"_s << QByteArray("x\n") << QList<qint64>{} << 3 << QString() << memory;
    }

    void outOfMemoryEndsWithOneLine()
    {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("the address sanitizer needs more address space than the limit leaves");
#endif
        QFETCH(QString, command);
        QFETCH(QByteArray, head);
        QFETCH(QList<qint64>, crs);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, reason);
        const QString file = m_dir.filePath(u"huge"_s);
        QVERIFY(writeSparse(file, head, kFileSize, crs));
        const CliRun run =
            test::runCli(command.split(u' ') << file, test::memoryLimit(kMemoryLimit));
        QFile::remove(file);
        QFile::remove(m_dir.filePath(u"crlf_huge"_s));
        QCOMPARE(run.exitCode, status);
        QCOMPARE(run.out, out);
        QCOMPARE(run.err, reason.isEmpty() ? QString() : file + u": "_s + reason + u'\n');
    }

private:
    static constexpr qint64 kFileSize = qint64(3) << 30;
    static constexpr long kMemoryLimit = long(1) << 30;
};

QTEST_GUILESS_MAIN(TestCliHostileInputs)
#include "tst_cli_hostile_inputs.moc"
