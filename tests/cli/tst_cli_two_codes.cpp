#include "support/cli_run.h"
#include "support/test_files.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tw;

namespace {

// A list file line from CP932 field bytes.
QByteArray listLine(const QByteArray& browser, const QByteArray& previousPage)
{
    return test::sjis("ブラウザ:") + browser + '\t' + test::sjis("ホスト:") + "a.b.example.jp\t" +
           test::sjis("IP:") + "10.0.0.1\t" + test::sjis("日付時間:") + "2001/05/01 09:05\t" +
           test::sjis("前回頁:") + previousPage + "\r\n";
}

// "≒" in its own code 0x81E0 and in the NEC code 0x8790; "纊" in the NEC-selected IBM code
// 0xED40; "￢" in the IBM code 0xFA54 (its third code).
const QByteArray kList = "#Tallyweaver_Header\r\n" +
                         listLine("Mozilla/4.0", "http://a/\x81\xE0"
                                                 "1") +
                         listLine("Mozilla/4.0 \xED\x40", "http://b/\x87\x90"
                                                          "1") +
                         listLine("WWWC/1.0", "http://c/\xFA\x54");

} // namespace

// Characters that CP932 has under two or three codes, through the command line: shown and found
// as the characters, written back with the codes they were read with.
class TestCliTwoCodes : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_list;

private slots:
    void initTestCase()
    {
        m_list = m_dir.filePath(u"codes.twv"_s);
        QVERIFY(test::writeBytes(m_list, kList));
    }

    void showPrintsTheCharacters()
    {
        const test::CliRun run = test::runCli({u"show"_s, m_list});
        QCOMPARE(run.exitCode, 0);
        const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].endsWith(u"\thttp://a/≒1"_s));
        QVERIFY(lines[1].endsWith(u"\thttp://b/≒1"_s));
        QVERIFY(lines[1].contains(u"\tMozilla/4.0 纊\t"_s));
        QVERIFY(lines[2].endsWith(u"\thttp://c/￢"_s));
    }

    void searchFindsEitherCode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("≒ and what follows") << u"≒1"_s << QStringList{u"1"_s, u"2"_s};
        QTest::newRow("kanji of the NEC-selected code") << u"4.0 纊"_s << QStringList{u"2"_s};
        QTest::newRow("third code") << u"/￢"_s << QStringList{u"3"_s};
    }
    void searchFindsEitherCode()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, rows);
        const test::CliRun run = test::runCli({u"search"_s, text, m_list});
        QCOMPARE(run.exitCode, 0);
        QStringList found;
        for (const QString& line : run.out.split(u'\n', Qt::SkipEmptyParts))
            found << line.section(u'\t', 0, 0);
        QCOMPARE(found, rows);
    }

    void writersKeepTheCodes()
    {
        const QString twv = m_dir.filePath(u"out.twv"_s);
        QCOMPARE(test::runCli({u"save"_s, u"--format"_s, u"twv"_s, u"-o"_s, twv, m_list}).exitCode,
                 0);
        QCOMPARE(test::readBytes(twv), kList);

        const QString csv = m_dir.filePath(u"out.csv"_s);
        QCOMPARE(test::runCli({u"save"_s, u"--format"_s, u"csv"_s, u"-o"_s, csv, m_list}).exitCode,
                 0);
        const QByteArray csvBytes = test::readBytes(csv);
        for (const char* code : {"http://a/\x81\xE0"
                                 "1",
                                 "http://b/\x87\x90"
                                 "1",
                                 "4.0 \xED\x40", "http://c/\xFA\x54"})
            QVERIFY2(csvBytes.contains(code), code);

        const QString report = m_dir.filePath(u"a.txt"_s);
        QCOMPARE(test::runCli({u"stats"_s, u"access"_s, u"-o"_s, report, m_list}).exitCode, 0);
        QVERIFY(test::readBytes(report).contains("\thttp://b/\x87\x90"
                                                 "1\r\n"));
        const test::CliRun printed = test::runCli({u"stats"_s, u"access"_s, m_list});
        QVERIFY(printed.out.contains(u"1回\thttp://b/≒1\n"_s));
    }
};

QTEST_GUILESS_MAIN(TestCliTwoCodes)
#include "tst_cli_two_codes.moc"
