#include "analysis/ui/shape_widget.h"

#include <QPainter>

namespace tw {

ShapeWidget::ShapeWidget(const QColor& fill, const QColor& outline, QWidget* parent)
    : QWidget(parent), m_fill(fill), m_outline(outline)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShapeWidget::paintEvent(QPaintEvent*)
{
    if (width() <= 0 || height() <= 0)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), m_fill);
    painter.setPen(m_outline);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace tw
