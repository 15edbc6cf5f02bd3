// Times the HTML report over a million Combined lines (generated with rare rows and the user
// agents drawn from 5,000 present-day ones), over every row and over the half a filter keeps.
// [ROWS] [--repeat R] [--seed S] [--agents N] [--file LOG]: any log the program reads instead.
#include "bench_support.h"

#include "analysis/html_report.h"
#include "core/log_list.h"
#include "core/log_reader.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>

using namespace tw;
using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int agents = 5000;
    if (const qsizetype at = args.indexOf(u"--agents"_s); at >= 0 && at + 1 < args.size()) {
        agents = args.at(at + 1).toInt();
        args.remove(at, 2);
    }
    bench::RunArguments run = bench::parseRunArguments(args);
    run.log.agents = agents;
    QTemporaryDir dir;
    QString path = run.file;
    if (path.isEmpty()) {
        path = dir.filePath(u"access.log"_s);
        run.log.format = bench::LogFormat::Combined;
        run.log.rareRows = true;
        QString error;
        if (!bench::writeLog(path, run.log, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
    }
    ReadResult read = readLogFile(path);
    if (read.status != ReadStatus::Ok) {
        std::fprintf(stderr, "%s: not readable\n", qPrintable(path));
        return 1;
    }
    LogList list;
    list.append(std::move(read.batch));

    std::vector<quint32> half;
    for (quint32 r = 0; r < quint32(list.rowCount()); r += 2)
        half.push_back(r);
    HtmlReportOptions options;
    options.title = u"access.log"_s;
    qsizetype bytes = 0;
    const auto time = [&](const char* name, const RowSubset& rows) {
        const bench::BestTiming t = bench::bestOf(run.repeat, [&] {
            bytes = htmlReport(list, rows, options).value_or(QByteArray()).size();
        });
        std::printf("%-28s %8.3f s wall %8.3f s cpu  (%lld bytes)\n", name, t.wall, t.cpu,
                    qlonglong(bytes));
        bench::result(name, t.wall);
    };
    std::printf("%lld rows\n", qlonglong(list.rowCount()));
    // The first report also classifies every distinct user agent, which opening does in the
    // window; the best of the later ones is the report's own time.
    const bench::BestTiming first =
        bench::bestOf(1, [&] { htmlReport(list, RowSubset(), options); });
    std::printf("%-28s %8.3f s wall %8.3f s cpu\n", "first report (classifies)", first.wall,
                first.cpu);
    time("html_report_all", RowSubset());
    time("html_report_half", RowSubset(half));
    return 0;
}
