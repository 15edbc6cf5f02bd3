#include "core/startup.h"
#include "core/url_open.h"
#include "mainwindow/ui/frm_version.h"
#include "settings/settings.h"
#include "support/recording_platform.h"
#include "support/scripted_prompts.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

using namespace tw;
using namespace Qt::StringLiterals;

namespace {

struct Rig {
    Settings settings;
    test::ScriptedPrompts prompts;
    test::RecordingPlatform platform;
    UrlOpener opener{[this] { return urlOpenPolicy(settings); }, platform, prompts};
    VersionDialog dialog{opener};

    QLabel* label(const QString& name) const { return dialog.findChild<QLabel*>(name); }
};

// A pointer move without buttons, delivered as the window system would: to the widget under
// the pointer, and on to its parents while nobody takes it.
void moveOver(QWidget* widget, QPoint pos = QPoint(2, 2))
{
    QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

void moveOverBackground(QWidget* dialog)
{
    // The top-left margin holds no control.
    QVERIFY(dialog->childAt(QPoint(3, 3)) == nullptr);
    moveOver(dialog, QPoint(3, 3));
}

} // namespace

class TestVersionDialog : public QObject {
    Q_OBJECT

private slots:
    void showsVersionPictureAndLinks();
    void linksOpenPageAndMail_data();
    void linksOpenPageAndMail();
    void pressedColourWhileHeld();
    void underlineStaysUntilBackgroundOrPlainLabel();
    void okCloses();
};

void TestVersionDialog::showsVersionPictureAndLinks()
{
    Rig rig;
    QCOMPARE(rig.dialog.objectName(), u"frmVersion"_s);
    QCOMPARE(rig.dialog.windowTitle(), u"バージョン情報"_s);
    QCOMPARE(rig.label(u"lblVersion"_s)->text(), u"Ver "_s + versionText());
    QVERIFY(!rig.label(u"imgTitlePic"_s)->pixmap().isNull());
    QVERIFY(!rig.label(u"lblCopyright"_s)->text().isEmpty());
    QCOMPARE(rig.label(u"lblMsg1"_s)->text(), u"最新版はこちら..."_s);
    QCOMPARE(rig.label(u"lblLink(0)"_s)->text(), u"https://tallyweaver.example.org/"_s);
    QCOMPARE(rig.label(u"lblLink(1)"_s)->text(), u"author@tallyweaver.example.org"_s);
    for (int i = 0; i < 2; ++i) {
        VersionLinkLabel* link = rig.dialog.link(i);
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(link->textColor(), QColor(30, 73, 121));
        QVERIFY(!link->isUnderlined());
    }
}

void TestVersionDialog::linksOpenPageAndMail_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("desktop") << 0;
    QTest::newRow("browser") << 1;
}

void TestVersionDialog::linksOpenPageAndMail()
{
    QFETCH(int, mode);
    Rig rig;
    rig.settings.UrlOMode = mode;
    rig.settings.BrowserPath = u"/usr/bin/browser"_s;
    rig.dialog.show();
    QTest::mouseClick(rig.dialog.link(0), Qt::LeftButton);
    QTest::mouseClick(rig.dialog.link(1), Qt::LeftButton);
    if (mode == 0) {
        QCOMPARE(rig.platform.urls, QStringList({u"https://tallyweaver.example.org/"_s,
                                                 u"mailto:author@tallyweaver.example.org"_s}));
    } else {
        // The mail address still goes to the desktop.
        QCOMPARE(rig.platform.urls, QStringList{u"mailto:author@tallyweaver.example.org"_s});
        QCOMPARE(rig.platform.launches.size(), 1);
        QCOMPARE(rig.platform.launches.first().arguments,
                 QStringList{u"https://tallyweaver.example.org/"_s});
    }
    QCOMPARE(rig.prompts.beeps, 0);
}

void TestVersionDialog::pressedColourWhileHeld()
{
    Rig rig;
    rig.dialog.show();
    VersionLinkLabel* link = rig.dialog.link(1);
    QTest::mousePress(link, Qt::LeftButton);
    QCOMPARE(link->textColor(), QColor(166, 45, 90));
    QVERIFY(rig.platform.urls.isEmpty()); // opens on release
    // Released outside the link: the colour returns, nothing opens.
    QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(-5, -5));
    QCOMPARE(link->textColor(), QColor(30, 73, 121));
    QVERIFY(rig.platform.urls.isEmpty());
}

void TestVersionDialog::underlineStaysUntilBackgroundOrPlainLabel()
{
    Rig rig;
    rig.dialog.show();
    VersionLinkLabel* page = rig.dialog.link(0);
    VersionLinkLabel* mail = rig.dialog.link(1);

    moveOver(page);
    QVERIFY(page->isUnderlined());
    QVERIFY(!mail->isUnderlined());
    // Leaving the dialog, or passing over the version text or the picture, changes nothing.
    moveOver(rig.label(u"lblVersion"_s));
    moveOver(rig.label(u"imgTitlePic"_s));
    QVERIFY(page->isUnderlined());
    moveOver(mail);
    QVERIFY(page->isUnderlined() && mail->isUnderlined());

    moveOverBackground(&rig.dialog);
    QVERIFY(!page->isUnderlined() && !mail->isUnderlined());

    for (const QString& plain : {u"lblMsg1"_s, u"lblCopyright"_s}) {
        moveOver(page);
        QVERIFY(page->isUnderlined());
        moveOver(rig.label(plain));
        QVERIFY2(!page->isUnderlined(), qPrintable(plain));
    }
}

void TestVersionDialog::okCloses()
{
    Rig rig;
    rig.dialog.show();
    auto* ok = rig.dialog.findChild<QPushButton*>(u"cmdOk"_s);
    QCOMPARE(ok->text(), u"OK"_s);
    QVERIFY(ok->isDefault());
    ok->click();
    QVERIFY(!rig.dialog.isVisible());
    QCOMPARE(rig.dialog.result(), int(QDialog::Accepted));
}

QTEST_MAIN(TestVersionDialog)
#include "tst_version_dialog.moc"
