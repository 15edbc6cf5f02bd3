// What the benchmarks share: CPU time and peak memory of this process, wall time of a timer, and
// the command line of the benchmarks that generate their log.
#pragma once

#include "loggen.h"

#include <QElapsedTimer>
#include <QStringList>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace tw::bench {

// User plus system time of this process so far: on a busy machine, wall time includes waiting.
inline double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

inline qint64 peakRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss; // kilobytes on Linux
}

// The peak resident memory from now on: the kernel's high-water mark set back to what is
// resident now (ru_maxrss cannot be reset). False where the kernel does not allow it.
inline bool resetPeakRss()
{
    std::FILE* f = std::fopen("/proc/self/clear_refs", "w");
    if (!f)
        return false;
    const bool done = std::fputs("5", f) >= 0;
    return std::fclose(f) == 0 && done;
}

// The high-water mark since the last resetPeakRss (or the start), in kilobytes; -1 if unknown.
inline qint64 peakRssSinceResetKb()
{
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long long kb = -1;
    while (std::fgets(line, sizeof line, f)) {
        if (std::sscanf(line, "VmHWM: %lld kB", &kb) == 1)
            break;
    }
    std::fclose(f);
    return kb;
}

// Best wall and CPU time of a few runs: on a shared machine, wall time includes waiting.
struct BestTiming {
    double wall = 1e9;
    double cpu = 1e9;
};

inline double seconds(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

struct RunArguments {
    LogGenOptions log;
    int repeat = 3;
    QString file; // an existing list file to use instead of a generated one
};

// [ROWS] [--repeat R] [--seed S] [--file LIST], with 1,000,000 rows unless given.
inline RunArguments parseRunArguments(const QStringList& args)
{
    RunArguments run;
    run.log.rows = 1000000;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == u"--repeat" && i + 1 < args.size())
            run.repeat = std::max(1, args.at(++i).toInt());
        else if (args.at(i) == u"--seed" && i + 1 < args.size())
            run.log.seed = args.at(++i).toULongLong();
        else if (args.at(i) == u"--file" && i + 1 < args.size())
            run.file = args.at(++i);
        else
            run.log.rows = std::max<qint64>(1, args.at(i).toLongLong());
    }
    return run;
}

// The list a run measures: the one given with --file, or one generated into folder; empty, and
// said on standard error, when it cannot be written.
inline QString listToMeasure(const RunArguments& run, const QString& folder)
{
    if (!run.file.isEmpty())
        return run.file;
    const QString path = folder + QStringLiteral("/bench.twv");
    QString error;
    if (!writeLog(path, run.log, &error)) {
        std::fprintf(stderr, "cannot write the log: %s\n", qPrintable(error));
        return {};
    }
    return path;
}

template <typename Work> BestTiming bestOf(int runs, Work&& work)
{
    BestTiming best;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = cpuSeconds();
        work();
        best.cpu = std::min(best.cpu, cpuSeconds() - cpuStart);
        best.wall = std::min(best.wall, seconds(timer));
    }
    return best;
}

// One line for bench/run.sh to collect: "@ NAME SECONDS PEAK_RSS_KB".
inline void result(const char* name, double secs, qint64 rssKb = -1)
{
    std::printf("@ %s %.4f %lld\n", name, secs, qlonglong(rssKb < 0 ? peakRssKb() : rssKb));
    std::fflush(stdout);
}

} // namespace tw::bench
