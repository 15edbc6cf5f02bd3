#pragma once

#include <QByteArrayView>
#include <QHashFunctions>

#include <optional>
#include <vector>

namespace tw {

// Counts of byte-exact keys, in order of first appearance. Keys are kept as views of the texts
// handed in, which must outlive the tally, so a list of distinct texts costs no copy of them.
// The table holds each key's hash beside its entry number: a look-up reads a key's text only
// when the hashes agree. The hash is seeded per process, so texts chosen to collide (a log is
// written by strangers) cannot make the look-ups quadratic. Nothing is allocated per row.
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
    struct Slot {
        std::size_t hash = 0;
        qsizetype entry = -1; // -1: empty
    };

    void add(QByteArrayView key)
    {
        ++m_total;
        if (2 * (m_keys.size() + 1) > m_slots.size())
            grow();
        const std::size_t hash = qHash(key, m_seed);
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            Slot& slot = m_slots[i];
            if (slot.entry < 0) {
                slot = {hash, qsizetype(m_keys.size())};
                m_keys.push_back(key);
                m_counts.push_back(1);
                return;
            }
            if (slot.hash == hash && m_keys[std::size_t(slot.entry)] == key) {
                ++m_counts[std::size_t(slot.entry)];
                return;
            }
        }
    }

    void grow()
    {
        std::vector<Slot> old(m_slots.empty() ? 64 : 2 * m_slots.size());
        old.swap(m_slots);
        const std::size_t mask = m_slots.size() - 1;
        for (const Slot& s : old) {
            if (s.entry < 0)
                continue;
            std::size_t i = s.hash & mask;
            while (m_slots[i].entry >= 0)
                i = (i + 1) & mask;
            m_slots[i] = s;
        }
    }

    std::size_t m_seed = QHashSeed::globalSeed();
    std::vector<Slot> m_slots; // open addressing, a power of two, at most half full
    std::vector<QByteArrayView> m_keys;
    std::vector<qint64> m_counts;
    qint64 m_total = 0;
};

} // namespace tw
