// Times the host and access statistics, the drill-down from their entries and a search that
// matches nothing over a million rows;
// with --long-pages, the access statistics of rows that each come from their own long previous
// page, streamed as the command line writes them, with the memory it takes beyond the list.
#include "bench_support.h"

#include "analysis/access_statistics.h"
#include "analysis/drill_down.h"
#include "analysis/host_statistics.h"
#include "analysis/search.h"
#include "analysis/statistics_report.h"
#include "core/log_list.h"
#include "core/log_reader.h"

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

using Timing = bench::BestTiming;

Timing bestOf(const std::function<void()>& work)
{
    return bench::bestOf(kRepeats, work);
}

void report(const char* what, const Timing& t, double target)
{
    std::printf("%-28s %.3f s wall, %.3f s CPU (target %.1f s)\n", what, t.wall, t.cpu, target);
}

// Rows from the seeded generator whose previous pages are all distinct, pageBytes long.
void buildLongPageList(LogList& list, qint64 rows, int pageBytes)
{
    bench::VisitGenerator generator(1, 300, rows, pageBytes);
    bench::Visit visit;
    LogBatch batch;
    batch.reserveRows(rows);
    const auto view = [](const std::string& s) {
        return QByteArrayView(s.data(), qsizetype(s.size()));
    };
    for (qint64 i = 0; i < rows; ++i) {
        generator.next(visit);
        batch.addRow({view(visit.browser), view(visit.host), view(visit.ip), view(visit.dateTime),
                      view(visit.previousPage)});
    }
    list.append(std::move(batch));
}

int benchLongPages(qint64 rows, int pageBytes)
{
    LogList list;
    buildLongPageList(list, rows, pageBytes);
    qint64 text = 0;
    for (qsizetype i = 0; i < list.rowCount(); ++i)
        text += list.row(i).size();
    const qint64 listedKb = bench::peakRssKb();
    std::printf("rows: %lld, list text %.1f MB, peak %.1f MB\n", qint64(rows), double(text) / 1e6,
                double(listedKb) / 1e3);
    qint64 written = 0;
    const Timing access = bestOf([&] {
        writeAccessStatistics(list, 0, [&](QByteArrayView piece) { written += piece.size(); });
    });
    report("access statistics (all):", access, 0.3);
    std::printf("  (%lld bytes; peak memory %.2f x the list text)\n", written / kRepeats,
                double(bench::peakRssKb()) * 1e3 / double(text));
    bench::result("stats-access-long-pages", access.wall);
    return 0;
}

} // namespace

// Without arguments, a built list of a million rows; with --file LIST, that list file; with
// --long-pages BYTES [ROWS], ROWS (default 1,000,000) rows with distinct pages of that size.
int main(int argc, char* argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    if (const qsizetype at = args.indexOf(u"--long-pages"_s); at >= 0 && at + 1 < args.size()) {
        const int pageBytes = args.at(at + 1).toInt();
        args.remove(at, 2);
        return benchLongPages(bench::parseRunArguments(args).log.rows, pageBytes);
    }
    const QString file = bench::parseRunArguments(args).file;
    QElapsedTimer timer;
    timer.start();
    LogList list;
    if (file.isEmpty()) {
        buildList(list);
    } else {
        ReadResult read = readLogFile(file);
        if (read.status != ReadStatus::Ok) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(file));
            return 1;
        }
        list.append(std::move(read.batch));
    }
    std::printf("rows: %lld, built in %.3f s\n", qint64(list.rowCount()), bench::seconds(timer));

    qsizetype length = 0;
    const Timing browser = bestOf([&] { length = browserReportBody(list.browserTally()).size(); });
    report("browser statistics:", browser, 0.3);
    const Timing platform = bestOf(
        [&] { length = platformReportBody(list.platformTally(), list.userPlatforms()).size(); });
    report("platform statistics:", platform, 0.3);
    const Timing host = bestOf([&] { length = hostStatisticsText(list).size(); });
    report("host statistics:", host, 0.3);
    std::printf("  (%lld characters)\n", qint64(length));
    const Timing access = bestOf([&] { length = accessStatisticsText(list, 0).size(); });
    report("access statistics (all):", access, 0.3);
    std::printf("  (%lld characters)\n", qint64(length));

    // Drill-down: listing a statistic's entries, then one pass of its first entry over the rows.
    const std::pair<DrillStatistic, const char*> drills[] = {
        {DrillStatistic::Browser, "browser"},
        {DrillStatistic::Platform, "platform"},
        {DrillStatistic::PreviousPage, "page"},
        {DrillStatistic::Hour, "hour"},
        {DrillStatistic::HostDomain, "domain"}};
    for (const auto& [statistic, name] : drills) {
        std::vector<DrillEntry> entries;
        const Timing listing = bestOf([&] { entries = drillEntries(statistic, list); });
        qsizetype kept = 0;
        const Timing pass = bestOf([&] {
            kept = 0;
            for (qsizetype row = 0; row < list.rowCount(); ++row)
                kept += entries.front().drill.keeps(list, row);
        });
        std::printf("drill-down %-8s entries %.3f s, %lld; rows of the first %.3f s, %lld\n", name,
                    listing.wall, qint64(entries.size()), pass.wall, qint64(kept));
        bench::result(qPrintable(u"drill-"_s + QLatin1StringView(name)), pass.wall);
    }

    FindOutcome outcome = FindOutcome::Found;
    auto search = [&](bool matchCase) {
        SearchState state;
        outcome = findInList(state, list, 0, matchCase, u"NoSuchReferrer"_s, -1).outcome;
    };
    const Timing ignored = bestOf([&] { search(false); });
    report("search, case ignored:", ignored, 0.2);
    const Timing counted = bestOf([&] { search(true); });
    report("search, case counted:", counted, 0.2);
    bench::result("stats-browser", browser.wall);
    bench::result("stats-platform", platform.wall);
    bench::result("stats-host", host.wall);
    bench::result("stats-access", access.wall);
    bench::result("search-nothing", std::max(ignored.wall, counted.wall));
    return outcome == FindOutcome::EndReached ? 0 : 1;
}
