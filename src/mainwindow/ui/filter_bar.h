#pragma once

#include "analysis/filter_text.h"
#include "analysis/row_filter.h"
#include "core/log_list.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <utility>

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QHBoxLayout;
class QLineEdit;
class QToolButton;

namespace tw {

// The bar above the list that says which rows it shows: conditions the user stacked (each a
// removable chip), the condition being typed, and a date-time range. All of them must hold.
class FilterBar final : public QWidget {
    Q_OBJECT

public:
    explicit FilterBar(QWidget* parent = nullptr);

    // The fields the chooser offers besides "すべて": the list's own.
    void setFields(FieldSet fields);
    // The list's first and last date-time ("YYYY/MM/DD HH:MM:SS"), asked for when a range box
    // is switched on, which then starts there.
    using DateSpan = std::optional<std::pair<QByteArray, QByteArray>>;
    void setDateSpanSource(std::function<DateSpan()> source) { m_dateSpan = std::move(source); }
    // Case follows the search dialog's setting.
    void setMatchCase(bool matchCase);

    // Everything the bar holds, the typed text included.
    RowFilter filter() const;
    // The same as a filter to save, and putting a saved one back: its conditions become chips.
    FilterParts parts() const;
    void setParts(const FilterParts& parts);
    // The names the drop-down of saved filters offers.
    void setSavedNames(const QStringList& names);
    bool isActive() const { return !filter().isEmpty(); }
    // Stacks a condition (a drill-down's, or the typed one) as a chip.
    void addCondition(const FilterCondition& condition);
    // Removes every condition, the typed text and the range.
    void clear();
    // Why the typed condition cannot be used (an invalid pattern), empty otherwise.
    QString typedError() const;

    // For tests and the window: the chips' labels, in order.
    QStringList chipLabels() const;
    QLineEdit* textBox() const { return m_text; }

signals:
    // The conditions changed: typed, stacked, removed, cleared or the range moved.
    void filterChanged();
    // The user asked to name the current filter, or picked the saved filter at index.
    void saveRequested();
    void savedChosen(int index);
    void savedRemoveRequested(int index);

private:
    std::optional<FilterCondition> typedCondition() const;
    std::optional<FilterCondition> rangeCondition() const;
    void stackTyped();
    void rebuildChips();
    void startRangeAtTheList(QCheckBox* on);

    QComboBox* m_field;
    QComboBox* m_mode;
    QLineEdit* m_text;
    QCheckBox* m_regex;
    QCheckBox* m_withoutBots;
    QCheckBox* m_fromOn;
    QDateTimeEdit* m_from;
    QCheckBox* m_untilOn;
    QDateTimeEdit* m_until;
    QToolButton* m_add;
    QToolButton* m_clear;
    QComboBox* m_saved;
    QToolButton* m_save;
    QToolButton* m_removeSaved;
    QHBoxLayout* m_chips;
    std::vector<FilterCondition> m_stacked;
    bool m_matchCase = false;
    std::function<DateSpan()> m_dateSpan;
};

} // namespace tw
