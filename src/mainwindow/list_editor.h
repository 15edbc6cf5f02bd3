#pragma once

#include "core/log_list.h"
#include "mainwindow/main_view.h"
#include "mainwindow/shown_rows.h"

namespace tw {

// Every change of the main list's rows goes through here, so the view hears of it in the form
// it handles best: one reset for a load into an empty list, a re-sort or rows that bring fields
// (columns) the list did not have, targeted insertions and removals otherwise. Re-sorts keep the
// selected rows and the current row.
//
// A new order of the rows is computed as long work while the view still shows the old one; only
// putting it in place, which is quick and cannot fail, happens inside the view's reset.
class ListEditor {
public:
    ListEditor(LogList& list, MainView& view) : m_list(list), m_view(view) {}

    LogList& list() { return m_list; }
    const LogList& list() const { return m_list; }

    void append(LogBatch&& batch);
    void clear();
    // rows: ascending display indexes.
    void removeRows(const QList<qsizetype>& rows);
    void sortByHeader(int column);
    void setSorted(bool sorted);

    // While a filter is active the view shows only the rows that pass it; the rows the view
    // hears of (MainView) are still list rows. Every change above keeps the shown rows up to date.
    const ShownRows& shown() const { return m_shown; }
    // rows: the list rows that pass filter now (ascending); an empty filter shows every row.
    void setFilter(const RowFilter& filter, std::vector<quint32> rows);
    // "アイテム数:N" or, while filtered, "アイテム数:shown / all".
    QString itemCountText() const;

private:
    // prepare (long work, may throw: nothing has changed then) gives what apply (quick, cannot
    // fail) puts in place, inside a reset that keeps the selected rows and the current row.
    template <typename Prepare, typename Apply>
    void rearrange(Prepare prepare, Apply apply, bool addsRows);
    template <typename Prepare> void rearrangeRows(Prepare prepare, bool addsRows);
    template <typename Change> void resetAround(Change change);
    template <typename Change> void resortKeepingSelection(Change change, bool addsRows);

    LogList& m_list;
    MainView& m_view;
    ShownRows m_shown;
};

} // namespace tw
