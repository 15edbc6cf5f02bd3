#include "analysis/ui/visitor_statistics_dialog.h"

#include "core/log_list.h"
#include "core/work_failure.h"

namespace tw {
namespace {

// Nothing only when cancelled, which a dialog's figures never are.
VisitorFigures figuresOf(VisitorStatistic statistic, const LogList& list, const RowSubset& rows)
{
    switch (statistic) {
    case VisitorStatistic::Days:
        return dayFigures(list, rows).value();
    case VisitorStatistic::Hours:
        return hourFigures(list, rows).value();
    default:
        return countKeys(statistic, list, rows).value();
    }
}

} // namespace

VisitorStatisticsDialog* showVisitorStatisticsDialog(VisitorStatistic statistic,
                                                     const LogList& list, const Settings& settings,
                                                     UserPrompts& prompts, const Clock& clock,
                                                     QWidget* owner, const LongWorkRunner& runner,
                                                     const RowSubset* shown)
{
    const RowSubset rows = shown ? *shown : RowSubset();
    std::optional<VisitorFigures> figures;
    const bool made = runReportingFailure(
        prompts, [&] { runLongWork(runner, [&] { figures = figuresOf(statistic, list, rows); }); });
    if (!made || !figures)
        return nullptr;
    // The chart copies the figures: millennia of days in a hostile log may not fit twice.
    VisitorStatisticsDialog* dialog = nullptr;
    if (!runReportingFailure(prompts, [&] {
            dialog = new VisitorStatisticsDialog(statistic, std::move(*figures), settings, prompts,
                                                 clock, owner, runner, shown != nullptr);
        }))
        return nullptr;
    dialog->show();
    return dialog;
}

} // namespace tw
