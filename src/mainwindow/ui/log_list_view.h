#pragma once

#include <QList>
#include <QTableView>
#include <QUrl>

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
    // The width of a cell that shows sample in the list font, with its margins and grid line.
    int cellWidth(const QString& sample) const;
    // A width that fits a field's typical text and its caption with the sort mark, for the
    // columns web-server logs add (their widths are not kept in the settings).
    int typicalWidth(int field) const;

    // The main list takes drops from elsewhere and starts drags of its rows by itself; the
    // window decides what is dropped and what is dragged.
    void enableDragAndDrop();

signals:
    // A right click, at this global position.
    void popupRequested(const QPoint& globalPos);
    // The keyboard's context-menu key without modifiers.
    void popupKeyPressed();
    void activatedRow();
    // Something from outside the list was dropped on it; urls is empty when it held none.
    void dropReceived(const QList<QUrl>& urls);
    // The user started dragging rows.
    void rowDragRequested();

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool m_fullRow = true;
    bool m_dragAndDrop = false;
};

} // namespace tw
