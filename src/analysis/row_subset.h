#pragma once

#include "core/log_list.h"

#include <span>

namespace tw {

// The rows a statistic counts: every row of the list (the default), or the listed ones by index,
// as a filter keeps them. Only the indexes are held, never the texts.
class RowSubset {
public:
    RowSubset() = default;
    explicit RowSubset(std::span<const quint32> rows) : m_rows(rows), m_all(false) {}

    bool isAll() const { return m_all; }
    std::span<const quint32> rows() const { return m_rows; }
    qsizetype size(const LogList& list) const
    {
        return m_all ? list.rowCount() : qsizetype(m_rows.size());
    }

    // Calls work(count, rowAt), rowAt mapping a position 0 .. count-1 to its row index; for the
    // whole list rowAt is the position itself, so that case costs no look-up.
    template <typename Work> decltype(auto) apply(const LogList& list, Work&& work) const
    {
        if (m_all)
            return work(list.rowCount(), [](qsizetype i) { return i; });
        return work(qsizetype(m_rows.size()),
                    [rows = m_rows](qsizetype i) { return qsizetype(rows[std::size_t(i)]); });
    }

private:
    std::span<const quint32> m_rows;
    bool m_all = true;
};

} // namespace tw
