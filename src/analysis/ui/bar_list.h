#pragma once

#include "analysis/visitor_statistics.h"

#include <QAbstractScrollArea>

namespace tw {

// The entries of a statistic keyed by text as bars, one row each, most counted first: the key,
// a bar as long as its count against the largest, and the count with its share. Rows are
// painted only while in view, so a list of any length scrolls.
class BarList final : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit BarList(QWidget* parent = nullptr);

    void setCounts(KeyCounts counts);
    const KeyCounts& counts() const { return m_counts; }

    int rowHeight() const;
    // The entry at pos of the viewport, -1 below the last.
    qsizetype entryAt(QPoint pos) const;
    // "12,345 (12.34%)".
    QString figuresText(qsizetype entry) const;
    // The key as shown: "（空）" for an empty key, control characters as visible marks, a very
    // long key by its two ends.
    static QString shownKey(const QString& key);

    QSize sizeHint() const override;

signals:
    void entryActivated(qsizetype entry);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void updateScrollBar();
    int keyWidth() const;
    void measure();

    KeyCounts m_counts;
    int m_widestKey = 0;
    int m_widestFigures = 0;
    bool m_measured = false;
};

} // namespace tw
