#include "mainwindow/ui/log_list_model.h"
#include "mainwindow/ui/log_list_view.h"
#include "mainwindow/ui/program_rig.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <new>
#include <stdexcept>

using namespace tw;
using namespace Qt::StringLiterals;
using test::listFile;
using test::Program;

namespace {

// Runs long work in the window that lasts `ms`, and `onTick` on the window's thread every few
// milliseconds meanwhile; returns how many ticks there were.
template <typename OnTick> int tickDuringWork(MainWindow& window, int ms, OnTick onTick)
{
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        onTick(ticks);
    });
    timer.start(5);
    window.runLongWork([ms] { QThread::msleep(ulong(ms)); });
    return ticks;
}

} // namespace

class TestLongWork : public QObject {
    Q_OBJECT

private slots:
    void windowRunsWhileWorkRuns();
    void panelShowsHowFarWorkHasGot();
    void inputDuringWorkIsDropped();
    void closingWaitsForTheWork();
    void failureReachesTheCaller();
    void openAndSortRunBesideTheWindow();
    void orderingRunsOutsideTheModelsReset();
    void outOfMemoryIsToldAndTheListKept();
};

void TestLongWork::windowRunsWhileWorkRuns()
{
    Program p;
    p.window().show();
    QString panelDuringWork;
    const QThread* workThread = nullptr;
    const int ticks = tickDuringWork(p.window(), 300, [&](int) { panelDuringWork = p.panel(1); });
    QVERIFY2(ticks >= 5, qPrintable(u"%1 timer ticks"_s.arg(ticks)));
    QCOMPARE(panelDuringWork, u"処理中..."_s);
    QCOMPARE(p.panel(1), u"ファイルは開かれていません"_s);
    QVERIFY(!QGuiApplication::overrideCursor());

    p.window().runLongWork([&] { workThread = QThread::currentThread(); });
    QVERIFY(workThread != QThread::currentThread());
}

void TestLongWork::panelShowsHowFarWorkHasGot()
{
    Program p;
    p.window().show();
    std::atomic<int> percent = 0;
    QStringList panels;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (panels.isEmpty() || panels.last() != p.panel(1))
            panels.append(p.panel(1));
    });
    watch.start(5);
    p.window().runLongWork(
        [&] {
            QThread::msleep(250);
            percent = 42;
            QThread::msleep(250);
        },
        [&] { return percent.load(); });
    QVERIFY2(panels.contains(u"処理中... 42%"_s), qPrintable(panels.join(u" | ")));
    QCOMPARE(p.panel(1), u"ファイルは開かれていません"_s);
}

void TestLongWork::inputDuringWorkIsDropped()
{
    QTemporaryDir files;
    Program p(listFile(files, u"a.twv"_s, {u"b"_s, u"a"_s, u"c"_s}));
    MainWindow& window = p.window();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    LogListView* view = window.listView();
    QHeaderView* header = view->horizontalHeader();
    const QPoint hostHeader(header->sectionViewportPosition(ColHost) + 5, header->height() / 2);
    const auto clickHostHeader = [&] {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, hostHeader);
    };
    const auto pressDelete = [&] { QTest::keyClick(view, Qt::Key_Delete); };

    tickDuringWork(window, 100, [&](int tick) {
        if (tick == 1) {
            clickHostHeader();
            pressDelete();
        }
    });
    QCOMPARE(test::hostColumn(window.model()), (QStringList{u"b"_s, u"a"_s, u"c"_s}));
    QCOMPARE(window.logList().sortColumn(), -1);

    // The same input afterwards is heard.
    clickHostHeader();
    QCOMPARE(test::hostColumn(window.model()), (QStringList{u"a"_s, u"b"_s, u"c"_s}));
    pressDelete();
    QCOMPARE(window.model()->rowCount(), 2);
}

void TestLongWork::closingWaitsForTheWork()
{
    Program p;
    p.window().show();
    bool closedDuringWork = true;
    tickDuringWork(p.window(), 100, [&](int tick) {
        if (tick == 1)
            closedDuringWork = p.window().close();
    });
    QVERIFY(!closedDuringWork);
    QVERIFY(p.window().isVisible());
    QVERIFY(p.window().close());
}

void TestLongWork::failureReachesTheCaller()
{
    Program p;
    p.window().show();
    QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                             p.window().runLongWork([] { throw std::runtime_error("full"); }));
    QVERIFY(!QGuiApplication::overrideCursor());
    QCOMPARE(p.panel(1), u"ファイルは開かれていません"_s);
    // The window is not left thinking work still runs.
    QVERIFY(p.window().close());
}

void TestLongWork::openAndSortRunBesideTheWindow()
{
    QTemporaryDir files;
    const QString path = listFile(files, u"a.twv"_s, {u"b"_s, u"a"_s});
    Program p;
    MainWindow& window = p.window();
    QList<const QThread*> threads;
    // Counts the work the list hands to the window, and where it ran.
    window.logList().setLongWorkRunner([&](const std::function<void()>& work) {
        window.runLongWork([&] {
            threads.append(QThread::currentThread());
            work();
        });
    });
    window.showMaximized();
    p.prompts.fileNames.enqueue(path);
    window.findChild<QAction*>(u"actOpen"_s)->trigger();
    QCOMPARE(window.model()->rowCount(), 2);
    QCOMPARE(threads.size(), 1); // classifying the rows read
    window.listView()->horizontalHeader()->sectionClicked(ColHost);
    QCOMPARE(test::hostColumn(window.model()), (QStringList{u"a"_s, u"b"_s}));
    QCOMPARE(threads.size(), 2);
    QVERIFY(!threads.contains(QThread::currentThread()));
}

// A new order is computed while the list still shows the old one: the model is not in a reset
// meanwhile, and the reset that puts the order in place keeps the selection.
void TestLongWork::orderingRunsOutsideTheModelsReset()
{
    QTemporaryDir files;
    const QString second = listFile(files, u"b.twv"_s, {u"0"_s});
    Program p(listFile(files, u"a.twv"_s, {u"b"_s, u"a"_s, u"c"_s}));
    MainWindow& window = p.window();
    window.show();
    bool inReset = false;
    QObject::connect(window.model(), &QAbstractItemModel::modelAboutToBeReset,
                     [&] { inReset = true; });
    QObject::connect(window.model(), &QAbstractItemModel::modelReset, [&] { inReset = false; });
    QList<bool> resetDuringWork;
    QStringList shownDuringWork;
    window.logList().setLongWorkRunner([&](const std::function<void()>& work) {
        window.runLongWork([&] {
            QMetaObject::invokeMethod(
                &window,
                [&] {
                    resetDuringWork.append(inReset);
                    shownDuringWork = test::hostColumn(window.model());
                },
                Qt::BlockingQueuedConnection);
            work();
        });
    });
    window.setSelection({0}, 0); // "b"

    window.listView()->horizontalHeader()->sectionClicked(ColHost);
    QCOMPARE(resetDuringWork, QList<bool>{false});
    QCOMPARE(shownDuringWork, (QStringList{u"b"_s, u"a"_s, u"c"_s}));
    QCOMPARE(test::hostColumn(window.model()), (QStringList{u"a"_s, u"b"_s, u"c"_s}));
    QCOMPARE(window.selectedRows(), QList<qsizetype>{1});
    QCOMPARE(window.currentRow(), 1);

    // Append reads with sorted mode off, then re-sorts the whole list the same way.
    p.prompts.fileNames.enqueue(second);
    p.action(u"actAppend"_s)->trigger();
    QCOMPARE(test::hostColumn(window.model()), (QStringList{u"0"_s, u"a"_s, u"b"_s, u"c"_s}));
    QCOMPARE(resetDuringWork, QList<bool>(3, false)); // and classifying the rows read
    QCOMPARE(window.currentRow(), 2);
}

// Memory that runs out on the worker thread comes back to the window thread as a box, not as an
// end of the program; the rows, their order and the header stay as they were.
void TestLongWork::outOfMemoryIsToldAndTheListKept()
{
    QTemporaryDir files;
    Program p(listFile(files, u"a.twv"_s, {u"b"_s, u"a"_s, u"c"_s}));
    MainWindow& window = p.window();
    window.show();
    const QString caption = window.model()->headerData(ColHost, Qt::Horizontal).toString();
    window.logList().setLongWorkRunner(
        [&](const std::function<void()>&) { window.runLongWork([] { throw std::bad_alloc(); }); });
    window.listView()->horizontalHeader()->sectionClicked(ColHost);

    QCOMPARE(p.prompts.boxes.size(), 1);
    QCOMPARE(p.prompts.boxes[0].caption, u"エラー"_s);
    QCOMPARE(p.prompts.boxes[0].text, u"メモリが不足しています。"_s);
    QCOMPARE(p.prompts.boxes[0].icon, MessageIcon::Warning);
    QCOMPARE(test::hostColumn(window.model()), (QStringList{u"b"_s, u"a"_s, u"c"_s}));
    QCOMPARE(window.model()->headerData(ColHost, Qt::Horizontal).toString(), caption);
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(p.panel(1).endsWith(u" を開きました"_s));
    QVERIFY(window.close());
}

QTEST_MAIN(TestLongWork)
#include "tst_long_work.moc"
