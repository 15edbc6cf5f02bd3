// Reading a gzip log through LogByteStream in 8 MB pieces, inflating ahead on a thread of its own
// and on the caller's thread, alone and with a caller that scans each piece on both cores as the
// line parsers do (the overlap the read-ahead thread is for). Wall and CPU seconds, best of R.
//
//   bench_gunzip FILE.gz [--repeat R] [--passes P]   P scans of each piece stand for a slower
//   parser
#include "bench_support.h"

#include "core/log_byte_stream.h"
#include "core/regular_file.h"
#include "core/worker_threads.h"

#include <QCoreApplication>

#include <cstring>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using Inflate = tw::LogByteStream::Inflate;

// Finds every line and, in it, the quotes and spaces a Combined parser looks for.
qint64 scan(const char* data, qint64 n)
{
    qint64 marks = 0;
    const char* end = data + n;
    for (const char* line = data; line < end;) {
        const char* eol =
            static_cast<const char*>(std::memchr(line, '\n', std::size_t(end - line)));
        if (!eol)
            eol = end;
        for (const char* p = line; p < eol; ++p)
            marks += *p == '"' || *p == ' ' || *p == '[';
        line = eol + 1;
    }
    return marks;
}

// Scans each half of a piece, split at a line end, on a core of its own.
qint64 scanOnBothCores(const char* data, qint64 n)
{
    const char* middle = static_cast<const char*>(std::memchr(data + n / 2, '\n', n - n / 2));
    const qint64 split = middle ? middle - data + 1 : n;
    qint64 marks[2] = {};
    tw::runOnThreads(2, [&](std::size_t i) {
        marks[i] = i == 0 ? scan(data, split) : scan(data + split, n - split);
    });
    return marks[0] + marks[1];
}

struct Timing {
    double wall = 0;
    double cpu = 0;
};

// Time to read the file to its end; *bytes gets the inflated size.
Timing readAll(const QString& path, Inflate inflate, int passes, qint64* bytes)
{
    tw::RegularFile file;
    if (file.open(path) != tw::RegularFile::Status::Open)
        qFatal("cannot open %s", qPrintable(path));
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = tw::bench::cpuSeconds();
    const auto stream = tw::LogByteStream::open(file, inflate);
    std::vector<char> piece(8 << 20);
    qint64 total = 0;
    qint64 marks = 0;
    qint64 got = 0;
    while ((got = stream->read(piece.data(), qint64(piece.size()))) > 0) {
        total += got;
        for (int pass = 0; pass < passes; ++pass)
            marks += scanOnBothCores(piece.data(), got);
    }
    const Timing timing{tw::bench::seconds(timer), tw::bench::cpuSeconds() - cpuStart};
    if (got < 0 || stream->cutShort())
        qFatal("read failed: %s", qPrintable(stream->errorText()));
    if (passes > 0 && total > 0 && marks == 0)
        qFatal("no Combined lines in %s", qPrintable(path));
    *bytes = total;
    return timing;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const auto option = [&args](const QString& name, int fallback) {
        const qsizetype at = args.indexOf(name);
        if (at < 0 || at + 1 >= args.size())
            return fallback;
        const int value = std::max(1, args.at(at + 1).toInt());
        args.remove(at, 2);
        return value;
    };
    const int repeat = option(u"--repeat"_s, 3);
    const int passes = option(u"--passes"_s, 1);
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: bench_gunzip FILE.gz [--repeat R] [--passes P]\n");
        return 2;
    }
    struct Case {
        const char* name;
        Inflate inflate;
        bool parse;
    };
    const Case cases[] = {{"gunzip_ahead", Inflate::Ahead, false},
                          {"gunzip_caller_thread", Inflate::OnCallerThread, false},
                          {"gunzip_scan_ahead", Inflate::Ahead, true},
                          {"gunzip_scan_caller_thread", Inflate::OnCallerThread, true}};
    for (const Case& c : cases) {
        Timing best{1e9, 1e9};
        qint64 bytes = 0;
        for (int i = 0; i < repeat; ++i) {
            const Timing t = readAll(args.at(0), c.inflate, c.parse ? passes : 0, &bytes);
            best = {std::min(best.wall, t.wall), std::min(best.cpu, t.cpu)};
        }
        std::fprintf(stderr, "%-26s %.3f s (CPU %.3f s)  %.0f MB/s of content\n", c.name, best.wall,
                     best.cpu, double(bytes) / 1e6 / best.wall);
        tw::bench::result(c.name, best.wall);
    }
    return 0;
}
