#include "core/text_order.h"

#include "core/large_allocation.h"
#include "core/worker_threads.h"

#include <QByteArrayView>
#include <QHashFunctions>
#include <QThread>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <optional>
#include <utility>

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

using KeyVector = std::vector<Key, LargeAllocator<Key>>;

constexpr quint64 kMore = 9;
constexpr std::size_t kParallelMinimum = 100000;
// Below this many keys a comparison sort wins; up to the second they fit in a core's cache.
constexpr std::size_t kCompareSized = 512;
constexpr std::size_t kCacheSized = 16384;
// Far enough ahead for a fetch from memory to arrive before the loop gets there.
constexpr std::size_t kAhead = 16;

class Sorter {
public:
    Sorter(std::span<const std::string_view> texts, bool ascending)
        : m_texts(texts), m_ascending(ascending)
    {
    }

    // Level by level: all groups that still tie after `offset` bytes are keyed on their next
    // eight bytes in one sweep, so that the texts, spread all over memory, can be fetched ahead.
    std::vector<quint32> run()
    {
        const std::size_t n = m_texts.size();
        m_keys.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            if (i + kAhead < n)
                prefetch(m_texts[i + kAhead].data());
            m_keys[i] = keyOf(quint32(i), 0);
        }
        std::vector<Range> level;
        if (n > 1)
            level.push_back({0, n});
        for (std::size_t offset = 0; !level.empty(); offset += 8) {
            if (offset > 0)
                rekey(level, offset);
            std::vector<Range> next;
            for (const Range& range : level)
                sortRange(range, next);
            level = std::move(next);
        }
        std::vector<quint32> order(n);
        for (std::size_t i = 0; i < n; ++i)
            order[i] = quint32(m_keys[i].restAndIndex);
        return order;
    }

private:
    struct Range {
        std::size_t begin;
        std::size_t end;
    };

    static void prefetch(const void* p) { __builtin_prefetch(p); }

    Key keyOf(quint32 index, std::size_t offset) const
    {
        const std::string_view t = m_texts[index];
        const std::size_t rest = t.size() - std::min(offset, t.size());
        unsigned char b[8] = {};
        if (rest > 0) // an empty view may hold no pointer at all
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

    static bool sameGroup(const Key& a, const Key& b)
    {
        return a.bytes == b.bytes && (a.restAndIndex >> 32) == (b.restAndIndex >> 32);
    }

    // Every key of the ranges, in range order, with two cursors running ahead: the far one
    // fetches the text's view, the near one the text itself.
    void rekey(const std::vector<Range>& ranges, std::size_t offset)
    {
        struct Cursor {
            const std::vector<Range>& ranges;
            std::size_t range = 0;
            std::size_t pos;
            explicit Cursor(const std::vector<Range>& r) : ranges(r), pos(r.front().begin) {}
            bool valid() const { return range < ranges.size(); }
            void next()
            {
                if (++pos == ranges[range].end && ++range < ranges.size())
                    pos = ranges[range].begin;
            }
        };
        Cursor far(ranges), near(ranges), at(ranges);
        const auto indexAt = [this](std::size_t pos) { return quint32(m_keys[pos].restAndIndex); };
        for (std::size_t k = 0; k < 2 * kAhead && far.valid(); ++k) {
            prefetch(&m_texts[indexAt(far.pos)]);
            far.next();
        }
        for (std::size_t k = 0; k < kAhead && near.valid(); ++k) {
            prefetch(m_texts[indexAt(near.pos)].data() + offset);
            near.next();
        }
        for (; at.valid(); at.next()) {
            if (far.valid()) {
                prefetch(&m_texts[indexAt(far.pos)]);
                far.next();
            }
            if (near.valid()) {
                prefetch(m_texts[indexAt(near.pos)].data() + offset);
                near.next();
            }
            m_keys[at.pos] = keyOf(indexAt(at.pos), offset);
        }
    }

    // Sorts a range whose keys lie in index order and adds its groups that still tie to next.
    void sortRange(const Range& range, std::vector<Range>& next)
    {
        const auto [begin, end] = range;
        bool allSame = true;
        for (std::size_t i = begin + 1; i < end && allSame; ++i)
            allSame = sameGroup(m_keys[begin], m_keys[i]);
        // Texts that share a long prefix (dates, URLs) leave whole groups equal: already in
        // order, so only the next eight bytes can tell them apart.
        if (!allSame)
            sortKeys(begin, end);
        for (std::size_t i = begin; i < end;) {
            std::size_t j = i + 1;
            while (j < end && sameGroup(m_keys[i], m_keys[j]))
                ++j;
            if (j - i > 1 && continues(m_keys[i]))
                next.push_back({i, j});
            i = j;
        }
    }

    void sortKeys(std::size_t begin, std::size_t end)
    {
        if (m_scratch.size() < m_keys.size())
            m_scratch.resize(m_keys.size());
        const bool parallel = end - begin >= kParallelMinimum && QThread::idealThreadCount() > 1;
        radixSort(m_keys.data() + begin, m_scratch.data() + begin, end - begin, kDigits - 1,
                  parallel);
    }

    // The digits of a key from the least significant: the rest count, then the eight bytes.
    static constexpr int kDigits = 9;
    static unsigned digit(const Key& k, int d)
    {
        return d == 0 ? unsigned(k.restAndIndex >> 32) & 0xff
                      : unsigned(k.bytes >> (8 * (d - 1))) & 0xff;
    }

    // A stable sort on the bytes and the rest count keeps equal keys in index order, so it sorts
    // by the whole key. Most significant digit first, so that the buckets soon fit in the cache
    // and each key crosses main memory only a couple of times; the digits from `d` down are left.
    static void radixSort(Key* keys, Key* scratch, std::size_t n, int d, bool parallel)
    {
        while (n >= kCacheSized) {
            std::array<std::size_t, 256> starts{};
            for (const Key* k = keys; k != keys + n; ++k)
                ++starts[digit(*k, d)];
            // A digit that every key shares moves nothing.
            if (starts[digit(*keys, d)] == n) {
                if (d-- == 0)
                    return;
                continue;
            }
            std::size_t start = 0;
            for (std::size_t& s : starts)
                start += std::exchange(s, start);
            std::array<std::size_t, 256> next = starts;
            for (const Key* k = keys; k != keys + n; ++k)
                scratch[next[digit(*k, d)]++] = *k;
            std::copy(scratch, scratch + n, keys);
            if (d == 0)
                return; // equal in every digit: already in index order
            std::vector<std::pair<std::size_t, std::size_t>> buckets; // start, size
            for (std::size_t b = 0; b < 256; ++b) {
                if (const std::size_t size = (b + 1 < 256 ? starts[b + 1] : n) - starts[b];
                    size > 1)
                    buckets.push_back({starts[b], size});
            }
            const auto sortBucket = [&](std::pair<std::size_t, std::size_t> bucket) {
                radixSort(keys + bucket.first, scratch + bucket.first, bucket.second, d - 1, false);
            };
            if (!parallel) {
                for (const auto& bucket : buckets)
                    sortBucket(bucket);
                return;
            }
            // Two cores take the buckets largest first; one that holds most keys is split again
            // with both cores instead.
            std::sort(buckets.begin(), buckets.end(),
                      [](const auto& a, const auto& b) { return a.second > b.second; });
            std::size_t first = 0;
            if (buckets.front().second * 2 > n) {
                radixSort(keys + buckets.front().first, scratch + buckets.front().first,
                          buckets.front().second, d - 1, true);
                first = 1;
            }
            std::atomic<std::size_t> taken{first};
            const auto work = [&] {
                for (std::size_t i; (i = taken++) < buckets.size();)
                    sortBucket(buckets[i]);
            };
            runOnThreads(2, [&](std::size_t) { work(); });
            return;
        }
        if (n < kCompareSized) {
            std::sort(keys, keys + n);
            return;
        }
        // In the cache: least significant digit first, skipping digits every key shares.
        std::array<std::array<quint32, 256>, kDigits> counts{};
        for (const Key* k = keys; k != keys + n; ++k) {
            for (int i = 0; i <= d; ++i)
                ++counts[std::size_t(i)][digit(*k, i)];
        }
        Key* from = keys;
        Key* to = scratch;
        for (int i = 0; i <= d; ++i) {
            std::array<quint32, 256>& count = counts[std::size_t(i)];
            if (count[digit(*from, i)] == n)
                continue;
            quint32 start = 0;
            for (quint32& c : count)
                start += std::exchange(c, start);
            for (const Key* k = from; k != from + n; ++k)
                to[count[digit(*k, i)]++] = *k;
            std::swap(from, to);
        }
        if (from != keys)
            std::copy(from, from + n, keys);
    }

    const std::span<const std::string_view> m_texts;
    const bool m_ascending;
    KeyVector m_keys;
    KeyVector m_scratch;
};

// Columns such as browsers and previous pages repeat a few hundred texts with long shared
// prefixes: sort the distinct texts once and place the rows by their rank (a counting sort,
// stable). Gives up, returning nothing, once more than maxDistinct texts turn up.
std::optional<std::vector<quint32>> orderByRank(std::span<const std::string_view> texts,
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
        if (i + kAhead < texts.size())
            __builtin_prefetch(texts[i + kAhead].data());
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

std::vector<quint32> stableTextOrder(std::span<const std::string_view> texts, bool ascending)
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
