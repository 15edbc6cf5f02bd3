// Times the HTML report over a million Combined lines (generated with rare rows: current
// browsers, bots, IPv6, escaped agents), over every row and over the half a filter keeps.
// [ROWS] [--repeat R] [--seed S] [--file LOG]: any log the program reads instead.
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
    bench::RunArguments run = bench::parseRunArguments(app.arguments().mid(1));
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
    time("html_report_all", RowSubset());
    time("html_report_half", RowSubset(half));
    return 0;
}
