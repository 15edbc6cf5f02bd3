#include "analysis/visitor_count.h"

#include "analysis/row_shares.h"
#include "core/log_list.h"

#include <QHashFunctions>

#include <bit>

namespace tw {
namespace {

constexpr quint64 kMix = 0x9E3779B97F4A7C15ull;

struct Visit {
    quint64 hash = 0;
    qint32 slot = -1; // -1: empty
    quint32 position = 0;
};

// The distinct visits of one part of the hashes, in an open-addressing table at most half full.
class VisitSet {
public:
    // Room for `expected` visits without growing: most rows of a log are visits of their own.
    VisitSet(const LogList& list, std::span<const qsizetype> rowOf, std::size_t expected)
        : m_list(list), m_rowOf(rowOf),
          m_table(std::bit_ceil(std::max<std::size_t>(1024, 2 * expected)))
    {
    }

    // True when the visit was not there yet.
    bool insert(quint64 hash, qint32 slot, quint32 position)
    {
        if (2 * (m_size + 1) > m_table.size())
            grow();
        const std::size_t mask = m_table.size() - 1;
        for (std::size_t i = indexOf(hash, slot) & mask;; i = (i + 1) & mask) {
            Visit& v = m_table[i];
            if (v.slot < 0) {
                v = {hash, slot, position};
                ++m_size;
                return true;
            }
            if (v.hash == hash && v.slot == slot && sameVisitor(v.position, position))
                return false;
        }
    }

private:
    static std::size_t indexOf(quint64 hash, qint32 slot)
    {
        return std::size_t(hash ^ (quint64(slot) * kMix));
    }

    bool sameVisitor(quint32 a, quint32 b) const
    {
        const qsizetype rowA = m_rowOf[a];
        const qsizetype rowB = m_rowOf[b];
        return visitorAddress(m_list, rowA) == visitorAddress(m_list, rowB) &&
               m_list.field(rowA, ColBrowser) == m_list.field(rowB, ColBrowser);
    }

    void grow()
    {
        std::vector<Visit> old(m_table.empty() ? 1024 : 2 * m_table.size());
        old.swap(m_table);
        const std::size_t mask = m_table.size() - 1;
        for (const Visit& v : old) {
            if (v.slot < 0)
                continue;
            std::size_t i = indexOf(v.hash, v.slot) & mask;
            while (m_table[i].slot >= 0)
                i = (i + 1) & mask;
            m_table[i] = v;
        }
    }

    const LogList& m_list;
    std::span<const qsizetype> m_rowOf;
    std::vector<Visit> m_table;
    std::size_t m_size = 0;
};

} // namespace

QByteArrayView visitorAddress(const LogList& list, qsizetype row)
{
    const QByteArrayView ip = list.field(row, ColIP);
    return ip.isEmpty() ? list.field(row, ColHost) : ip;
}

std::optional<std::vector<qint64>> distinctVisitors(const LogList& list, const RowSubset& rows,
                                                    std::span<const qint32> rowSlots,
                                                    std::size_t slotCount,
                                                    const std::atomic<bool>* cancel)
{
    const qsizetype count = qsizetype(rowSlots.size());
    std::vector<qsizetype> rowOf(rowSlots.size());
    std::vector<quint64> hashes(rowSlots.size());
    const std::size_t shares = shareCount(count);
    // Seeded per process: a log cannot be written to make its visitors collide.
    const std::size_t seed = QHashSeed::globalSeed();
    rows.apply(list, [&](qsizetype, auto rowAt) {
        forEachShare(count, shares, [&](std::size_t, qsizetype begin, qsizetype end) {
            for (qsizetype i = begin; i < end && !isCancelled(cancel); ++i) {
                const qsizetype row = rowAt(i);
                rowOf[std::size_t(i)] = row;
                if (rowSlots[std::size_t(i)] < 0)
                    continue;
                const quint64 address = qHash(visitorAddress(list, row), seed);
                const quint64 agent = qHash(list.field(row, ColBrowser), seed ^ kMix);
                hashes[std::size_t(i)] = (address * kMix) ^ (agent + (address << 6));
            }
        });
    });
    if (isCancelled(cancel))
        return std::nullopt;

    // Each share takes the visits of its part of the hashes, so no visit is counted twice.
    std::vector<std::vector<qint64>> counts(shares, std::vector<qint64>(slotCount));
    runOnThreads(shares, [&](std::size_t s) {
        VisitSet set(list, rowOf, std::size_t(count) / shares);
        std::vector<qint64>& mine = counts[s];
        for (qsizetype i = 0; i < count; ++i) {
            if ((i & 4095) == 0 && isCancelled(cancel))
                return;
            const qint32 slot = rowSlots[std::size_t(i)];
            const quint64 hash = hashes[std::size_t(i)];
            if (slot < 0 || (hash >> 40) % shares != s)
                continue;
            if (set.insert(hash, slot, quint32(i)))
                ++mine[std::size_t(slot)];
        }
    });
    if (isCancelled(cancel))
        return std::nullopt;
    for (std::size_t s = 1; s < shares; ++s) {
        for (std::size_t k = 0; k < slotCount; ++k)
            counts[0][k] += counts[s][k];
    }
    return std::move(counts[0]);
}

} // namespace tw
