#include "analysis/ui/item_info_dialog.h"
#include "core/clock.h"
#include "core/startup.h"
#include "core/url_open.h"
#include "mainwindow/ui/main_program.h"
#include "mainwindow/ui/main_window.h"
#include "settings/settings.h"
#include "support/faulty_places.h"
#include "support/recording_platform.h"
#include "support/scripted_prompts.h"

#include <QFileInfo>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace tw;
using test::FaultyPlace;

Q_DECLARE_METATYPE(tw::test::FaultyPlace::Kind)

namespace {

// A started program whose settings file lives where a save cannot complete.
struct ProgramAt {
    explicit ProgramAt(const QString& settingsPath)
        : clock(QDateTime(QDate(2001, 12, 3), QTime(9, 5))), program(prompts, platform, clock)
    {
        platform.temp = dir.path();
        program.start(StartupArguments{}, settingsPath);
    }

    QTemporaryDir dir;
    test::ScriptedPrompts prompts;
    test::RecordingPlatform platform;
    FixedClock clock;
    MainProgram program;
};

void addKinds()
{
    QTest::addColumn<FaultyPlace::Kind>("kind");
    for (FaultyPlace::Kind kind : FaultyPlace::all()) {
        // The few bytes written here can still fit on the nearly full device.
        if (kind == FaultyPlace::FullDevice)
            continue;
        QTest::newRow(FaultyPlace::name(kind)) << kind;
    }
}

} // namespace

class TestGuiSaveFailures : public QObject {
    Q_OBJECT

private slots:
    void settingsUnwritableAtExit_data() { addKinds(); }
    void settingsUnwritableAtExit();
    void itemInfoSaveFails_data() { addKinds(); }
    void itemInfoSaveFails();
};

void TestGuiSaveFailures::settingsUnwritableAtExit()
{
    QFETCH(FaultyPlace::Kind, kind);
    FaultyPlace place(kind);
    if (!place.skipReason().isEmpty())
        QSKIP(qPrintable(place.skipReason()));

    ProgramAt p(place.target());
    MainWindow& window = p.program.window();
    QVERIFY(window.isVisible());
    p.prompts.boxes.clear(); // only what the close says matters here
    QSignalSpy closed(&window, &MainWindow::closed);

    QVERIFY(window.close()); // a failed save never keeps the window open
    QCOMPARE(closed.size(), 1);
    QVERIFY(!window.isVisible());
    QCOMPARE(p.prompts.boxes.size(), 1);
    QCOMPARE(p.prompts.boxes.first().caption, QStringLiteral("エラー"));
    QCOMPARE(p.prompts.boxes.first().text, QStringLiteral("設定が保存されませんでした。"));
    QCOMPARE(p.prompts.boxes.first().icon, MessageIcon::Warning);
    QVERIFY(place.intact());
}

void TestGuiSaveFailures::itemInfoSaveFails()
{
    QFETCH(FaultyPlace::Kind, kind);
    FaultyPlace place(kind);
    if (!place.skipReason().isEmpty())
        QSKIP(qPrintable(place.skipReason()));

    QTemporaryDir dir;
    Settings settings;
    test::ScriptedPrompts prompts;
    test::RecordingPlatform platform;
    platform.temp = dir.path();
    UrlOpener opener([&settings] { return urlOpenPolicy(settings); }, platform, prompts);
    QWidget owner;
    const AccessRecord item{QStringLiteral("Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)"),
                            QStringLiteral("host.example.jp"), QStringLiteral("10.0.0.1"),
                            QStringLiteral("2001/12/03 09:05:00"),
                            QStringLiteral("http://example.com/")};
    QPointer<ItemInfoDialog> dialog =
        ItemInfoDialog::showFor(item, settings, prompts, platform, opener, &owner);
    QVERIFY(dialog);

    prompts.fileNames.enqueue(place.target());
    dialog->toolbarClicked(1);

    QCOMPARE(prompts.dialogs.size(), 1);
    QVERIFY(prompts.dialogs.first().save);
    QCOMPARE(prompts.boxes.size(), 1);
    QCOMPARE(prompts.boxes.first().caption, QStringLiteral("エラー"));
    QCOMPARE(prompts.boxes.first().text, QStringLiteral("ファイルが書き込めませんでした。"));
    QCOMPARE(prompts.boxes.first().icon, MessageIcon::Warning);
    // No new file, and an old one at a read-only place keeps what it held.
    QVERIFY(place.intact());
    QVERIFY(dialog); // the dialog stays open for another try
}

QTEST_MAIN(TestGuiSaveFailures)
#include "tst_gui_save_failures.moc"
