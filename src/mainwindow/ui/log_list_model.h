#pragma once

#include "core/log_list.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <array>

namespace tw {

// The main list's rows as a table. It reads the LogList and owns nothing; whoever changes the
// list announces the change through the begin/end pairs below.
class LogListModel final : public QAbstractTableModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LogListModel)

public:
    explicit LogListModel(const LogList& list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const LogList& list() const { return m_list; }

    void beginListReset() { beginResetModel(); }
    void endListReset() { endResetModel(); }
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
    const LogList& m_list;
    std::array<QIcon, kBrowserClassCount> m_icons;
};

} // namespace tw
