#pragma once

#include "mainwindow/main_view.h"
#include "mainwindow/read_notes.h"

#include <QSet>
#include <QStringList>

#include <algorithm>
#include <array>
#include <functional>

namespace tw::test {

// Keeps the texts the commands set and a selection that follows row changes the way an item
// view's selection does.
class FakeMainView final : public MainView {
public:
    void setTitle(const QString& t) override { title = t; }
    void setStatusText(int panel, const QString& text) override
    {
        panels[std::size_t(panel - 1)] = text;
    }
    qsizetype currentRow() const override { return current; }
    QList<qsizetype> selectedRows() const override
    {
        QList<qsizetype> rows(selected.begin(), selected.end());
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    void setSelection(const QList<qsizetype>& rows, qsizetype c) override
    {
        selected = QSet<qsizetype>(rows.begin(), rows.end());
        current = c;
    }
    void selectAllRows(qsizetype c) override
    {
        selected.clear();
        for (qsizetype r = 0; r < rowCount; ++r)
            selected.insert(r);
        current = c;
    }
    void setListVisible(bool visible) override
    {
        listVisible = visible;
        if (!visible)
            ++hides;
    }
    void setBusy(bool b) override { busy = b; }
    void runLongWork(const std::function<void()>& work, const std::function<int()>&) override
    {
        if (longWorkFault)
            longWorkFault();
        work();
    }
    void activate() override { ++activations; }
    void setReadNotes(const ReadNotes& n) override { notes = n; }

    void beginListReset() override { ++changesUnderway; }
    void endListReset() override
    {
        --changesUnderway;
        ++resets;
        selected.clear();
        current = -1;
        rowCount = countRows();
    }
    void beginInsertRows(qsizetype first, qsizetype last) override
    {
        ++changesUnderway;
        pending = {first, last};
    }
    void endInsertRows() override
    {
        --changesUnderway;
        ++inserts;
        const qsizetype n = pending.second - pending.first + 1;
        QSet<qsizetype> moved;
        for (qsizetype r : selected)
            moved.insert(r >= pending.first ? r + n : r);
        selected = moved;
        if (current >= pending.first)
            current += n;
        rowCount += n;
    }
    void beginRemoveRows(qsizetype first, qsizetype last) override
    {
        ++changesUnderway;
        pending = {first, last};
    }
    void endRemoveRows() override
    {
        --changesUnderway;
        removals.append(pending);
        const auto [first, last] = pending;
        const qsizetype n = last - first + 1;
        QSet<qsizetype> kept;
        for (qsizetype r : selected) {
            if (r < first)
                kept.insert(r);
            else if (r > last)
                kept.insert(r - n);
        }
        selected = kept;
        if (current > last)
            current -= n;
        else if (current >= first)
            current = first < rowCount - n ? first : first - 1;
        rowCount -= n;
    }

    // The row count as the list has it; set by the test's owner.
    std::function<qsizetype()> countRows = [] { return qsizetype(0); };
    // Runs before long work, to make it fail.
    std::function<void()> longWorkFault;

    QString title;
    std::array<QString, 3> panels;
    ReadNotes notes;
    qsizetype current = -1;
    QSet<qsizetype> selected;
    qsizetype rowCount = 0;
    bool listVisible = true;
    bool busy = false;
    int hides = 0;
    int activations = 0;
    int resets = 0;
    int changesUnderway = 0; // begun and not yet ended
    int inserts = 0;
    QList<std::pair<qsizetype, qsizetype>> removals;

private:
    std::pair<qsizetype, qsizetype> pending{0, -1};
};

} // namespace tw::test
