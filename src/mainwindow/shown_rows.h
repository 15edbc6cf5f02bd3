#pragma once

#include "analysis/row_filter.h"

#include <QList>

#include <span>
#include <vector>

namespace tw {

class LogList;

// Which rows of the list the window shows while a filter is active: list indexes in display
// order. Without a filter every row is shown and the indexes are the list's own.
class ShownRows {
public:
    bool isFiltered() const { return m_filtered; }
    const RowFilter& filter() const { return m_filter; }

    // The rows that passed filter (ascending), as worked out for the list as it is now.
    void set(const RowFilter& filter, std::vector<quint32> rows);
    void clear();

    qsizetype count(const LogList& list) const;
    // The list row shown at viewRow.
    qsizetype listRow(qsizetype viewRow) const
    {
        return m_filtered ? qsizetype(m_rows[std::size_t(viewRow)]) : viewRow;
    }
    // Where a list row is shown, -1 when it is hidden.
    qsizetype viewRow(qsizetype listRow) const;
    // The shown list rows; empty without a filter (every row is shown then).
    std::span<const quint32> rows() const { return m_rows; }

    // The list lost these rows (ascending list indexes): the others move up.
    void rowsRemoved(const QList<qsizetype>& removed);
    // The list gained rows from `first` on, at its end: those that pass are shown too.
    void rowsAppended(const LogList& list, qsizetype first);
    // The list was reordered or changed throughout: the filter is worked out again.
    void refilter(const LogList& list);

private:
    RowFilter m_filter;
    std::vector<quint32> m_rows;
    bool m_filtered = false;
};

} // namespace tw
