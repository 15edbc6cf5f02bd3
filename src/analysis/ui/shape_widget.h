#pragma once

#include <QColor>
#include <QWidget>

namespace tw {

// A filled rectangle with a one-pixel outline: the statistics bars and the axis line.
class ShapeWidget final : public QWidget {
    Q_OBJECT

public:
    ShapeWidget(const QColor& fill, const QColor& outline, QWidget* parent = nullptr);

    QColor fillColor() const { return m_fill; }
    QColor outlineColor() const { return m_outline; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_fill;
    QColor m_outline;
};

} // namespace tw
