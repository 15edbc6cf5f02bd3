// Times the host and access statistics and a search that matches nothing over a million rows.
#include "bench_support.h"

#include "analysis/access_statistics.h"
#include "analysis/host_statistics.h"
#include "analysis/search.h"
#include "core/log_list.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace tw;
using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype kRows = 1000000;
constexpr int kPages = 200000;
constexpr int kRepeats = 3;

const char* const kAgents[] = {
    "Mozilla/4.0 (compatible; MSIE 5.5; Windows 98; DigExt)",
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR 1.1.4322)",
    "Mozilla/4.76 [ja] (X11; U; Linux 2.4.2-2 i686)",
    "Mozilla/4.7 [ja] (Macintosh; I; PPC)",
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/120.0.0.0 Safari/537.36",
    "DoCoMo/1.0/N503i/c10",
    "WWWC/1.04",
    "Mozilla/3.0 (DreamPassport/3.0)",
    "ReGet Deluxe 3.0",
};

void buildList(LogList& list)
{
    QRandomGenerator random(12345);
    LogBatch batch;
    batch.reserveRows(kRows);
    const char* const regions[] = {"tokyo", "osaka", "nagoya", "fukuoka", "sapporo", "sendai"};
    for (qsizetype i = 0; i < kRows; ++i) {
        const QByteArray agent = kAgents[random.bounded(int(std::size(kAgents)))];
        QByteArray host;
        const int kind = random.bounded(20);
        if (kind == 0) {
            // left empty: no reverse lookup
        } else if (kind < 3) {
            host = QByteArray::number(random.bounded(1, 255)) + "." +
                   QByteArray::number(random.bounded(256)) + ".0." +
                   QByteArray::number(random.bounded(256));
        } else {
            host = "p" + QByteArray::number(random.bounded(100000)) + "-ip" +
                   QByteArray::number(random.bounded(100)) + "." +
                   regions[random.bounded(int(std::size(regions)))] + ".isp" +
                   QByteArray::number(random.bounded(2000)) + ".ne.jp";
        }
        const QByteArray ip = "10." + QByteArray::number(random.bounded(256)) + "." +
                              QByteArray::number(random.bounded(256)) + "." +
                              QByteArray::number(random.bounded(256));
        char dateTime[32];
        std::snprintf(dateTime, sizeof dateTime, "2001/05/%02d %02d:%02d:%02d",
                      random.bounded(1, 31), random.bounded(24), random.bounded(60),
                      random.bounded(60));
        // Every page appears; popular ones far more often.
        const int page =
            i < kPages ? int(i) : int(random.bounded(kPages) * random.generateDouble());
        const QByteArray previous = "http://www.site" + QByteArray::number(page % 5000) +
                                    ".example.jp/dir/page" + QByteArray::number(page) + ".html";
        batch.addRow({agent, host, ip, QByteArrayView(dateTime), previous});
    }
    list.append(std::move(batch));
}

struct Timing {
    double wall = 1e9;
    double cpu = 1e9;
};

// Best of a few runs, as wall-clock and as CPU time (the machine may be shared).
Timing bestOf(const std::function<void()>& work)
{
    Timing best;
    for (int i = 0; i < kRepeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = bench::cpuSeconds();
        work();
        best.cpu = std::min(best.cpu, bench::cpuSeconds() - cpuStart);
        best.wall = std::min(best.wall, bench::seconds(timer));
    }
    return best;
}

void report(const char* what, const Timing& t, double target)
{
    std::printf("%-28s %.3f s wall, %.3f s CPU (target %.1f s)\n", what, t.wall, t.cpu, target);
}

} // namespace

int main()
{
    QElapsedTimer timer;
    timer.start();
    LogList list;
    buildList(list);
    std::printf("rows: %lld, built in %.3f s\n", qint64(list.rowCount()), bench::seconds(timer));

    qsizetype length = 0;
    report("host statistics:", bestOf([&] { length = hostStatisticsText(list).size(); }), 0.3);
    std::printf("  (%lld characters)\n", qint64(length));
    report("access statistics (all):",
           bestOf([&] { length = accessStatisticsText(list, 0).size(); }), 0.3);
    std::printf("  (%lld characters)\n", qint64(length));

    FindOutcome outcome = FindOutcome::Found;
    auto search = [&](bool matchCase) {
        SearchState state;
        outcome = findInList(state, list, 0, matchCase, u"NoSuchReferrer"_s, -1).outcome;
    };
    report("search, case ignored:", bestOf([&] { search(false); }), 0.2);
    report("search, case counted:", bestOf([&] { search(true); }), 0.2);
    return outcome == FindOutcome::EndReached ? 0 : 1;
}
