// Opening a generated list file in the main window until its first rows are painted, and
// sorting it by a column, offscreen.
//
//   bench_gui_open [ROWS] [--repeat R] [--seed S]     default 1,000,000 rows, 3 runs
// The last column is Select all followed by Delete, for comparison.
#include "bench_support.h"

#include "bench_window.h"
#include "mainwindow/ui/log_list_view.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Paints the list's visible rows now, as the first screen after a change.
void paintList(tw::MainWindow& window)
{
    QApplication::processEvents();
    window.listView()->viewport()->repaint();
}

struct Timing {
    double wall = 0;
    double cpu = 0;
    qint64 peakKb = -1; // the process's peak during the work
};

template <typename Work> Timing measure(Work work)
{
    const bool reset = tw::bench::resetPeakRss();
    QElapsedTimer timer;
    timer.start();
    const double cpu = tw::bench::cpuSeconds();
    work();
    return {tw::bench::seconds(timer), tw::bench::cpuSeconds() - cpu,
            reset ? tw::bench::peakRssSinceResetKb() : -1};
}

// From the start of the process to the first rows of LIST painted, with LIST on the command line.
int startUp(int argc, char* argv[], const QString& list)
{
    QElapsedTimer timer;
    timer.start();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    tw::StartupArguments arguments;
    arguments.fileToOpen = list;
    tw::bench::BenchProgram program(dir.filePath(u"TALLYWVR.INI"_s), arguments);
    tw::MainWindow& window = program.window();
    paintList(window);
    const double secs = tw::bench::seconds(timer);
    std::printf("start-up with %lld rows, first rows painted: %.3f s (target 1 s)\n",
                qlonglong(window.logList().rowCount()), secs);
    tw::bench::result("gui-startup", secs);
    return window.logList().rowCount() > 0 ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && QByteArrayView(argv[1]) == "--startup")
        return startUp(argc, argv, QString::fromLocal8Bit(argv[2]));
    QApplication app(argc, argv);
    const tw::bench::RunArguments run = tw::bench::parseRunArguments(app.arguments().mid(1));
    const auto& [options, repeat, file] = run;

    QTemporaryDir dir;
    const QString log = tw::bench::listToMeasure(run, dir.path());
    if (log.isEmpty())
        return 1;

    tw::bench::BenchProgram program(dir.filePath(u"TALLYWVR.INI"_s));
    tw::MainWindow& window = program.window();
    window.resize(1000, 700);
    paintList(window);

    std::printf("rows=%lld bytes=%lld\n", qlonglong(file.isEmpty() ? options.rows : -1),
                qlonglong(QFileInfo(log).size()));
    std::printf("%-6s %10s %10s %10s %10s %10s %10s %10s\n", "run", "open s", "open cpu", "open MB",
                "sort s", "sort cpu", "sort MB", "delete s");
    double bestOpen = 1e9, bestSort = 1e9;
    qint64 openPeakKb = -1, sortPeakKb = -1;
    for (int run = 1; run <= repeat; ++run) {
        const Timing open = measure([&] {
            if (!window.commands().openLogFile(log, tw::OpenMode::Open))
                std::fprintf(stderr, "open failed\n");
            paintList(window);
        });
        const Timing sort = measure([&] {
            window.commands().sortByHeader(tw::ColHost);
            paintList(window);
        });
        const qsizetype shown = window.logList().rowCount();
        const Timing erase = measure([&] {
            window.commands().selectAll();
            window.commands().deleteSelected();
            paintList(window);
        });
        std::printf("%-6d %10.3f %10.3f %10.1f %10.3f %10.3f %10.1f %10.3f\n", run, open.wall,
                    open.cpu, double(open.peakKb) / 1024, sort.wall, sort.cpu,
                    double(sort.peakKb) / 1024, erase.wall);
        if ((file.isEmpty() && shown != options.rows) || window.logList().rowCount() != 0)
            std::fprintf(stderr, "unexpected row counts\n");
        bestOpen = std::min(bestOpen, open.wall);
        bestSort = std::min(bestSort, sort.wall);
        // Later opens start with the previous list still in memory: the first one is the
        // user's, a log opened in a new window.
        if (run == 1)
            openPeakKb = open.peakKb;
        sortPeakKb = std::max(sortPeakKb, sort.peakKb);
    }
    std::printf("best: open %.3f s, sort by host %.3f s\n", bestOpen, bestSort);
    // Each step's own peak where the kernel tells it, else the process's.
    tw::bench::result("gui-open", bestOpen, openPeakKb);
    tw::bench::result("gui-sort-host", bestSort, sortPeakKb);
    return 0;
}
