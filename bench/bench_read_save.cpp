// Reading a generated list file into the log list, and saving it as list file, CSV and report.
// Each phase runs in a process of its own (this program re-executed with --phase), so that its
// peak resident memory is its own.
//
//   bench_read_save [ROWS] [--repeat R] [--seed S]     default 1,000,000 rows, 3 runs per phase
#include "bench_support.h"

#include "core/clock.h"
#include "core/list_writers.h"
#include "core/log_list.h"
#include "core/log_reader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

using tw::bench::cpuSeconds;
using tw::bench::peakRssKb;
using tw::bench::seconds;

// The child: one phase, one line of key=value results on standard output.
int runPhase(const QString& phase, const QString& input, const QString& outDir)
{
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = cpuSeconds();
    tw::ReadResult result = tw::readLogFile(input);
    const double parse = seconds(timer);
    if (result.status != tw::ReadStatus::Ok) {
        std::fprintf(stderr, "read failed: %s\n", qPrintable(result.detail));
        return 1;
    }
    tw::LogList list;
    list.append(std::move(result.batch));
    const double total = seconds(timer);
    const qint64 rows = list.rowCount();

    if (phase == u"append") {
        // A second file of the same size after the first: read, classify, add.
        timer.restart();
        tw::ReadResult second = tw::readLogFile(input);
        list.append(std::move(second.batch));
        std::printf("seconds=%.4f cpu=%.4f bytes=%lld rows=%lld maxrss=%lld\n", seconds(timer),
                    cpuSeconds() - cpuStart, qlonglong(result.fileSize), qlonglong(list.rowCount()),
                    qlonglong(peakRssKb()));
        return 0;
    }
    if (phase == u"sort") {
        // The first click on each header: ascending, then the same column descending.
        std::printf("rows=%lld bytes=%lld", qlonglong(rows), qlonglong(result.fileSize));
        double slowest = 0;
        for (int c = 0; c < tw::kColumnCount; ++c) {
            for (int click = 0; click < 2; ++click) {
                timer.restart();
                list.sortByHeader(c);
                const double secs = seconds(timer);
                slowest = std::max(slowest, secs);
                std::printf(" sort%d%c=%.4f", c, click ? 'd' : 'a', secs);
            }
        }
        std::printf(" seconds=%.4f cpu=0 maxrss=%lld\n", slowest, qlonglong(peakRssKb()));
        return 0;
    }
    if (phase == u"read") {
        std::printf("seconds=%.4f cpu=%.4f parse=%.4f append=%.4f bytes=%lld rows=%lld "
                    "maxrss=%lld listbytes=%zu\n",
                    total, cpuSeconds() - cpuStart, parse, total - parse,
                    qlonglong(result.fileSize), qlonglong(rows), qlonglong(peakRssKb()),
                    list.memoryUsed());
        return 0;
    }

    const qint64 rssBefore = peakRssKb();
    const QString out = outDir + u"/out."_s + phase;
    QString error;
    bool ok = false;
    timer.restart();
    const double cpuSaveStart = cpuSeconds();
    if (phase == u"twv") {
        ok = tw::saveListFile(out, list, &error);
    } else if (phase == u"csv") {
        ok = tw::saveCsvFile(out, list, &error);
    } else if (phase == u"report") {
        const tw::FixedClock clock(QDateTime(QDate(2001, 2, 15), QTime(14, 5)));
        ok = tw::saveReportFile(out, list, clock, &error);
    } else {
        std::fprintf(stderr, "unknown phase\n");
        return 2;
    }
    const double saveSeconds = seconds(timer);
    const double saveCpu = cpuSeconds() - cpuSaveStart;
    if (!ok) {
        std::fprintf(stderr, "save failed: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("seconds=%.4f cpu=%.4f bytes=%lld rows=%lld maxrss=%lld before=%lld\n", saveSeconds,
                saveCpu, qlonglong(QFileInfo(out).size()), qlonglong(rows), qlonglong(peakRssKb()),
                qlonglong(rssBefore));
    QFile::remove(out);
    return 0;
}

using Figures = QHash<QString, double>;

bool runChild(const QString& phase, const QString& input, const QString& outDir, Figures* f)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {u"--phase"_s, phase, input, outDir});
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        return false;
    const QString line = QString::fromUtf8(child.readAllStandardOutput()).trimmed();
    for (const QString& pair : line.split(u' ', Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf(u'=');
        (*f)[pair.left(eq)] = pair.mid(eq + 1).toDouble();
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 4 && args.first() == u"--phase")
        return runPhase(args.at(1), args.at(2), args.at(3));

    const auto [options, repeat, file] = tw::bench::parseRunArguments(args);

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const QString input = file.isEmpty() ? dir.filePath(u"bench.twv"_s) : file;
    QElapsedTimer timer;
    timer.start();
    QString error;
    if (file.isEmpty() && !tw::bench::writeLog(input, options, &error)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(input), qPrintable(error));
        return 1;
    }
    const double fileMb = double(QFileInfo(input).size()) / 1e6;
    std::printf("%lld rows, list file %.1f MB (%.0f bytes a row), generated in %.2f s; "
                "best of %d runs, MB = 10^6 bytes, file in the page cache\n\n",
                qlonglong(options.rows), fileMb, fileMb * 1e6 / double(options.rows),
                seconds(timer), repeat);
    std::printf("%-22s %9s %9s %9s %12s %12s %9s\n", "phase", "seconds", "cpu s", "MB/s", "rows/s",
                "peak RSS MB", "x file");

    const char* const phases[] = {"read", "append", "sort", "twv", "csv", "report"};
    for (const char* phase : phases) {
        Figures best;
        for (int run = 0; run < repeat; ++run) {
            Figures f;
            if (!runChild(QString::fromLatin1(phase), input, dir.path(), &f)) {
                std::fprintf(stderr, "phase %s failed\n", phase);
                return 1;
            }
            if (best.isEmpty() || f[u"seconds"_s] < best[u"seconds"_s])
                best = f;
        }
        const double secs = best[u"seconds"_s];
        const double mb = best[u"bytes"_s] / 1e6;
        const double rss = best[u"maxrss"_s] / 1024.0;
        const QByteArrayView p(phase);
        const QByteArray name = p == "read"     ? QByteArray("read + classify")
                                : p == "append" ? QByteArray("append a second file")
                                : p == "sort"   ? QByteArray("sort (slowest column)")
                                                : "save " + QByteArray(phase);
        tw::bench::result(p == "read"   ? "open"
                          : p == "sort" ? "sort-slowest"
                                        : phase,
                          secs, qint64(best[u"maxrss"_s]));
        if (p == "sort") {
            for (int c = 0; c < tw::kColumnCount; ++c) {
                for (const char dir : {'a', 'd'}) {
                    const QString key = u"sort%1%2"_s.arg(c).arg(QLatin1Char(dir));
                    const char* const columns[] = {"browser", "host", "ip", "datetime", "previous"};
                    const QByteArray label =
                        QByteArray("sort-") + columns[c] + (dir == 'a' ? "-asc" : "-desc");
                    tw::bench::result(label.constData(), best[key], qint64(best[u"maxrss"_s]));
                }
            }
        }
        std::printf("%-22s %9.3f %9.3f %9.1f %12.0f %12.1f %9.2f\n", name.constData(), secs,
                    best[u"cpu"_s], mb / secs, best[u"rows"_s] / secs, rss,
                    rss * 1.048576 / fileMb);
        if (best.contains(u"parse"_s)) {
            std::printf("  %-20s %9.3f %19.1f\n", "of which readLogFile", best[u"parse"_s],
                        mb / best[u"parse"_s]);
            std::printf("  %-20s %9.3f\n", "of which append", best[u"append"_s]);
            std::printf("  %-20s %9.1f MB\n", "rows in memory", best[u"listbytes"_s] / 1e6);
        } else {
            std::printf("  %-20s %9.1f MB (the list loaded, before saving)\n", "peak RSS before",
                        best[u"before"_s] / 1024.0);
        }
    }
    return 0;
}
