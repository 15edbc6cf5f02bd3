#include "core/text_order.h"

#include <QByteArrayView>
#include <QHashFunctions>
#include <QThread>

#include <algorithm>
#include <cstring>
#include <optional>
#include <thread>

namespace tw {
namespace {

// Eight bytes of a text from some offset on, then how many of its bytes are left (9: more than
// eight, so the texts must be compared further), then its index. Comparing keys as two unsigned
// integers orders the texts by these bytes and equal texts by index; descending keys hold the
// complement of the bytes and of the count, so the same comparison reverses the texts only.
struct Key {
    quint64 bytes;
    quint64 restAndIndex;

    bool operator<(const Key& other) const
    {
        return bytes != other.bytes ? bytes < other.bytes : restAndIndex < other.restAndIndex;
    }
};

constexpr quint64 kMore = 9;
constexpr std::size_t kParallelMinimum = 100000;

class Sorter {
public:
    Sorter(const std::vector<std::string_view>& texts, bool ascending)
        : m_texts(texts), m_ascending(ascending)
    {
    }

    std::vector<quint32> run()
    {
        const std::size_t n = m_texts.size();
        m_keys.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            m_keys[i] = keyOf(quint32(i), 0);
        sortFrom(0, n, 0);
        std::vector<quint32> order(n);
        for (std::size_t i = 0; i < n; ++i)
            order[i] = quint32(m_keys[i].restAndIndex);
        return order;
    }

private:
    Key keyOf(quint32 index, std::size_t offset) const
    {
        const std::string_view t = m_texts[index];
        const std::size_t rest = t.size() - std::min(offset, t.size());
        unsigned char b[8] = {};
        std::memcpy(b, t.data() + (t.size() - rest), std::min<std::size_t>(8, rest));
        quint64 bytes = 0;
        for (unsigned char c : b)
            bytes = bytes << 8 | c;
        quint64 count = std::min<quint64>(rest, kMore);
        if (!m_ascending) {
            bytes = ~bytes;
            count = kMore - count;
        }
        return {bytes, count << 32 | index};
    }

    bool continues(const Key& k) const
    {
        return (k.restAndIndex >> 32) == (m_ascending ? kMore : 0);
    }

    // Keys [begin, end) agree on their first `offset` bytes, all have more, and lie in index
    // order (as every group left by an earlier pass does).
    void sortFrom(std::size_t begin, std::size_t end, std::size_t offset)
    {
        if (offset > 0) {
            for (std::size_t i = begin; i < end; ++i)
                m_keys[i] = keyOf(quint32(m_keys[i].restAndIndex), offset);
        }
        // Texts that share a long prefix (dates, URLs) leave whole groups equal here: already
        // in order, so skip to the next eight bytes.
        const auto sameGroup = [](const Key& a, const Key& b) {
            return a.bytes == b.bytes && (a.restAndIndex >> 32) == (b.restAndIndex >> 32);
        };
        bool allSame = true;
        for (std::size_t i = begin + 1; i < end && allSame; ++i)
            allSame = sameGroup(m_keys[begin], m_keys[i]);
        if (!allSame)
            sortKeys(begin, end);
        for (std::size_t i = begin; i < end;) {
            std::size_t j = i + 1;
            while (j < end && sameGroup(m_keys[i], m_keys[j]))
                ++j;
            if (j - i > 1 && continues(m_keys[i]))
                sortFrom(i, j, offset + 8);
            i = j;
        }
    }

    void sortKeys(std::size_t begin, std::size_t end)
    {
        const auto first = m_keys.begin() + std::ptrdiff_t(begin);
        const auto last = m_keys.begin() + std::ptrdiff_t(end);
        if (end - begin < kParallelMinimum || QThread::idealThreadCount() < 2) {
            std::sort(first, last);
            return;
        }
        // Keys are all distinct (the index is part of them): two halves on two cores, merged.
        const auto mid = first + std::ptrdiff_t((end - begin) / 2);
        std::thread other([&] { std::sort(mid, last); });
        std::sort(first, mid);
        other.join();
        m_merged.resize(end - begin);
        std::merge(first, mid, mid, last, m_merged.begin());
        std::copy(m_merged.begin(), m_merged.end(), first);
    }

    const std::vector<std::string_view>& m_texts;
    const bool m_ascending;
    std::vector<Key> m_keys;
    std::vector<Key> m_merged;
};

// Columns such as browsers and previous pages repeat a few hundred texts with long shared
// prefixes: sort the distinct texts once and place the rows by their rank (a counting sort,
// stable). Gives up, returning nothing, once more than maxDistinct texts turn up.
std::optional<std::vector<quint32>> orderByRank(const std::vector<std::string_view>& texts,
                                                bool ascending, std::size_t maxDistinct)
{
    std::size_t tableSize = 64;
    while (tableSize < maxDistinct * 2)
        tableSize *= 2;
    std::vector<quint32> table(tableSize, 0); // distinct id + 1, 0 when free
    std::vector<std::string_view> distinct;
    std::vector<quint32> ids(texts.size());
    const auto hash = [](std::string_view t) {
        return std::size_t(qHash(QByteArrayView(t.data(), qsizetype(t.size()))));
    };
    for (std::size_t i = 0; i < texts.size(); ++i) {
        std::size_t slot = hash(texts[i]) & (tableSize - 1);
        while (table[slot] != 0 && distinct[table[slot] - 1] != texts[i])
            slot = (slot + 1) & (tableSize - 1);
        if (table[slot] == 0) {
            if (distinct.size() == maxDistinct)
                return std::nullopt;
            distinct.push_back(texts[i]);
            table[slot] = quint32(distinct.size());
        }
        ids[i] = table[slot] - 1;
    }
    const std::vector<quint32> sortedIds = Sorter(distinct, ascending).run();
    // starts[id]: where the rows of that text begin in the result.
    std::vector<quint32> counts(distinct.size(), 0);
    for (quint32 id : ids)
        ++counts[id];
    std::vector<quint32> starts(distinct.size());
    quint32 next = 0;
    for (quint32 id : sortedIds) {
        starts[id] = next;
        next += counts[id];
    }
    std::vector<quint32> order(texts.size());
    for (std::size_t i = 0; i < ids.size(); ++i)
        order[starts[ids[i]]++] = quint32(i);
    return order;
}

} // namespace

std::vector<quint32> stableTextOrder(const std::vector<std::string_view>& texts, bool ascending)
{
    // A glance at a spread sample first, so that columns of nearly all different texts (hosts,
    // dates) do not pay for hashing.
    constexpr std::size_t kSample = 2048;
    if (texts.size() >= 16 * kSample) {
        std::vector<std::string_view> sample(kSample);
        for (std::size_t i = 0; i < kSample; ++i)
            sample[i] = texts[i * (texts.size() / kSample)];
        if (!orderByRank(sample, true, kSample * 7 / 8))
            return Sorter(texts, ascending).run();
    }
    if (texts.size() >= 1000) {
        if (auto order = orderByRank(texts, ascending, texts.size() / 16))
            return std::move(*order);
    }
    return Sorter(texts, ascending).run();
}

} // namespace tw
