#include "mainwindow/ui/log_list_model.h"

#include "ui/icons.h"

namespace tw {
namespace {

// Addresses and numbers line up on their right edge.
Qt::Alignment alignmentOf(int field)
{
    const bool right = field == ColIP || field == ColStatus || field == ColBytes;
    return (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

} // namespace

LogListModel::LogListModel(const LogList& list, QObject* parent)
    : QAbstractTableModel(parent), m_list(list)
{
    for (int c = 0; c < kBrowserClassCount; ++c)
        m_icons[std::size_t(c)] = browserIcon(BrowserClass(c));
    takeColumnsFromList();
}

void LogListModel::takeColumnsFromList()
{
    m_shown = m_list.fields() | kColumnFields;
    m_columnCount = 0;
    for (int field = 0; field < kMaxFieldCount; ++field) {
        if (m_shown & (1u << field))
            m_fieldOf[std::size_t(m_columnCount++)] = field;
    }
}

int LogListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return int(m_shownRows ? m_shownRows->count(m_list) : m_list.rowCount());
}

int LogListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columnCount;
}

QVariant LogListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= m_columnCount)
        return {};
    const int field = m_fieldOf[std::size_t(index.column())];
    const qsizetype row = listRow(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return m_list.text(row, field);
    case Qt::DecorationRole:
        if (field == ColBrowser)
            return m_icons[std::size_t(m_list.browserClass(row))];
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(alignmentOf(field));
    default:
        return {};
    }
}

QVariant LogListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columnCount)
        return {};
    const int field = m_fieldOf[std::size_t(section)];
    if (role == Qt::DisplayRole)
        return m_list.headerCaption(field);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(alignmentOf(field));
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
