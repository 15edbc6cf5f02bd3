#pragma once

#include "analysis/search_controller.h"

namespace tw::test {

// Records what a search did to the list's selection.
class FakeSearchTarget final : public SearchTarget {
public:
    qsizetype currentRow() const override { return current; }
    void clearSelection() override
    {
        ++clears;
        selected = -1;
        touchedWhileSearching |= searching;
    }
    void selectRow(qsizetype row) override
    {
        selected = row;
        current = row;
        touchedWhileSearching |= searching;
    }
    // The search runs beside a window: it may not change the selection while it runs.
    void runSearch(const std::function<void()>& search) override
    {
        ++searches;
        searching = true;
        search();
        searching = false;
    }

    qsizetype current = -1;
    qsizetype selected = -1;
    int clears = 0;
    int searches = 0;
    bool searching = false;
    bool touchedWhileSearching = false;
};

} // namespace tw::test
