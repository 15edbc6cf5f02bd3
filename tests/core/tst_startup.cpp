#include "core/startup.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace tw;
using namespace tw::test;
using namespace Qt::StringLiterals;

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void version_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<QString>("expected");
        QTest::newRow("2.02") << 2 << 2 << u"2.02"_s;
        QTest::newRow("2.15") << 2 << 15 << u"2.15"_s;
        QTest::newRow("10.00") << 10 << 0 << u"10.00"_s;
    }

    void version()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(QString, expected);
        QCOMPARE(versionText(major, minor), expected);
    }

    void versionOfThisBuild() { QCOMPARE(versionText(), u"2.02"_s); }

    void settingsPath()
    {
        QCOMPARE(settingsFileName(), u"TALLYWVR.INI"_s);
        QCOMPARE(settingsFilePathIn(u"/"_s), u"/TALLYWVR.INI"_s);
        QCOMPARE(settingsFilePathIn(u"/opt/tw"_s), u"/opt/tw/TALLYWVR.INI"_s);
        QCOMPARE(settingsFilePathIn(u"/opt/tw/"_s), u"/opt/tw/TALLYWVR.INI"_s);
    }

    void chooseSettings()
    {
        QTemporaryDir dir;
        const QString exe = dir.filePath(u"bin"_s);
        const QString user = dir.filePath(u"config/tallyweaver"_s);
        QVERIFY(QDir().mkdir(exe));
        // A writable program folder is used, with or without a settings file in it.
        QCOMPARE(chooseSettingsFilePath(exe, user), exe + u"/TALLYWVR.INI"_s);
        QVERIFY(writeBytes(exe + u"/TALLYWVR.INI"_s, "[x]\r\n"));
        QCOMPARE(chooseSettingsFilePath(exe, user), exe + u"/TALLYWVR.INI"_s);
        // A program folder that cannot take a settings file leaves the per-user folder.
        QCOMPARE(chooseSettingsFilePath(dir.filePath(u"gone"_s), user), user + u"/TALLYWVR.INI"_s);

        if (geteuid() == 0)
            QSKIP("permissions do not stop root");
        const QString locked = dir.filePath(u"locked"_s);
        QVERIFY(QDir().mkdir(locked));
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
        QCOMPARE(chooseSettingsFilePath(locked, user), user + u"/TALLYWVR.INI"_s);
        QVERIFY(QFile::setPermissions(exe, QFile::ReadOwner | QFile::ExeOwner));
        QCOMPARE(chooseSettingsFilePath(exe, user), exe + u"/TALLYWVR.INI"_s);
        QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void normalize()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytes(dir.filePath(u"a.twv"_s), "x"));
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        const QString relative = normalizeLongPath(u"a.twv"_s);
        const QString missing = normalizeLongPath(u"missing.twv"_s);
        QDir::setCurrent(previous);
        QCOMPARE(relative, QDir(dir.path()).absoluteFilePath(u"a.twv"_s));
        QCOMPARE(missing, u"missing.twv"_s);
        QCOMPARE(normalizeLongPath(QString()), QString());
    }

    void split_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("fileToOpen");
        QTest::addColumn<QStringList>("rest");
        QTest::addColumn<bool>("help");
        QTest::addColumn<bool>("version");

        QTest::newRow("nothing") << QStringList() << QString() << QStringList() << false << false;
        QTest::newRow("one file") << QStringList{u"/logs/a.twv"_s} << u"/logs/a.twv"_s
                                  << QStringList() << false << false;
        QTest::newRow("three files: the rest go to a new instance")
            << QStringList{u"/a.twv"_s, u"/My Logs/b.twv"_s, u"/c.twv"_s} << u"/a.twv"_s
            << QStringList{u"/My Logs/b.twv"_s, u"/c.twv"_s} << false << false;
        QTest::newRow("path with a space is one argument")
            << QStringList{u"/My Logs/access_log"_s} << u"/My Logs/access_log"_s << QStringList()
            << false << false;
        QTest::newRow("trailing empty argument starts nothing")
            << QStringList{u"/a.twv"_s, QString()} << u"/a.twv"_s << QStringList() << false
            << false;
        QTest::newRow("help") << QStringList{u"--help"_s} << QString() << QStringList() << true
                              << false;
        QTest::newRow("version") << QStringList{u"--version"_s} << QString() << QStringList()
                                 << false << true;
        QTest::newRow("unknown option opens nothing")
            << QStringList{u"-x"_s, u"/b.twv"_s} << QString() << QStringList{u"/b.twv"_s} << false
            << false;
        QTest::newRow("a lone minus is an option")
            << QStringList{u"-"_s} << QString() << QStringList() << false << false;
        QTest::newRow("option later is for the new instance")
            << QStringList{u"/a.twv"_s, u"--help"_s} << u"/a.twv"_s << QStringList{u"--help"_s}
            << false << false;
    }

    void split()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, fileToOpen);
        QFETCH(QStringList, rest);
        QFETCH(bool, help);
        QFETCH(bool, version);
        const StartupArguments parsed = splitArguments(args);
        QCOMPARE(parsed.fileToOpen, fileToOpen);
        QCOMPARE(parsed.rest, rest);
        QCOMPARE(parsed.showHelp, help);
        QCOMPARE(parsed.showVersion, version);
    }

    void splitNormalizesExistingFile()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytes(dir.filePath(u"a.twv"_s), "x"));
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        const StartupArguments parsed = splitArguments({u"a.twv"_s, u"b.twv"_s});
        QDir::setCurrent(previous);
        QCOMPARE(parsed.fileToOpen, QDir(dir.path()).absoluteFilePath(u"a.twv"_s));
        QCOMPARE(parsed.rest, QStringList{u"b.twv"_s}); // the new instance resolves its own
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
