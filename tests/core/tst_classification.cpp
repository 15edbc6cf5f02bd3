#include "core/classification.h"

#include <QTest>

using namespace tw;

namespace {

// Typical user agents of the years these logs come from.
const char* const kIE98 = "Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)";
const char* const kIE2000 = "Mozilla/4.0 (compatible; MSIE 5.01; Windows NT 5.0)";
const char* const kIENT = "Mozilla/4.0 (compatible; MSIE 4.01; Windows NT)";
const char* const kNNMac = "Mozilla/4.7 (Macintosh; I; PPC)";

} // namespace

class TestClassification : public QObject {
    Q_OBJECT

private slots:
    void browser_data();
    void browser();
    void platform_data();
    void platform();
    void describe_data();
    void describe();
};

void TestClassification::browser_data()
{
    QTest::addColumn<QByteArray>("ua");
    QTest::addColumn<BrowserClass>("cls");
    QTest::addColumn<QString>("key");

    QTest::newRow("IE, which also says Mozilla")
        << QByteArray(kIE98) << BrowserClass::IE << QStringLiteral("IE");
    QTest::newRow("MSPIE") << QByteArray("Mozilla/2.0 (compatible; MSPIE 2.0; Windows CE)")
                           << BrowserClass::IE << QStringLiteral("IE");
    QTest::newRow("MSIE alone") << QByteArray("MSIE") << BrowserClass::IE << QStringLiteral("IE");
    QTest::newRow("Netscape") << QByteArray(kNNMac) << BrowserClass::NN << QStringLiteral("NN");
    QTest::newRow("MSIE in lower case") << QByteArray("Mozilla/4.0 (compatible; msie 5.0)")
                                        << BrowserClass::NN << QStringLiteral("NN");
    QTest::newRow("mozilla in lower case")
        << QByteArray("mozilla/4.0") << BrowserClass::EXE << QStringLiteral("EXE");
    QTest::newRow("WWWC") << QByteArray("WWWC/1.04") << BrowserClass::WWWC
                          << QStringLiteral("WWWC");
    QTest::newRow("Mozilla before WWWC")
        << QByteArray("Mozilla/4.0 (WWWC)") << BrowserClass::NN << QStringLiteral("NN");
    QTest::newRow("MSIE before WWWC")
        << QByteArray("WWWC MSIE") << BrowserClass::IE << QStringLiteral("IE");
    QTest::newRow("other program")
        << QByteArray("Wget/1.5.3") << BrowserClass::EXE << QStringLiteral("EXE");
    QTest::newRow("empty") << QByteArray() << BrowserClass::EXE << QStringLiteral("EXE");
    QTest::newRow("bad data") << QByteArray("bad data") << BrowserClass::EXE
                              << QStringLiteral("EXE");
    QTest::newRow("split needle") << QByteArray("MS IE Mozill a") << BrowserClass::EXE
                                  << QStringLiteral("EXE");
    QTest::newRow("Japanese around the needle")
        << QString::fromUtf8("表MSIE能").toUtf8() << BrowserClass::IE << QStringLiteral("IE");
}

void TestClassification::browser()
{
    QFETCH(QByteArray, ua);
    QFETCH(BrowserClass, cls);
    QFETCH(QString, key);

    QCOMPARE(classifyBrowser(ua), cls);
    QCOMPARE(browserClassKey(classifyBrowser(ua)), key);
}

void TestClassification::platform_data()
{
    QTest::addColumn<QByteArray>("ua");
    QTest::addColumn<QStringList>("user");
    QTest::addColumn<PlatformClass>("cls");

    const QStringList none;
    QTest::newRow("Windows 95") << QByteArray("(Windows 95)") << none << PlatformClass::Win95;
    QTest::newRow("Win95") << QByteArray("(Win95; I)") << none << PlatformClass::Win95;
    QTest::newRow("Windows_95") << QByteArray("Windows_95") << none << PlatformClass::Win95;
    QTest::newRow("Windows 98") << QByteArray(kIE98) << none << PlatformClass::Win98;
    QTest::newRow("Win98") << QByteArray("Win98") << none << PlatformClass::Win98;
    QTest::newRow("Windows_98") << QByteArray("Windows_98") << none << PlatformClass::Win98;
    QTest::newRow("Windows CE") << QByteArray("(compatible; MSPIE 2.0; Windows CE)") << none
                                << PlatformClass::WinCE;
    QTest::newRow("Windows CE before NT")
        << QByteArray("Windows CE; Windows NT 5.0") << none << PlatformClass::WinCE;
    QTest::newRow("Windows NT 5. is 2000, not NT")
        << QByteArray(kIE2000) << none << PlatformClass::Win2000;
    QTest::newRow("Windows NT 5.1")
        << QByteArray("Windows NT 5.1") << none << PlatformClass::Win2000;
    QTest::newRow("Windows NT") << QByteArray(kIENT) << none << PlatformClass::WinNT;
    QTest::newRow("Windows NT 4.0") << QByteArray("Windows NT 4.0") << none << PlatformClass::WinNT;
    QTest::newRow("Windows NT 5 without dot")
        << QByteArray("Windows NT 5") << none << PlatformClass::WinNT;
    QTest::newRow("WinNT") << QByteArray("(WinNT; I)") << none << PlatformClass::WinNT;
    QTest::newRow("Windows_NT") << QByteArray("Windows_NT") << none << PlatformClass::WinNT;
    QTest::newRow("95 before NT") << QByteArray("Windows NT Win95") << none << PlatformClass::Win95;
    QTest::newRow("PPC with Macintosh") << QByteArray(kNNMac) << none << PlatformClass::PowerMac;
    QTest::newRow("Mac_PowerPC") << QByteArray("(compatible; MSIE 4.5; Mac_PowerPC)") << none
                                 << PlatformClass::PowerMac;
    QTest::newRow("PPC without Macintosh")
        << QByteArray("Mozilla/4.0 (PPC; Linux)") << none << PlatformClass::Other;
    QTest::newRow("68K with Macintosh")
        << QByteArray("Mozilla/3.0 (Macintosh; I; 68K)") << none << PlatformClass::Mac68K;
    QTest::newRow("68K without Macintosh") << QByteArray("(68K)") << none << PlatformClass::Other;
    QTest::newRow("WWWC") << QByteArray("WWWC/1.04") << none << PlatformClass::Wwwc;
    QTest::newRow("X11") << QByteArray("Mozilla/4.7 [ja] (X11; I; Linux 2.2.14 i686)") << none
                         << PlatformClass::Unix;
    QTest::newRow("DreamPassport")
        << QByteArray("Mozilla/3.0 (DreamPassport/3.0)") << none << PlatformClass::Dreamcast;
    QTest::newRow("DoCoMo") << QByteArray("DoCoMo/1.0/P502i") << none << PlatformClass::DoCoMo;
    QTest::newRow("ReGet") << QByteArray("ReGet Deluxe 3.0") << none << PlatformClass::ReGet;
    QTest::newRow("lower case is no match")
        << QByteArray("windows 98; x11; docomo") << none << PlatformClass::Other;
    QTest::newRow("empty") << QByteArray() << none << PlatformClass::Other;

    // User strings come first and take rows away from the built-in classes.
    const QStringList windows{QStringLiteral("Windows")};
    QTest::newRow("user 1 takes Windows 98")
        << QByteArray(kIE98) << windows << PlatformClass::User1;
    QTest::newRow("user 1 takes Windows 2000")
        << QByteArray(kIE2000) << windows << PlatformClass::User1;
    QTest::newRow("user 1 takes Windows CE")
        << QByteArray("Windows CE") << windows << PlatformClass::User1;
    QTest::newRow("user 1 leaves Win98") << QByteArray("Win98") << windows << PlatformClass::Win98;
    const QStringList three{QStringLiteral("Linux"), QStringLiteral("i686"), QStringLiteral("X11")};
    QTest::newRow("user 1 before user 2")
        << QByteArray("X11; Linux i686") << three << PlatformClass::User1;
    QTest::newRow("user 2") << QByteArray("X11; FreeBSD i686") << three << PlatformClass::User2;
    QTest::newRow("user 3") << QByteArray("X11; SunOS") << three << PlatformClass::User3;
    QTest::newRow("user strings are case-sensitive")
        << QByteArray("x11; linux") << three << PlatformClass::Other;
    // An empty slot never matches, though every text contains the empty string.
    const QStringList emptyFirst{QString(), QString(), QStringLiteral("Opera")};
    QTest::newRow("empty slots skipped") << QByteArray(kIE98) << emptyFirst << PlatformClass::Win98;
    QTest::newRow("empty slots, empty text") << QByteArray() << emptyFirst << PlatformClass::Other;
    QTest::newRow("third slot after empty ones")
        << QByteArray("Opera/5.0 (Windows 98)") << emptyFirst << PlatformClass::User3;
    QTest::newRow("Japanese user string")
        << QString::fromUtf8("携帯 表示").toUtf8() << QStringList{QStringLiteral("表示")}
        << PlatformClass::User1;
}

void TestClassification::platform()
{
    QFETCH(QByteArray, ua);
    QFETCH(QStringList, user);
    QFETCH(PlatformClass, cls);

    QCOMPARE(classifyPlatform(ua, UserPlatforms(user)), cls);
}

void TestClassification::describe_data()
{
    QTest::addColumn<QByteArray>("ua");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("picture");

    QTest::newRow("IE") << QByteArray(kIE98) << QStringLiteral("InternetExplorer") << 141;
    QTest::newRow("Netscape") << QByteArray(kNNMac) << QStringLiteral("Netscape") << 142;
    // The list shows this one as IE; the item view does not look for MSPIE.
    QTest::newRow("MSPIE with Mozilla")
        << QByteArray("Mozilla/2.0 (compatible; MSPIE 2.0; Windows CE)")
        << QStringLiteral("Netscape") << 142;
    QTest::newRow("MSPIE alone") << QByteArray("MSPIE 2.0") << QStringLiteral("その他") << 144;
    QTest::newRow("WWWC") << QByteArray("WWWC/1.04") << QStringLiteral("WWWC") << 143;
    QTest::newRow("other") << QByteArray("Wget/1.5.3") << QStringLiteral("その他") << 144;
    QTest::newRow("empty") << QByteArray() << QStringLiteral("その他") << 0;
    QTest::newRow("bad data") << QByteArray("bad data") << QStringLiteral("その他") << 0;
    QTest::newRow("bad data is an exact test")
        << QByteArray("bad data ") << QStringLiteral("その他") << 144;
    QTest::newRow("Bad data") << QByteArray("Bad data") << QStringLiteral("その他") << 144;
}

void TestClassification::describe()
{
    QFETCH(QByteArray, ua);
    QFETCH(QString, name);
    QFETCH(int, picture);

    const BrowserDescription d = describeBrowser(ua);
    QCOMPARE(d.name, name);
    QCOMPARE(d.pictureId, picture);
}

QTEST_GUILESS_MAIN(TestClassification)
#include "tst_classification.moc"
