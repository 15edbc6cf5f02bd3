#include "analysis/item_info_text.h"
#include "analysis/save_report_command.h"
#include "fake_main_view.h"
#include "mainwindow/main_commands.h"
#include "settings/menu_history.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "support/faulty_places.h"
#include "support/log_rows.h"
#include "support/recording_platform.h"
#include "support/scripted_prompts.h"
#include "support/size_limit.h"
#include "support/test_files.h"

#include <QTest>

using namespace tw;
using namespace tw::test;
using namespace Qt::StringLiterals;

namespace {

const QString kWriteFailed = u"ファイルが書き込めませんでした。"_s;

struct Rig {
    Rig()
        : clock(QDateTime(QDate(2001, 12, 3), QTime(9, 5))),
          commands(list, view, prompts, platform, history, settings, clock)
    {
        for (int i = 0; i < 10; ++i)
            history.setMenu();
        view.countRows = [this] { return list.rowCount(); };
        platform.temp = dir.path();
    }

    QTemporaryDir dir;
    LogList list;
    FakeMainView view;
    ScriptedPrompts prompts;
    RecordingPlatform platform;
    MenuHistory history;
    Settings settings;
    FixedClock clock;
    MainCommands commands;
};

class FakeHost final : public SettingsHost {
public:
    void setWindowSize(qint32, qint32) override {}
    double windowWidth() const override { return 9600; }
    double windowHeight() const override { return 7200; }
    double innerWidth() const override { return 8265; }
    std::array<double, 5> columnWidths() const override { return {1736, 1653, 1322, 1570, 1984}; }
    ListFont initialListFont() const override { return {u"Sans"_s, 9, 0, 0, 0, 0, 0}; }
};

void addFaults()
{
    QTest::addColumn<int>("kind");
    for (FaultyPlace::Kind kind : FaultyPlace::all())
        QTest::newRow(FaultyPlace::name(kind)) << int(kind);
}

} // namespace

class TestSaveFailures : public QObject {
    Q_OBJECT

private slots:
    void windowSaveCommands_data() { addFaults(); }
    void windowSaveCommands()
    {
        QFETCH(int, kind);
        FaultyPlace place{FaultyPlace::Kind(kind)};
        if (!place.skipReason().isEmpty())
            QSKIP(qPrintable(place.skipReason()));
        Rig rig;
        Rows rows;
        for (int i = 0; i < 2000; ++i)
            rows.append({u"Mozilla/4.0"_s, u"h%1.example.jp"_s.arg(i), u"192.0.2.1"_s, QString(),
                         QString()});
        appendRows(rig.list, rows);
        for (int i = 0; i < 3; ++i)
            rig.prompts.fileNames.enqueue(place.target());
        rig.commands.saveAsList();
        rig.commands.saveAsCsv();
        rig.commands.saveAsReport();
        QCOMPARE(rig.prompts.boxes.size(), 3);
        for (const auto& box : std::as_const(rig.prompts.boxes))
            QCOMPARE(box.text, kWriteFailed);
        QVERIFY(place.intact());
        QCOMPARE(rowsOf(rig.list), rows);
        QCOMPARE(rig.history.menuCount(), 0); // a failed save is no recent file
    }

    void statisticsAndItemSaves_data() { addFaults(); }
    void statisticsAndItemSaves()
    {
        QFETCH(int, kind);
        FaultyPlace place{FaultyPlace::Kind(kind)};
        if (!place.skipReason().isEmpty())
            QSKIP(qPrintable(place.skipReason()));
        ScriptedPrompts prompts;
        prompts.fileNames.enqueue(place.target());
        const FixedClock clock(QDateTime(QDate(2001, 12, 3), QTime(9, 5)));
        const QString body = QString(u"*.example.ne.jp  12\r\n"_s).repeated(4000);
        QVERIFY(!runSaveReport(StatisticsPage::Host, body, QString(), prompts, clock));
        QCOMPARE(prompts.boxes.size(), 1);
        QCOMPARE(prompts.boxes.first().text, kWriteFailed);
        QVERIFY(place.intact());

        AccessRecord item;
        item.browser = QString(u'x').repeated(100000);
        QVERIFY(!saveItemInfo(place.target(), item));
        QVERIFY(place.intact());
    }

    // A device that takes part of a write and then no more, at any byte, with texts smaller than
    // a write buffer: each save fails and leaves the previous file.
    void cutShortSaveKeepsThePreviousFile_data()
    {
        QTest::addColumn<int>("writer");
        QTest::newRow("statistics report") << 0;
        QTest::newRow("item text") << 1;
        QTest::newRow("settings") << 2;
    }
    void cutShortSaveKeepsThePreviousFile()
    {
        QFETCH(int, writer);
        const FixedClock clock(QDateTime(QDate(2001, 12, 3), QTime(9, 5)));
        const QString report = statisticsReportText(
            StatisticsPage::Host, u"*.example.ne.jp  12\r\n"_s.repeated(40), clock.now());
        AccessRecord item;
        item.browser = u"Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)"_s;
        item.previousPage = u"http://example.jp/日記.html"_s;
        Settings settings;
        MenuHistory history;
        FakeHost host;
        const QString fault = cutShortSaveFault([&](const QString& target) {
            switch (writer) {
            case 0:
                return saveStatisticsReport(target, report);
            case 1:
                return saveItemInfo(target, item);
            default:
                return SettingsFile(target, settings, history, host, clock, u"2.2.16"_s).save();
            }
        });
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }

    void settingsThatCannotBeWritten_data() { addFaults(); }
    void settingsThatCannotBeWritten()
    {
        QFETCH(int, kind);
        FaultyPlace place{FaultyPlace::Kind(kind)};
        if (!place.skipReason().isEmpty())
            QSKIP(qPrintable(place.skipReason()));
        Settings settings;
        settings.ALogMax = 50;
        MenuHistory history;
        for (int i = 0; i < 10; ++i)
            history.setMenu();
        settings.InitDir = QString(u'p').repeated(20000); // more than a full device can take
        FakeHost host;
        const FixedClock clock(QDateTime(QDate(2001, 12, 3), QTime(9, 5)));
        SettingsFile file(place.target(), settings, history, host, clock, u"2.2.16"_s);
        QVERIFY(!file.save());
        QVERIFY(place.intact());
        QCOMPARE(settings.ALogMax, 50);
    }
};

QTEST_GUILESS_MAIN(TestSaveFailures)
#include "tst_save_failures.moc"
