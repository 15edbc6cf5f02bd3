#pragma once

#include "core/access_record.h"
#include "core/classification.h"
#include "core/large_allocation.h"
#include "core/long_work.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QUtf8StringView>

#include <array>
#include <memory>
#include <utility>
#include <vector>

namespace tw {

// Append-only storage for row texts: fixed blocks, so a text never moves once written.
class TextArena {
public:
    // Room for at least n bytes; write into it, then commit what was used.
    char* reserve(std::size_t n);
    void commit(std::size_t used);
    void absorb(TextArena&& other);
    // Gives back the unused end of the block being written: a list of many batches would
    // otherwise keep a partly filled block of each.
    void trim();
    void clear();
    std::size_t bytesUsed() const { return m_used; }

private:
    class Block {
    public:
        explicit Block(std::size_t size)
            : m_data(static_cast<char*>(allocateLarge(size))), m_size(size), m_kept(size)
        {
        }
        Block(Block&& other) noexcept
            : m_data(std::exchange(other.m_data, nullptr)), m_size(other.m_size),
              m_kept(other.m_kept)
        {
        }
        Block& operator=(Block&&) = delete;
        ~Block() { freeLarge(m_data, m_size, m_kept); }
        char* data() const { return m_data; }
        void shrink(std::size_t keep)
        {
            if (keep < m_kept) {
                shrinkLarge(m_data, m_kept, keep);
                m_kept = keep;
            }
        }

    private:
        char* m_data;
        std::size_t m_size; // as allocated
        std::size_t m_kept; // as shrunk to
    };
    std::vector<Block> m_blocks;
    char* m_cursor = nullptr;
    std::size_t m_left = 0;
    std::size_t m_used = 0;
};

// One row: its field texts (UTF-8) lie back to back from text. A row of n fields keeps the n
// cumulative ends of its fields as 32-bit numbers just before text, so the record stays 16 bytes
// however many fields a list has. Every row has the five columns; fields past its own are empty.
struct LogRow {
    const char* text = nullptr;
    quint8 fieldCount = 0;
    BrowserClass browserClass = BrowserClass::EXE;
    // The class the platform tally counted the row under, with the user strings of that time.
    PlatformClass platformClass = PlatformClass::Other;

    const quint32* ends() const { return reinterpret_cast<const quint32*>(text) - fieldCount; }
    quint32 size() const { return fieldCount ? ends()[fieldCount - 1] : 0; }
    // The five columns' texts back to back.
    quint32 columnsSize() const { return fieldCount ? ends()[kColumnCount - 1] : 0; }
    QByteArrayView field(int column) const
    {
        if (column >= fieldCount)
            return {};
        const quint32* e = ends();
        const quint32 begin = column ? e[column - 1] : 0;
        return QByteArrayView(text + begin, e[column] - begin);
    }
};

class LogBatch;

// Writes one row straight into a batch: made with room for the texts, then each field's bytes
// are written at cursor() and closed with endField, in order, and finish adds the row.
class RowWriter {
public:
    RowWriter(LogBatch& batch, int fieldCount, std::size_t maxTextBytes);
    char* cursor() const { return m_cursor; }
    void endField(char* fieldEnd) { m_ends[m_done++] = quint32(fieldEnd - m_text); }
    void finish();

private:
    LogBatch& m_batch;
    char* m_start;
    quint32* m_ends;
    char* m_text;
    char* m_cursor;
    int m_count;
    int m_done = 0;
};

// Rows read from one file and not yet in a list (no class or tally yet).
class LogBatch {
public:
    // Adds a row of these UTF-8 texts (at least the five columns).
    void addRow(const QByteArrayView* fields, int count);
    void addRow(const std::array<QByteArrayView, kColumnCount>& fields)
    {
        addRow(fields.data(), kColumnCount);
    }
    void addRecord(const AccessRecord& record);
    // The fields the rows' source records (the five columns and, for web logs, what it logs).
    FieldSet fields() const { return m_fields; }
    void setFields(FieldSet fields) { m_fields = fields | kColumnFields; }
    // Takes the rows of another batch after this one's.
    void append(LogBatch&& other);
    qsizetype size() const { return qsizetype(m_rows.size()); }
    bool isEmpty() const { return m_rows.empty(); }
    const LogRow& row(qsizetype i) const { return m_rows[std::size_t(i)]; }

    void reserveRows(qsizetype n) { m_rows.reserve(std::size_t(n)); }

private:
    friend class LogList;
    friend class RowWriter;
    TextArena m_arena;
    FieldSet m_fields = kColumnFields;
    std::vector<LogRow, LargeAllocator<LogRow>> m_rows;
    // Set by LogList::prepareAppend: that many rows carry their class, counted here.
    qsizetype m_preparedRows = -1;
    std::array<qint64, kBrowserClassCount> m_browserCount{};
    std::array<qint64, kPlatformClassCount> m_platformCount{};
};

class LogList;

// The rows of a list in a new order, computed while the list stays as it is (and may be read
// meanwhile, as a window does to paint it), with the sort state that comes with that order and
// the batch of rows it adds, if any. LogList::adopt puts it in place in one step that cannot
// fail.
class RowArrangement {
public:
    bool isEmpty() const { return !m_valid; }

private:
    friend class LogList;
    std::vector<LogRow, LargeAllocator<LogRow>> m_rows;
    std::unique_ptr<LogBatch> m_added;
    std::array<int, kMaxFieldCount> m_sortDirections{};
    int m_sortColumn = -1;
    bool m_sortAscending = true;
    bool m_sorted = false;
    bool m_hasRows = false; // else the rows keep their order
    bool m_valid = false;
};

// The open log: rows in display order with their browser classes, the browser and platform
// tallies (which count every row added since the last clear, cut and deleted rows included),
// and the sort state of the five columns.
class LogList {
public:
    LogList() = default;
    LogList(const LogList&) = delete;
    LogList& operator=(const LogList&) = delete;

    qsizetype rowCount() const { return qsizetype(m_rows.size()); }
    const LogRow& row(qsizetype i) const { return m_rows[std::size_t(i)]; }
    QByteArrayView field(qsizetype row, int column) const { return this->row(row).field(column); }
    QString text(qsizetype row, int column) const { return QString::fromUtf8(field(row, column)); }
    // Which fields the list's rows came with: the five columns, and what web logs added. The
    // window shows a column for each.
    FieldSet fields() const { return m_fields; }
    bool hasField(int column) const { return m_fields & (1u << column); }
    AccessRecord record(qsizetype row) const;
    BrowserClass browserClass(qsizetype row) const { return this->row(row).browserClass; }
    PlatformClass platformClass(qsizetype row) const { return this->row(row).platformClass; }

    // Where classifying and ordering run, so a window can keep painting meanwhile.
    void setLongWorkRunner(LongWorkRunner runner) { m_runner = std::move(runner); }

    // Platform strings used for rows classified from now on.
    void setUserPlatforms(const UserPlatforms& user) { m_user = user; }
    const UserPlatforms& userPlatforms() const { return m_user; }

    // Classifies and counts every row of the batch and adds the rows at the end (or, in
    // sorted mode, re-sorts afterwards). When that throws (memory ran out) the list is as it was.
    void append(LogBatch&& batch);
    // The part of append that may fail before the list changes: classifying the rows and making
    // room for them. append does it itself unless it was done for these rows.
    void prepareAppend(LogBatch& batch);
    void appendRecord(const AccessRecord& record);

    // Removes the rows with these indexes (any order, duplicates ignored). Tallies stay.
    void removeRows(QList<qsizetype> rows);

    // Empties the list and resets tallies, sort directions and sorted mode.
    void clear();

    const std::array<qint64, kBrowserClassCount>& browserTally() const { return m_browserTally; }
    const std::array<qint64, kPlatformClassCount>& platformTally() const { return m_platformTally; }

    // A click on header `column`: sorts by it in the column's next direction, enters sorted
    // mode and flips that column's direction. A sort that throws changes nothing.
    void sortByHeader(int column);
    // The same in two steps: the arrangement is long work that leaves the list as it is (empty
    // when the list has no such field) and throws when memory runs out; adopt is quick and
    // cannot fail.
    RowArrangement arrangeByHeader(int column) const;
    // Sorted mode turned back on: the rows re-sorted by the last column and order.
    RowArrangement arrangeSorted() const;
    // The batch's rows added and the whole list re-sorted, as append does in sorted mode; the
    // list gets ready to take them (room for them, the rows classified).
    RowArrangement arrangeWithAppended(LogBatch&& batch);
    void adopt(RowArrangement&& arrangement) noexcept;
    // The header caption, with "(昇)" or "(降)" on the column that was clicked last.
    QString headerCaption(int column) const;
    // 0: the next click sorts ascending, 1: descending. Any field of the list can be sorted by.
    int sortDirection(int column) const { return m_sortDirections[std::size_t(column)]; }
    int sortColumn() const { return m_sortColumn; }
    bool sortAscending() const { return m_sortAscending; }
    bool isSorted() const { return m_sorted; }
    // Turning sorted mode back on re-sorts by the last column and order.
    void setSorted(bool sorted);

    // Bytes held by row texts and row records, for diagnostics and benchmarks.
    std::size_t memoryUsed() const;

private:
    void reserveFor(const LogBatch& batch);
    void reserveArenaSlot();
    // The batch's fields and tallies.
    void takeCounts(const LogBatch& batch) noexcept;
    // The list's rows, and those of the batch after them, in the order of the arrangement's sort
    // state.
    void sortInto(RowArrangement& arrangement, const LogBatch* added) const;
    RowArrangement arrangementOfState() const;

    std::vector<TextArena> m_arenas;
    std::vector<LogRow, LargeAllocator<LogRow>> m_rows;
    UserPlatforms m_user;
    LongWorkRunner m_runner;
    std::array<qint64, kBrowserClassCount> m_browserTally{};
    std::array<qint64, kPlatformClassCount> m_platformTally{};
    std::array<int, kMaxFieldCount> m_sortDirections{};
    FieldSet m_fields = kColumnFields;
    int m_sortColumn = -1; // the column of the last header click, -1 before any
    bool m_sortAscending = true;
    bool m_sorted = false;
};

} // namespace tw
