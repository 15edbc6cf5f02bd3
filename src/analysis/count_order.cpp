#include "analysis/count_order.h"

#include <algorithm>

namespace tw {
namespace {

// Fenwick tree over 0-based slots.
class Fenwick {
public:
    explicit Fenwick(std::size_t n, bool full = false) : m_tree(n + 1, 0)
    {
        if (full) {
            for (std::size_t i = 1; i <= n; ++i)
                m_tree[i] = qint64(i & (~i + 1)); // all ones, built in linear time
        }
    }
    void add(std::size_t slot, qint64 delta)
    {
        for (std::size_t i = slot + 1; i < m_tree.size(); i += i & (~i + 1))
            m_tree[i] += delta;
    }
    // Sum of slots [0, end).
    qint64 prefix(std::size_t end) const
    {
        qint64 sum = 0;
        for (std::size_t i = end; i > 0; i -= i & (~i + 1))
            sum += m_tree[i];
        return sum;
    }
    // The slot holding the k-th (0-based) one of a 0/1 tree.
    std::size_t findKth(qint64 k) const
    {
        std::size_t pos = 0;
        std::size_t step = 1;
        while (step * 2 < m_tree.size())
            step *= 2;
        for (; step > 0; step /= 2) {
            if (pos + step < m_tree.size() && m_tree[pos + step] <= k) {
                pos += step;
                k -= m_tree[pos];
            }
        }
        return pos;
    }

private:
    std::vector<qint64> m_tree;
};

} // namespace

// What the exchange procedure does: pass a inserts entry a in front of the already ordered
// entries a+1.. and rotates every run of equal counts larger than count(a) by one (its last
// entry moves to its front). Entries with equal count a never swap with each other, so each run
// is built by push-front (equal counts) and rotate (each smaller count inserted later).
// Undoing those steps in reverse, i.e. walking the run's members in first-appearance order,
// is a Josephus-like elimination over final slots: before member i, step forward by the number
// of smaller counts inserted after it, then take that slot out.
std::vector<qsizetype> countOrder(const std::vector<qint64>& counts)
{
    const std::size_t n = counts.size();
    std::vector<qint64> values(counts);
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    const std::size_t distinct = values.size();

    std::vector<std::size_t> rank(n);
    for (std::size_t i = 0; i < n; ++i)
        rank[i] =
            std::size_t(std::lower_bound(values.begin(), values.end(), counts[i]) - values.begin());

    // Number of strictly smaller counts before each entry.
    std::vector<qint64> smallerBefore(n);
    {
        Fenwick seen(distinct);
        for (std::size_t i = 0; i < n; ++i) {
            smallerBefore[i] = seen.prefix(rank[i]);
            seen.add(rank[i], 1);
        }
    }

    // Members of each run in first-appearance order (counting sort by rank).
    std::vector<std::size_t> runStart(distinct + 1, 0);
    for (std::size_t i = 0; i < n; ++i)
        ++runStart[rank[i] + 1];
    for (std::size_t r = 0; r < distinct; ++r)
        runStart[r + 1] += runStart[r];
    std::vector<std::size_t> members(n);
    {
        std::vector<std::size_t> fill(runStart.begin(), runStart.end() - 1);
        for (std::size_t i = 0; i < n; ++i)
            members[fill[rank[i]]++] = i;
    }

    std::vector<qsizetype> order(n);
    std::size_t out = 0; // where the current run begins in the result
    for (std::size_t r = distinct; r-- > 0;) {
        const std::size_t first = runStart[r];
        const std::size_t size = runStart[r + 1] - first;
        Fenwick freeSlots(size, true);
        qint64 left = qint64(size);
        qint64 start = 0;
        qint64 smallerSoFar = 0;
        for (std::size_t m = 0; m < size; ++m) {
            const std::size_t entry = members[first + m];
            start = (start + (smallerBefore[entry] - smallerSoFar)) % left;
            smallerSoFar = smallerBefore[entry];
            const std::size_t slot = freeSlots.findKth(start);
            freeSlots.add(slot, -1);
            order[out + slot] = qsizetype(entry);
            if (--left > 0)
                start %= left;
        }
        out += size;
    }
    return order;
}

} // namespace tw
