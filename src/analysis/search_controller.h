#pragma once

#include "analysis/search.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace tw {

class LogList;
struct Settings;
class UserPrompts;

// The rows of the main list as the search sees them; rows are display-order indexes.
class SearchTarget {
public:
    virtual ~SearchTarget() = default;
    // The focused row, -1 when there is none.
    virtual qsizetype currentRow() const = 0;
    virtual void clearSelection() = 0;
    // Scrolls the row into view, makes it the current and only selected row and gives the list
    // the keyboard focus.
    virtual void selectRow(qsizetype row) = 0;
    // Runs a search through the rows; a window keeps painting meanwhile.
    virtual void runSearch(const std::function<void()>& search) { search(); }
    // The rows the search walks: those shown (every row unless a filter hides some).
    virtual RowSubset shownRows() const { return {}; }
};

// One search step with its effect on the list and the user: the search dialog's buttons and the
// main window's find-next command share one controller, and so one SearchState, for the run.
class SearchController {
public:
    SearchController(const LogList& list, SearchTarget& target, UserPrompts& prompts);

    // mode 0: new search for text (matchCase applies to this step); mode 1: find next.
    void find(int mode, bool matchCase, const QString& text);
    // The main window's find next: the last new search's text, always ignoring case.
    void findNext() { find(1, false, QString()); }

    const SearchState& state() const { return m_state; }

private:
    const LogList& m_list;
    SearchTarget& m_target;
    UserPrompts& m_prompts;
    SearchState m_state;
};

// The history the search dialog starts with: the non-empty slots, most recent first.
QStringList searchHistoryFromSettings(const Settings& settings);
// What the search dialog leaves behind when it closes: the ten slots (empty beyond the list)
// and the match-case flag.
void storeSearchSettings(Settings& settings, const QStringList& history, bool matchCase);

} // namespace tw
