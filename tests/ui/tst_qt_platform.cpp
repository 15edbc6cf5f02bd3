#include "core/cp932.h"
#include "ui/qt_platform.h"

#include <QTest>

using namespace tw;
using namespace Qt::StringLiterals;

class TestQtPlatform : public QObject {
    Q_OBJECT

private slots:
    // Rows keep the CP932 code of a character with two codes as a mark; other programs get the
    // character alone.
    void clipboardGetsCharactersWithoutCodeMarks()
    {
        QtPlatform platform;
        const QString mark = QString::fromUcs4(&cp932::kCodeMarkFirst, 1);
        platform.setClipboardText(u"≒"_s + mark + u"1\t纊"_s + mark);
        QCOMPARE(platform.clipboardText(), u"≒1\t纊"_s);
    }
};

QTEST_MAIN(TestQtPlatform)
#include "tst_qt_platform.moc"
