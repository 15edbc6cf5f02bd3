#include "mainwindow/ui/log_list_model.h"

#include "ui/icons.h"

namespace tw {

LogListModel::LogListModel(const LogList& list, QObject* parent)
    : QAbstractTableModel(parent), m_list(list)
{
    for (int c = 0; c < kBrowserClassCount; ++c)
        m_icons[std::size_t(c)] = browserIcon(BrowserClass(c));
}

int LogListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_list.rowCount());
}

int LogListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant LogListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_list.rowCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_list.text(index.row(), index.column());
    case Qt::DecorationRole:
        if (index.column() == ColBrowser)
            return m_icons[std::size_t(m_list.browserClass(index.row()))];
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == ColIP)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant LogListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return m_list.headerCaption(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue((section == ColIP ? Qt::AlignRight : Qt::AlignLeft) |
                                   Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags LogListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // Drag-enabled so that the main list can start a drag of the current row.
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
           Qt::ItemNeverHasChildren;
}

} // namespace tw
