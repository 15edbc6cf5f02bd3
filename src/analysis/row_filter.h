#pragma once

#include "analysis/drill_down.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

namespace tw {

class LogList;

// The field a condition looks at: a Column, or any one of a row's fields.
constexpr int kAnyField = -1;

// One test a row must pass. Made by the functions below; a new kind of test needs a Kind, a
// label and a case in the matcher, or can be a Custom test.
struct FilterCondition {
    enum class Kind {
        Contains,  // the field holds text as the search finds it (empty: the field has text)
        Regex,     // a Perl-compatible regular expression matches somewhere (invalid: never)
        DateRange, // the DateTime field is a date-time in [from, until)
        Custom,    // test decides
    };
    using Test = std::function<bool(const LogList& list, qsizetype row)>;

    Kind kind = Kind::Contains;
    int field = kAnyField;
    QString text; // the text or the pattern
    bool matchCase = false;
    bool negated = false;           // does not contain / does not match
    QByteArray from;                // "YYYY/MM/DD HH:MM:SS", empty when open
    QByteArray until;               // the same, excluded
    Test test;                      // Custom: called from several threads at once
    QString customLabel;            // Custom: the label
    std::optional<DrillDown> drill; // Custom made by drillDown(): the entry, kept for saving

    static FilterCondition contains(int field, const QString& text, bool matchCase,
                                    bool negated = false);
    static FilterCondition regex(int field, const QString& pattern, bool matchCase,
                                 bool negated = false);
    // Either end may be empty; both are "YYYY/MM/DD HH:MM:SS".
    static FilterCondition dateRange(const QByteArray& from, const QByteArray& until);
    static FilterCondition custom(const QString& label, Test test);
    // The rows a statistic's entry counted.
    static FilterCondition drillDown(const DrillDown& entry);

    // A short text for the filter bar, e.g. "ホスト に example を含む".
    QString label() const;
};

// Conditions that must all hold; none lets every row pass.
struct RowFilter {
    std::vector<FilterCondition> conditions;

    bool isEmpty() const { return conditions.empty(); }
    // Why a condition cannot be used (an invalid pattern), or empty when all can.
    QString error() const;
};

// What is wrong with a pattern, or empty when QRegularExpression takes it.
QString regexError(const QString& pattern);

// Whether text is a date-time "YYYY/MM/DD HH:MM:SS" that exists in the calendar.
bool isListDateTime(QByteArrayView text);

// The earliest and the latest date-time of the list's rows, when any row has one.
std::optional<std::pair<QByteArray, QByteArray>> dateTimeSpan(const LogList& list);

// The indexes of the rows from firstRow on that pass, in display order, worked out on every core.
// Returns nothing as soon as cancel is seen set. Throws std::bad_alloc when memory runs out.
std::optional<std::vector<quint32>> filterRows(const LogList& list, const RowFilter& filter,
                                               const std::atomic<bool>* cancel = nullptr,
                                               qsizetype firstRow = 0);

} // namespace tw
