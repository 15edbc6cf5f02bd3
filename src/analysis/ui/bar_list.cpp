#include "analysis/ui/bar_list.h"

#include "analysis/access_statistics.h"
#include "analysis/ui/statistics_look.h"
#include "core/cp932.h"

#include <QHelpEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tw {
namespace {

constexpr int kPad = 6;
constexpr int kWidestKeySampled = 2000; // entries measured for the key column
constexpr qsizetype kShownEnd = 200;

} // namespace

QString BarList::shownKey(const QString& key)
{
    if (key.isEmpty())
        return u"（空）"_s;
    // A key of a megabyte (a hostile request) is shown by its ends.
    QString shown = cp932::withoutCodeMarks(
        key.size() <= 2 * kShownEnd ? key : key.left(kShownEnd) + u"…"_s + key.right(kShownEnd));
    for (QChar& c : shown) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QChar(0x2400 + (c.unicode() == 0x7f ? 0x21 : c.unicode())); // ␀ … ␡
        else if (c.category() == QChar::Other_Format)
            c = QChar(0xfffd); // direction marks would reorder the row
    }
    return shown;
}

BarList::BarList(QWidget* parent) : QAbstractScrollArea(parent)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
}

void BarList::setCounts(KeyCounts counts)
{
    m_counts = std::move(counts);
    m_measured = false;
    updateScrollBar();
    viewport()->update();
}

void BarList::measure()
{
    // Measured when painted: the font is the one the style settled on by then.
    const QFontMetrics fm = fontMetrics();
    m_widestKey = 0;
    m_widestFigures = 0;
    const auto sampled = std::min<qsizetype>(qsizetype(m_counts.entries.size()), kWidestKeySampled);
    for (qsizetype i = 0; i < sampled; ++i) {
        m_widestKey = std::max(
            m_widestKey, fm.horizontalAdvance(shownKey(m_counts.entries[std::size_t(i)].key)));
    }
    m_widestKey += 2; // the advance is rounded, the eliding is not
    // The first entry has the most digits; a share is at most "100.00%".
    if (!m_counts.entries.empty())
        m_widestFigures = fm.horizontalAdvance(
            QLocale(QLocale::Japanese).toString(m_counts.entries.front().count) + u" (100.00%)"_s);
    m_measured = true;
}

void BarList::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        m_measured = false;
    QAbstractScrollArea::changeEvent(event);
}

int BarList::rowHeight() const
{
    return fontMetrics().height() + 8;
}

int BarList::keyWidth() const
{
    return std::min(m_widestKey, viewport()->width() * 2 / 5);
}

QSize BarList::sizeHint() const
{
    return QSize(480, 320);
}

void BarList::updateScrollBar()
{
    const int visible = std::max(1, viewport()->height() / rowHeight());
    const auto rows = qsizetype(m_counts.entries.size());
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, int(std::min<qsizetype>(std::max<qsizetype>(0, rows - visible), INT_MAX)));
    bar->setPageStep(visible);
    bar->setSingleStep(1);
}

qsizetype BarList::entryAt(QPoint pos) const
{
    if (pos.y() < 0 || pos.x() < 0 || pos.x() >= viewport()->width())
        return -1;
    const qsizetype entry = verticalScrollBar()->value() + pos.y() / rowHeight();
    return entry < qsizetype(m_counts.entries.size()) ? entry : -1;
}

QString BarList::figuresText(qsizetype entry) const
{
    const qint64 count = m_counts.entries[std::size_t(entry)].count;
    return QLocale(QLocale::Japanese).toString(count) + u" ("_s +
           formatShare(count, m_counts.counted) + u")"_s;
}

void BarList::paintEvent(QPaintEvent*)
{
    if (!m_measured)
        measure();
    QPainter painter(viewport());
    const QFontMetrics fm = fontMetrics();
    const int h = rowHeight();
    const int w = viewport()->width();
    const int keyRight = kPad + keyWidth();
    const int barLeft = keyRight + kPad;
    const int barRoom = std::max(0, w - barLeft - m_widestFigures - 2 * kPad);
    const qint64 largest = m_counts.entries.empty() ? 0 : m_counts.entries.front().count;
    const QColor ink = palette().color(QPalette::Text);

    if (m_counts.entries.empty()) {
        painter.setPen(ink);
        painter.drawText(viewport()->rect(), Qt::AlignCenter, u"数えた行はありません"_s);
        return;
    }
    painter.setPen(kStatisticsOutline);
    painter.drawLine(barLeft, 0, barLeft, viewport()->height());
    for (qsizetype entry = verticalScrollBar()->value(), y = 0;
         entry < qsizetype(m_counts.entries.size()) && y < viewport()->height(); ++entry, y += h) {
        const KeyCount& kc = m_counts.entries[std::size_t(entry)];
        const int top = int(y);
        painter.setPen(ink);
        const QString key = fm.elidedText(shownKey(kc.key), Qt::ElideMiddle, keyWidth());
        painter.drawText(QRect(kPad, top, keyWidth(), h), Qt::AlignRight | Qt::AlignVCenter, key);

        const int length =
            largest > 0 ? int(double(barRoom) * double(kc.count) / double(largest)) : 0;
        const QRect bar(barLeft, top + 3, std::max(length, kc.count > 0 ? 1 : 0), h - 6);
        painter.fillRect(bar, kStatisticsBarColours[0]);
        painter.setPen(kStatisticsOutline);
        if (bar.width() > 1)
            painter.drawRect(bar.adjusted(0, 0, -1, -1));
        painter.setPen(ink);
        painter.drawText(QRect(bar.right() + kPad, top, m_widestFigures + kPad, h),
                         Qt::AlignLeft | Qt::AlignVCenter, figuresText(entry));
    }
}

void BarList::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
}

void BarList::scrollContentsBy(int, int)
{
    viewport()->update();
}

void BarList::mouseDoubleClickEvent(QMouseEvent* event)
{
    const qsizetype entry = entryAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && entry >= 0)
        emit entryActivated(entry);
}

bool BarList::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const qsizetype entry = entryAt(help->pos());
        if (entry >= 0)
            QToolTip::showText(help->globalPos(),
                               shownKey(m_counts.entries[std::size_t(entry)].key) + u"\n"_s +
                                   figuresText(entry),
                               viewport());
        else
            QToolTip::hideText();
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

} // namespace tw
