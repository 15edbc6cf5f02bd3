#include "core/path_parts.h"
#include "support/test_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tw;
using namespace tw::test;
using namespace Qt::StringLiterals;

class TestPathParts : public QObject {
    Q_OBJECT

private slots:
    // Parts computed from the text alone; the files need not exist.
    void textParts_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("part");
        QTest::addColumn<QString>("expected");

        const int folder = int(PathPart::FolderPath);
        QTest::newRow("folder of a bare name") << u"access_log"_s << folder << QString();
        QTest::newRow("folder keeps its final slash")
            << u"/logs/access_log"_s << folder << u"/logs/"_s;
        QTest::newRow("folder of a folder path") << u"/logs/"_s << folder << u"/logs/"_s;
        QTest::newRow("folder of a relative path") << u"a/b.twv"_s << folder << u"a/"_s;

        const int root = int(PathPart::DriveRoot);
        QTest::newRow("root of an absolute path") << u"/logs/a"_s << root << u"/"_s;
        QTest::newRow("no root for a relative path") << u"logs/a"_s << root << QString();
        QTest::newRow("no root for a bare name") << u"a"_s << root << QString();

        const int depth = int(PathPart::FolderDepth);
        QTest::newRow("depth with two slashes") << u"/logs/access_log"_s << depth << u"1"_s;
        QTest::newRow("depth with one slash") << u"/access_log"_s << depth << u"0"_s;
        QTest::newRow("depth without slash") << u"access_log"_s << depth << QString();
        QTest::newRow("depth of a deep path") << u"/a/b/c/d/e"_s << depth << u"4"_s;

        const int ext = int(PathPart::Extension);
        QTest::newRow("extension") << u"/logs/a.b.twv"_s << ext << u"twv"_s;
        QTest::newRow("no extension") << u"/logs/access_log"_s << ext << QString();
        QTest::newRow("dot in a folder is no extension")
            << u"/logs.d/access_log"_s << ext << QString();
        QTest::newRow("trailing dot") << u"/logs/a."_s << ext << QString();

        const int last = int(PathPart::LastComponent);
        QTest::newRow("last of a folder path") << u"/logs/"_s << last << QString();
        QTest::newRow("last of a bare name") << u"access_log"_s << last << u"access_log"_s;
        QTest::newRow("last of a path") << u"/logs/表.twv"_s << last << u"表.twv"_s;

        QTest::newRow("unknown selector") << u"/logs/a.twv"_s << 8 << QString();
        QTest::newRow("negative selector") << u"/logs/a.twv"_s << -1 << QString();
    }

    void textParts()
    {
        QFETCH(QString, path);
        QFETCH(int, part);
        QFETCH(QString, expected);
        QCOMPARE(getPathPart(path, part), expected);
    }

    // Parts that ask the file system: the file must exist, and a folder is not a file.
    void fileParts_data()
    {
        QTest::addColumn<QString>("relative"); // inside a fresh folder named "logs"
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<QString>("parent");

        QTest::newRow("no extension")
            << u"access_log"_s << u"access_log"_s << u"access_log"_s << u"logs"_s;
        QTest::newRow("two dots") << u"a.b.twv"_s << u"a.b.twv"_s << u"a.b"_s << u"logs"_s;
        QTest::newRow("Japanese name") << u"ログ.TWV"_s << u"ログ.TWV"_s << u"ログ"_s << u"logs"_s;
        QTest::newRow("missing file") << u"-missing.twv"_s << QString() << QString() << QString();
        QTest::newRow("folder") << u"-sub.d"_s << QString() << QString() << QString();
    }

    void fileParts()
    {
        QFETCH(QString, relative);
        QFETCH(QString, fileName);
        QFETCH(QString, baseName);
        QFETCH(QString, parent);
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"logs"_s);
        QVERIFY(QDir().mkdir(folder));
        QString name = relative;
        if (name == u"-sub.d"_s) {
            name = u"sub.d"_s;
            QVERIFY(QDir().mkdir(folder + u'/' + name));
        } else if (name.startsWith(u'-')) {
            name = name.mid(1);
        } else {
            QVERIFY(writeBytes(folder + u'/' + name, "x"));
        }
        const QString path = folder + u'/' + name;
        QCOMPARE(getPathPart(path, PathPart::FileName), fileName);
        QCOMPARE(getPathPart(path, PathPart::BaseName), baseName);
        QCOMPARE(getPathPart(path, PathPart::ParentFolderName), parent);
    }

    void relativePathOfExistingFile()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytes(dir.filePath(u"a.twv"_s), "x"));
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        const QString name = getPathPart(u"a.twv"_s, PathPart::FileName);
        const QString parent = getPathPart(u"a.twv"_s, PathPart::ParentFolderName);
        QDir::setCurrent(previous);
        QCOMPARE(name, u"a.twv"_s);
        QCOMPARE(parent, QDir(dir.path()).dirName());
    }
};

QTEST_GUILESS_MAIN(TestPathParts)
#include "tst_path_parts.moc"
