#include "core/url_open.h"
#include "settings/settings.h"
#include "support/recording_platform.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace tw;
using namespace Qt::StringLiterals;

namespace {

struct Rig {
    Settings settings;
    test::RecordingPlatform platform;
    test::ScriptedPrompts prompts;
    UrlOpener opener{[this] { return urlOpenPolicy(settings); }, platform, prompts};
};

const QString kMissingBrowser =
    u"[設定]のURLを開くブラウザで指定されたブラウザが見つかりません。\r\n[設定]を確認してください。"_s;

} // namespace

class TestUrlOpen : public QObject {
    Q_OBJECT

private slots:
    void hostName_data();
    void hostName();
    void mailGoesToDesktopWhateverTheMode_data();
    void mailGoesToDesktopWhateverTheMode();
    void browserGetsUrlAsOneArgument_data();
    void browserGetsUrlAsOneArgument();
    void missingBrowserShowsTwoLineBox_data();
    void missingBrowserShowsTwoLineBox();
    void desktopRefusalIsSilent();
    void rowTextsThatAreNoAddressOnlyBeep_data();
    void rowTextsThatAreNoAddressOnlyBeep();
    void programUrlsAreTrusted();
    void helpPageBesideProgram();
    void helpPageInInstalledDataFolder();
    void helpPageMissingNamesProgramFolder();
};

void TestUrlOpen::hostName_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("host");
    QTest::newRow("host and path") << u"http://www.example.com/a/b.html"_s << u"www.example.com"_s;
    QTest::newRow("nothing after host") << u"http://www.example.com"_s << u"www.example.com"_s;
    QTest::newRow("host then slash") << u"http://example.org/"_s << u"example.org"_s;
    QTest::newRow("short host") << u"http://ab/cd"_s << u"ab"_s;
    QTest::newRow("one-letter host") << u"http://a/"_s << u"a"_s;
    QTest::newRow("empty host") << u"http:///x"_s << QString();
    QTest::newRow("https") << u"https://secure.example.com/x"_s << u"secure.example.com"_s;
    QTest::newRow("no http") << u"ftp://example.com/"_s << QString();
    QTest::newRow("upper-case HTTP") << u"HTTP://example.com/"_s << QString();
    QTest::newRow("http without ://") << u"http:example.com/"_s << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("dash") << u"-"_s << QString();
    QTest::newRow("first :// counts") << u"xhttp x://h/y://z/"_s << u"h"_s;
    QTest::newRow("port kept") << u"http://example.com:8080/p"_s << u"example.com:8080"_s;
}

void TestUrlOpen::hostName()
{
    QFETCH(QString, text);
    QFETCH(QString, host);
    QCOMPARE(urlHostName(text), host);
}

void TestUrlOpen::mailGoesToDesktopWhateverTheMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("desktop mode") << 0;
    QTest::newRow("browser mode") << 1;
}

void TestUrlOpen::mailGoesToDesktopWhateverTheMode()
{
    QFETCH(int, mode);
    Rig rig;
    rig.settings.UrlOMode = mode;
    rig.settings.BrowserPath = u"/usr/bin/firefox"_s;
    rig.opener.openRowUrl(u"mailto:someone@example.com"_s);
    rig.opener.openUrl(u"mailto:author@tallyweaver.example.org"_s);
    QCOMPARE(rig.platform.urls, QStringList({u"mailto:someone@example.com"_s,
                                             u"mailto:author@tallyweaver.example.org"_s}));
    QVERIFY(rig.platform.launches.isEmpty());
    QCOMPARE(rig.prompts.beeps, 0);
}

void TestUrlOpen::browserGetsUrlAsOneArgument_data()
{
    QTest::addColumn<QString>("url");
    QTest::newRow("plain") << u"http://example.com/"_s;
    QTest::newRow("spaces quotes semicolon")
        << u"http://example.com/a b\"c'd;rm -rf ~;$(id)`id`|x&y"_s;
    QTest::newRow("https") << u"https://example.com/?q=1&r=2"_s;
}

void TestUrlOpen::browserGetsUrlAsOneArgument()
{
    QFETCH(QString, url);
    Rig rig;
    rig.settings.UrlOMode = 1;
    rig.settings.BrowserPath = u"/opt/My Browser/browser"_s;
    rig.opener.openRowUrl(url);
    QCOMPARE(rig.platform.launches.size(), 1);
    QCOMPARE(rig.platform.launches.first().program, u"/opt/My Browser/browser"_s);
    QCOMPARE(rig.platform.launches.first().arguments, QStringList{url});
    QVERIFY(rig.platform.urls.isEmpty());
    QVERIFY(rig.prompts.boxes.isEmpty());
}

void TestUrlOpen::missingBrowserShowsTwoLineBox_data()
{
    QTest::addColumn<QString>("browser");
    QTest::addColumn<bool>("starts");
    QTest::newRow("program not found") << u"/no/such/browser"_s << false;
    QTest::newRow("no program given") << QString() << true;
}

void TestUrlOpen::missingBrowserShowsTwoLineBox()
{
    QFETCH(QString, browser);
    QFETCH(bool, starts);
    Rig rig;
    rig.settings.UrlOMode = 1;
    rig.settings.BrowserPath = browser;
    rig.platform.succeed = starts;
    rig.opener.openRowUrl(u"http://example.com/"_s);
    QCOMPARE(rig.prompts.boxes.size(), 1);
    QCOMPARE(rig.prompts.boxes.first().caption, u"エラー"_s);
    QCOMPARE(rig.prompts.boxes.first().text, kMissingBrowser);
    QCOMPARE(rig.prompts.boxes.first().icon, MessageIcon::Warning);
    QCOMPARE(rig.prompts.boxes.first().buttons, MessageButtons::Ok);
    QVERIFY(rig.platform.urls.isEmpty());
}

void TestUrlOpen::desktopRefusalIsSilent()
{
    Rig rig;
    rig.platform.succeed = false;
    rig.opener.openRowUrl(u"http://example.com/"_s);
    QCOMPARE(rig.platform.urls, QStringList{u"http://example.com/"_s});
    QVERIFY(rig.prompts.boxes.isEmpty());
}

void TestUrlOpen::rowTextsThatAreNoAddressOnlyBeep_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("mode");
    QTest::newRow("local file") << u"file:///etc/passwd"_s << 0;
    QTest::newRow("local file, browser mode") << u"file:///etc/passwd"_s << 1;
    QTest::newRow("program path") << u"/bin/sh"_s << 0;
    QTest::newRow("program path, browser mode") << u"/bin/sh"_s << 1;
    QTest::newRow("script") << u"javascript:alert(1)"_s << 0;
    QTest::newRow("script naming mailto") << u"javascript:alert('mailto:x')"_s << 0;
    QTest::newRow("dash") << u"-"_s << 0;
    QTest::newRow("empty") << QString() << 1;
    QTest::newRow("scheme alone") << u"http://"_s << 0;
    QTest::newRow("http later in text") << u"x http://example.com/"_s << 0;
    QTest::newRow("option-like") << u"--new-window http://example.com/"_s << 1;
}

void TestUrlOpen::rowTextsThatAreNoAddressOnlyBeep()
{
    QFETCH(QString, text);
    QFETCH(int, mode);
    Rig rig;
    rig.settings.UrlOMode = mode;
    rig.settings.BrowserPath = u"/usr/bin/browser"_s;
    rig.opener.openRowUrl(text);
    QVERIFY(rig.platform.urls.isEmpty());
    QVERIFY(rig.platform.documents.isEmpty());
    QVERIFY(rig.platform.launches.isEmpty());
    QVERIFY(rig.prompts.boxes.isEmpty());
    QCOMPARE(rig.prompts.beeps, 1);
}

void TestUrlOpen::programUrlsAreTrusted()
{
    Rig rig;
    const QString help = u"file:///opt/tallyweaver/bin/help.html"_s;
    rig.opener.openUrl(help);
    QCOMPARE(rig.platform.urls, QStringList{help});
    rig.settings.UrlOMode = 1;
    rig.settings.BrowserPath = u"/usr/bin/browser"_s;
    rig.opener.openUrl(help);
    QCOMPARE(rig.platform.launches.size(), 1);
    QCOMPARE(rig.platform.launches.first().arguments, QStringList{help});
    QCOMPARE(rig.prompts.beeps, 0);
}

void TestUrlOpen::helpPageBesideProgram()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"My Tools"_s);
    QVERIFY(QDir().mkpath(folder));
    const QString page = folder + u"/help.html"_s;
    QVERIFY(test::writeBytes(page, "<html></html>"));
    const QString url = helpPageUrl(folder);
    QVERIFY(url.startsWith(u"file:///"_s));
    QCOMPARE(QUrl(url).toLocalFile(), page);
    QCOMPARE(helpPageUrl(folder + u'/'), url); // a final "/" makes no difference
}

void TestUrlOpen::helpPageInInstalledDataFolder()
{
    QTemporaryDir dir;
    QVERIFY(QDir().mkpath(dir.filePath(u"prefix dir/bin"_s)));
    QVERIFY(QDir().mkpath(dir.filePath(u"prefix dir/share/tallyweaver"_s)));
    const QString page = dir.filePath(u"prefix dir/share/tallyweaver/help.html"_s);
    QVERIFY(test::writeBytes(page, "<html></html>"));
    QCOMPARE(QUrl(helpPageUrl(dir.filePath(u"prefix dir/bin"_s))).toLocalFile(), page);
}

void TestUrlOpen::helpPageMissingNamesProgramFolder()
{
    QTemporaryDir dir;
    QCOMPARE(QUrl(helpPageUrl(dir.path())).toLocalFile(), dir.filePath(u"help.html"_s));
}

QTEST_GUILESS_MAIN(TestUrlOpen)
#include "tst_url_open.moc"
