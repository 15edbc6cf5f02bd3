#pragma once

#include <QList>
#include <QString>

#include <functional>

namespace tw {

class ReadNotes;

// The parts of the main window that the commands drive, so they run and are tested without
// widgets. Rows are display-order indexes into the LogList.
class MainView {
public:
    virtual ~MainView() = default;

    virtual void setTitle(const QString& title) = 0;
    // Panels 1 (message), 2 (file size) and 3 (item count).
    virtual void setStatusText(int panel, const QString& text) = 0;

    // The focused row, -1 when there is none.
    virtual qsizetype currentRow() const = 0;
    // The selected rows in ascending order.
    virtual QList<qsizetype> selectedRows() const = 0;
    // Selects exactly these rows (ascending) and makes `current` the focused row (-1: none).
    virtual void setSelection(const QList<qsizetype>& rows, qsizetype current) = 0;
    // Selects every row and makes `current` the focused row.
    virtual void selectAllRows(qsizetype current = 0) = 0;

    // While hidden the list does not repaint.
    virtual void setListVisible(bool visible) = 0;
    // The hourglass pointer.
    virtual void setBusy(bool busy) = 0;
    // Runs work that touches nothing the view shows; a window shows the hourglass, keeps
    // painting meanwhile and shows the percentage done, when percentDone (called on the view's
    // thread) gives one.
    virtual void runLongWork(const std::function<void()>& work,
                             const std::function<int()>& percentDone = {})
    {
        Q_UNUSED(percentDone);
        work();
    }
    // Gives the keyboard focus to the window's list.
    virtual void activate() = 0;
    // What the files read into the list left out, after every read and when the list is closed.
    virtual void setReadNotes(const ReadNotes& notes) = 0;

    // Change notifications around every change of the rows.
    virtual void beginListReset() = 0;
    virtual void endListReset() = 0;
    virtual void beginInsertRows(qsizetype first, qsizetype last) = 0;
    virtual void endInsertRows() = 0;
    virtual void beginRemoveRows(qsizetype first, qsizetype last) = 0;
    virtual void endRemoveRows() = 0;
};

} // namespace tw
