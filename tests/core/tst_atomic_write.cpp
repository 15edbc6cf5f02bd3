#include "core/atomic_write.h"
#include "core/list_writers.h"
#include "support/log_rows.h"
#include "support/size_limit.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace tw;
using namespace tw::test;
using namespace Qt::StringLiterals;

namespace {

constexpr uid_t kStranger = 65534;

// Saves through both ways into a file: the list writer and the whole-text writer.
bool saveBoth(const QString& path, QString* error)
{
    LogList list;
    appendRows(list, {{u"Mozilla/4.0"_s, u"h.example.jp"_s}});
    return saveListFile(path, list, error) | writeFileAtomically(path, "text\r\n", error);
}

struct stat statOf(const QString& path)
{
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}

} // namespace

class TestAtomicWrite : public QObject {
    Q_OBJECT

private slots:
    // Renaming over a device node or a FIFO would replace it with a regular file (as root even
    // /dev/null); a folder cannot be replaced at all.
    void targetsThatAreNoRegularFileAreRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("throughLink");
        for (const QString& kind : {u"fifo"_s, u"folder"_s, u"device"_s}) {
            QTest::addRow("%s", qPrintable(kind)) << kind << false;
            QTest::addRow("link to %s", qPrintable(kind)) << kind << true;
        }
    }
    void targetsThatAreNoRegularFileAreRefused()
    {
        QFETCH(QString, kind);
        QFETCH(bool, throughLink);
        QTemporaryDir dir;
        const QString node = dir.filePath(u"node"_s);
        const QByteArray name = QFile::encodeName(node);
        if (kind == u"fifo") {
            QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        } else if (kind == u"folder") {
            QCOMPARE(::mkdir(name.constData(), 0700), 0);
        } else if (::mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
            QSKIP("cannot make a device node here (needs root)");
        }
        QString target = node;
        if (throughLink) {
            target = dir.filePath(u"link"_s);
            QVERIFY(QFile::link(u"node"_s, target));
        }
        const struct stat before = statOf(node);
        QString error;
        QVERIFY(!saveBoth(target, &error));
        QVERIFY(!error.isEmpty());
        const struct stat after = statOf(node);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_rdev, before.st_rdev);
        QCOMPARE(after.st_ino, before.st_ino);
        if (throughLink)
            QVERIFY(S_ISLNK(statOf(target).st_mode));
        const QStringList left =
            QDir(dir.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                           QDir::Name);
        const QStringList expected =
            throughLink ? QStringList{u"link"_s, u"node"_s} : QStringList{u"node"_s};
        QCOMPARE(left, expected);
    }

    // The kernel follows a link in a sticky, world-writable folder (like /tmp) only when it is
    // the follower's or the folder owner's; the save applies the same rule, as it resolves the
    // link itself. Anywhere else, and for such links, the file the link points at is saved.
    void linksInSharedFolders_data()
    {
        QTest::addColumn<bool>("sticky");
        QTest::addColumn<uint>("linkOwner");
        QTest::addColumn<uint>("folderOwner");
        QTest::addColumn<bool>("followed");
        const uint me = ::geteuid();
        QTest::newRow("own link in a sticky folder") << true << me << me << true;
        QTest::newRow("stranger's link in a sticky folder")
            << true << uint(kStranger) << me << false;
        QTest::newRow("folder owner's link") << true << uint(kStranger) << uint(kStranger) << true;
        QTest::newRow("stranger's link in a plain shared folder")
            << false << uint(kStranger) << me << true;
    }
    void linksInSharedFolders()
    {
        QFETCH(bool, sticky);
        QFETCH(uint, linkOwner);
        QFETCH(uint, folderOwner);
        QFETCH(bool, followed);
        QTemporaryDir dir;
        const QString shared = dir.filePath(u"shared"_s);
        const QString victim = dir.filePath(u"victim.twv"_s);
        const QString link = shared + u"/out.twv"_s;
        QVERIFY(writeBytes(victim, "victim\r\n"));
        QCOMPARE(::mkdir(QFile::encodeName(shared).constData(), 0700), 0);
        QCOMPARE(::chmod(QFile::encodeName(shared).constData(), sticky ? 01777 : 0777), 0);
        QVERIFY(QFile::link(victim, link));
        if ((linkOwner != ::geteuid() || folderOwner != ::geteuid()) &&
            (::lchown(QFile::encodeName(link).constData(), linkOwner, gid_t(-1)) != 0 ||
             ::chown(QFile::encodeName(shared).constData(), folderOwner, gid_t(-1)) != 0))
            QSKIP("cannot give files to another user here (needs root)");

        QString error;
        QCOMPARE(saveBoth(link, &error), followed);
        QVERIFY(S_ISLNK(statOf(link).st_mode));
        QCOMPARE(readBytes(victim), followed ? QByteArray("text\r\n") : QByteArray("victim\r\n"));
        QCOMPARE(filesIn(shared), QStringList{u"out.twv"_s});
    }

    void replacedFileKeepsItsPermissions()
    {
        QTemporaryDir dir;
        const QString old = dir.filePath(u"old.txt"_s);
        QVERIFY(writeBytes(old, "old"));
        QVERIFY(
            QFile::setPermissions(old, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        QVERIFY(writeFileAtomically(old, "new"));
        QCOMPARE(statOf(old).st_mode & 07777, mode_t(0640));

        const mode_t mask = ::umask(027);
        const QString fresh = dir.filePath(u"new.txt"_s);
        const bool written = writeFileAtomically(fresh, "new");
        ::umask(mask);
        QVERIFY(written);
        QCOMPARE(statOf(fresh).st_mode & 07777, mode_t(0640));
    }
};

QTEST_GUILESS_MAIN(TestAtomicWrite)
#include "tst_atomic_write.moc"
