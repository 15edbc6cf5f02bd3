#pragma once

#include "core/log_list.h"

#include <QByteArrayView>
#include <QHash>

#include <cstring>
#include <optional>
#include <vector>

namespace tw {

// Counts of byte-exact keys, in order of first appearance. Each distinct key is copied once
// into a compact pool, so the look-ups touch a few megabytes instead of the whole row store.
// Nothing is allocated per row.
class FirstSeenTally {
public:
    // keyOf(row) gives the key of rows 0 .. rows-1 as std::optional<QByteArrayView>, nothing to
    // leave the row out.
    template <typename KeyOf> FirstSeenTally(qsizetype rows, KeyOf keyOf)
    {
        for (qsizetype row = 0; row < rows; ++row) {
            if (const std::optional<QByteArrayView> key = keyOf(row))
                add(*key);
        }
    }

    qsizetype size() const { return qsizetype(m_keys.size()); }
    QByteArrayView key(qsizetype i) const { return m_keys[std::size_t(i)]; }
    const std::vector<qint64>& counts() const { return m_counts; }
    qint64 total() const { return m_total; }

private:
    void add(QByteArrayView key)
    {
        ++m_total;
        const auto it = m_index.constFind(key);
        if (it != m_index.constEnd()) {
            ++m_counts[std::size_t(*it)];
            return;
        }
        char* copy = m_pool.reserve(std::size_t(key.size()));
        if (!key.isEmpty())
            std::memcpy(copy, key.data(), std::size_t(key.size()));
        m_pool.commit(std::size_t(key.size()));
        const QByteArrayView kept(copy, key.size());
        m_index.insert(kept, qsizetype(m_keys.size()));
        m_keys.push_back(kept);
        m_counts.push_back(1);
    }

    TextArena m_pool;
    QHash<QByteArrayView, qsizetype> m_index;
    std::vector<QByteArrayView> m_keys;
    std::vector<qint64> m_counts;
    qint64 m_total = 0;
};

} // namespace tw
