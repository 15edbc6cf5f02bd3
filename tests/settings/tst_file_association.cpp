#include "settings/file_association.h"
#include "support/size_limit.h"
#include "support/test_files.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace tw;
using namespace Qt::StringLiterals;

namespace {

struct Rig {
    Rig()
        : association({dir.filePath(u"data"_s), dir.filePath(u"config"_s)},
                      u"/opt/Tally Weaver/bin/tallyweaver"_s, false)
    {
    }
    QString mimeApps() const
    {
        return QString::fromUtf8(test::readBytes(association.mimeAppsPath()));
    }
    void setMimeApps(const char* text) const
    {
        QDir().mkpath(dir.filePath(u"config"_s));
        QVERIFY(test::writeBytes(association.mimeAppsPath(), text));
    }

    QTemporaryDir dir;
    ListFileAssociation association;
};

} // namespace

class TestFileAssociation : public QObject {
    Q_OBJECT

private slots:
    void associateWritesThreeEntries();
    void associatedExactlyWhenDefaultNamesUs_data();
    void associatedExactlyWhenDefaultNamesUs();
    void secondAssociateWritesNothing();
    void anotherDefaultIsReplacedAndOtherLinesKept();
    void removeTakesOurEntriesAway();
    void removeWithoutEntriesIsHarmless();
    void cutShortWritesLeaveEachFileWholeOrAsItWas();
    void execLineQuotesTheProgram_data();
    void execLineQuotesTheProgram();
    void perUserFilesMatchTheInstalledOnes();
    void installedEntryIsNamedNotHidden_data();
    void installedEntryIsNamedNotHidden();
    void oldNamesGiveWay();
};

void TestFileAssociation::associateWritesThreeEntries()
{
    Rig rig;
    QVERIFY(!rig.association.isListFileAssociated());
    rig.association.setListFileAssociation(1);
    QVERIFY(rig.association.isListFileAssociated());

    const QString mime = QString::fromUtf8(test::readBytes(rig.association.mimePackagePath()));
    QVERIFY(mime.contains(u"<mime-type type=\"application/x-tallyweaver-list\">"_s));
    QVERIFY(mime.contains(u"<glob pattern=\"*.twv\"/>"_s));
    QVERIFY(rig.association.mimePackagePath().endsWith(
        u"data/mime/packages/org.example.tallyweaver.xml"_s));

    const QString desktop = QString::fromUtf8(test::readBytes(rig.association.desktopEntryPath()));
    QVERIFY(rig.association.desktopEntryPath().endsWith(
        u"data/applications/org.example.tallyweaver.desktop"_s));
    QVERIFY(desktop.startsWith(u"[Desktop Entry]\n"_s));
    QVERIFY(desktop.contains(u"\nExec=\"/opt/Tally Weaver/bin/tallyweaver\" %f\n"_s));
    QVERIFY(desktop.contains(u"\nMimeType=application/x-tallyweaver-list;\n"_s));

    QVERIFY(rig.mimeApps().contains(
        u"[Default Applications]\napplication/x-tallyweaver-list=org.example.tallyweaver.desktop;\n"_s));
}

void TestFileAssociation::associatedExactlyWhenDefaultNamesUs_data()
{
    QTest::addColumn<QByteArray>("mimeApps");
    QTest::addColumn<bool>("associated");
    QTest::newRow("ours")
        << QByteArray(
               "[Default "
               "Applications]\napplication/x-tallyweaver-list=org.example.tallyweaver.desktop\n")
        << true;
    QTest::newRow("ours first of two")
        << QByteArray("[Default "
                      "Applications]\napplication/"
                      "x-tallyweaver-list=org.example.tallyweaver.desktop;other.desktop;\n")
        << true;
    QTest::newRow("another first")
        << QByteArray("[Default "
                      "Applications]\napplication/"
                      "x-tallyweaver-list=other.desktop;org.example.tallyweaver.desktop;\n")
        << false;
    QTest::newRow("only added")
        << QByteArray(
               "[Added "
               "Associations]\napplication/x-tallyweaver-list=org.example.tallyweaver.desktop;\n")
        << false;
    QTest::newRow("other type")
        << QByteArray("[Default Applications]\ntext/plain=org.example.tallyweaver.desktop;\n")
        << false;
    QTest::newRow("case differs")
        << QByteArray(
               "[Default "
               "Applications]\napplication/x-tallyweaver-list=org.example.Tallyweaver.desktop;\n")
        << false;
    QTest::newRow("empty file") << QByteArray() << false;
}

void TestFileAssociation::associatedExactlyWhenDefaultNamesUs()
{
    QFETCH(QByteArray, mimeApps);
    QFETCH(bool, associated);
    Rig rig;
    rig.setMimeApps(mimeApps.constData());
    QCOMPARE(rig.association.isListFileAssociated(), associated);
}

void TestFileAssociation::secondAssociateWritesNothing()
{
    Rig rig;
    rig.association.setListFileAssociation(1);
    // Mark every file: an untouched marker proves that nothing was written again.
    for (const QString& path :
         {rig.association.mimePackagePath(), rig.association.desktopEntryPath()})
        QVERIFY(test::writeBytes(path, "marker"));
    const QByteArray mimeApps = test::readBytes(rig.association.mimeAppsPath());
    rig.association.setListFileAssociation(1);
    QCOMPARE(test::readBytes(rig.association.mimePackagePath()), QByteArray("marker"));
    QCOMPARE(test::readBytes(rig.association.desktopEntryPath()), QByteArray("marker"));
    QCOMPARE(test::readBytes(rig.association.mimeAppsPath()), mimeApps);
}

void TestFileAssociation::anotherDefaultIsReplacedAndOtherLinesKept()
{
    Rig rig;
    rig.setMimeApps("# user's file\n[Default Applications]\ntext/html=browser.desktop;\n"
                    "application/x-tallyweaver-list=other.desktop;\n\n"
                    "[Added Associations]\ntext/plain=editor.desktop;\n");
    rig.association.setListFileAssociation(1);
    QVERIFY(rig.association.isListFileAssociated());
    QCOMPARE(rig.mimeApps(), u"# user's file\n[Default Applications]\ntext/html=browser.desktop;\n"
                             "application/x-tallyweaver-list=org.example.tallyweaver.desktop;\n\n"
                             "[Added Associations]\ntext/plain=editor.desktop;\n"_s);
}

void TestFileAssociation::removeTakesOurEntriesAway()
{
    Rig rig;
    rig.setMimeApps("[Default Applications]\ntext/html=browser.desktop;\n");
    rig.association.setListFileAssociation(1);
    rig.association.setListFileAssociation(0);
    QVERIFY(!rig.association.isListFileAssociated());
    QVERIFY(!QFile::exists(rig.association.mimePackagePath()));
    QVERIFY(!QFile::exists(rig.association.desktopEntryPath()));
    QCOMPARE(rig.mimeApps(), u"[Default Applications]\ntext/html=browser.desktop;\n"_s);
}

void TestFileAssociation::removeWithoutEntriesIsHarmless()
{
    Rig rig;
    rig.association.setListFileAssociation(0);
    QVERIFY(!QFile::exists(rig.association.mimeAppsPath())); // nothing created
    rig.setMimeApps("[Default Applications]\napplication/x-tallyweaver-list=other.desktop;\n"
                    "text/html=browser.desktop;\n");
    rig.association.setListFileAssociation(0);
    QCOMPARE(rig.mimeApps(), u"[Default Applications]\ntext/html=browser.desktop;\n"_s);

    // Our name among the added handlers goes too; a section left empty goes with it.
    rig.setMimeApps(
        "[Default Applications]\ntext/html=browser.desktop;\n\n"
        "[Added Associations]\napplication/x-tallyweaver-list=org.example.tallyweaver.desktop;\n"
        "[Removed Associations]\ntext/plain=x.desktop;\n");
    rig.association.setListFileAssociation(0);
    QCOMPARE(rig.mimeApps(), u"[Default Applications]\ntext/html=browser.desktop;\n"
                             "[Removed Associations]\ntext/plain=x.desktop;\n"_s);
}

namespace {

// Every file under folder by its path relative to folder.
QHash<QString, QByteArray> filesUnder(const QString& folder)
{
    QHash<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), test::readBytes(path));
    }
    return files;
}

} // namespace

// A device that takes part of a write and then no more, at any byte: each file is either as
// it was or complete, and nothing else is left.
void TestFileAssociation::cutShortWritesLeaveEachFileWholeOrAsItWas()
{
    const char* const userFile = "[Default Applications]\ntext/html=browser.desktop;\n";
    Rig reference;
    reference.setMimeApps(userFile);
    const QHash<QString, QByteArray> before = filesUnder(reference.dir.path());
    reference.association.setListFileAssociation(1);
    const QHash<QString, QByteArray> whole = filesUnder(reference.dir.path());
    qint64 largest = 0;
    for (const QByteArray& bytes : whole)
        largest = std::max(largest, qint64(bytes.size()));

    for (const qint64 cut : test::limitsBelow(largest)) {
        Rig rig;
        rig.setMimeApps(userFile);
        {
            const test::FileSizeLimit limit(cut);
            rig.association.setListFileAssociation(1);
        }
        const QHash<QString, QByteArray> after = filesUnder(rig.dir.path());
        for (auto it = after.cbegin(); it != after.cend(); ++it) {
            QVERIFY2(it.value() == whole.value(it.key()) ||
                         (before.contains(it.key()) && it.value() == before.value(it.key())),
                     qPrintable(u"cut at %1: %2"_s.arg(cut).arg(it.key())));
        }
        QVERIFY(after.contains(u"config/mimeapps.list"_s));
    }
}

void TestFileAssociation::execLineQuotesTheProgram_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("exec");
    QTest::newRow("plain") << u"/usr/bin/tallyweaver"_s << u"\"/usr/bin/tallyweaver\" %f"_s;
    QTest::newRow("space") << u"/opt/a b/tw"_s << u"\"/opt/a b/tw\" %f"_s;
    QTest::newRow("quote and dollar") << u"/opt/a\"$b/tw"_s << u"\"/opt/a\\\\\"\\\\$b/tw\" %f"_s;
    QTest::newRow("backslash") << u"/opt/a\\b/tw"_s << u"\"/opt/a\\\\\\\\b/tw\" %f"_s;
    QTest::newRow("percent") << u"/opt/100%/tw"_s << u"\"/opt/100%%/tw\" %f"_s;
}

void TestFileAssociation::execLineQuotesTheProgram()
{
    QFETCH(QString, program);
    QFETCH(QString, exec);
    QCOMPARE(desktopExecLine(program), exec);
}

void TestFileAssociation::perUserFilesMatchTheInstalledOnes()
{
    const QString folder = test::sourcePath(u"resources/desktop/"_s);
    const QString id = ListFileAssociation::applicationId();
    QCOMPARE(ListFileAssociation::mimePackageText(),
             QString::fromUtf8(test::readBytes(folder + id + u".xml"_s)));

    // The installed entry finds the program on the PATH (and hides itself without it).
    QString installed = QString::fromUtf8(test::readBytes(folder + id + u".desktop"_s));
    installed.remove(QRegularExpression(u"^TryExec=.*\n"_s, QRegularExpression::MultilineOption));
    installed.replace(u"\nExec=tallyweaver %f\n"_s, u"\nExec=\"/opt/tw/tallyweaver\" %f\n"_s);
    QCOMPARE(ListFileAssociation::desktopEntryText(u"/opt/tw/tallyweaver"_s), installed);

    const QString metainfo =
        QString::fromUtf8(test::readBytes(folder + id + u".metainfo.xml.in"_s));
    QVERIFY(metainfo.contains(u"<id>"_s + id + u"</id>"_s));
    QVERIFY(metainfo.contains(u"<launchable type=\"desktop-id\">"_s +
                              ListFileAssociation::desktopEntryName() + u"</launchable>"_s));
    QVERIFY(metainfo.contains(u"<mediatype>"_s + ListFileAssociation::mimeType()));
    QVERIFY(QFile::exists(
        test::sourcePath(u"resources/icons/hicolor/scalable/apps/"_s + id + u".svg"_s)));
}

void TestFileAssociation::installedEntryIsNamedNotHidden_data()
{
    // perUserEntry: what the user's data folder holds at our desktop entry's path after
    // associating: nothing, a copy naming the program, or the installed file itself.
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<bool>("desktopSeesPrefix");
    QTest::addColumn<QString>("perUserEntry");
    QTest::newRow("prefix the desktop sees") << u"usr"_s << true << QString();
    QTest::newRow("prefix the desktop does not see") << u"opt"_s << false << u"copy"_s;
    QTest::newRow("installed into the user's data folder")
        << u"home/.local"_s << false << u"installed"_s;
}

void TestFileAssociation::installedEntryIsNamedNotHidden()
{
    QFETCH(QString, prefix);
    QFETCH(bool, desktopSeesPrefix);
    QFETCH(QString, perUserEntry);
    QTemporaryDir dir;
    const QString id = ListFileAssociation::applicationId();
    const QString share = dir.filePath(prefix + u"/share"_s);
    const QString installedEntry = share + u"/applications/"_s + id + u".desktop"_s;
    const QString installedPackage = share + u"/mime/packages/"_s + id + u".xml"_s;
    for (const QString& path : {installedEntry, installedPackage}) {
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QVERIFY(test::writeBytes(path, "installed"));
    }
    const XdgFolders folders{dir.filePath(u"home/.local/share"_s), dir.filePath(u"config"_s),
                             desktopSeesPrefix ? QStringList{share} : QStringList{}};
    ListFileAssociation association(folders, dir.filePath(prefix + u"/bin/tallyweaver"_s), false);
    // A copy left from before the install.
    if (perUserEntry != u"installed") {
        QVERIFY(QDir().mkpath(QFileInfo(association.desktopEntryPath()).path()));
        QVERIFY(test::writeBytes(association.desktopEntryPath(), "stale"));
    }

    association.setListFileAssociation(1);
    QVERIFY(association.isListFileAssociated());
    const QString entry = QString::fromUtf8(test::readBytes(association.desktopEntryPath()));
    if (perUserEntry.isEmpty()) {
        QVERIFY(!QFile::exists(association.desktopEntryPath()));
        QVERIFY(!QFile::exists(association.mimePackagePath()));
    } else if (perUserEntry == u"copy") {
        QVERIFY(entry.contains(u"\nExec=\""_s + dir.filePath(prefix + u"/bin/tallyweaver\" %f"_s)));
    } else {
        QCOMPARE(association.desktopEntryPath(), installedEntry);
        QCOMPARE(entry, u"installed"_s);
    }

    association.setListFileAssociation(0);
    QVERIFY(!association.isListFileAssociated());
    QCOMPARE(test::readBytes(installedEntry), QByteArray("installed"));
    QCOMPARE(test::readBytes(installedPackage), QByteArray("installed"));
}

void TestFileAssociation::oldNamesGiveWay()
{
    Rig rig;
    const QString data = rig.dir.filePath(u"data"_s);
    for (const QString& path : {data + u"/applications/tallyweaver.desktop"_s,
                                data + u"/mime/packages/tallyweaver-twv.xml"_s}) {
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QVERIFY(test::writeBytes(path, "old"));
    }
    rig.setMimeApps("[Default Applications]\napplication/x-tallyweaver-list=tallyweaver.desktop;\n"
                    "[Added Associations]\napplication/x-tallyweaver-list=tallyweaver.desktop;\n");
    QVERIFY(!rig.association.isListFileAssociated());

    rig.association.setListFileAssociation(1);
    QVERIFY(rig.association.isListFileAssociated());
    QVERIFY(!QFile::exists(data + u"/applications/tallyweaver.desktop"_s));
    QVERIFY(!QFile::exists(data + u"/mime/packages/tallyweaver-twv.xml"_s));

    rig.association.setListFileAssociation(0);
    QVERIFY(!rig.mimeApps().contains(u"tallyweaver"_s));
}

QTEST_GUILESS_MAIN(TestFileAssociation)
#include "tst_file_association.moc"
