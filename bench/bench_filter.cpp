// Times the row filter over a million rows (a substring on one column, a regular expression, a
// date range) and each statistic over the half of the rows a filter keeps, against the same
// statistic over every row.
#include "bench_support.h"

#include "analysis/access_statistics.h"
#include "analysis/class_counts.h"
#include "analysis/host_statistics.h"
#include "analysis/row_filter.h"
#include "analysis/statistics_report.h"
#include "core/log_list.h"
#include "core/log_reader.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace tw;
using namespace Qt::StringLiterals;

namespace {

int gRepeats = 3;

using Timing = bench::BestTiming;

Timing bestOf(const std::function<void()>& work)
{
    return bench::bestOf(gRepeats, work);
}

void buildList(LogList& list, const bench::RunArguments& run)
{
    bench::VisitGenerator generator(run.log.seed, 2000, run.log.rows);
    bench::Visit visit;
    LogBatch batch;
    batch.reserveRows(run.log.rows);
    const auto view = [](const std::string& s) {
        return QByteArrayView(s.data(), qsizetype(s.size()));
    };
    for (qint64 i = 0; i < run.log.rows; ++i) {
        generator.next(visit);
        batch.addRow({view(visit.browser), view(visit.host), view(visit.ip), view(visit.dateTime),
                      view(visit.previousPage)});
    }
    list.append(std::move(batch));
}

std::vector<quint32> timedFilter(const char* name, const LogList& list, const RowFilter& filter,
                                 double target)
{
    std::vector<quint32> kept;
    const Timing t = bestOf([&] { kept = *filterRows(list, filter); });
    std::printf("%-24s %.3f s wall, %.3f s CPU (target %.2f s), %zu rows kept\n", name, t.wall,
                t.cpu, target, kept.size());
    bench::result(name, t.wall);
    return kept;
}

// A statistic over the kept rows, and over every row for comparison.
void timedStatistic(const char* name, const std::function<void(const RowSubset&)>& statistic,
                    const std::vector<quint32>& kept)
{
    const Timing all = bestOf([&] { statistic(RowSubset()); });
    const Timing part = bestOf([&] { statistic(RowSubset(kept)); });
    std::printf("%-24s %.3f s wall, %.3f s CPU over %zu rows; %.3f s wall, %.3f s CPU over "
                "every row\n",
                name, part.wall, part.cpu, kept.size(), all.wall, all.cpu);
    bench::result(name, part.wall);
}

} // namespace

// Without --file, a generated list of ROWS (default 1,000,000) visits.
int main(int argc, char* argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    const bench::RunArguments run = bench::parseRunArguments(args);
    gRepeats = run.repeat;
    LogList list;
    if (run.file.isEmpty()) {
        buildList(list, run);
    } else {
        ReadResult read = readLogFile(run.file);
        if (read.status != ReadStatus::Ok) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(run.file));
            return 1;
        }
        list.append(std::move(read.batch));
    }
    if (list.rowCount() < 2)
        return 1;
    std::printf("rows: %lld\n", qint64(list.rowCount()));

    timedFilter("filter-substring", list,
                RowFilter{{FilterCondition::contains(ColPreviousPage, u"google"_s, false)}}, 0.15);
    timedFilter(
        "filter-regex", list,
        RowFilter{{FilterCondition::regex(ColBrowser, u"Windows NT (5\\.1|6\\.[0-3])"_s, true)}},
        0.5);
    // The visits are in time order: the middle row's time keeps the first half.
    const QByteArray middle = list.field(list.rowCount() / 2, ColDateTime).toByteArray();
    const QByteArray first = list.field(0, ColDateTime).toByteArray();
    const std::vector<quint32> half = timedFilter(
        "filter-date", list, RowFilter{{FilterCondition::dateRange(first, middle)}}, 0.05);

    qsizetype length = 0;
    timedStatistic(
        "stats-host-filtered",
        [&](const RowSubset& rows) { length = hostStatisticsText(list, rows).size(); }, half);
    timedStatistic(
        "stats-access-filtered",
        [&](const RowSubset& rows) { length = accessStatisticsText(list, 0, rows).size(); }, half);
    timedStatistic(
        "stats-browser-filtered",
        [&](const RowSubset& rows) {
            length = browserReportBody(countClasses(list, rows).browser).size();
        },
        half);
    timedStatistic(
        "stats-platform-filtered",
        [&](const RowSubset& rows) {
            length =
                platformReportBody(countClasses(list, rows).platform, list.userPlatforms()).size();
        },
        half);
    // The window's unfiltered browser and platform statistics read the list's running tallies.
    const Timing tallies = bestOf([&] {
        length = browserReportBody(list.browserTally()).size() +
                 platformReportBody(list.platformTally(), list.userPlatforms()).size();
    });
    std::printf("browser and platform from the list's tallies: %.4f s\n", tallies.wall);
    return length > 0 ? 0 : 1;
}
