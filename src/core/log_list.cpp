#include "core/log_list.h"

#include "core/text_order.h"
#include "core/worker_threads.h"

#include <QHash>
#include <QThread>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <tuple>

namespace tw {
namespace {

// Blocks grow from 64 KB to 4 MB, so a batch of a few rows does not take a large block.
constexpr std::size_t kFirstBlockSize = std::size_t(64) << 10;
constexpr std::size_t kLargestBlockSize = std::size_t(4) << 20;

inline std::string_view view(QByteArrayView v)
{
    return std::string_view(v.data(), std::size_t(v.size()));
}

} // namespace

char* TextArena::reserve(std::size_t n)
{
    if (n > m_left) {
        const std::size_t grown = kFirstBlockSize << std::min<std::size_t>(m_blocks.size(), 6);
        const std::size_t size = std::max(std::min(grown, kLargestBlockSize), n);
        m_blocks.emplace_back(size);
        m_cursor = m_blocks.back().data();
        m_left = size;
    }
    return m_cursor;
}

void TextArena::commit(std::size_t used)
{
    m_cursor += used;
    m_left -= used;
    m_used += used;
}

void TextArena::trim()
{
    if (m_blocks.empty() || !m_cursor)
        return;
    m_blocks.back().shrink(std::size_t(m_cursor - m_blocks.back().data()));
    // What is left may be gone: the next text goes into a new block.
    m_cursor = nullptr;
    m_left = 0;
}

void TextArena::absorb(TextArena&& other)
{
    other.trim();
    for (auto& block : other.m_blocks)
        m_blocks.push_back(std::move(block));
    m_used += other.m_used;
    other.clear();
    // Keep writing into a fresh block: the absorbed blocks are full or owned by their rows.
    m_cursor = nullptr;
    m_left = 0;
}

void TextArena::clear()
{
    m_blocks.clear();
    m_cursor = nullptr;
    m_left = 0;
    m_used = 0;
}

RowWriter::RowWriter(LogBatch& batch, int fieldCount, std::size_t maxTextBytes)
    : m_batch(batch), m_count(fieldCount)
{
    const std::size_t endsBytes = sizeof(quint32) * std::size_t(fieldCount);
    m_start = batch.m_arena.reserve(alignof(quint32) - 1 + endsBytes + maxTextBytes);
    const auto address = reinterpret_cast<std::uintptr_t>(m_start);
    m_ends = reinterpret_cast<quint32*>((address + alignof(quint32) - 1) & ~(alignof(quint32) - 1));
    m_text = reinterpret_cast<char*>(m_ends + fieldCount);
    m_cursor = m_text;
}

void RowWriter::finish()
{
    LogRow row;
    row.text = m_text;
    row.fieldCount = quint8(m_count);
    m_batch.m_arena.commit(std::size_t(m_text - m_start) + m_ends[m_count - 1]);
    m_batch.m_rows.push_back(row);
}

void LogBatch::addRow(const QByteArrayView* fields, int count)
{
    std::size_t total = 0;
    for (int k = 0; k < count; ++k)
        total += std::size_t(fields[k].size());
    RowWriter row(*this, count, total);
    char* out = row.cursor();
    for (int k = 0; k < count; ++k) {
        if (!fields[k].isEmpty())
            std::memcpy(out, fields[k].data(), std::size_t(fields[k].size()));
        out += fields[k].size();
        row.endField(out);
    }
    row.finish();
}

void LogBatch::addRecord(const AccessRecord& record)
{
    std::array<QByteArray, kColumnCount> utf8;
    std::array<QByteArrayView, kColumnCount> views;
    for (int k = 0; k < kColumnCount; ++k) {
        utf8[std::size_t(k)] = record.field(k).toUtf8();
        views[std::size_t(k)] = utf8[std::size_t(k)];
    }
    addRow(views);
}

void LogBatch::append(LogBatch&& other)
{
    m_fields |= other.m_fields;
    m_arena.absorb(std::move(other.m_arena));
    m_rows.insert(m_rows.end(), other.m_rows.begin(), other.m_rows.end());
    other.m_rows.clear();
}

AccessRecord LogList::record(qsizetype i) const
{
    AccessRecord r;
    for (int k = 0; k < kColumnCount; ++k)
        r.field(k) = text(i, k);
    return r;
}

void LogList::prepareAppend(LogBatch& batch)
{
    auto& rows = batch.m_rows;
    // Logs repeat the same few hundred user agents: each worker classifies a distinct text once.
    struct Part {
        std::array<qint64, kBrowserClassCount> browser{};
        std::array<qint64, kPlatformClassCount> platform{};
    };
    auto classify = [this, &rows](std::size_t begin, std::size_t end, Part& part) {
        struct Cached {
            BrowserClass browser;
            PlatformClass platform;
        };
        QHash<QByteArrayView, Cached> cache;
        for (std::size_t i = begin; i < end; ++i) {
            LogRow& row = rows[i];
            const QByteArrayView ua = row.field(ColBrowser);
            auto it = cache.constFind(ua);
            if (it == cache.constEnd())
                it = cache.insert(ua, {classifyBrowser(ua), classifyPlatform(ua, m_user)});
            row.browserClass = it->browser;
            row.platformClass = it->platform;
            ++part.browser[std::size_t(it->browser)];
            ++part.platform[std::size_t(it->platform)];
        }
    };
    constexpr std::size_t kRowsPerWorker = 200000;
    const std::size_t workers = std::clamp<std::size_t>(
        rows.size() / kRowsPerWorker, 1, std::size_t(std::max(1, QThread::idealThreadCount())));
    std::vector<Part> parts(workers);
    runLongWork(m_runner, [&] {
        runOnThreads(workers, [&](std::size_t w) {
            classify(rows.size() * w / workers, rows.size() * (w + 1) / workers, parts[w]);
        });
    });
    reserveFor(batch);

    batch.m_browserCount = {};
    batch.m_platformCount = {};
    for (const Part& part : parts) {
        for (int k = 0; k < kBrowserClassCount; ++k)
            batch.m_browserCount[std::size_t(k)] += part.browser[std::size_t(k)];
        for (int k = 0; k < kPlatformClassCount; ++k)
            batch.m_platformCount[std::size_t(k)] += part.platform[std::size_t(k)];
    }
    batch.m_preparedRows = batch.size();
}

void LogList::reserveFor(const LogBatch& batch)
{
    // With room made first, adding the rows cannot fail halfway. Growing by half at least keeps
    // appends of a few rows at a time from copying every row each time.
    const std::size_t rows = m_rows.size() + batch.m_rows.size();
    if (!m_rows.empty() && rows > m_rows.capacity())
        m_rows.reserve(std::max(rows, m_rows.capacity() + m_rows.capacity() / 2));
    reserveArenaSlot();
}

void LogList::reserveArenaSlot()
{
    if (m_arenas.size() == m_arenas.capacity())
        m_arenas.reserve(m_arenas.size() * 2 + 1);
}

void LogList::append(LogBatch&& batch)
{
    if (m_sorted) {
        adopt(arrangeWithAppended(std::move(batch)));
        return;
    }
    if (batch.m_preparedRows != batch.size())
        prepareAppend(batch);
    reserveFor(batch);
    takeCounts(batch);
    auto& rows = batch.m_rows;
    if (m_rows.empty())
        m_rows = std::move(rows);
    else
        m_rows.insert(m_rows.end(), rows.begin(), rows.end());
    rows.clear();
    batch.m_arena.trim();
    m_arenas.push_back(std::move(batch.m_arena));
}

void LogList::takeCounts(const LogBatch& batch) noexcept
{
    m_fields |= batch.m_fields;
    for (int k = 0; k < kBrowserClassCount; ++k)
        m_browserTally[std::size_t(k)] += batch.m_browserCount[std::size_t(k)];
    for (int k = 0; k < kPlatformClassCount; ++k)
        m_platformTally[std::size_t(k)] += batch.m_platformCount[std::size_t(k)];
}

void LogList::appendRecord(const AccessRecord& record)
{
    LogBatch batch;
    batch.addRecord(record);
    append(std::move(batch));
}

void LogList::removeRows(QList<qsizetype> rows)
{
    std::vector<bool> drop(m_rows.size(), false);
    for (qsizetype r : rows) {
        if (r >= 0 && r < rowCount())
            drop[std::size_t(r)] = true;
    }
    std::size_t out = 0;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (!drop[i])
            m_rows[out++] = m_rows[i];
    }
    m_rows.resize(out);
}

void LogList::clear()
{
    const bool held = !m_arenas.empty();
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_arenas.clear();
    if (held)
        releaseFreedMemory();
    m_browserTally = {};
    m_platformTally = {};
    m_sortDirections = {};
    m_fields = kColumnFields;
    m_sortColumn = -1;
    m_sortAscending = true;
    m_sorted = false;
}

void LogList::sortByHeader(int column)
{
    adopt(arrangeByHeader(column));
}

RowArrangement LogList::arrangementOfState() const
{
    RowArrangement a;
    a.m_sortDirections = m_sortDirections;
    a.m_sortColumn = m_sortColumn;
    a.m_sortAscending = m_sortAscending;
    a.m_sorted = m_sorted;
    a.m_valid = true;
    return a;
}

RowArrangement LogList::arrangeByHeader(int column) const
{
    if (column < 0 || column >= kMaxFieldCount || !hasField(column))
        return {};
    RowArrangement a = arrangementOfState();
    a.m_sortColumn = column;
    a.m_sortAscending = a.m_sortDirections[std::size_t(column)] == 0;
    a.m_sortDirections[std::size_t(column)] ^= 1;
    a.m_sorted = true;
    sortInto(a, nullptr);
    return a;
}

RowArrangement LogList::arrangeSorted() const
{
    RowArrangement a = arrangementOfState();
    if (!m_sorted) {
        a.m_sorted = true;
        sortInto(a, nullptr);
    }
    return a;
}

RowArrangement LogList::arrangeWithAppended(LogBatch&& batch)
{
    if (batch.m_preparedRows != batch.size())
        prepareAppend(batch);
    // The rows come in a new array: only the texts need a place kept.
    reserveArenaSlot();
    RowArrangement a = arrangementOfState();
    a.m_added = std::make_unique<LogBatch>(std::move(batch));
    a.m_added->m_arena.trim();
    sortInto(a, a.m_added.get());
    return a;
}

void LogList::adopt(RowArrangement&& a) noexcept
{
    if (!a.m_valid)
        return;
    if (a.m_added) {
        takeCounts(*a.m_added);
        // Room was made when the arrangement was.
        m_arenas.push_back(std::move(a.m_added->m_arena));
        a.m_added.reset();
    }
    if (a.m_hasRows)
        m_rows = std::move(a.m_rows);
    m_sortDirections = a.m_sortDirections;
    m_sortColumn = a.m_sortColumn;
    m_sortAscending = a.m_sortAscending;
    m_sorted = a.m_sorted;
    a.m_valid = false;
}

QString LogList::headerCaption(int column) const
{
    QString caption = columnCaption(column);
    if (column == m_sortColumn)
        caption += m_sortAscending ? QStringLiteral("(昇)") : QStringLiteral("(降)");
    return caption;
}

void LogList::setSorted(bool sorted)
{
    if (sorted)
        adopt(arrangeSorted());
    else
        m_sorted = false;
}

void LogList::sortInto(RowArrangement& a, const LogBatch* added) const
{
    const std::size_t own = m_rows.size();
    const std::size_t total = own + (added ? added->m_rows.size() : 0);
    const auto rowAt = [&](std::size_t i) -> const LogRow& {
        return i < own ? m_rows[i] : added->m_rows[i - own];
    };
    const auto gather = [&](const auto& indexOf) {
        std::vector<LogRow, LargeAllocator<LogRow>> rows;
        rows.reserve(total);
        constexpr std::size_t kAhead = 16;
        for (std::size_t k = 0; k < total; ++k) {
            if (k + kAhead < total)
                __builtin_prefetch(&rowAt(indexOf(k + kAhead)));
            rows.push_back(rowAt(indexOf(k)));
        }
        a.m_rows = std::move(rows);
        a.m_hasRows = true;
    };
    if (a.m_sortColumn < 0 || total < 2) {
        if (added)
            gather([](std::size_t k) { return k; });
        return;
    }
    runLongWork(m_runner, [&] {
        const int col = a.m_sortColumn;
        std::vector<std::string_view, LargeAllocator<std::string_view>> texts(total);
        for (std::size_t i = 0; i < total; ++i)
            texts[i] = view(rowAt(i).field(col));
        const std::vector<quint32> order = stableTextOrder(texts, a.m_sortAscending);
        texts = {};
        gather([&order](std::size_t k) { return std::size_t(order[k]); });
    });
}

std::size_t LogList::memoryUsed() const
{
    std::size_t bytes = m_rows.capacity() * sizeof(LogRow);
    for (const auto& arena : m_arenas)
        bytes += arena.bytesUsed();
    return bytes;
}

} // namespace tw
