#include "mainwindow/shown_rows.h"

#include "core/log_list.h"

#include <algorithm>

namespace tw {

void ShownRows::set(const RowFilter& filter, std::vector<quint32> rows)
{
    m_filter = filter;
    m_rows = std::move(rows);
    m_filtered = !filter.isEmpty();
    if (!m_filtered)
        m_rows.clear();
}

void ShownRows::clear()
{
    set({}, {});
}

qsizetype ShownRows::count(const LogList& list) const
{
    return m_filtered ? qsizetype(m_rows.size()) : list.rowCount();
}

qsizetype ShownRows::viewRow(qsizetype listRow) const
{
    if (!m_filtered)
        return listRow;
    const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), quint32(listRow));
    return at != m_rows.end() && *at == quint32(listRow) ? qsizetype(at - m_rows.begin()) : -1;
}

void ShownRows::rowsRemoved(const QList<qsizetype>& removed)
{
    if (!m_filtered || removed.isEmpty())
        return;
    std::size_t out = 0;
    qsizetype gone = 0; // removed rows before the one at hand
    for (const quint32 row : m_rows) {
        while (gone < removed.size() && removed.at(gone) < qsizetype(row))
            ++gone;
        if (gone < removed.size() && removed.at(gone) == qsizetype(row))
            continue;
        m_rows[out++] = quint32(row - gone);
    }
    m_rows.resize(out);
}

void ShownRows::rowsAppended(const LogList& list, qsizetype first)
{
    if (!m_filtered || first >= list.rowCount())
        return;
    const std::vector<quint32> passed = *filterRows(list, m_filter, nullptr, first);
    m_rows.insert(m_rows.end(), passed.begin(), passed.end());
}

void ShownRows::refilter(const LogList& list)
{
    if (!m_filtered)
        return;
    try {
        m_rows = *filterRows(list, m_filter);
    } catch (...) {
        m_rows.clear(); // rows of another order would name the wrong rows: show none
        throw;
    }
}

} // namespace tw
