#pragma once

#include "analysis/row_filter.h"
#include "analysis/row_subset.h"
#include "analysis/visitor_pages.h"
#include "core/long_work.h"

#include <QDialog>

#include <optional>

class QLabel;
class QMenu;

namespace tw {

class BarList;
class Clock;
class LogList;
struct Settings;
class UserPrompts;
class VisitorChart;

// One page of the visitor statistics, a snapshot of the moment it was opened: bars for the
// pages keyed by text, a chart for days and hours, with a SAVE button that writes the page as a
// report file. A double-click on a bar, a click on a column or "この項目で絞り込む" asks to
// narrow the list to the rows the entry counted.
class VisitorStatisticsDialog final : public QDialog {
    Q_OBJECT

public:
    // `filtered`: the figures count the rows a filter shows, and the caption says so.
    VisitorStatisticsDialog(VisitorStatistic statistic, VisitorFigures figures,
                            const Settings& settings, UserPrompts& prompts, const Clock& clock,
                            QWidget* parent = nullptr, LongWorkRunner runner = {},
                            bool filtered = false);

    VisitorStatistic statistic() const { return m_statistic; }
    const VisitorFigures& figures() const { return m_figures; }
    // The page's widget: the bars, or the chart (the other is null).
    BarList* barList() const { return m_bars; }
    VisitorChart* chart() const { return m_chart; }

    // The condition of the entry at pos of the bars' viewport or the chart, if any.
    std::optional<FilterCondition> conditionAt(const QWidget* where, QPoint pos) const;
    // "この項目で絞り込む" on an entry; empty elsewhere.
    QMenu* makeContextMenu(QWidget* where, QPoint pos);

    // The page's report lines (UTF-8, CR LF), as the report file holds them.
    QByteArray reportBody() const;
    // The SAVE button: asks for a file and writes the page as a report.
    void saveReport();

signals:
    void drillDownRequested(const tw::FilterCondition& condition);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::optional<FilterCondition> conditionOfEntry(qsizetype entry) const;
    void drillDown(qsizetype entry);
    QString summary() const;

    VisitorStatistic m_statistic;
    VisitorFigures m_figures;
    const Settings& m_settings;
    UserPrompts& m_prompts;
    const Clock& m_clock;
    LongWorkRunner m_runner;
    BarList* m_bars = nullptr;
    VisitorChart* m_chart = nullptr;
};

// A command of the Tools menu's visitor statistics: works the figures out through runner, so
// that a window keeps painting meanwhile, over the shown rows when a filter is active (`shown`),
// and opens a new modeless dialog owned by `owner`, centred over it. The dialog deletes itself
// when closed. When memory runs out the user is told and no dialog opens (nullptr).
VisitorStatisticsDialog* showVisitorStatisticsDialog(VisitorStatistic statistic,
                                                     const LogList& list, const Settings& settings,
                                                     UserPrompts& prompts, const Clock& clock,
                                                     QWidget* owner,
                                                     const LongWorkRunner& runner = {},
                                                     const RowSubset* shown = nullptr);

} // namespace tw
