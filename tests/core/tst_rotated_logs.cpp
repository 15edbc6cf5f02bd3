#include "core/rotated_logs.h"
#include "support/test_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tw;
using namespace Qt::StringLiterals;

class TestRotatedLogs : public QObject {
    Q_OBJECT

    // A fresh folder holding empty files of the given names; folders for names ending in "/".
    static QString folderWith(QTemporaryDir& dir, const QStringList& names)
    {
        for (const QString& name : names) {
            if (name.endsWith(u'/'))
                QDir(dir.path()).mkpath(name);
            else if (!test::writeBytes(dir.filePath(name), "x"))
                qFatal("cannot write the test file");
        }
        return dir.path() + u'/';
    }

private slots:
    void set_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QStringList>("expected");
        const QStringList numbered = {u"access.log"_s, u"access.log.1"_s, u"access.log.2.gz"_s,
                                      u"access.log.10.gz"_s, u"access.log.3.gz"_s};
        const QStringList numberedOrder = {u"access.log.10.gz"_s, u"access.log.3.gz"_s,
                                           u"access.log.2.gz"_s, u"access.log.1"_s,
                                           u"access.log"_s};
        // Any member opens the whole set; 10 is older than 3 (numbers, not text); gaps are fine.
        for (const QString& opened : numbered)
            QTest::newRow(qPrintable(opened)) << numbered << opened << numberedOrder;
        QTest::newRow("other logs stay out")
            << QStringList{u"access.log"_s,          u"access.log.1"_s,   u"error.log.1"_s,
                           u"access.log.bak"_s,      u"access.log.gz"_s,  u"xaccess.log.1"_s,
                           u"access.log.1.gz.tmp"_s, u"access.log.x.1"_s, u"access.log.2/"_s,
                           u"access.log-2026.gz"_s}
            << u"access.log"_s << QStringList{u"access.log.1"_s, u"access.log"_s};
        QTest::newRow("plain copy wins over its .gz")
            << QStringList{u"access.log"_s, u"access.log.1"_s, u"access.log.1.gz"_s,
                           u"access.log.2.gz"_s}
            << u"access.log.1.gz"_s
            << QStringList{u"access.log.2.gz"_s, u"access.log.1"_s, u"access.log"_s};
        QTest::newRow("dated copies by date, before numbered ones")
            << QStringList{u"access.log"_s, u"access.log-20261201.gz"_s, u"access.log-20251231"_s,
                           u"access.log-20261130.gz"_s, u"access.log.1"_s}
            << u"access.log-20261130.gz"_s
            << QStringList{u"access.log-20251231"_s, u"access.log-20261130.gz"_s,
                           u"access.log-20261201.gz"_s, u"access.log.1"_s, u"access.log"_s};
        QTest::newRow("live log gone")
            << QStringList{u"access.log.2.gz"_s, u"access.log.1"_s} << u"access.log.1"_s
            << QStringList{u"access.log.2.gz"_s, u"access.log.1"_s};
        QTest::newRow("set of one") << QStringList{u"site.log"_s, u"other.log.1"_s} << u"site.log"_s
                                    << QStringList{u"site.log"_s};
        QTest::newRow("missing file")
            << QStringList{u"other.log"_s} << u"site.log"_s << QStringList{};
        const QString odd = u"a[1]+(b)*.log$^?{2}|\\ é"_s;
        QTest::newRow("characters special to patterns")
            << QStringList{odd, odd + u".1"_s, odd + u".2.gz"_s, u"a1.log.1"_s,
                           u"a[1]+(b)*Xlog$^?{2}|\\ é.1"_s}
            << odd << QStringList{odd + u".2.gz"_s, odd + u".1"_s, odd};
        QTest::newRow("hidden log") << QStringList{u".log"_s, u".log.1"_s, u"log.2"_s} << u".log"_s
                                    << QStringList{u".log.1"_s, u".log"_s};
    }
    void set()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, opened);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        const QString folder = folderWith(dir, files);
        for (QString& path : expected)
            path.prepend(folder);
        QCOMPARE(rotatedSet(folder + opened), expected);
    }

    // Paths come back spelled as given: a relative name gives relative names.
    void relativePath()
    {
        QTemporaryDir dir;
        folderWith(dir, {u"access.log"_s, u"access.log.1"_s});
        const QString before = QDir::currentPath();
        QDir::setCurrent(dir.path());
        const QStringList set = rotatedSet(u"access.log"_s);
        QDir::setCurrent(before);
        QCOMPARE(set, (QStringList{u"access.log.1"_s, u"access.log"_s}));
    }
};

QTEST_GUILESS_MAIN(TestRotatedLogs)
#include "tst_rotated_logs.moc"
