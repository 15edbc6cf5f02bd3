// Times each visitor statistic over a generated Combined log of a million lines with 5,000
// distinct user agents, over all rows and over half of them (every other row, as a filter
// leaves them).
#include "bench_support.h"

#include "analysis/visitor_statistics.h"
#include "core/log_list.h"
#include "core/log_reader.h"

#include <cstdio>

using namespace tw;

namespace {

struct Named {
    VisitorStatistic statistic;
    const char* name;
};

constexpr Named kStatistics[] = {
    {VisitorStatistic::Agents, "agents"}, {VisitorStatistic::Os, "os"},
    {VisitorStatistic::Bots, "bots"},     {VisitorStatistic::Pages, "pages"},
    {VisitorStatistic::Status, "status"}, {VisitorStatistic::Referrers, "referrers"},
    {VisitorStatistic::Days, "days"},     {VisitorStatistic::Hours, "hours"},
};

// The number of entries, so the work cannot be left out.
qsizetype entries(VisitorStatistic statistic, const LogList& list, const RowSubset& rows)
{
    switch (statistic) {
    case VisitorStatistic::Days:
        return qsizetype(dayFigures(list, rows)->size());
    case VisitorStatistic::Hours:
        return qsizetype(hourFigures(list, rows)->size());
    default:
        return qsizetype(countKeys(statistic, list, rows)->entries.size());
    }
}

} // namespace

// Options as tw-loggen's --rows and --seed; the log is Combined with its rare rows.
int main(int argc, char* argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    bench::RunArguments run = bench::parseRunArguments(args);
    run.log.format = bench::LogFormat::Combined;
    run.log.rareRows = true;
    run.log.spanDays = 365;
    run.log.agents = 5000;
    ReadResult read = parseLogBytes(bench::generateLog(run.log));
    LogList list;
    list.append(std::move(read.batch));
    std::printf("rows: %lld\n", qint64(list.rowCount()));

    std::vector<quint32> half;
    for (qsizetype row = 0; row < list.rowCount(); row += 2)
        half.push_back(quint32(row));
    for (const auto& [statistic, name] : kStatistics) {
        qsizetype n = 0;
        // The first run classifies the user agents; later ones find them classified.
        const bench::BestTiming all =
            bench::bestOf(run.repeat, [&] { n = entries(statistic, list, {}); });
        const bench::BestTiming some =
            bench::bestOf(run.repeat, [&] { entries(statistic, list, RowSubset(half)); });
        std::printf("%-10s %.3f s wall, %.3f s CPU; half the rows %.3f s; %lld entries "
                    "(target 0.3 s)\n",
                    name, all.wall, all.cpu, some.wall, qint64(n));
        bench::result((std::string("visitor-") + name).c_str(), all.wall);
    }
    return 0;
}
