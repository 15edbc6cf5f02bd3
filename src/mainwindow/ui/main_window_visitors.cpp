#include "analysis/ui/visitor_statistics_dialog.h"
#include "mainwindow/ui/main_window.h"

#include <QMenu>

namespace tw {
namespace {

struct VisitorCommand {
    const char* name;
    const char16_t* caption;
    VisitorStatistic statistic;
};

constexpr VisitorCommand kVisitorCommands[] = {
    {"actVisitorAgents", u"今のブラウザ(&B)...", VisitorStatistic::Agents},
    {"actVisitorOs", u"OS(&O)...", VisitorStatistic::Os},
    {"actVisitorBots", u"ボット(&T)...", VisitorStatistic::Bots},
    {"actVisitorPages", u"ページ(&P)...", VisitorStatistic::Pages},
    {"actVisitorStatus", u"ステータス(&S)...", VisitorStatistic::Status},
    {"actVisitorDays", u"日別(&D)...", VisitorStatistic::Days},
    {"actVisitorHours", u"時間帯(&H)...", VisitorStatistic::Hours},
    {"actVisitorReferrers", u"参照元サイト(&R)...", VisitorStatistic::Referrers},
};

} // namespace

void MainWindow::createVisitorCommands()
{
    for (const VisitorCommand& c : kVisitorCommands)
        addCommand(c.name, c.caption, {}, [this, s = c.statistic] { showVisitorStatistics(s); });
}

void MainWindow::addVisitorMenu(QMenu* tools)
{
    QMenu* visitors = tools->addMenu(QStringLiteral("訪問者の統計(&V)"));
    visitors->setObjectName(QStringLiteral("mnuVisitors"));
    visitors->menuAction()->setObjectName(QStringLiteral("actVisitorStatistics"));
    for (const VisitorCommand& c : kVisitorCommands)
        visitors->addAction(commandAction(QString::fromLatin1(c.name)));
}

void MainWindow::showVisitorStatistics(VisitorStatistic statistic)
{
    const RowSubset shown = shownRows();
    VisitorStatisticsDialog* dialog = showVisitorStatisticsDialog(
        statistic, m_list, m_settings, m_prompts, m_clock, this,
        [this](const std::function<void()>& work) { runLongWork(work); },
        shown.isAll() ? nullptr : &shown);
    m_visitorStatistics[std::size_t(statistic)] = dialog;
    if (dialog)
        connect(dialog, &VisitorStatisticsDialog::drillDownRequested, this,
                &MainWindow::addFilterCondition);
}

VisitorStatisticsDialog* MainWindow::visitorStatisticsDialog(VisitorStatistic statistic) const
{
    return m_visitorStatistics[std::size_t(statistic)];
}

} // namespace tw
