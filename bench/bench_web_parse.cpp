// Parsing a Combined log held in memory: the web-log parser's share of opening a log, on one core
// and on every core.
//
//   bench_web_parse [ROWS] [--repeat R] [--seed S] [--file LOG]   default 1,000,000 generated rows
#include "bench_support.h"

#include "core/regular_file.h"
#include "core/web_log.h"
#include "core/worker_threads.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cstdio>
#include <vector>

using namespace tw::weblog;

namespace {

// Touches what a real sink reads, so no field goes unused.
struct CountingSink {
    qint64 rows = 0;
    qint64 skippedLines = 0;
    qint64 fieldBytes = 0;
    void record(const Record& r)
    {
        ++rows;
        for (QByteArrayView field : r.fields)
            fieldBytes += field.size();
    }
    void skipped(QByteArrayView) { ++skippedLines; }
};

// Cuts bytes into n parts that start at line starts.
std::vector<const char*> cutsOf(const QByteArray& bytes, int n)
{
    std::vector<const char*> cuts = {bytes.begin()};
    for (int i = 1; i < n; ++i) {
        const char* p = bytes.begin() + bytes.size() * i / n;
        const char* lf =
            static_cast<const char*>(std::memchr(p, '\n', std::size_t(bytes.end() - p)));
        cuts.push_back(std::max(cuts.back(), lf ? lf + 1 : bytes.end()));
    }
    cuts.push_back(bytes.end());
    return cuts;
}

struct Timing {
    double wall = 1e9; // best of the runs
    double cpu = 1e9;  // of all threads, best of the runs: on a busy machine wall time waits
};

// Timing of repeat runs over n parts at once; the sinks of the last run.
Timing timeParse(const QByteArray& bytes, Format format, int n, int repeat,
                 std::vector<CountingSink>& sinks)
{
    const std::vector<const char*> cuts = cutsOf(bytes, n);
    Timing best;
    for (int r = 0; r < repeat; ++r) {
        sinks.assign(std::size_t(n), CountingSink());
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = tw::bench::cpuSeconds();
        tw::runOnThreads(std::size_t(n), [&](std::size_t i) {
            ParseState state = stateBefore(format, bytes, cuts[i] - bytes.begin());
            parseBody(format, cuts[i], cuts[i + 1], state, sinks[i]);
        });
        best.wall = std::min(best.wall, tw::bench::seconds(timer));
        best.cpu = std::min(best.cpu, tw::bench::cpuSeconds() - cpuStart);
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    tw::bench::RunArguments run = tw::bench::parseRunArguments(app.arguments().mid(1));
    run.log.format = tw::bench::LogFormat::Combined;
    QByteArray bytes;
    if (run.file.isEmpty()) {
        bytes = tw::bench::generateLog(run.log);
    } else if (tw::readRegularFile(run.file, &bytes) != tw::RegularFile::Status::Open) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(run.file));
        return 1;
    }
    const std::optional<Format> format =
        detectFormat(QByteArrayView(bytes).first(std::min<qsizetype>(bytes.size(), 64 * 1024)));
    if (!format) {
        std::fprintf(stderr, "not a web log\n");
        return 1;
    }

    const int cores = std::max(1, QThread::idealThreadCount());
    for (int n : {1, cores}) {
        std::vector<CountingSink> sinks;
        const Timing t = timeParse(bytes, *format, n, run.repeat, sinks);
        qint64 rows = 0, skipped = 0;
        for (const CountingSink& s : sinks) {
            rows += s.rows;
            skipped += s.skippedLines;
        }
        const qint64 lines = rows + skipped;
        const double perLine = 1e9 / double(std::max<qint64>(1, lines));
        std::printf("%d thread(s): %lld rows, %lld skipped, %.1f MB: wall %.4f s (%.0f MB/s), "
                    "CPU %.4f s, %.1f ns/line of CPU\n",
                    n, qlonglong(rows), qlonglong(skipped), double(bytes.size()) / 1e6, t.wall,
                    double(bytes.size()) / 1e6 / t.wall, t.cpu, t.cpu * perLine);
        tw::bench::result(n == 1 ? "web_parse_1thread" : "web_parse_all_cores", t.wall);
        if (n == cores)
            break;
    }
    return 0;
}
