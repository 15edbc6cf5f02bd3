#include "analysis/host_statistics.h"

#include "analysis/count_order.h"
#include "analysis/first_seen_tally.h"
#include "analysis/report_lines.h"
#include "core/log_list.h"

namespace tw {
namespace {

inline bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::optional<QByteArrayView> domainTail(QByteArrayView host)
{
    int dots = 0;
    for (qsizetype i = host.size(); i-- > 0;) {
        if (host[i] == '.' && ++dots == 3)
            return host.sliced(i);
    }
    return std::nullopt;
}

bool isNumericHost(QByteArrayView host)
{
    if (host.isEmpty() || !isDigit(host.back()))
        return false;
    int digitDots = 0;
    for (qsizetype i = 1; i < host.size() && digitDots < 3; ++i) {
        if (host[i] == '.' && isDigit(host[i - 1]))
            ++digitDots;
    }
    return digitDots == 3;
}

std::optional<QByteArrayView> hostDomainKey(const LogList& list, qsizetype row)
{
    const QByteArrayView host = list.field(row, ColHost);
    return host.isEmpty() || isNumericHost(host) ? std::nullopt : domainTail(host);
}

FirstSeenTally hostDomainTally(const LogList& list, const RowSubset& rows)
{
    return rows.apply(list, [&](qsizetype count, auto rowAt) {
        return FirstSeenTally(count, [&](qsizetype i) { return hostDomainKey(list, rowAt(i)); });
    });
}

void writeHostStatistics(const LogList& list, const ReportSink& sink, const RowSubset& rows)
{
    const FirstSeenTally groups = hostDomainTally(list, rows);

    ReportLines out(sink);
    out.append("    ＊＊＊ ホスト統計 ＊＊＊");
    out.endLine();
    out.append("  カウント\tホスト名        有効カウント数:");
    out.appendNumber(groups.total());
    out.endLine();
    if (groups.size() == 0) {
        // The table starts with one empty entry that no row filled.
        out.append("  0回\t");
        out.endLine();
    } else {
        const std::vector<qsizetype> order = countOrder(groups.counts());
        appendEntryLines(out, groups, order, order.size(), "*");
    }
    out.finish();
}

QString hostStatisticsText(const LogList& list, const RowSubset& rows)
{
    return collectReport([&](const ReportSink& sink) { writeHostStatistics(list, sink, rows); });
}

} // namespace tw
