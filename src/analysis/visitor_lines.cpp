#include "analysis/visitor_lines.h"

#include "analysis/access_statistics.h"
#include "core/cp932.h"

using namespace Qt::StringLiterals;

namespace tw {
namespace {

std::size_t lineCount(std::size_t entries, qsizetype top)
{
    return top < 0 ? entries : std::min(entries, std::size_t(top));
}

QString shownKey(const QString& key)
{
    QString out = cp932::withoutCodeMarks(key);
    for (QChar& c : out) {
        if (c == u'\t' || c == u'\r' || c == u'\n')
            c = u' ';
    }
    return out;
}

} // namespace

QStringList keyCountLines(const KeyCounts& counts, qsizetype top)
{
    QStringList out;
    const std::size_t n = lineCount(counts.entries.size(), top);
    out.reserve(qsizetype(n));
    for (std::size_t i = 0; i < n; ++i) {
        const KeyCount& entry = counts.entries[i];
        out.append(QString::number(entry.count) + u'\t' + formatShare(entry.count, counts.counted) +
                   u'\t' + shownKey(entry.key));
    }
    return out;
}

QStringList dayLines(const std::vector<DayFigures>& days, qsizetype top)
{
    QStringList out;
    const std::size_t n = lineCount(days.size(), top);
    out.reserve(qsizetype(n));
    for (std::size_t i = 0; i < n; ++i) {
        const DayFigures& d = days[i];
        out.append(u"%1\t%2\t%3\t%4"_s.arg(d.day.toString(u"yyyy/MM/dd"_s))
                       .arg(d.hits)
                       .arg(d.visitors)
                       .arg(d.bytes));
    }
    return out;
}

QStringList hourLines(const std::array<HourFigures, 24>& hours, qsizetype top)
{
    QStringList out;
    const std::size_t n = lineCount(hours.size(), top);
    for (std::size_t h = 0; h < n; ++h) {
        out.append(
            u"%1\t%2\t%3"_s.arg(h, 2, 10, QChar(u'0')).arg(hours[h].hits).arg(hours[h].visitors));
    }
    return out;
}

std::optional<QStringList> visitorStatisticLines(VisitorStatistic statistic, const LogList& list,
                                                 const RowSubset& rows, qsizetype top,
                                                 const std::atomic<bool>* cancel)
{
    switch (statistic) {
    case VisitorStatistic::Days:
        if (const auto days = dayFigures(list, rows, cancel))
            return dayLines(*days, top);
        return std::nullopt;
    case VisitorStatistic::Hours:
        if (const auto hours = hourFigures(list, rows, cancel))
            return hourLines(*hours, top);
        return std::nullopt;
    default:
        if (const auto counts = countKeys(statistic, list, rows, cancel))
            return keyCountLines(*counts, top);
        return std::nullopt;
    }
}

} // namespace tw
