#pragma once

#include "core/log_list.h"
#include "mainwindow/shown_rows.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <array>

namespace tw {

// The main list's rows as a table. It reads the LogList and owns nothing; whoever changes the
// list announces the change through the begin/end pairs below. The columns are the five every
// list has and, to their right in field order, the fields web-server logs added; they follow the
// list's fields at every reset.
class LogListModel final : public QAbstractTableModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LogListModel)

public:
    explicit LogListModel(const LogList& list, QObject* parent = nullptr);
    // The rows to show while a filter is active; the model's rows are then the shown ones.
    void setShownRows(const ShownRows* shown) { m_shownRows = shown; }
    qsizetype listRow(int row) const { return m_shownRows ? m_shownRows->listRow(row) : row; }
    int viewRow(qsizetype listRow) const
    {
        return int(m_shownRows ? m_shownRows->viewRow(listRow) : listRow);
    }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const LogList& list() const { return m_list; }
    // The field a column shows, -1 for no such column.
    int fieldOf(int column) const
    {
        return column >= 0 && column < m_columnCount ? m_fieldOf[std::size_t(column)] : -1;
    }
    FieldSet shownFields() const { return m_shown; }

    void beginListReset() { beginResetModel(); }
    void endListReset()
    {
        takeColumnsFromList();
        endResetModel();
    }
    void beginListInsert(qsizetype first, qsizetype last)
    {
        beginInsertRows({}, int(first), int(last));
    }
    void endListInsert() { endInsertRows(); }
    void beginListRemove(qsizetype first, qsizetype last)
    {
        beginRemoveRows({}, int(first), int(last));
    }
    void endListRemove() { endRemoveRows(); }

private:
    void takeColumnsFromList();

    const LogList& m_list;
    const ShownRows* m_shownRows = nullptr;
    std::array<QIcon, kBrowserClassCount> m_icons;
    std::array<int, kMaxFieldCount> m_fieldOf{};
    int m_columnCount = 0;
    FieldSet m_shown = 0;
};

} // namespace tw
