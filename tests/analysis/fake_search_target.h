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
    }
    void selectRow(qsizetype row) override
    {
        selected = row;
        current = row;
    }

    qsizetype current = -1;
    qsizetype selected = -1;
    int clears = 0;
};

} // namespace tw::test
