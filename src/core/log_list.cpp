#include "core/log_list.h"

#include <QHash>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace tw {
namespace {

constexpr std::size_t kBlockSize = std::size_t(4) << 20;

inline std::string_view view(QByteArrayView v)
{
    return std::string_view(v.data(), std::size_t(v.size()));
}

} // namespace

char* TextArena::reserve(std::size_t n)
{
    if (n > m_left) {
        const std::size_t size = std::max(kBlockSize, n);
        m_blocks.push_back(std::make_unique_for_overwrite<char[]>(size));
        m_cursor = m_blocks.back().get();
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

void TextArena::absorb(TextArena&& other)
{
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

void LogBatch::addRow(const std::array<QByteArrayView, kColumnCount>& fields)
{
    std::size_t total = 0;
    for (const auto& f : fields)
        total += std::size_t(f.size());
    char* out = m_arena.reserve(total);
    LogRow row;
    row.text = out;
    quint32 end = 0;
    for (int k = 0; k < kColumnCount; ++k) {
        const auto& f = fields[std::size_t(k)];
        if (!f.isEmpty())
            std::memcpy(out + end, f.data(), std::size_t(f.size()));
        end += quint32(f.size());
        row.ends[std::size_t(k)] = end;
    }
    m_arena.commit(total);
    m_rows.push_back(row);
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

void LogList::append(LogBatch&& batch)
{
    // Logs repeat the same few hundred user agents: classify each distinct text once.
    struct Cached {
        BrowserClass browser;
        PlatformClass platform;
    };
    QHash<QByteArrayView, Cached> cache;
    m_rows.reserve(m_rows.size() + batch.m_rows.size());
    for (LogRow row : batch.m_rows) {
        const QByteArrayView ua = row.field(ColBrowser);
        auto it = cache.constFind(ua);
        if (it == cache.constEnd())
            it = cache.insert(ua, {classifyBrowser(ua), classifyPlatform(ua, m_user)});
        row.browserClass = it->browser;
        ++m_browserTally[std::size_t(it->browser)];
        ++m_platformTally[std::size_t(it->platform)];
        m_rows.push_back(row);
    }
    m_arenas.push_back(std::move(batch.m_arena));
    batch.m_rows.clear();
    if (m_sorted)
        sortRows();
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
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_arenas.clear();
    m_browserTally = {};
    m_platformTally = {};
    m_sortDirections = {};
    m_sortColumn = -1;
    m_sortAscending = true;
    m_sorted = false;
}

void LogList::sortByHeader(int column)
{
    if (column < 0 || column >= kColumnCount)
        return;
    m_sortColumn = column;
    m_sortAscending = m_sortDirections[std::size_t(column)] == 0;
    m_sortDirections[std::size_t(column)] ^= 1;
    m_sorted = true;
    sortRows();
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
    const bool resort = sorted && !m_sorted;
    m_sorted = sorted;
    if (resort)
        sortRows();
}

void LogList::sortRows()
{
    if (m_sortColumn < 0)
        return;
    const int col = m_sortColumn;
    // Byte order of UTF-8 is code point order: a stable, locale-free text order.
    if (m_sortAscending) {
        std::stable_sort(m_rows.begin(), m_rows.end(), [col](const LogRow& a, const LogRow& b) {
            return view(a.field(col)) < view(b.field(col));
        });
    } else {
        std::stable_sort(m_rows.begin(), m_rows.end(), [col](const LogRow& a, const LogRow& b) {
            return view(b.field(col)) < view(a.field(col));
        });
    }
}

std::size_t LogList::memoryUsed() const
{
    std::size_t bytes = m_rows.capacity() * sizeof(LogRow);
    for (const auto& arena : m_arenas)
        bytes += arena.bytesUsed();
    return bytes;
}

} // namespace tw
