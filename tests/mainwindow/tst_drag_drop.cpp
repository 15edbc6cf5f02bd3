#include "mainwindow/drag_drop.h"
#include "support/test_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tw;
using namespace Qt::StringLiterals;

class TestDragDrop : public QObject {
    Q_OBJECT

private slots:
    void droppedFilePaths_data();
    void droppedFilePaths();
    void splitDroppedFiles_data();
    void splitDroppedFiles();
    void draggableAddress_data();
    void draggableAddress();
    void shortcutFileName_data();
    void shortcutFileName();
    void shortcutBytes_data();
    void shortcutBytes();
    void shortcutFileIsWrittenOrRefused();
    void shortcutFolderIsPrivateAndGoesWithItsOwner();
};

void TestDragDrop::droppedFilePaths_data()
{
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<QStringList>("paths");
    const QUrl a = QUrl::fromLocalFile(u"/logs/a.twv"_s);
    const QUrl spaced = QUrl::fromLocalFile(u"/my logs/ログ.twv"_s);
    const QUrl web(u"http://example.com/a.twv"_s);
    QTest::newRow("nothing") << QList<QUrl>{} << QStringList{};
    QTest::newRow("one file") << QList<QUrl>{a} << QStringList{u"/logs/a.twv"_s};
    QTest::newRow("order kept, space and kana")
        << QList<QUrl>{spaced, a} << QStringList{u"/my logs/ログ.twv"_s, u"/logs/a.twv"_s};
    QTest::newRow("a link is no file") << QList<QUrl>{web} << QStringList{};
    QTest::newRow("links among files are left out")
        << QList<QUrl>{web, a} << QStringList{u"/logs/a.twv"_s};
}

void TestDragDrop::droppedFilePaths()
{
    QFETCH(QList<QUrl>, urls);
    QFETCH(QStringList, paths);
    QCOMPARE(tw::droppedFilePaths(urls), paths);
}

void TestDragDrop::splitDroppedFiles_data()
{
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<QString>("open");
    QTest::addColumn<QStringList>("rest");
    QTest::newRow("none") << QStringList{} << QString() << QStringList{};
    QTest::newRow("one") << QStringList{u"/a"_s} << u"/a"_s << QStringList{};
    QTest::newRow("three") << QStringList{u"/a"_s, u"/b c"_s, u"/d"_s} << u"/a"_s
                           << QStringList{u"/b c"_s, u"/d"_s};
}

void TestDragDrop::splitDroppedFiles()
{
    QFETCH(QStringList, paths);
    QFETCH(QString, open);
    QFETCH(QStringList, rest);
    const DroppedFiles files = tw::splitDroppedFiles(paths);
    QCOMPARE(files.open, open);
    QCOMPARE(files.forNewInstance, rest);
}

void TestDragDrop::draggableAddress_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("draggable");
    QTest::newRow("web page") << u"http://www.example.com/a/b.html"_s << true;
    QTest::newRow("secure page") << u"https://example.com/"_s << true;
    QTest::newRow("hyphen") << u"-"_s << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("scheme only") << u"http://"_s << false;
    QTest::newRow("upper case lacks http") << u"HTTP://EXAMPLE.COM/"_s << false;
    QTest::newRow("mail address") << u"mailto:http@example.com"_s << false;
    QTest::newRow("http inside another scheme") << u"javascript:alert('http://x')"_s << false;
    QTest::newRow("file url") << u"file:///etc/http.conf"_s << false;
}

void TestDragDrop::draggableAddress()
{
    QFETCH(QString, page);
    QFETCH(bool, draggable);
    QCOMPARE(isDraggableRowAddress(page), draggable);
}

void TestDragDrop::shortcutFileName_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("name");
    QTest::newRow("host and path")
        << u"http://www.example.com/a/b.html"_s << u"www.example.com.url"_s;
    QTest::newRow("host only") << u"http://example.com"_s << u"example.com.url"_s;
    QTest::newRow("port") << u"http://example.com:8080/"_s << u"example.com:8080.url"_s;
    QTest::newRow("query without path") << u"https://example.com?q=1"_s << u"example.com?q=1.url"_s;
    QTest::newRow("empty host") << u"http:///index.html"_s << fallbackShortcutFileName();
    QTest::newRow("dot host") << u"http://../x"_s << fallbackShortcutFileName();
    QTest::newRow("control characters") << u"http://a\tb/"_s << u"a_b.url"_s;
    QTest::newRow("backslash") << u"http://a\\..\\b/"_s << u"a_.._b.url"_s;
    QTest::newRow("too long for a name")
        << u"http://"_s + QString(300, u'h') + u"/"_s << fallbackShortcutFileName();
}

void TestDragDrop::shortcutFileName()
{
    QFETCH(QString, page);
    QFETCH(QString, name);
    QCOMPARE(tw::shortcutFileName(page), name);
    QVERIFY(!name.contains(u'/'));
}

void TestDragDrop::shortcutBytes_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("plain") << u"http://www.example.com/a"_s
                           << QByteArray("[InternetShortcut]\r\nURL=http://www.example.com/a\r\n");
    QTest::newRow("CP932 text") << u"http://example.com/表?ソ"_s
                                << QByteArray("[InternetShortcut]\r\nURL=") +
                                       test::sjis("http://example.com/表?ソ") + "\r\n";
    QTest::newRow("line breaks stay in one line")
        << u"http://example.com/a\r\nIconFile=x"_s
        << QByteArray("[InternetShortcut]\r\nURL=http://example.com/a  IconFile=x\r\n");
}

void TestDragDrop::shortcutBytes()
{
    QFETCH(QString, page);
    QFETCH(QByteArray, bytes);
    QCOMPARE(internetShortcutBytes(page), bytes);
}

void TestDragDrop::shortcutFileIsWrittenOrRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"example.com.url"_s);
    // A longer earlier file is overwritten completely.
    QVERIFY(test::writeBytes(path, QByteArray(200, 'x')));
    QVERIFY(writeInternetShortcut(path, u"http://example.com/"_s));
    QCOMPARE(test::readBytes(path),
             QByteArray("[InternetShortcut]\r\nURL=http://example.com/\r\n"));

    QVERIFY(!writeInternetShortcut(dir.filePath(u"missing/example.com.url"_s),
                                   u"http://example.com/"_s));
    QVERIFY(!QFileInfo::exists(dir.filePath(u"missing"_s)));

    // A link at the shortcut's place is replaced, not written through.
    const QString victim = dir.filePath(u"victim"_s);
    QVERIFY(test::writeBytes(victim, "keep"));
    const QString linked = dir.filePath(u"linked.example.com.url"_s);
    QVERIFY(QFile::link(victim, linked));
    QVERIFY(writeInternetShortcut(linked, u"http://linked.example.com/"_s));
    QCOMPARE(test::readBytes(victim), QByteArray("keep"));
    QVERIFY(!QFileInfo(linked).isSymLink());
    QCOMPARE(test::readBytes(linked),
             QByteArray("[InternetShortcut]\r\nURL=http://linked.example.com/\r\n"));
}

void TestDragDrop::shortcutFolderIsPrivateAndGoesWithItsOwner()
{
    QTemporaryDir temp;
    QString folder;
    QString path;
    {
        ShortcutFolder shortcuts;
        QVERIFY(shortcuts.path().isEmpty());
        path = shortcuts.write(temp.path(), u"http://www.example.com/a/b.html"_s);
        QVERIFY(!path.isEmpty());
        folder = shortcuts.path();
        QCOMPARE(QFileInfo(path).fileName(), u"www.example.com.url"_s);
        QCOMPARE(QFileInfo(path).absolutePath(), folder);
        QCOMPARE(QFileInfo(folder).absolutePath(), QFileInfo(temp.path()).absoluteFilePath());
        QCOMPARE(QFileInfo(folder).permissions() &
                     (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                      QFile::WriteOther | QFile::ExeOther),
                 QFile::Permissions());
        // The same host again overwrites its own shortcut in the same folder.
        QCOMPARE(shortcuts.write(temp.path(), u"http://www.example.com/c"_s), path);
        QCOMPARE(test::readBytes(path),
                 QByteArray("[InternetShortcut]\r\nURL=http://www.example.com/c\r\n"));
        QVERIFY(shortcuts.write(temp.filePath(u"missing"_s), u"http://example.com/"_s).isEmpty());
    }
    QVERIFY(!QFileInfo::exists(folder));
}

QTEST_GUILESS_MAIN(TestDragDrop)
#include "tst_drag_drop.moc"
