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

void appendDigits(QString& out, int n, int digits)
{
    for (int d = digits - 1; d >= 0; --d) {
        int divisor = 1;
        for (int k = 0; k < d; ++k)
            divisor *= 10;
        out += QChar(u'0' + (n / divisor) % 10);
    }
}

// The lines of a writer in a list.
template <typename Write> QStringList collectLines(Write write)
{
    QStringList lines;
    write([&](QStringView line) { lines.append(line.toString()); });
    return lines;
}

} // namespace

void writeKeyCountLines(const KeyCounts& counts, qsizetype top, const LineSink& sink)
{
    const std::size_t n = lineCount(counts.entries.size(), top);
    for (std::size_t i = 0; i < n; ++i) {
        const KeyCount& entry = counts.entries[i];
        sink(QString::number(entry.count) + u'\t' + formatShare(entry.count, counts.counted) +
             u'\t' + shownKey(entry.key));
    }
}

void writeDayLines(const std::vector<DayFigures>& days, qsizetype top, const LineSink& sink)
{
    const std::size_t n = lineCount(days.size(), top);
    QString line;
    for (std::size_t i = 0; i < n; ++i) {
        // Built in one buffer: a hostile log can span millions of days.
        const DayFigures& d = days[i];
        int year = 0;
        int month = 0;
        int day = 0;
        d.day.getDate(&year, &month, &day);
        line.clear();
        appendDigits(line, year, 4);
        line += u'/';
        appendDigits(line, month, 2);
        line += u'/';
        appendDigits(line, day, 2);
        for (qint64 figure : {d.hits, d.visitors, d.bytes}) {
            line += u'\t';
            line += QString::number(figure);
        }
        sink(line);
    }
}

void writeHourLines(const std::array<HourFigures, 24>& hours, qsizetype top, const LineSink& sink)
{
    const std::size_t n = lineCount(hours.size(), top);
    for (std::size_t h = 0; h < n; ++h) {
        sink(u"%1\t%2\t%3"_s.arg(h, 2, 10, QChar(u'0')).arg(hours[h].hits).arg(hours[h].visitors));
    }
}

QStringList keyCountLines(const KeyCounts& counts, qsizetype top)
{
    return collectLines([&](const LineSink& sink) { writeKeyCountLines(counts, top, sink); });
}

QStringList dayLines(const std::vector<DayFigures>& days, qsizetype top)
{
    return collectLines([&](const LineSink& sink) { writeDayLines(days, top, sink); });
}

QStringList hourLines(const std::array<HourFigures, 24>& hours, qsizetype top)
{
    return collectLines([&](const LineSink& sink) { writeHourLines(hours, top, sink); });
}

bool writeVisitorStatistic(VisitorStatistic statistic, const LogList& list, const RowSubset& rows,
                           qsizetype top, const LineSink& sink, const std::atomic<bool>* cancel)
{
    switch (statistic) {
    case VisitorStatistic::Days:
        if (const auto days = dayFigures(list, rows, cancel)) {
            writeDayLines(*days, top, sink);
            return true;
        }
        return false;
    case VisitorStatistic::Hours:
        if (const auto hours = hourFigures(list, rows, cancel)) {
            writeHourLines(*hours, top, sink);
            return true;
        }
        return false;
    default:
        if (const auto counts = countKeys(statistic, list, rows, cancel)) {
            writeKeyCountLines(*counts, top, sink);
            return true;
        }
        return false;
    }
}

std::optional<QStringList> visitorStatisticLines(VisitorStatistic statistic, const LogList& list,
                                                 const RowSubset& rows, qsizetype top,
                                                 const std::atomic<bool>* cancel)
{
    bool done = false;
    QStringList lines = collectLines([&](const LineSink& sink) {
        done = writeVisitorStatistic(statistic, list, rows, top, sink, cancel);
    });
    return done ? std::optional(std::move(lines)) : std::nullopt;
}

} // namespace tw
