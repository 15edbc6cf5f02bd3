#pragma once

#include "analysis/visitor_statistics.h"

#include <QDate>
#include <QWidget>

#include <array>
#include <vector>

namespace tw {

// The daily or hourly figures as a chart: a column of hits for each day or hour, a line of
// visitors over them, axes with ticks and labels. The column under the mouse is highlighted
// and its figures shown as a tooltip; a click asks to drill down to it. Days too many for the
// width keep a few pixels each and the chart grows wider than its place, to be scrolled.
class VisitorChart final : public QWidget {
    Q_OBJECT

public:
    explicit VisitorChart(QWidget* parent = nullptr);

    void setDays(const std::vector<DayFigures>& days);
    void setHours(const std::array<HourFigures, 24>& hours);

    bool showsDays() const { return m_showsDays; }
    qsizetype columnCount() const { return qsizetype(m_columns.size()); }
    // The day of a column of days, or the hour of a column of hours.
    QDate dayOf(qsizetype column) const;
    // The column whose slot holds pos inside the plot, whatever its height; -1 elsewhere.
    qsizetype columnAt(QPoint pos) const;
    // The centre of a column's slot at the foot of the plot.
    QPoint columnFoot(qsizetype column) const;
    // The figures of a column as its tooltip says them.
    QString figuresText(qsizetype column) const;
    qsizetype hoveredColumn() const { return m_hovered; }
    // The top of the value axis and the distance between its ticks.
    qint64 axisTop() const { return m_axisTop; }
    qint64 tickStep() const { return m_tickStep; }
    // Labels stand under every this many columns so that no two overlap.
    qsizetype labelStep() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void columnClicked(qsizetype column);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Column {
        QDate day; // days only
        qint64 hits = 0;
        qint64 visitors = 0;
        qint64 bytes = 0;
    };
    QRect plotRect() const;
    double slotWidth() const;
    int leftMargin() const;
    QString axisLabel(qsizetype column) const;
    void paintColumns(QPainter& painter, const QRect& plot, const QRect& dirty) const;
    void paintAxes(QPainter& painter, const QRect& plot, const QRect& dirty) const;
    void paintLegend(QPainter& painter, const QRect& plot) const;
    void setHovered(qsizetype column);
    void figuresChanged();

    std::vector<Column> m_columns;
    bool m_showsDays = true;
    qint64 m_axisTop = 1;
    qint64 m_tickStep = 1;
    qsizetype m_hovered = -1;
};

// A value axis from 0 that holds `largest` in about five ticks of 1, 2 or 5 times a power of
// ten: {top, step}.
std::pair<qint64, qint64> niceAxis(qint64 largest);

} // namespace tw
