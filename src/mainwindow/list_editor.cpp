#include "mainwindow/list_editor.h"

#include <QSet>

namespace tw {
namespace {

// A row keeps its text pointer when the list is re-sorted; rows that share one are empty and
// therefore alike.
struct RowKey {
    const char* text;
    quint32 length;
    bool operator==(const RowKey&) const = default;
};

size_t qHash(const RowKey& key, size_t seed = 0)
{
    return qHashMulti(seed, quintptr(key.text), key.length);
}

RowKey keyOf(const LogRow& row)
{
    return {row.text, row.size()};
}

// Ascending rows cut into runs of neighbours: [first, last] pairs.
QList<std::pair<qsizetype, qsizetype>> runsOf(const QList<qsizetype>& rows)
{
    QList<std::pair<qsizetype, qsizetype>> runs;
    for (qsizetype r : rows) {
        if (!runs.isEmpty() && runs.last().second + 1 == r)
            runs.last().second = r;
        else
            runs.append({r, r});
    }
    return runs;
}

// Beyond this many separate runs one reset is cheaper than a removal per run.
constexpr qsizetype kMaxTargetedRemovals = 64;

} // namespace

void ListEditor::append(LogBatch&& batch)
{
    if (batch.isEmpty())
        return;
    const qsizetype before = m_list.rowCount();
    // Fields the list has not had yet bring columns of their own: the view starts afresh.
    const bool newFields = (batch.fields() & ~m_list.fields()) != 0;
    if (m_shown.isFiltered()) {
        // The new rows are filtered before the view hears of them; it then starts afresh.
        if (m_list.isSorted()) {
            rearrange([&] { return m_list.arrangeWithAppended(std::move(batch)); },
                      [this](RowArrangement&& a) {
                          m_list.adopt(std::move(a));
                          m_shown.refilter(m_list);
                      },
                      true);
        } else {
            m_list.prepareAppend(batch);
            resortKeepingSelection(
                [&] {
                    m_list.append(std::move(batch));
                    m_shown.rowsAppended(m_list, before);
                },
                true);
        }
        return;
    }
    if (before == 0) {
        resetAround([&] { m_list.append(std::move(batch)); });
    } else if (m_list.isSorted()) {
        rearrangeRows([&] { return m_list.arrangeWithAppended(std::move(batch)); }, true);
    } else if (newFields) {
        m_list.prepareAppend(batch);
        resortKeepingSelection([&] { m_list.append(std::move(batch)); }, true);
    } else {
        // What can fail comes before the view hears of rows that might then not come.
        m_list.prepareAppend(batch);
        const qsizetype added = batch.size();
        m_view.beginInsertRows(before, before + added - 1);
        m_list.append(std::move(batch));
        m_view.endInsertRows();
    }
}

void ListEditor::clear()
{
    // The filter stays: the next rows read are shown as it says.
    resetAround([&] {
        m_list.clear();
        m_shown.set(m_shown.filter(), {});
    });
}

void ListEditor::setFilter(const RowFilter& filter, std::vector<quint32> rows)
{
    resortKeepingSelection([&] { m_shown.set(filter, std::move(rows)); }, false);
}

QString ListEditor::itemCountText() const
{
    const QString all = QString::number(m_list.rowCount());
    return QStringLiteral("アイテム数:") +
           (m_shown.isFiltered()
                ? QString::number(m_shown.count(m_list)) + QStringLiteral(" / ") + all
                : all);
}

template <typename Change> void ListEditor::resetAround(Change change)
{
    // A change that throws leaves the list as it was, and the view must hear the end of it.
    m_view.beginListReset();
    try {
        change();
    } catch (...) {
        m_view.endListReset();
        throw;
    }
    m_view.endListReset();
}

void ListEditor::removeRows(const QList<qsizetype>& rows)
{
    if (rows.isEmpty())
        return;
    const auto runs = runsOf(rows);
    if (m_shown.isFiltered()) {
        resetAround([&] {
            m_list.removeRows(rows);
            m_shown.rowsRemoved(rows);
        });
        return;
    }
    if (runs.size() > kMaxTargetedRemovals) {
        resetAround([&] { m_list.removeRows(rows); });
        return;
    }
    // From the bottom up, so the indexes of the runs still to go stay valid.
    for (qsizetype i = runs.size() - 1; i >= 0; --i) {
        const auto [first, last] = runs.at(i);
        QList<qsizetype> run;
        run.reserve(last - first + 1);
        for (qsizetype r = first; r <= last; ++r)
            run.append(r);
        m_view.beginRemoveRows(first, last);
        m_list.removeRows(run);
        m_view.endRemoveRows();
    }
}

void ListEditor::sortByHeader(int column)
{
    rearrangeRows([&] { return m_list.arrangeByHeader(column); }, false);
}

template <typename Prepare> void ListEditor::rearrangeRows(Prepare prepare, bool addsRows)
{
    rearrange(
        prepare,
        [this](RowArrangement&& a) {
            m_list.adopt(std::move(a));
            m_shown.refilter(m_list);
        },
        addsRows);
}

template <typename Prepare, typename Apply>
void ListEditor::rearrange(Prepare prepare, Apply apply, bool addsRows)
{
    auto prepared = prepare();
    resortKeepingSelection([&] { apply(std::move(prepared)); }, addsRows);
}

void ListEditor::setSorted(bool sorted)
{
    if (sorted == m_list.isSorted())
        return;
    if (!sorted || m_list.rowCount() == 0) {
        m_list.setSorted(sorted);
        return;
    }
    rearrangeRows([&] { return m_list.arrangeSorted(); }, false);
}

template <typename Change> void ListEditor::resortKeepingSelection(Change change, bool addsRows)
{
    const QList<qsizetype> selected = m_view.selectedRows();
    const qsizetype current = m_view.currentRow();
    // With every row selected and none added, the selection stays whole: no need to track it.
    const bool keepAll = !addsRows && !selected.isEmpty() && selected.size() == m_list.rowCount();
    QSet<RowKey> keys;
    if (!keepAll) {
        keys.reserve(selected.size());
        for (qsizetype r : selected)
            keys.insert(keyOf(m_list.row(r)));
    }
    const bool hasCurrent = current >= 0;
    const RowKey currentKey = hasCurrent ? keyOf(m_list.row(current)) : RowKey{nullptr, 0};

    try {
        resetAround(change);
    } catch (...) {
        // The rows are where they were: so is the selection.
        if (keepAll)
            m_view.selectAllRows(current < 0 ? 0 : current);
        else
            m_view.setSelection(selected, current);
        throw;
    }

    if (keys.isEmpty() && !hasCurrent && !keepAll)
        return;
    QList<qsizetype> rows;
    qsizetype newCurrent = -1;
    for (qsizetype r = 0, n = m_list.rowCount(); r < n; ++r) {
        const RowKey key = keyOf(m_list.row(r));
        if (!keepAll && keys.contains(key))
            rows.append(r);
        if (hasCurrent && newCurrent < 0 && key == currentKey) {
            newCurrent = r;
            if (keepAll)
                break;
        }
    }
    if (keepAll)
        m_view.selectAllRows(newCurrent < 0 ? 0 : newCurrent);
    else
        m_view.setSelection(rows, newCurrent);
}

} // namespace tw
