#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace tw {

// A column chart with an optional line over the same axis, one column per label.
struct ChartData {
    QString title;      // what a screen reader announces
    QStringList labels; // under the columns; thinned out when there are many
    QStringList tips;   // per column, shown on hover
    std::vector<qint64> columns;
    std::vector<qint64> line; // empty for none; else one value per column
};

// Geometry of the drawing, in the units of its viewBox.
struct ChartLayout {
    static constexpr double kWidth = 800;
    static constexpr double kHeight = 270;
    static constexpr double kLeft = 64;
    static constexpr double kRight = 10;
    static constexpr double kTop = 12;
    static constexpr double kBottom = 28;
    static constexpr double plotWidth() { return kWidth - kLeft - kRight; }
    static constexpr double plotHeight() { return kHeight - kTop - kBottom; }
};

// The chart as inline SVG: axes, ticks at round values, labels, and every column with its tip
// as a <title>, zero columns included, so that each one can be hovered. Every text is escaped.
QByteArray svgChart(const ChartData& data);

// The top of the value axis and its step: round numbers, the top at or above the largest value.
struct AxisScale {
    qint64 top = 1;
    qint64 step = 1;
};
AxisScale axisScale(qint64 largest);

} // namespace tw
