// Typing into the filter bar of the main window over a generated list, offscreen, at a quick
// typist's pace: how long the window stops answering at worst, and how soon the rows of the
// last keystroke are shown.
//
//   bench_filter_typing [ROWS] [--repeat R] [--seed S] [--file LIST]   default 1,000,000 rows
#include "bench_support.h"

#include "bench_window.h"
#include "mainwindow/ui/filter_bar.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int kKeyIntervalMs = 80; // about 12 keys a second
constexpr int kHeartbeatMs = 2;

struct Typing {
    double worstStall = 0;  // the longest the event loop did not run, in seconds
    double lastToShown = 0; // from the last keystroke to its rows in the list
    qsizetype shown = 0;
};

// Types text one key at a time; a heartbeat timer measures the gaps of the event loop.
Typing typeInto(tw::MainWindow& window, const QString& text)
{
    QLineEdit* box = window.filterBar()->textBox();
    box->clear();
    while (window.isFiltering())
        QApplication::processEvents();
    QApplication::processEvents();

    Typing out;
    QElapsedTimer clock;
    clock.start();
    qint64 lastBeat = clock.nsecsElapsed();
    QTimer heartbeat;
    heartbeat.setInterval(kHeartbeatMs);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        out.worstStall = std::max(out.worstStall, double(now - lastBeat) / 1e9);
        lastBeat = now;
    });
    int typed = 0;
    qint64 lastKey = 0;
    QEventLoop loop;
    QTimer keys;
    keys.setInterval(kKeyIntervalMs);
    QObject::connect(&keys, &QTimer::timeout, [&] {
        if (typed < text.size()) {
            box->insert(text.mid(typed++, 1));
            lastKey = clock.nsecsElapsed();
            return;
        }
        if (!window.isFiltering()) {
            keys.stop();
            loop.quit();
        }
    });
    QTimer poll; // notices the end sooner than the next key tick
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (typed == text.size() && !window.isFiltering() && out.lastToShown == 0)
            out.lastToShown = double(clock.nsecsElapsed() - lastKey) / 1e9;
    });
    heartbeat.start();
    keys.start();
    poll.start();
    loop.exec();
    out.shown = window.logList().rowCount();
    return out;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
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
    window.show();
    if (!window.commands().openLogFile(log, tw::OpenMode::Open)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(log));
        return 1;
    }
    window.findChild<QAction*>(u"actFilterBar"_s)->trigger();

    struct Case {
        const char* name;
        QString text;
        bool regex;
    };
    const Case cases[] = {{"substring", u"example.co"_s, false}, {"regex", u"[a-z]+\\.co"_s, true}};
    std::printf("%-10s %6s %12s %14s\n", "typed", "run", "worst stall", "last to shown");
    for (const Case& c : cases) {
        window.filterBar()->findChild<QCheckBox*>(u"chkRegex"_s)->setChecked(c.regex);
        double worst = 0, shown = 1e9;
        for (int run = 1; run <= repeat; ++run) {
            const Typing t = typeInto(window, c.text);
            std::printf("%-10s %6d %10.3f s %12.3f s\n", c.name, run, t.worstStall, t.lastToShown);
            worst = std::max(worst, t.worstStall);
            shown = std::min(shown, t.lastToShown);
        }
        std::printf("%s: worst stall %.3f s (target 0.1 s), last key to rows %.3f s\n", c.name,
                    worst, shown);
        tw::bench::result(c.regex ? "typing-regex-stall" : "typing-stall", worst);
    }
    return 0;
}
