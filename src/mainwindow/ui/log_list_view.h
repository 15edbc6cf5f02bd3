#pragma once

#include <QTableView>

namespace tw {

// The main list: a table with fixed row height and no row header. It reports the gestures the
// window acts on and leaves selection to the view.
class LogListView final : public QTableView {
    Q_OBJECT

public:
    explicit LogListView(QWidget* parent = nullptr);

    // Grid lines, and whether the selection highlight covers the whole row or the first column.
    void setFullRowSelect(bool on);
    bool fullRowSelect() const { return m_fullRow; }
    // Row height from the font, the icon and a small margin.
    void updateRowHeight();

signals:
    // A right click, at this global position.
    void popupRequested(const QPoint& globalPos);
    // The keyboard's context-menu key without modifiers.
    void popupKeyPressed();
    void activatedRow();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool m_fullRow = true;
};

} // namespace tw
