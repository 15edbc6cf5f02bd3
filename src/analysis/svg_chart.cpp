#include "analysis/svg_chart.h"

#include "analysis/html_text.h"

#include <algorithm>

namespace tw {
namespace {

using L = ChartLayout;

constexpr int kMostTicks = 5;
constexpr int kMostLabels = 12;
constexpr qsizetype kMostDots = 62; // more and the line's dots run together

QByteArray num(double value)
{
    return QByteArray::number(value, 'f', 1);
}

void appendLabel(QByteArray& out, double x, double y, const char* anchor, QStringView text)
{
    out += "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\" text-anchor=\"" + anchor + "\">";
    appendHtmlText(text, out);
    out += "</text>";
}

double yOf(qint64 value, qint64 top)
{
    return L::kTop + L::plotHeight() * (1.0 - double(value) / double(top));
}

void appendValueAxis(QByteArray& out, const AxisScale& scale)
{
    out += "<g class=\"axis\" font-size=\"13\" fill=\"#52606d\">";
    for (qint64 v = 0; v <= scale.top; v += scale.step) {
        const double y = yOf(v, scale.top);
        out += "<line x1=\"" + num(L::kLeft) + "\" x2=\"" + num(L::kWidth - L::kRight) +
               "\" y1=\"" + num(y) + "\" y2=\"" + num(y) + "\" stroke=\"" +
               (v ? "#e4e7eb" : "#7b8794") + "\"/>";
        appendLabel(out, L::kLeft - 6, y + 4, "end", QString::fromLatin1(htmlNumber(v)));
    }
    out += "<line x1=\"" + num(L::kLeft) + "\" x2=\"" + num(L::kLeft) + "\" y1=\"" + num(L::kTop) +
           "\" y2=\"" + num(L::kTop + L::plotHeight()) + "\" stroke=\"#7b8794\"/></g>";
}

} // namespace

AxisScale axisScale(qint64 largest)
{
    if (largest <= 0)
        return {};
    for (qint64 power = 1;; power *= 10) {
        for (const qint64 factor : {1, 2, 5}) {
            const qint64 step = power * factor;
            const qint64 ticks = largest / step + (largest % step != 0);
            qint64 top = 0;
            if (qMulOverflow(ticks, step, &top))
                return {largest, largest}; // beyond any count a log can hold
            if (ticks <= kMostTicks)
                return {top, step};
        }
    }
}

QByteArray svgChart(const ChartData& data)
{
    const qsizetype n = qsizetype(data.columns.size());
    qint64 largest = 0;
    for (const qint64 v : data.columns)
        largest = std::max(largest, v);
    for (const qint64 v : data.line)
        largest = std::max(largest, v);
    const AxisScale scale = axisScale(largest);
    const double slot = n ? L::plotWidth() / double(n) : L::plotWidth();
    const double barWidth = std::max(slot * 0.7, 0.5);

    QByteArray out;
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + num(L::kWidth) + ' ' +
           num(L::kHeight) + "\" role=\"img\" aria-label=\"";
    appendHtmlText(data.title, out);
    out += "\" font-family=\"sans-serif\">";
    appendValueAxis(out, scale);

    const qsizetype labelEvery = std::max<qsizetype>(1, (n + kMostLabels - 1) / kMostLabels);
    out += "<g class=\"labels\" font-size=\"13\" fill=\"#52606d\">";
    for (qsizetype i = 0; i < n && i < data.labels.size(); i += labelEvery)
        appendLabel(out, L::kLeft + slot * (double(i) + 0.5), L::kHeight - 8, "middle",
                    data.labels[i]);
    out += "</g>";

    // Each column is a group whose full-height, invisible rectangle catches the pointer, so even
    // a zero or a thin column shows its tip.
    out += "<g class=\"columns\">";
    for (qsizetype i = 0; i < n; ++i) {
        const qint64 value = data.columns[std::size_t(i)];
        const double x = L::kLeft + slot * double(i);
        const double y = yOf(value, scale.top);
        out += "<g><title>";
        if (i < data.tips.size())
            appendHtmlText(data.tips[i], out);
        out += "</title><rect x=\"" + num(x) + "\" y=\"" + num(L::kTop) + "\" width=\"" +
               num(slot) + "\" height=\"" + num(L::plotHeight()) + "\" fill=\"transparent\"/>";
        out += "<rect class=\"bar\" x=\"" + num(x + (slot - barWidth) / 2) + "\" y=\"" + num(y) +
               "\" width=\"" + num(barWidth) + "\" height=\"" + num(L::kTop + L::plotHeight() - y) +
               "\" fill=\"#4e79a7\"/></g>";
    }
    out += "</g>";

    if (!data.line.empty() && qsizetype(data.line.size()) == n) {
        QByteArray points;
        for (qsizetype i = 0; i < n; ++i) {
            points += num(L::kLeft + slot * (double(i) + 0.5)) + ',' +
                      num(yOf(data.line[std::size_t(i)], scale.top)) + ' ';
        }
        points.chop(1);
        out += "<polyline class=\"line\" points=\"" + points +
               "\" fill=\"none\" stroke=\"#e15759\" stroke-width=\"2\" "
               "stroke-linejoin=\"round\" pointer-events=\"none\"/>";
        if (n <= kMostDots) {
            out += "<g fill=\"#e15759\" pointer-events=\"none\">";
            for (qsizetype i = 0; i < n; ++i) {
                out += "<circle cx=\"" + num(L::kLeft + slot * (double(i) + 0.5)) + "\" cy=\"" +
                       num(yOf(data.line[std::size_t(i)], scale.top)) + "\" r=\"2.5\"/>";
            }
            out += "</g>";
        }
    }
    out += "</svg>";
    return out;
}

} // namespace tw
