#include "analysis/ui/visitor_chart.h"

#include "analysis/ui/statistics_look.h"

#include <QHelpEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace tw {
namespace {

constexpr int kMinSlot = 3; // pixels a column keeps however many there are
constexpr int kTopMargin = 28;
constexpr int kRightMargin = 16;
constexpr int kTick = 4;
constexpr int kMaxColumn = 48;

QString number(qint64 n)
{
    return QLocale(QLocale::Japanese).toString(n);
}

// The smallest step of `steps` (repeated in multiples of the last) at least `needed`.
qsizetype roundStep(qsizetype needed, std::initializer_list<qsizetype> steps)
{
    for (qsizetype step : steps) {
        if (step >= needed)
            return step;
    }
    const qsizetype last = *(steps.end() - 1);
    return (needed + last - 1) / last * last;
}

} // namespace

std::pair<qint64, qint64> niceAxis(qint64 largest)
{
    if (largest <= 0)
        return {1, 1};
    const double rough = double(largest) / 5;
    double magnitude = std::pow(10.0, std::floor(std::log10(std::max(rough, 1.0))));
    qint64 step = 1;
    for (double factor : {1.0, 2.0, 5.0, 10.0}) {
        step = std::max<qint64>(1, qint64(factor * magnitude));
        if (double(step) >= rough)
            break;
    }
    return {(largest + step - 1) / step * step, step};
}

VisitorChart::VisitorChart(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    setCursor(Qt::PointingHandCursor);
}

void VisitorChart::setDays(const std::vector<DayFigures>& days)
{
    m_showsDays = true;
    m_columns.clear();
    m_columns.reserve(days.size());
    for (const DayFigures& d : days)
        m_columns.push_back({d.day, d.hits, d.visitors, d.bytes});
    figuresChanged();
}

void VisitorChart::setHours(const std::array<HourFigures, 24>& hours)
{
    m_showsDays = false;
    m_columns.clear();
    for (const HourFigures& h : hours)
        m_columns.push_back({QDate(), h.hits, h.visitors, 0});
    figuresChanged();
}

void VisitorChart::figuresChanged()
{
    qint64 largest = 0;
    for (const Column& c : m_columns)
        largest = std::max({largest, c.hits, c.visitors});
    std::tie(m_axisTop, m_tickStep) = niceAxis(largest);
    m_hovered = -1;
    updateGeometry();
    update();
}

QDate VisitorChart::dayOf(qsizetype column) const
{
    if (column < 0 || column >= columnCount())
        return {};
    return m_columns[std::size_t(column)].day;
}

int VisitorChart::leftMargin() const
{
    return fontMetrics().horizontalAdvance(number(m_axisTop)) + kTick + 12;
}

QRect VisitorChart::plotRect() const
{
    const int bottom = fontMetrics().height() + kTick + 6;
    return QRect(QPoint(leftMargin(), kTopMargin),
                 QPoint(width() - kRightMargin, height() - bottom - 1));
}

double VisitorChart::slotWidth() const
{
    return m_columns.empty() ? 0.0 : double(plotRect().width()) / double(m_columns.size());
}

QSize VisitorChart::minimumSizeHint() const
{
    const qint64 columns = std::max<qint64>(1, columnCount());
    const qint64 wide = leftMargin() + kRightMargin + columns * kMinSlot;
    return QSize(int(std::min<qint64>(wide, QWIDGETSIZE_MAX)), 160);
}

QSize VisitorChart::sizeHint() const
{
    return minimumSizeHint().expandedTo(QSize(600, 320));
}

qsizetype VisitorChart::columnAt(QPoint pos) const
{
    const QRect plot = plotRect();
    if (m_columns.empty() || pos.x() < plot.left() || pos.x() > plot.right() ||
        pos.y() < plot.top() || pos.y() > plot.bottom())
        return -1;
    const auto column = qsizetype((pos.x() - plot.left()) / slotWidth());
    return std::clamp<qsizetype>(column, 0, columnCount() - 1);
}

QPoint VisitorChart::columnFoot(qsizetype column) const
{
    const QRect plot = plotRect();
    return QPoint(plot.left() + int((double(column) + 0.5) * slotWidth()), plot.bottom() - 1);
}

QString VisitorChart::figuresText(qsizetype column) const
{
    if (column < 0 || column >= columnCount())
        return {};
    const Column& c = m_columns[std::size_t(column)];
    QString head;
    if (m_showsDays) {
        const QLocale japanese(QLocale::Japanese);
        head = c.day.toString(u"yyyy/MM/dd"_s) + u" ("_s +
               japanese.dayName(c.day.dayOfWeek(), QLocale::ShortFormat) + u")"_s;
    } else {
        head = QString::number(column) + u"時台"_s;
    }
    QString text = head + u"\nヒット: "_s + number(c.hits) + u"\n訪問者: "_s + number(c.visitors);
    if (m_showsDays)
        text += u"\nバイト: "_s + number(c.bytes);
    return text;
}

QString VisitorChart::axisLabel(qsizetype column) const
{
    if (!m_showsDays)
        return QString::number(column);
    return dayOf(column).toString(u"M/d"_s);
}

qsizetype VisitorChart::labelStep() const
{
    const double slot = slotWidth();
    if (slot <= 0)
        return 1;
    const int labelWidth = fontMetrics().horizontalAdvance(m_showsDays ? u"12/31"_s : u"23"_s) + 8;
    const auto needed = qsizetype(std::ceil(labelWidth / slot));
    return m_showsDays ? roundStep(needed, {1, 2, 7, 14, 28})
                       : roundStep(needed, {1, 2, 3, 4, 6, 12, 24});
}

void VisitorChart::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect plot = plotRect();
    if (plot.width() <= 0 || plot.height() <= 0)
        return;
    paintColumns(painter, plot, event->rect());
    paintAxes(painter, plot, event->rect());
    paintLegend(painter, plot);
}

void VisitorChart::paintColumns(QPainter& painter, const QRect& plot, const QRect& dirty) const
{
    const double scale = double(plot.height()) / double(m_axisTop);
    painter.setPen(palette().color(QPalette::Midlight));
    for (qint64 v = m_tickStep; v <= m_axisTop; v += m_tickStep) {
        const int y = plot.bottom() - int(std::lround(double(v) * scale));
        painter.drawLine(plot.left(), y, plot.right(), y);
    }
    if (m_columns.empty())
        return;

    const double slot = slotWidth();
    // Only the columns the dirty rectangle touches: thousands of days scroll.
    const qsizetype first =
        std::max<qsizetype>(0, qsizetype((dirty.left() - plot.left()) / slot) - 1);
    const qsizetype last =
        std::min<qsizetype>(columnCount() - 1, qsizetype((dirty.right() - plot.left()) / slot) + 1);
    const double gap = slot >= 4 ? std::max(1.0, slot * 0.2) : 0.0;
    for (qsizetype i = first; i <= last; ++i) {
        const Column& c = m_columns[std::size_t(i)];
        if (c.hits <= 0)
            continue; // a gap at zero height
        // A few columns stay slim in the middle of their wide slots.
        const double w = std::clamp(slot - gap, 1.0, double(kMaxColumn));
        const double x = plot.left() + (double(i) + 0.5) * slot - w / 2;
        const double h = std::max(1.0, double(c.hits) * scale);
        const QRectF bar(x, plot.bottom() + 1 - h, w, h);
        painter.fillRect(bar, i == m_hovered ? kStatisticsHighlight : kStatisticsBarColours[0]);
        if (slot >= 6) {
            painter.setPen(kStatisticsOutline);
            painter.drawRect(bar.adjusted(0, 0, -1, 0));
        }
    }

    QPainterPath line;
    for (qsizetype i = first; i <= last; ++i) {
        const QPointF point(plot.left() + (double(i) + 0.5) * slot,
                            plot.bottom() - double(m_columns[std::size_t(i)].visitors) * scale);
        if (i == first)
            line.moveTo(point);
        else
            line.lineTo(point);
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kStatisticsLine, 2));
    painter.drawPath(line);
    if (slot >= 10) {
        painter.setBrush(kStatisticsLine);
        for (int i = 0; i < line.elementCount(); ++i)
            painter.drawEllipse(QPointF(line.elementAt(i)), 2.5, 2.5);
    }
    painter.restore();
}

void VisitorChart::paintAxes(QPainter& painter, const QRect& plot, const QRect& dirty) const
{
    const QColor ink = palette().color(QPalette::Text);
    const QFontMetrics fm = fontMetrics();
    const double scale = double(plot.height()) / double(m_axisTop);
    painter.setPen(ink);
    painter.drawLine(plot.left(), plot.top(), plot.left(), plot.bottom());
    painter.drawLine(plot.left(), plot.bottom(), plot.right(), plot.bottom());

    for (qint64 v = 0; v <= m_axisTop; v += m_tickStep) {
        const int y = plot.bottom() - int(std::lround(double(v) * scale));
        painter.drawLine(plot.left() - kTick, y, plot.left(), y);
        const QRect label(0, y - fm.height() / 2, plot.left() - kTick - 3, fm.height());
        painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter, number(v));
    }

    if (m_columns.empty())
        return;
    const double slot = slotWidth();
    const qsizetype step = labelStep();
    // Only the labels near the dirty rectangle: a hostile log may span millennia.
    const qsizetype near =
        std::max<qsizetype>(0, qsizetype((dirty.left() - plot.left()) / slot) - 4 * step);
    for (qsizetype i = near / step * step; i < columnCount(); i += step) {
        if (plot.left() + double(i) * slot > dirty.right() + 4 * step * slot)
            break;
        const int x = plot.left() + int((double(i) + 0.5) * slot);
        painter.drawLine(x, plot.bottom(), x, plot.bottom() + kTick);
        const QString text = axisLabel(i);
        const int w = fm.horizontalAdvance(text);
        const int left = std::clamp(x - w / 2, 0, std::max(0, width() - w));
        painter.drawText(QRect(left, plot.bottom() + kTick + 2, w, fm.height()), Qt::AlignCenter,
                         text);
    }
}

void VisitorChart::paintLegend(QPainter& painter, const QRect& plot) const
{
    // Left-aligned, so that a chart wider than its place shows it before any scrolling.
    const QFontMetrics fm = fontMetrics();
    const int baseline = (kTopMargin - fm.height()) / 2 + fm.ascent();
    const int middle = kTopMargin / 2;
    painter.setPen(palette().color(QPalette::Text));
    int x = plot.left();
    if (m_showsDays && !m_columns.empty()) {
        const QString span = m_columns.front().day.toString(u"yyyy/MM/dd"_s) + u" – "_s +
                             m_columns.back().day.toString(u"yyyy/MM/dd"_s);
        painter.drawText(QPoint(x, baseline), span);
        x += fm.horizontalAdvance(span) + 24;
    }
    const int box = fm.height() - 4;
    painter.fillRect(QRect(x, middle - box / 2, box, box), kStatisticsBarColours[0]);
    x += box + 6;
    painter.drawText(QPoint(x, baseline), u"ヒット"_s);
    x += fm.horizontalAdvance(u"ヒット"_s) + 16;
    painter.save();
    painter.setPen(QPen(kStatisticsLine, 2));
    painter.drawLine(x, middle, x + 16, middle);
    painter.restore();
    painter.drawText(QPoint(x + 22, baseline), u"訪問者"_s);
}

void VisitorChart::setHovered(qsizetype column)
{
    if (column == m_hovered)
        return;
    m_hovered = column;
    update();
}

void VisitorChart::mouseMoveEvent(QMouseEvent* event)
{
    const qsizetype column = columnAt(event->position().toPoint());
    setHovered(column);
    if (column < 0)
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPosition().toPoint(), figuresText(column), this);
    QWidget::mouseMoveEvent(event);
}

void VisitorChart::mousePressEvent(QMouseEvent* event)
{
    const qsizetype column = columnAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && column >= 0) {
        emit columnClicked(column);
        return;
    }
    QWidget::mousePressEvent(event);
}

void VisitorChart::leaveEvent(QEvent* event)
{
    setHovered(-1);
    QWidget::leaveEvent(event);
}

bool VisitorChart::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const qsizetype column = columnAt(help->pos());
        if (column >= 0)
            QToolTip::showText(help->globalPos(), figuresText(column), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

} // namespace tw
