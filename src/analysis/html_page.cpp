#include "analysis/html_page.h"

#include "analysis/html_text.h"
#include "analysis/svg_chart.h"

#include <QLocale>

#include <algorithm>
#include <limits>
#include <numeric>

using namespace Qt::StringLiterals;

namespace tw {
namespace {

// No script, font, image or frame may load, whatever the page holds.
constexpr char kHead[] = R"(<!DOCTYPE html>
<html lang="ja">
<head>
<meta charset="utf-8"/>
<meta name="viewport" content="width=device-width, initial-scale=1"/>
<meta http-equiv="Content-Security-Policy" content="default-src 'none'; style-src 'unsafe-inline'"/>
<meta name="generator" content="Tallyweaver"/>
)";

constexpr char kStyle[] = R"(<style>
body{margin:0;background:#f3f5f7;color:#1f2933;line-height:1.5;-webkit-text-size-adjust:100%;
font-family:system-ui,-apple-system,"Hiragino Sans","Noto Sans CJK JP","Yu Gothic UI",Meiryo,sans-serif}
main{max-width:1120px;margin:0 auto;padding:12px}
h1{font-size:1.35rem;margin:4px 0}
h2{font-size:1.05rem;margin:0 0 8px}
.meta{margin:0;color:#52606d;font-size:.9rem;overflow-wrap:anywhere}
.filter{margin:10px 0;padding:8px 12px;background:#fff8e1;border-left:4px solid #f0b429;overflow-wrap:anywhere}
.totals{display:grid;grid-template-columns:repeat(auto-fit,minmax(150px,1fr));gap:10px;margin:12px 0}
.card,section{background:#fff;border-radius:8px;box-shadow:0 1px 3px rgba(0,0,0,.1)}
.card{padding:10px 14px}
.card .label{font-size:.85rem;color:#52606d}
.card .value{font-size:1.45rem;font-weight:600;white-space:nowrap}
.card .note{font-size:.8rem;color:#52606d}
section{padding:12px 14px;margin:12px 0;min-width:0}
.tables{display:grid;grid-template-columns:repeat(auto-fit,minmax(400px,1fr));gap:0 12px;align-items:start}
.chart,.scroll{overflow-x:auto}
.chart svg{display:block;width:100%;min-width:600px;height:auto}
.legend{margin:0 0 4px;font-size:.85rem;color:#52606d}
.swatch{display:inline-block;width:12px;height:12px;margin:0 4px 0 10px;vertical-align:-1px}
table{border-collapse:collapse;width:100%;font-size:.9rem}
th,td{padding:3px 6px;border-bottom:1px solid #e4e7eb;text-align:left;vertical-align:top}
th{font-weight:600;color:#52606d;white-space:nowrap}
.num{text-align:right;white-space:nowrap;font-variant-numeric:tabular-nums}
.key{overflow-wrap:anywhere;min-width:9em}
.share{width:18%;min-width:48px}
.share span{display:block;height:10px;margin-top:6px;background:#4e79a7;border-radius:2px}
.more,.empty,footer{color:#52606d;font-size:.85rem;margin:6px 0 0}
details{margin-top:8px}
summary{cursor:pointer;color:#334e68}
@media (max-width:600px){main{padding:8px}section{padding:10px}.tables{grid-template-columns:1fr}th,td{padding:3px 4px}.key{min-width:7em}}
</style>
</head>
)";

QByteArray count(qint64 value)
{
    return htmlNumber(value);
}

// Columns of the daily chart at most: more would be too thin to see or point at.
constexpr std::size_t kMostDayColumns = 400;

// Sums of figures that may each be as large as a hostile log makes them.
qint64 addSaturating(qint64 a, qint64 b)
{
    qint64 sum = 0;
    return qAddOverflow(a, b, &sum) ? std::numeric_limits<qint64>::max() : sum;
}

QString bytesText(qint64 bytes)
{
    return QLocale::c().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

QByteArray shareText(qint64 part, qint64 whole)
{
    const double percent = whole ? 100.0 * double(part) / double(whole) : 0.0;
    return QByteArray::number(percent, 'f', 2) + '%';
}

void appendEscaped(QByteArray& out, const QString& text)
{
    appendHtmlText(text, out);
}

void appendCard(QByteArray& out, const QString& label, const QByteArray& value,
                const QString& note = {})
{
    out += "<div class=\"card\"><div class=\"label\">";
    appendEscaped(out, label);
    out += "</div><div class=\"value\">" + value + "</div>";
    if (!note.isEmpty()) {
        out += "<div class=\"note\">";
        appendEscaped(out, note);
        out += "</div>";
    }
    out += "</div>\n";
}

void appendTotals(QByteArray& out, const ReportFigures& f)
{
    qint64 visitors = 0;
    qint64 bytes = 0;
    for (const DayFigures& d : f.days) {
        visitors = addSaturating(visitors, d.visitors);
        bytes = addSaturating(bytes, d.bytes);
    }
    out += "<div class=\"totals\">\n";
    appendCard(out, u"アクセス数"_s, count(f.rows));
    QString period = u"日付のある行なし"_s;
    if (!f.days.empty()) {
        period = f.days.front().day.toString(u"yyyy/MM/dd"_s) + u" – "_s +
                 f.days.back().day.toString(u"yyyy/MM/dd"_s);
    }
    appendCard(out, u"日数"_s, count(qint64(f.days.size())), period);
    appendCard(out, u"訪問者数"_s, count(visitors), u"日ごとの訪問者の合計"_s);
    appendCard(out, u"転送量"_s, htmlText(bytesText(bytes)),
               QString::fromUtf8(count(bytes)) + u" バイト"_s);
    appendCard(out, u"ボットの割合"_s, shareText(f.botRows, f.rows),
               QString::fromUtf8(count(f.botRows)) + u" 件"_s);
    out += "</div>\n";
}

void appendLegend(QByteArray& out)
{
    out += "<p class=\"legend\"><span class=\"swatch\" style=\"background:#4e79a7\"></span>"
           "アクセス数<span class=\"swatch\" style=\"background:#e15759;height:3px;"
           "vertical-align:3px\"></span>訪問者数</p>\n";
}

// A table of figures behind a chart, folded away until asked for.
void appendFigureTable(QByteArray& out, const QString& summary, const QStringList& heads,
                       const std::vector<QList<QByteArray>>& rows)
{
    out += "<details><summary>";
    appendEscaped(out, summary);
    out += "</summary><div class=\"scroll\"><table><thead><tr>";
    for (qsizetype i = 0; i < heads.size(); ++i) {
        out += i ? "<th class=\"num\">" : "<th>";
        appendEscaped(out, heads[i]);
        out += "</th>";
    }
    out += "</tr></thead><tbody>\n";
    for (const QList<QByteArray>& cells : rows) {
        out += "<tr>";
        for (qsizetype i = 0; i < cells.size(); ++i)
            out += (i ? "<td class=\"num\">" : "<td>") + cells[i] + "</td>";
        out += "</tr>\n";
    }
    out += "</tbody></table></div></details>\n";
}

// Figures of a stretch of days, as one column of the daily chart.
struct DaySpan {
    QDate first;
    QDate last;
    qint64 hits = 0;
    qint64 visitors = 0;
    qint64 bytes = 0;
};

// One column per day, or, for a log whose dates span more days than a chart can show (a hostile
// one may span millennia), per run of days, so that the page stays small.
std::vector<DaySpan> daySpans(const std::vector<DayFigures>& days)
{
    const std::size_t per = (days.size() + kMostDayColumns - 1) / kMostDayColumns;
    std::vector<DaySpan> spans;
    spans.reserve(days.size() / std::max<std::size_t>(per, 1) + 1);
    for (std::size_t i = 0; i < days.size(); ++i) {
        if (i % per == 0)
            spans.push_back({days[i].day, days[i].day});
        DaySpan& s = spans.back();
        s.last = days[i].day;
        s.hits = addSaturating(s.hits, days[i].hits);
        s.visitors = addSaturating(s.visitors, days[i].visitors);
        s.bytes = addSaturating(s.bytes, days[i].bytes);
    }
    return spans;
}

void appendDays(QByteArray& out, const std::vector<DayFigures>& days)
{
    out += "<section id=\"days\"><h2>日別のアクセス数と訪問者数</h2>\n";
    if (days.empty()) {
        out += "<p class=\"empty\">日付のある行がありません。</p></section>\n";
        return;
    }
    const QString label =
        days.front().day.year() == days.back().day.year() ? u"M/d"_s : u"yyyy/M/d"_s;
    ChartData chart;
    chart.title = u"日別のアクセス数と訪問者数"_s;
    std::vector<QList<QByteArray>> rows;
    for (const DaySpan& d : daySpans(days)) {
        QString date = d.first.toString(u"yyyy/MM/dd"_s);
        if (d.last != d.first)
            date += u" – "_s + d.last.toString(u"yyyy/MM/dd"_s);
        chart.labels.append(d.first.toString(label));
        chart.tips.append(u"%1  アクセス %2  訪問者 %3  転送量 %4"_s.arg(
            date, QString::fromUtf8(count(d.hits)), QString::fromUtf8(count(d.visitors)),
            bytesText(d.bytes)));
        chart.columns.push_back(d.hits);
        chart.line.push_back(d.visitors);
        rows.push_back({date.toUtf8(), count(d.hits), count(d.visitors), count(d.bytes)});
    }
    appendLegend(out);
    out += "<div class=\"chart\">" + svgChart(chart) + "</div>\n";
    appendFigureTable(out, u"日別の数値"_s,
                      {u"日付"_s, u"アクセス数"_s, u"訪問者数"_s, u"バイト数"_s}, rows);
    out += "</section>\n";
}

void appendHours(QByteArray& out, const std::array<HourFigures, 24>& hours)
{
    out += "<section id=\"hours\"><h2>時間帯別のアクセス数と訪問者数</h2>\n";
    ChartData chart;
    chart.title = u"時間帯別のアクセス数と訪問者数"_s;
    std::vector<QList<QByteArray>> rows;
    for (int h = 0; h < 24; ++h) {
        const HourFigures& f = hours[std::size_t(h)];
        const QString hour = u"%1"_s.arg(h, 2, 10, QLatin1Char('0'));
        chart.labels.append(hour);
        chart.tips.append(u"%1時台  アクセス %2  訪問者 %3"_s.arg(
            hour, QString::fromUtf8(count(f.hits)), QString::fromUtf8(count(f.visitors))));
        chart.columns.push_back(f.hits);
        chart.line.push_back(f.visitors);
        rows.push_back({(hour + u"時台"_s).toUtf8(), count(f.hits), count(f.visitors)});
    }
    appendLegend(out);
    out += "<div class=\"chart\">" + svgChart(chart) + "</div>\n";
    appendFigureTable(out, u"時間帯別の数値"_s, {u"時間帯"_s, u"アクセス数"_s, u"訪問者数"_s},
                      rows);
    out += "</section>\n";
}

void appendTable(QByteArray& out, const ReportTable& table, int top)
{
    out += "<section><h2>";
    appendEscaped(out, table.title);
    out += "</h2>\n";
    if (table.entries.empty()) {
        out += "<p class=\"empty\">該当する行はありません。</p></section>\n";
        return;
    }
    out += "<div class=\"scroll\"><table><thead><tr><th class=\"num\">順位</th><th>";
    appendEscaped(out, table.keyHeader);
    out += "</th><th class=\"num\">件数</th><th class=\"num\">割合</th><th class=\"share\"></th>"
           "</tr></thead><tbody>\n";
    const std::size_t shown = std::min(table.entries.size(), std::size_t(std::max(top, 0)));
    // The bars are drawn against the first entry, so that small shares stay told apart.
    const qint64 largest = shown ? std::max<qint64>(table.entries.front().count, 1) : 1;
    for (std::size_t i = 0; i < shown; ++i) {
        const KeyCount& e = table.entries[i];
        out += "<tr><td class=\"num\">" + QByteArray::number(qulonglong(i + 1)) +
               "</td><td class=\"key\">";
        appendEscaped(out, e.key);
        out += "</td><td class=\"num\">" + count(e.count) + "</td><td class=\"num\">" +
               shareText(e.count, table.counted) + "</td><td class=\"share\"><span style=\"width:" +
               QByteArray::number(100.0 * double(e.count) / double(largest), 'f', 1) +
               "%\"></span></td></tr>\n";
    }
    out += "</tbody></table></div>\n";
    if (shown < table.entries.size()) {
        const qint64 rest =
            std::accumulate(table.entries.begin() + qsizetype(shown), table.entries.end(),
                            qint64(0), [](qint64 sum, const KeyCount& e) { return sum + e.count; });
        out += "<p class=\"more\">ほか " + count(qint64(table.entries.size() - shown)) + " 項目（" +
               count(rest) + " 件）</p>\n";
    }
    out += "</section>\n";
}

} // namespace

QByteArray htmlReportPage(const ReportFigures& figures, const HtmlReportOptions& options)
{
    QByteArray out = kHead;
    out += "<title>アクセスレポート - ";
    appendEscaped(out, options.title);
    out += "</title>\n";
    out += kStyle;
    out += "<body>\n<main>\n<header><h1>アクセスレポート</h1><p class=\"meta\">";
    appendEscaped(out, options.title);
    out += "</p><p class=\"meta\">作成日時: ";
    appendEscaped(out, options.madeAt.toString(u"yyyy/MM/dd hh:mm"_s));
    out += "</p></header>\n";
    if (!options.filterLabel.isEmpty()) {
        out += "<p class=\"filter\"><strong>フィルタ適用中:</strong> ";
        appendEscaped(out, options.filterLabel);
        out += "</p>\n";
    }
    appendTotals(out, figures);
    appendDays(out, figures.days);
    appendHours(out, figures.hours);
    out += "<div class=\"tables\">\n";
    for (const ReportTable& table : figures.tables)
        appendTable(out, table, options.top);
    out += "</div>\n<footer>訪問者: 同じ日の同じアドレスとユーザーエージェントを 1 人と数えます。"
           "Tallyweaver で作成。</footer>\n</main>\n</body>\n</html>\n";
    return out;
}

} // namespace tw
