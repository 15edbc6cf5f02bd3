#pragma once

#include <QByteArrayView>
#include <QHash>

#include <vector>

namespace tw {

// Counts of byte-exact keys, kept in order of first appearance. Keys are views into row texts
// and must outlive the tally; nothing is copied per row.
class FirstSeenTally {
public:
    explicit FirstSeenTally(qsizetype expectedKeys = 0) { m_index.reserve(expectedKeys); }

    void add(QByteArrayView key)
    {
        // One look-up per row: the slot holds the entry's index plus one, 0 when new.
        qsizetype& slot = m_index[key];
        if (slot == 0) {
            m_keys.push_back(key);
            m_counts.push_back(1);
            slot = qsizetype(m_keys.size());
        } else {
            ++m_counts[std::size_t(slot - 1)];
        }
    }

    qsizetype size() const { return qsizetype(m_keys.size()); }
    QByteArrayView key(qsizetype i) const { return m_keys[std::size_t(i)]; }
    const std::vector<qint64>& counts() const { return m_counts; }

private:
    QHash<QByteArrayView, qsizetype> m_index;
    std::vector<QByteArrayView> m_keys;
    std::vector<qint64> m_counts;
};

} // namespace tw
