// Times the classification of every row's user agent (agentsOfRows) over a Combined log of a
// million rows with 5,000 distinct present-day agents: with a new, empty catalog each run, as
// the first statistic after opening meets it, and again with the catalog filled; then the
// filter that leaves bots out.
#include "bench_support.h"

#include "analysis/agent_catalog.h"
#include "analysis/row_filter.h"
#include "core/log_list.h"
#include "core/log_reader.h"

#include <QSet>

#include <cstdio>

using namespace tw;

int main(int argc, char* argv[])
{
    QStringList args;
    int agents = 5000;
    for (int i = 1; i < argc; ++i) {
        if (QByteArrayView(argv[i]) == "--agents" && i + 1 < argc)
            agents = std::max(1, QByteArray(argv[++i]).toInt());
        else
            args.append(QString::fromLocal8Bit(argv[i]));
    }
    bench::RunArguments run = bench::parseRunArguments(args);
    ReadResult read;
    if (run.file.isEmpty()) {
        run.log.format = bench::LogFormat::Combined;
        run.log.agents = agents;
        read = parseLogBytes(bench::generateLog(run.log));
    } else {
        read = readLogFile(run.file);
    }
    if (read.status != ReadStatus::Ok) {
        std::fprintf(stderr, "cannot read the log\n");
        return 1;
    }
    LogList list;
    list.append(std::move(read.batch));
    QSet<QByteArrayView> distinct;
    for (qsizetype i = 0; i < list.rowCount(); ++i)
        distinct.insert(list.field(i, ColBrowser));
    std::printf("rows: %lld, distinct user agents: %lld\n", qlonglong(list.rowCount()),
                qlonglong(distinct.size()));

    std::size_t bots = 0;
    const auto classifyAll = [&](AgentCatalog& catalog) {
        const auto infos = agentsOfRows(catalog, list, {});
        bots = std::count_if(infos->begin(), infos->end(),
                             [](const AgentInfo* a) { return a->isBot(); });
    };
    const bench::BestTiming cold = bench::bestOf(run.repeat, [&] {
        AgentCatalog catalog;
        classifyAll(catalog);
    });
    std::printf("agents-cold  %.3f s wall, %.3f s CPU (target 0.30 s), %zu bot rows\n", cold.wall,
                cold.cpu, bots);
    bench::result("agents-cold", cold.wall);
    const bench::BestTiming build = bench::bestOf(run.repeat, [] {
        AgentCatalog catalog;
        catalog.classify("");
    });
    std::printf("rule lists   %.3f s wall, %.3f s CPU (built by the first agent)\n", build.wall,
                build.cpu);
    AgentCatalog warmCatalog;
    classifyAll(warmCatalog);
    const bench::BestTiming warm = bench::bestOf(run.repeat, [&] { classifyAll(warmCatalog); });
    std::printf("agents-warm  %.3f s wall, %.3f s CPU\n", warm.wall, warm.cpu);
    bench::result("agents-warm", warm.wall);

    // The filter bar's "ボットを除く": one catalog look-up per row, from every core.
    std::size_t kept = 0;
    const bench::BestTiming filter = bench::bestOf(run.repeat, [&] {
        kept = filterRows(list, RowFilter{{*botCondition(BotChoice::Exclude)}})->size();
    });
    std::printf("bot-filter   %.3f s wall, %.3f s CPU, %zu rows kept\n", filter.wall, filter.cpu,
                kept);
    bench::result("bot-filter", filter.wall);
    return 0;
}
