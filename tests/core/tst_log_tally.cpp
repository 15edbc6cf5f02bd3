#include "core/cp932.h"
#include "core/log_list.h"
#include "core/log_reader.h"
#include "core/log_tally.h"
#include "support/test_files.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tw;

namespace {

using test::sjis;

// One labelled record: a browser text (CP932 bytes), then the other four fields.
QByteArray record(const QByteArray& browser, const char* rest = nullptr)
{
    return sjis("ブラウザ:") + browser + '\t' +
           (rest ? QByteArray(rest)
                 : sjis("ホスト:h\tIP:10.0.0.1\t日付時間:2001/05/01 09:05:33\t前回頁:-"));
}

const QByteArray kHead = "#Tallyweaver_Header\r\n";
const QByteArray kMsie = "Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)";
const QByteArray kNav = "Mozilla/4.7 [ja] (X11; I; Linux 2.2.14 i686)";
const QByteArray kMac = "Mozilla/4.0 (compatible; MSIE 5.0; Mac_PowerPC)";
const QByteArray kWwwc = "WWWC/1.03";
const QByteArray kDoCoMo = "DoCoMo/1.0/P502i";

// What readLogFile and a list with these platform strings give.
TallyResult throughList(const QString& path, const UserPlatforms& user)
{
    ReadResult read = readLogFile(path);
    TallyResult expected;
    expected.status = read.status;
    expected.detail = read.detail;
    expected.fileSize = read.fileSize;
    LogList list;
    list.setUserPlatforms(user);
    list.append(std::move(read.batch));
    expected.tally.browser = list.browserTally();
    expected.tally.platform = list.platformTally();
    expected.tally.rows = list.rowCount();
    return expected;
}

// Chunk and range sizes that put reads, carries and thread boundaries everywhere.
const QList<detail::ReaderSplit> kSplits = {
    {qint64(8) << 20, qint64(16) << 20, 0}, {1, 1, 3}, {7, 40, 0}, {64, 100, 5}, {4096, 512, 2}};

class SplitGuard {
public:
    explicit SplitGuard(const detail::ReaderSplit& split) : m_saved(detail::readerSplit())
    {
        detail::setReaderSplit(split);
    }
    ~SplitGuard() { detail::setReaderSplit(m_saved); }

private:
    detail::ReaderSplit m_saved;
};

QString describe(const TallyResult& r)
{
    QStringList counts;
    for (qint64 n : r.tally.browser)
        counts << QString::number(n);
    counts << u"|"_s;
    for (qint64 n : r.tally.platform)
        counts << QString::number(n);
    return u"status %1 rows %2 size %3 [%4] %5"_s.arg(int(r.status))
        .arg(r.tally.rows)
        .arg(r.fileSize)
        .arg(counts.join(u' '), r.detail);
}

// Tallies under every split equal the full read's under the default one.
void verifySameAsList(const QString& path, const UserPlatforms& user)
{
    const TallyResult expected = throughList(path, user);
    for (const detail::ReaderSplit& split : kSplits) {
        SplitGuard guard(split);
        const TallyResult tally = tallyLogFile(path, user);
        const QString context = u"split %1/%2/%3: "_s.arg(split.chunkBytes)
                                    .arg(split.minRangeBytes)
                                    .arg(split.maxRanges);
        QVERIFY2(tally.status == expected.status && tally.detail == expected.detail &&
                     tally.fileSize == expected.fileSize && tally.tally == expected.tally,
                 qPrintable(context + describe(tally) + u" != "_s + describe(expected)));
    }
}

} // namespace

class TestLogTally : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void sameAsReadingIntoAList_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("platforms");
        const QStringList none;
        const QByteArray five = record(kMsie) + "\r\n" + record(kNav) + "\r\n" + record(kWwwc) +
                                "\r\n" + record(kMac) + "\r\n" + record(kDoCoMo);
        QTest::newRow("CR LF") << kHead + five + "\r\n" << none;
        QTest::newRow("no end after the last record") << kHead + five << none;
        QTest::newRow("CR only") << kHead + QByteArray(five).replace("\r\n", "\r") << none;
        QTest::newRow("LF after the header")
            << kHead + QByteArray(five).replace("\r\n", "\n") + "\n"
            << none;
        QTest::newRow("mixed ends and empty lines")
            << kHead + "\r\n\n\r" + record(kMsie) + "\n\r" + record(kNav) + "\r\r\n\n" +
                   record(kWwwc) + "\n\n" + record(kMsie) + "\r" + record(kDoCoMo) + "\r\n"
            << none;
        QTest::newRow("3 to 6 TABs")
            << kHead + sjis("ブラウザ:") + kMsie + "\th\ti\td\r\n" + sjis("ブラウザ:") + kNav +
                   "\th\ti\td\tp\r\n" + sjis("ブラウザ:") + kWwwc + "\th\ti\td\tp\tx\r\n" +
                   sjis("ブラウザ:") + kMac + "\t\t\t\t\t\t\r\n" + "\t\t\t\r\n" + "\t\t\t\t\r\n"
            << none;
        QTest::newRow("short label-less fields")
            << kHead + "MSIE\th\ti\td\tp\r\nMSIE 5.5\th\ti\td\tp\r\nabcdeMSIE\th\ti\td\r\n" +
                   "\t\t\t\t\r\nX11\ta\tb\tc\td\r\n"
            << none;
        QTest::newRow("other labels, same texts")
            << kHead + "12345" + kMsie + "\th\ti\td\tp\r\n" + sjis("ﾌﾞﾗｳｻﾞ") + kMsie +
                   "\th\ti\td\tp\r\n" + sjis("全角です：") + kMsie + "\th\ti\td\tp\r\n" +
                   record(kMsie) + "\r\n"
            << none;
        // Bytes that start no character count one character each, in the label and in the text.
        QTest::newRow("undecodable bytes")
            << kHead + "\x81\tMozilla\th\ti\td\r\n" +
                   "\x80\xA0\xFD\xFE\xFFMSIE\x81\th\ti\td\tp\r\n" +
                   "\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82Mozilla\x81\th\ti\td\tp\r\n" +
                   record("WWWC\x81") + "\r\n" + record("WWWC\xFD") + "\r\n" +
                   record("\x87\x90Windows NT") + "\r\n" + record("\x81\xE0Windows NT") + "\r\n"
            << none;
        QTest::newRow("double-byte texts")
            << kHead + record(sjis("携帯電話 DoCoMo ブラウザ")) + "\r\n" +
                   record(sjis("ｶﾀｶﾅ X11 ﾌﾞﾗｳｻﾞ")) + "\r\n" + record(sjis("表示")) + "\r\n"
            << none;
        QTest::newRow("user platforms") << kHead + five + "\r\n" + record(sjis("携帯電話 DoCoMo")) +
                                               "\r\n" + record(kMsie + " ReGet") + "\r\n"
                                        << QStringList{u"携帯"_s, u"Windows 98"_s, u"X11"_s};
        QTest::newRow("user platform in a label only")
            << kHead + "ReGet\th\ti\td\tp\r\n" + record(kMsie) + "\r\n"
            << QStringList{QString(), QString(), u"ReGet"_s};
        QTest::newRow("header only") << kHead << none;
        QTest::newRow("header without line end") << QByteArray("#Tallyweaver_Header") << none;
        QTest::newRow("header and empty lines") << kHead + "\r\n\r\n\n\r" << none;
        QTest::newRow("bare LF throughout")
            << QByteArray("#Tallyweaver_Header\n") + record(kMsie) + "\n"
            << none;
        QTest::newRow("empty file") << QByteArray() << none;
        QTest::newRow("unknown layout") << QByteArray("just text\r\n") + record(kMsie) << none;
        QTest::newRow("raw log without header") << record(kMsie) + "\r\n" + record(kNav) << none;
        QTest::newRow("CSV") << csvHeaderLine() + "\r\n\"" + kMsie +
                                    "\",\"h\",\"i\",\"d\",\"p\"\r\n\"" + kWwwc +
                                    "\",\"h\",\"i\",\"d\",\"p\"\r\n"
                             << QStringList{u"Windows"_s};
        QTest::newRow("legacy CSV")
            << legacyCsvHeaderLine() + "\r\n" + kNav + ",h,i,d,p\r\n" + kMsie + ",h,i,d,p\r\n"
            << none;
        QTest::newRow("CSV cut inside a quote") << csvHeaderLine() + "\r\n\"" + kMsie + "\",\"h\r\n"
                                                << none;
    }

    // Every input as a small file (read whole) and as one repeated past the head that is read
    // first, so that the body is read from the file in ranges.
    void sameAsReadingIntoAList()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, platforms);
        const UserPlatforms user(platforms);
        const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_');

        const QString small = m_dir.filePath(tag + u".twv"_s);
        QVERIFY(test::writeBytes(small, bytes));
        verifySameAsList(small, user);

        QByteArray large = bytes;
        while (!bytes.isEmpty() && large.size() < 12000)
            large += bytes;
        const QString big = m_dir.filePath(tag + u"_large.twv"_s);
        QVERIFY(test::writeBytes(big, large));
        verifySameAsList(big, user);
    }

    void missingAndUnreadablePaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("status");
        QTest::newRow("no such file") << m_dir.filePath(u"none.twv"_s) << int(ReadStatus::NotFound);
        QTest::newRow("folder") << m_dir.path() << int(ReadStatus::NotFound);
        // Opens, but every read fails.
        QTest::newRow("unreadable") << u"/proc/self/mem"_s << int(ReadStatus::ReadError);
    }

    void missingAndUnreadablePaths()
    {
        QFETCH(QString, path);
        QFETCH(int, status);
        const TallyResult tally = tallyLogFile(path, UserPlatforms());
        QCOMPARE(int(tally.status), status);
        QVERIFY(!tally.detail.isEmpty());
        QCOMPARE(tally.tally, ClassTally());
        verifySameAsList(path, UserPlatforms({u"X11"_s}));
    }

    // Thousands of rows over a few hundred distinct browser texts, with every kind of line end.
    void generatedFile()
    {
        const QList<QByteArray> parts = {
            kMsie,        kNav,    kMac,    kWwwc,      kDoCoMo,
            sjis("携帯"), "Win95", "ReGet", "\x81\xFD", "DreamPassport/3.0"};
        const char* const ends[] = {"\r\n", "\r", "\n", "\r\n\r\n", "\n\n\r"};
        quint32 seed = 11;
        auto next = [&seed](quint32 n) {
            seed = seed * 1103515245u + 12345u;
            return ((seed >> 16) & 0x7FFF) % n;
        };
        QByteArray bytes = kHead;
        for (int i = 0; i < 30000; ++i) {
            const QByteArray browser =
                parts[next(10)] + ' ' + QByteArray::number(next(40)) + ' ' + parts[next(10)];
            bytes += record(browser, i % 97 == 5 ? "h\ti\td" : nullptr);
            bytes += ends[next(5)];
        }
        const QString path = m_dir.filePath(u"generated.twv"_s);
        QVERIFY(test::writeBytes(path, bytes));
        const UserPlatforms user({u"携帯"_s, u"7 Win95"_s, u"ReGet"_s});
        const TallyResult tally = tallyLogFile(path, user);
        QCOMPARE(tally.status, ReadStatus::Ok);
        QVERIFY(tally.tally.rows > 29000);
        QVERIFY(tally.tally.platform[std::size_t(PlatformClass::User2)] > 0);
        verifySameAsList(path, user);
    }
};

QTEST_GUILESS_MAIN(TestLogTally)
#include "tst_log_tally.moc"
