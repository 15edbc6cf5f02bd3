#include "core/clock.h"
#include "core/cp932.h"
#include "settings/ini_file.h"
#include "settings/menu_history.h"
#include "settings/settings_file.h"
#include "support/fifo.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace tw;
using tw::test::readBytes;
using tw::test::sjis;
using tw::test::writeBytes;

namespace {

class FakeHost final : public SettingsHost {
public:
    void setWindowSize(qint32 w, qint32 h) override
    {
        sizeCalls.append({w, h});
        width = w;
        height = h;
    }
    double windowWidth() const override { return width; }
    double windowHeight() const override { return height; }
    double innerWidth() const override { return inner; }
    std::array<double, 5> columnWidths() const override { return columns; }
    ListFont initialListFont() const override { return font; }
    std::array<double, 5> typicalColumnWidths() const override { return needed; }

    double width = 9600;
    double height = 7200;
    double inner = 8265;
    std::array<double, 5> columns = {1736, 1653, 1322, 1570, 1984};
    ListFont font = {u"Noto Sans CJK JP"_s, 9, 0, 0, 0, 0, 0};
    std::array<double, 5> needed{};
    QList<std::pair<qint32, qint32>> sizeCalls;
};

// Everything a settings file works on, around one settings path.
struct Env {
    explicit Env(const QString& path)
        : clock(QDateTime(QDate(2001, 3, 7), QTime(9, 5))),
          file(path, settings, history, host, clock, u"2.02"_s)
    {
        for (int i = 0; i < 10; ++i)
            history.setMenu();
    }
    QStringList recent() const
    {
        QStringList out;
        for (int i = 1; i <= history.menuCount(); ++i)
            out << history.menuItem(i);
        return out;
    }

    Settings settings;
    MenuHistory history;
    FakeHost host;
    FixedClock clock;
    SettingsFile file;
};

QByteArray newFileText(const char* time)
{
    const QByteArray rule = "'" + QByteArray(56, '-') + "\r\n";
    return rule + sjis("'  Tallyweaver用設定保持 INIファイル\r\n'    作成時のバージョン:2.02\r\n") +
           sjis("'    作成時刻:") + time + "\r\n" + rule + "\r\n[PREF]\r\nStatusValues=11\r\n\r\n";
}

QByteArray oldFormatText(const QByteArray& gridView)
{
    QByteArray text = sjis("'----------\r\n'  設定ファイル バージョン:1.05\r\n'----------\r\n\r\n"
                           "[PREFARENCE]\r\n");
    text += "LGridView=" + gridView + "\r\n";
    text += sjis("LLineValue=0\r\nLogFilePath=/home/u/ログ\r\nBrzPath=/usr/bin/browser\r\n"
                 "AccListMax=50\r\nUrlOMode=1\r\nShwTBar=False\r\nShwSBar=True\r\n"
                 "LstFontNam=ＭＳ Ｐゴシック\r\nLstFontSiz=10\r\nLstFontBld=True\r\n"
                 "LstFontItr=0\r\nLstFontStr=False\r\nLstFontUnd=-1\r\n"
                 "[MENU]\r\nrireki1=/logs/one\r\nrireki2=/logs/two\r\nrireki3=\r\n"
                 "[FORM]\r\nmain_width=9000\r\nmain_height=6000.5\r\n"
                 "[LISTVIEW]\r\nitem1_width=1000\r\nitem2_width=1100\r\nitem3_width=1200\r\n"
                 "item4_width=1300\r\nitem5_width=1400\r\n");
    return text;
}

QStringList keyOrder(const QByteArray& bytes)
{
    QStringList keys;
    for (const QByteArray& line : bytes.split('\n')) {
        const QByteArray l = line.trimmed();
        if (l.startsWith('['))
            keys << QString::fromLatin1(l);
        else if (const qsizetype eq = l.indexOf('='); eq > 0)
            keys << QString::fromLatin1(l.first(eq));
    }
    return keys;
}

Settings fullSettings()
{
    Settings s;
    s.setStatusFlags(1 | 4 | 16 | 64 | 512);
    s.BrowserPath = u"/usr/bin/ブラウザ"_s;
    s.InitDir = u"/home/user/ログ"_s;
    s.ALogMax = -32768;
    s.Font_Color = -16777216;
    s.Font_Size = 11;
    s.Font_Name = u"DejaVu Sans Mono Book"_s; // 21 bytes
    s.Pratform = {u"Linux"_s, QString(), u"表示テスト"_s};
    for (int i = 0; i < 10; ++i)
        s.SearchHistory[i] = u"検索%1"_s.arg(i);
    return s;
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT

private slots:
    void init();
    void newFile();
    void newFileTime();
    void columnShares_data();
    void columnShares();
    void statusValues_data();
    void statusValues();
    void roundTrip();
    void filtersRoundTripInTheirOwnSection();
    void fontName_data();
    void fontName();
    void recentFiles();
    void loadFailures_data();
    void loadFailures();
    void neverSavedFile();
    void failedLoadIsKept();
    void migration();
    void migrationThroughStartup();
    void failedMigration();
    void versionTextInValueIsNotOldFormat();
    void unwritableFile();
    void pipeInPlaceOfTheFile();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString iniPath() const { return m_dir->filePath(u"TALLYWVR.INI"_s); }
    QString oldPath() const { return m_dir->filePath(u"TALLYWVR.OLD"_s); }
};

void TestSettingsFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestSettingsFile::newFile()
{
    Env env(iniPath());
    env.settings.BrowserPath = u"kept"_s;
    QVERIFY(env.file.loadOrCreate());
    QCOMPARE(readBytes(iniPath()), newFileText("3/7/01 9:05"));
    QVERIFY(!QFileInfo::exists(oldPath()));

    const Settings& s = env.settings;
    QCOMPARE(s.statusValues(), 11);
    QCOMPARE(listFontOf(s), env.host.font);
    QCOMPARE(s.ColumnWidths, (std::array<qint32, 5>{1736, 1653, 1322, 1570, 1984}));
    QCOMPARE(s.ALogMax, 0);
    QCOMPARE(s.BrowserPath, u"kept"_s);
    QCOMPARE(env.history.menuCount(), 0);
}

void TestSettingsFile::newFileTime()
{
    Env env(iniPath());
    env.clock.set(QDateTime(QDate(2010, 12, 25), QTime(23, 59, 58)));
    QVERIFY(env.file.create());
    QCOMPARE(readBytes(iniPath()), newFileText("12/25/10 23:59"));
}

void TestSettingsFile::columnShares_data()
{
    QTest::addColumn<double>("inner");
    QTest::addColumn<QList<double>>("needed");
    QTest::addColumn<QList<int>>("widths");

    const QList<double> none(5, 0);
    QTest::newRow("8265") << 8265.0 << none << QList<int>{1736, 1653, 1322, 1570, 1984};
    QTest::newRow("ties 50") << 50.0 << none << QList<int>{10, 10, 8, 10, 12};
    QTest::newRow("ties 150") << 150.0 << none << QList<int>{32, 30, 24, 28, 36};
    QTest::newRow("tie 8262.5") << 8262.5 << none << QList<int>{1735, 1652, 1322, 1570, 1983};
    QTest::newRow("needs within the shares")
        << 8265.0 << QList<double>{0, 0, 1300, 1500, 0} << QList<int>{1736, 1653, 1322, 1570, 1984};
    // IP and date-time wider; the others give way in proportion and the total stays.
    QTest::newRow("IP and date-time need more")
        << 8265.0 << QList<double>{0, 0, 1500, 2100, 0} << QList<int>{1507, 1435, 1500, 2100, 1722};
    QTest::newRow("the others keep half their shares")
        << 2000.0 << QList<double>{0, 0, 1500, 2100, 0} << QList<int>{210, 200, 1500, 2100, 240};
}

void TestSettingsFile::columnShares()
{
    QFETCH(double, inner);
    QFETCH(QList<double>, needed);
    QFETCH(QList<int>, widths);
    Env env(iniPath());
    env.host.inner = inner;
    std::copy(needed.begin(), needed.end(), env.host.needed.begin());
    QVERIFY(env.file.create());
    QCOMPARE(QList<int>(env.settings.ColumnWidths.begin(), env.settings.ColumnWidths.end()),
             widths);
}

void TestSettingsFile::statusValues_data()
{
    QTest::addColumn<int>("value");
    QTest::newRow("none") << 0;
    QTest::newRow("bars and full row") << 11;
    QTest::newRow("grid only") << 4;
    QTest::newRow("all ten") << 1023;
}

void TestSettingsFile::statusValues()
{
    QFETCH(int, value);
    {
        Env env(iniPath());
        env.settings.setStatusFlags(value);
        QVERIFY(env.file.save());
        QVERIFY(
            readBytes(iniPath()).contains("StatusValues=" + QByteArray::number(value) + "\r\n"));
    }
    Env env(iniPath());
    QVERIFY(env.file.load());
    Settings expected;
    expected.setStatusFlags(value);
    const Settings& s = env.settings;
    QCOMPARE(s.statusValues(), value);
    QCOMPARE(s.ShwTBar, expected.ShwTBar);
    QCOMPARE(s.ShwSBar, expected.ShwSBar);
    QCOMPARE(s.LLineValue, expected.LLineValue);
    QCOMPARE(s.LstFontUnd, value == 1023 ? 1 : 0);
}

void TestSettingsFile::filtersRoundTripInTheirOwnSection()
{
    const QList<SavedFilter> saved = {{u"検索エンジンから"_s, u"[{\"kind\":\"contains\"}]"_s},
                                      {u"b"_s, u"x=y"_s}};
    {
        Env env(iniPath());
        QVERIFY(env.file.create());
        env.settings.FilterBar = 1;
        env.settings.SavedFilters = saved;
        QVERIFY(env.file.save());
    }
    {
        Env env(iniPath());
        QVERIFY(env.file.load());
        QCOMPARE(env.settings.FilterBar, 1);
        QCOMPARE(env.settings.SavedFilters, saved);
        // Emptied, the section says so rather than keeping what was there.
        env.settings.FilterBar = 0;
        env.settings.SavedFilters.clear();
        QVERIFY(env.file.save());
    }
    Env env(iniPath());
    QVERIFY(env.file.load());
    QCOMPARE(env.settings.FilterBar, 0);
    QVERIFY(env.settings.SavedFilters.isEmpty());

    // A hostile count reads no more than the names there are, and never without end.
    QVERIFY(QFile::remove(iniPath()));
    {
        Env plain(iniPath());
        QVERIFY(plain.file.create());
        QVERIFY(plain.file.save());
    }
    QFile f(iniPath());
    QVERIFY(f.open(QIODevice::Append));
    f.write("[FILTER]\r\nCount=2147483647\r\nName1=a\r\nFilter1=f\r\nName3=c\r\n");
    f.close();
    Env hostile(iniPath());
    QVERIFY(hostile.file.load());
    QCOMPARE(hostile.settings.SavedFilters.size(), 2);
    QCOMPARE(hostile.settings.SavedFilters.last().name, u"c"_s);
}

void TestSettingsFile::roundTrip()
{
    const Settings saved = fullSettings();
    {
        Env env(iniPath());
        QVERIFY(env.file.create());
        env.settings = saved;
        env.host.width = 9600;
        env.host.height = 7200.5;
        env.host.columns = {1234.5, 1653.75, 1322, -0.25, 2000.5};
        env.history.addItem(u"/logs/c"_s);
        env.history.addItem(u"/logs/b"_s);
        env.history.addItem(u"/logs/a"_s);
        QVERIFY(env.file.save());
    }
    const QByteArray bytes = readBytes(iniPath());
    QVERIFY(bytes.startsWith(newFileText("3/7/01 9:05").first(100)));
    for (const char* line :
         {"Font_Color=-16777216\r\n", "ALogMax=-32768\r\n", "Width=9600\r\n", "Height=7200.5\r\n",
          "C1_Width=1234.5\r\n", "C2_Width=1653.75\r\n", "C3_Width=1322\r\n", "C4_Width=-0.25\r\n",
          "HIS3=/logs/c\r\n", "HIS4=\r\n", "HIS10=\r\n", "Pratform1=\r\n"})
        QVERIFY2(bytes.contains(line), line);

    QStringList expectedOrder = {u"StatusValues"_s, u"BrowserPath"_s, u"InitDir"_s,  u"ALogMax"_s,
                                 u"Font_Color"_s,   u"Font_Size"_s,   u"Font_Name"_s};
    for (int i = 0; i < 3; ++i)
        expectedOrder << u"Pratform%1"_s.arg(i);
    for (int i = 0; i < 10; ++i)
        expectedOrder << u"SearchHistory%1"_s.arg(i);
    expectedOrder.prepend(u"[PREF]"_s);
    expectedOrder << u"[HISTORY]"_s;
    for (int i = 1; i <= 10; ++i)
        expectedOrder << u"HIS%1"_s.arg(i);
    expectedOrder << u"[WINDOW]"_s << u"Width"_s << u"Height"_s;
    for (int i = 1; i <= 5; ++i)
        expectedOrder << u"C%1_Width"_s.arg(i);
    QCOMPARE(keyOrder(bytes), expectedOrder);

    Env env(iniPath());
    QVERIFY(env.file.load());
    Settings expected = saved;
    expected.ColumnWidths = {1234, 1654, 1322, 0, 2000};
    QCOMPARE(env.settings, expected);
    QCOMPARE(env.recent(), (QStringList{u"/logs/a"_s, u"/logs/b"_s, u"/logs/c"_s}));
    // Width first with the height as it was, then the height, rounded to even.
    QCOMPARE(env.host.sizeCalls, (QList<std::pair<qint32, qint32>>{{9600, 7200}, {9600, 7200}}));

    // Saving what was loaded changes nothing but the rounded sizes.
    env.host.columns = {1234, 1654, 1322, 0, 2000};
    QVERIFY(env.file.save());
    QCOMPARE(keyOrder(readBytes(iniPath())), expectedOrder);
}

void TestSettingsFile::fontName_data()
{
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("loaded");

    QTest::newRow("fifteen bytes") << u"ＭＳ Ｐゴシック"_s << u"ＭＳ Ｐゴシック"_s;
    QTest::newRow("longer than fifteen")
        << u"Noto Sans CJK JP Regular"_s << u"Noto Sans CJK JP Regular"_s;
    QTest::newRow("63 bytes") << QString(63, u'f') << QString(63, u'f');
    QTest::newRow("cut at 63") << QString(70, u'f') << QString(63, u'f');
    // 32 double-byte characters are 64 bytes: the last one does not fit.
    QTest::newRow("no half character") << QString(32, u'あ') << QString(31, u'あ');
}

void TestSettingsFile::fontName()
{
    QFETCH(QString, saved);
    QFETCH(QString, loaded);
    {
        Env env(iniPath());
        env.settings.Font_Name = saved;
        QVERIFY(env.file.save());
    }
    QCOMPARE(readIniValue(u"PREF"_s, u"Font_Name"_s, 1000, iniPath()), saved);
    Env env(iniPath());
    QVERIFY(env.file.load());
    QCOMPARE(env.settings.Font_Name, loaded);
}

void TestSettingsFile::recentFiles()
{
    {
        Env env(iniPath());
        env.history.addItem(u"/logs/old"_s);
        env.history.addItem(u"/logs/new"_s);
        QVERIFY(env.file.save());
    }
    QByteArray bytes = readBytes(iniPath());
    QVERIFY(bytes.contains("[HISTORY]\r\nHIS1=/logs/new\r\nHIS2=/logs/old\r\nHIS3=\r\n"));
    for (int i = 3; i <= 10; ++i)
        QVERIFY(bytes.contains("\r\nHIS" + QByteArray::number(i) + "=\r\n"));

    // A hand-edited gap shows the reading order: HIS10 first, HIS1 last and newest.
    QVERIFY(writeIniValue(u"HISTORY"_s, u"HIS10"_s, u"/logs/ten"_s, iniPath()));
    Env env(iniPath());
    QSignalSpy added(&env.history, &MenuHistory::historyAddItem);
    QVERIFY(env.file.load());
    QCOMPARE(env.recent(), (QStringList{u"/logs/new"_s, u"/logs/old"_s, u"/logs/ten"_s}));
    QCOMPARE(added.count(), 3);
    QCOMPARE(added.first().first().toString(), u"/logs/ten"_s);
}

void TestSettingsFile::loadFailures_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("stage"); // 0 before the paths, 1 after them, 2 after the flags

    QTest::newRow("status letters") << u"PREF"_s << u"StatusValues"_s << u"x"_s << 0;
    QTest::newRow("ALogMax 40000") << u"PREF"_s << u"ALogMax"_s << u"40000"_s << 1;
    QTest::newRow("ALogMax empty") << u"PREF"_s << u"ALogMax"_s << QString() << 1;
    QTest::newRow("Font_Size letters") << u"PREF"_s << u"Font_Size"_s << u"ten"_s << 1;
    // A value cut at eleven bytes is out of range.
    QTest::newRow("Font_Color too long") << u"PREF"_s << u"Font_Color"_s << u"214748364800"_s << 1;
    QTest::newRow("Width empty") << u"WINDOW"_s << u"Width"_s << QString() << 2;
    QTest::newRow("C5_Width huge") << u"WINDOW"_s << u"C5_Width"_s << u"9e12"_s << 2;
}

void TestSettingsFile::loadFailures()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(int, stage);
    {
        Env env(iniPath());
        env.settings = fullSettings();
        env.history.addItem(u"/logs/a"_s);
        QVERIFY(env.file.save());
    }
    QVERIFY(writeIniValue(section, key, value, iniPath()));

    Env env(iniPath());
    env.settings.ALogMax = 7;
    QVERIFY(!env.file.load());
    const Settings& s = env.settings;
    QCOMPARE(s.BrowserPath, stage >= 1 ? fullSettings().BrowserPath : QString());
    QCOMPARE(s.InitDir, stage >= 1 ? fullSettings().InitDir : QString());
    QCOMPARE(s.ShwTBar, stage >= 2 ? 1 : 0);
    QCOMPARE(env.history.menuCount(), stage >= 2 ? 1 : 0);
    if (key == u"Font_Size"_s) {
        QCOMPARE(s.ALogMax, -32768);
        QCOMPARE(s.Font_Color, -16777216);
        QCOMPARE(s.Font_Name, QString());
    } else if (key == u"ALogMax"_s) {
        QCOMPARE(s.ALogMax, 7);
    }
    if (key == u"C5_Width"_s)
        QCOMPARE(s.ColumnWidths, (std::array<qint32, 5>{1736, 1653, 1322, 1570, 0}));
}

void TestSettingsFile::neverSavedFile()
{
    {
        Env env(iniPath());
        QVERIFY(env.file.create());
    }
    const QByteArray neverSaved = readBytes(iniPath());
    Env env(iniPath());
    env.settings.BrowserPath = u"before"_s;
    env.settings.InitDir = u"before"_s;
    QVERIFY(!env.file.load());
    QCOMPARE(env.settings.BrowserPath, QString());
    QCOMPARE(env.settings.InitDir, QString());
    QCOMPARE(env.settings.ShwTBar, 0);

    env.clock.set(QDateTime(QDate(2001, 3, 8), QTime(10, 0)));
    QVERIFY(env.file.loadOrCreate());
    QCOMPARE(readBytes(oldPath()), neverSaved);
    QCOMPARE(readBytes(iniPath()), newFileText("3/8/01 10:00"));
}

void TestSettingsFile::failedLoadIsKept()
{
    const QByteArray broken = "; hand edited\r\n[PREF]\r\nStatusValues=3\r\nBrowserPath=/b\r\n"
                              "ALogMax=40000\r\n";
    QVERIFY(writeBytes(iniPath(), broken));
    Env env(iniPath());
    QVERIFY(env.file.loadOrCreate());
    QCOMPARE(readBytes(oldPath()), broken);
    QCOMPARE(readBytes(iniPath()), newFileText("3/7/01 9:05"));
    // What was read before the bad value stays and reaches the file at the next save.
    QCOMPARE(env.settings.BrowserPath, u"/b"_s);
    QCOMPARE(env.settings.statusValues(), 11);
}

void TestSettingsFile::migration()
{
    const QByteArray old = oldFormatText("1");
    QVERIFY(writeBytes(iniPath(), old));
    QTemporaryDir elsewhere;
    const QString cwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(elsewhere.path()));

    Env env(iniPath());
    const bool loaded = env.file.load();
    QDir::setCurrent(cwd);
    QVERIFY(!loaded);

    const Settings& s = env.settings;
    QCOMPARE(s.ShwTBar, 1); // False in the old file; the new-file defaults win
    QCOMPARE(s.ShwSBar, 1);
    QCOMPARE(s.LLineValue, 1);
    QCOMPARE(s.LGridView, 1);
    QCOMPARE(s.UrlOMode, 1);
    QCOMPARE(s.InitDir, u"/home/u/ログ"_s);
    QCOMPARE(s.BrowserPath, u"/usr/bin/browser"_s);
    QCOMPARE(s.ALogMax, 50);
    QCOMPARE(listFontOf(s), env.host.font);
    QCOMPARE(s.ColumnWidths, (std::array<qint32, 5>{1736, 1653, 1322, 1570, 1984}));
    QCOMPARE(env.recent(), (QStringList{u"/logs/one"_s, u"/logs/two"_s}));
    QCOMPARE(env.host.sizeCalls, (QList<std::pair<qint32, qint32>>{{9000, 7200}, {9000, 6000}}));

    QCOMPARE(readBytes(oldPath()), old);
    QVERIFY(!QFileInfo::exists(QDir(elsewhere.path()).filePath(u"TALLYWVR.OLD"_s)));
    QCOMPARE(readBytes(iniPath()), newFileText("3/7/01 9:05"));
}

void TestSettingsFile::migrationThroughStartup()
{
    const QByteArray old = oldFormatText("0");
    QVERIFY(writeBytes(iniPath(), old));
    Env env(iniPath());
    QVERIFY(env.file.loadOrCreate());
    // The backup still holds the old file, not the new one written on the way.
    QCOMPARE(readBytes(oldPath()), old);
    QCOMPARE(readBytes(iniPath()), newFileText("3/7/01 9:05"));
    QCOMPARE(env.settings.statusValues(), 11 | 16);
}

void TestSettingsFile::failedMigration()
{
    const QByteArray old = oldFormatText("");
    QVERIFY(writeBytes(iniPath(), old));
    {
        Env env(iniPath());
        QVERIFY(!env.file.migrate());
        QVERIFY(!env.file.load());
        QVERIFY(!QFileInfo::exists(oldPath()));
        QCOMPARE(readBytes(iniPath()), old);
        QCOMPARE(env.history.menuCount(), 0);
    }
    Env env(iniPath());
    QVERIFY(env.file.loadOrCreate());
    QCOMPARE(readBytes(oldPath()), old);
    QCOMPARE(readBytes(iniPath()), newFileText("3/7/01 9:05"));
}

void TestSettingsFile::versionTextInValueIsNotOldFormat()
{
    {
        Env env(iniPath());
        QVERIFY(env.file.create());
        env.settings.SearchHistory[0] = u"バージョン:1.5"_s;
        QVERIFY(env.file.save());
    }
    Env env(iniPath());
    QVERIFY(env.file.load());
    QCOMPARE(env.settings.SearchHistory[0], u"バージョン:1.5"_s);
    QVERIFY(!QFileInfo::exists(oldPath()));
}

void TestSettingsFile::unwritableFile()
{
    const QString blocker = m_dir->filePath(u"not-a-folder"_s);
    QVERIFY(writeBytes(blocker, "x"));
    Env env(blocker + u"/TALLYWVR.INI"_s);
    QVERIFY(!env.file.save());
    QVERIFY(!env.file.create());
    QCOMPARE(env.settings.statusValues(), 11);
    Env again(blocker + u"/TALLYWVR.INI"_s);
    QVERIFY(!again.file.loadOrCreate());
    QCOMPARE(again.settings.statusValues(), 11);
    QCOMPARE(again.settings.ColumnWidths[4], 1984);
}

// A pipe where the settings file should be must not keep the window from appearing: it is a
// file that cannot be read, and so cannot be saved either.
void TestSettingsFile::pipeInPlaceOfTheFile()
{
    const tw::test::Fifo fifo;
    QVERIFY(fifo.isValid());
    Env env(fifo.path());
    bool loaded = true;
    bool saved = true;
    QVERIFY(fifo.endsWithin(3000, [&] { loaded = env.file.loadOrCreate(); }));
    QVERIFY(!loaded);
    QCOMPARE(env.settings.statusValues(), 11);
    QVERIFY(fifo.endsWithin(3000, [&] { saved = env.file.save(); }));
    QVERIFY(!saved);
    QString value = u"?"_s;
    QVERIFY(fifo.endsWithin(
        3000, [&] { value = readIniValue(u"PREF"_s, u"StatusValues"_s, 16, fifo.path()); }));
    QCOMPARE(value, QString());
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settings_file.moc"
