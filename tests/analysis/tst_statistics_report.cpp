#include "analysis/statistics_report.h"
#include "core/cp932.h"
#include "support/test_files.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tw;
using namespace Qt::StringLiterals;

namespace {

QString joinLines(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + u"\r\n"_s;
    return text;
}

QStringList headLines(const QString& title)
{
    const QString rule(60, u'-');
    return {rule,      u" Tallyweaver レポートファイル"_s,
            QString(), u"  作成日時:2001/05/01 09:05"_s,
            rule,      QString(),
            title,     QString()};
}

const QDateTime kCreated(QDate(2001, 5, 1), QTime(9, 5, 42));

} // namespace

class TestStatisticsReport : public QObject {
    Q_OBJECT

private slots:
    void browserReport()
    {
        const QString body = browserReportBody({10, 3, 0, 2});
        const QStringList bodyLines = {u"IE:\t10"_s, u"ネスケ:\t3"_s, u"WWWC:\t0"_s,
                                       u"その他:\t2"_s};
        QCOMPARE(body, joinLines(bodyLines));
        // Lines 9 to 12 the counts, 13 to 15 empty, 16 "[EOF]".
        const QStringList lines = headLines(u" [ブラウザ統計]"_s) + bodyLines +
                                  QStringList{QString(), QString(), QString(), u"[EOF]"_s};
        QCOMPARE(statisticsReportText(StatisticsPage::Browser, body, kCreated), joinLines(lines));
    }

    void platformReport_data()
    {
        QTest::addColumn<QStringList>("userStrings");
        QTest::addColumn<QStringList>("userLines");
        QTest::newRow("no user strings")
            << QStringList{QString(), QString(), QString()} << QStringList{};
        QTest::newRow("middle slot empty") << QStringList{u"Foo"_s, QString(), u"バー"_s}
                                           << QStringList{u"Foo:\t12"_s, u"バー:\t14"_s};
        QTest::newRow("all slots") << QStringList{u"A"_s, u"B"_s, u"C"_s}
                                   << QStringList{u"A:\t12"_s, u"B:\t13"_s, u"C:\t14"_s};
    }
    void platformReport()
    {
        QFETCH(QStringList, userStrings);
        QFETCH(QStringList, userLines);
        std::array<qint64, kPlatformClassCount> tally{};
        for (int i = 0; i < kPlatformClassCount; ++i)
            tally[std::size_t(i)] = i;
        tally[15] = 5000000000; // wider than 32 bits
        const QString body = platformReportBody(tally, UserPlatforms(userStrings));
        const QStringList bodyLines =
            QStringList{u"Windows 95:\t0"_s,      u"Windows 98:\t1"_s,
                        u"Windows CE:\t2"_s,      u"Windows NT:\t3"_s,
                        u"Windows 2000:\t4"_s,    u"Power Mac:\t5"_s,
                        u"68K Mac:\t6"_s,         u"WWWC:\t7"_s,
                        u"UNIX系:\t8"_s,          u"ドリームキャスト:\t9"_s,
                        u"DoCoMo iモード:\t10"_s, u"ReGet:\t\t11"_s} +
            userLines + QStringList{u"その他:\t5000000000"_s};
        QCOMPARE(body, joinLines(bodyLines));
        const QStringList lines = headLines(u" [プラットフォーム統計]"_s) + bodyLines +
                                  QStringList{QString(), QString(), u"[EOF]"_s};
        QCOMPARE(statisticsReportText(StatisticsPage::Platform, body, kCreated), joinLines(lines));
    }

    void textPages_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("title");
        QTest::newRow("access") << int(StatisticsPage::Access) << u" [アクセス情報統計]"_s;
        QTest::newRow("host") << int(StatisticsPage::Host) << u" [ホスト統計]"_s;
    }
    void textPages()
    {
        QFETCH(int, page);
        QFETCH(QString, title);
        // The dialog's text already ends its last line; three empty lines follow it.
        const QString body = u"  1回\tx\r\n  2回\ty\r\n"_s;
        const QString expected = joinLines(headLines(title)) + body + u"\r\n\r\n\r\n[EOF]\r\n"_s;
        QCOMPARE(statisticsReportText(StatisticsPage(page), body, kCreated), expected);
    }

    void createdTimeUsesTwentyFourHours()
    {
        const QString text = statisticsReportText(StatisticsPage::Browser, QString(),
                                                  QDateTime(QDate(2023, 12, 31), QTime(23, 7)));
        QVERIFY(text.contains(u"\r\n  作成日時:2023/12/31 23:07\r\n"_s));
    }

    void fileName_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("name");
        QTest::newRow("browser") << 0 << QDate(2001, 5, 1) << u"b_20010501.txt"_s;
        QTest::newRow("platform") << 1 << QDate(2001, 12, 31) << u"p_20011231.txt"_s;
        QTest::newRow("access") << 2 << QDate(2024, 2, 29) << u"a_20240229.txt"_s;
        QTest::newRow("host") << 3 << QDate(999, 1, 9) << u"h_09990109.txt"_s;
    }
    void fileName()
    {
        QFETCH(int, page);
        QFETCH(QDate, today);
        QFETCH(QString, name);
        QCOMPARE(reportFileName(StatisticsPage(page), today), name);
    }

    void savesCp932WithOneLineEndAfterEof()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"b_20010501.txt"_s);
        QVERIFY(test::writeBytes(path, "older and longer content that must go away entirely"));
        const QString text = statisticsReportText(StatisticsPage::Browser,
                                                  browserReportBody({1, 2, 3, 4}), kCreated);
        QString error;
        QVERIFY(saveStatisticsReport(path, text, &error));
        const QByteArray bytes = test::readBytes(path);
        QCOMPARE(bytes, cp932::encode(text));
        QVERIFY(bytes.contains(test::sjis("ネスケ:\t2\r\n")));
        QVERIFY(bytes.endsWith("\r\n\r\n\r\n[EOF]\r\n"));
        QVERIFY(!bytes.endsWith("[EOF]\r\n\r\n"));
    }

    void failedSaveReportsError()
    {
        QTemporaryDir dir;
        QString error;
        QVERIFY(!saveStatisticsReport(dir.filePath(u"missing/report.txt"_s), u"x\r\n"_s, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!saveStatisticsReport(dir.path(), u"x\r\n"_s)); // a folder, not a file
    }
};

QTEST_GUILESS_MAIN(TestStatisticsReport)
#include "tst_statistics_report.moc"
