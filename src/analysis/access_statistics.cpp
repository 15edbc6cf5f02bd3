#include "analysis/access_statistics.h"

#include "analysis/count_order.h"
#include "analysis/first_seen_tally.h"
#include "analysis/report_lines.h"
#include "core/log_list.h"

#include <array>

using namespace Qt::StringLiterals;

namespace tw {
namespace {

inline bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A short number: blanks, an optional sign, digits with at most one decimal point, blanks.
// Returns the value rounded half away from zero, or -1 when the text is not such a number or
// the value is negative.
int roundedNumber(QByteArrayView text)
{
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && text[i] == ' ')
        ++i;
    while (end > i && text[end - 1] == ' ')
        --end;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int whole = 0;
    int firstDecimal = 0; // only the first decimal decides the rounding
    bool digits = false;
    bool point = false;
    bool decimalSeen = false;
    for (; i < end; ++i) {
        const char c = text[i];
        if (isDigit(c)) {
            digits = true;
            if (!point) {
                whole = whole * 10 + (c - '0');
            } else if (!decimalSeen) {
                firstDecimal = c - '0';
                decimalSeen = true;
            }
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return -1;
        }
    }
    if (!digits)
        return -1;
    const int rounded = whole + (firstDecimal >= 5 ? 1 : 0);
    if (negative && rounded != 0)
        return -1;
    return rounded;
}

} // namespace

int hourOfDateTime(QByteArrayView dateTime)
{
    const qsizetype colon = dateTime.indexOf(':');
    if (colon <= 0)
        return -1;
    // Both characters must be ASCII to read as a number, and then they are the two bytes
    // before the colon.
    const QByteArrayView before = dateTime.sliced(colon < 2 ? 0 : colon - 2, colon < 2 ? 1 : 2);
    for (char c : before) {
        if (uchar(c) >= 0x80)
            return -1;
    }
    const int hour = roundedNumber(before);
    return hour >= 0 && hour <= 23 ? hour : -1;
}

std::size_t listedPageCount(int aLogMax, std::size_t entries)
{
    if (aLogMax < 0)
        return 0;
    return aLogMax == 0 || std::size_t(aLogMax) > entries ? entries : std::size_t(aLogMax);
}

QString formatShare(qint64 count, qint64 divisor)
{
    // Hundredths of a percent, rounded half away from zero, in integers.
    const qint64 hundredths = (2 * count * 10000 + divisor) / (2 * divisor);
    const qint64 fraction = hundredths % 100;
    QString out = QString::number(hundredths / 100);
    out += fraction < 10 ? u".0"_s : u"."_s;
    out += QString::number(fraction);
    out += u'%';
    return out;
}

QByteArrayView previousPageKey(const LogList& list, qsizetype row)
{
    return list.field(row, ColPreviousPage);
}

int hourOfRow(const LogList& list, qsizetype row)
{
    return hourOfDateTime(list.field(row, ColDateTime));
}

FirstSeenTally previousPageTally(const LogList& list, const RowSubset& rows)
{
    return rows.apply(list, [&](qsizetype count, auto rowAt) {
        return FirstSeenTally(
            count, [&](qsizetype i) { return std::optional(previousPageKey(list, rowAt(i))); });
    });
}

std::array<qint64, 24> hourCounts(const LogList& list, const RowSubset& rows)
{
    std::array<qint64, 24> hours{};
    rows.apply(list, [&](qsizetype count, auto rowAt) {
        for (qsizetype i = 0; i < count; ++i) {
            const int hour = hourOfRow(list, rowAt(i));
            if (hour >= 0)
                ++hours[std::size_t(hour)];
        }
    });
    return hours;
}

void writeAccessStatistics(const LogList& list, int aLogMax, const ReportSink& sink,
                           const RowSubset& rows)
{
    const FirstSeenTally pages = previousPageTally(list, rows);
    const std::array<qint64, 24> hours = hourCounts(list, rows);

    ReportLines out(sink);
    out.append("    ＊＊＊ アクセス回数 ＊＊＊");
    out.endLine();
    out.append("  カウント\t前回頁");
    out.endLine();
    if (pages.size() == 0) {
        // The table starts with one empty entry that no row filled.
        if (aLogMax >= 0) {
            out.append("  0回\t");
            out.endLine();
        }
    } else if (aLogMax >= 0) {
        const std::vector<qsizetype> order = countOrder(pages.counts());
        appendEntryLines(out, pages, order, listedPageCount(aLogMax, order.size()));
    }
    out.endLine();
    out.append("      ＊＊＊ アクセス時間帯 ＊＊＊");
    out.endLine();
    out.append("  時間帯\t回数\t比率");
    out.endLine();

    qint64 total = 0;
    for (qint64 n : hours)
        total += n;
    const qint64 divisor = total == 0 ? 1 : total;
    for (int h = 0; h < 24; ++h) {
        out.append(" ");
        out.appendNumber(h);
        out.append("時台\t");
        out.appendNumber(hours[std::size_t(h)]);
        out.append("回\t");
        out.append(formatShare(hours[std::size_t(h)], divisor).toLatin1());
        out.endLine();
    }
    out.finish();
}

QString accessStatisticsText(const LogList& list, int aLogMax, const RowSubset& rows)
{
    return collectReport(
        [&](const ReportSink& sink) { writeAccessStatistics(list, aLogMax, sink, rows); });
}

} // namespace tw
