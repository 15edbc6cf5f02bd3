#include "analysis/ui/visitor_statistics_dialog.h"

#include "analysis/save_report_command.h"
#include "analysis/ui/bar_list.h"
#include "analysis/ui/statistics_controls.h"
#include "analysis/ui/visitor_chart.h"
#include "analysis/visitor_pages.h"
#include "settings/settings.h"
#include "ui/icons.h"

#include <QAction>
#include <QBoxLayout>
#include <QContextMenuEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QToolBar>

using namespace Qt::StringLiterals;

namespace tw {
namespace {

QString number(qint64 n)
{
    return QLocale(QLocale::Japanese).toString(n);
}

// Centred over the owner's window, inside the screen's free area.
void placeOverOwner(QWidget* dialog, QSize size)
{
    QWidget* owner = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    if (area.isValid())
        size = size.boundedTo(area.size() * 9 / 10);
    dialog->resize(size);
    const QPoint centre = owner ? owner->frameGeometry().center() : area.center();
    QRect frame(QPoint(), size);
    frame.moveCenter(centre);
    if (area.isValid()) {
        frame.moveLeft(
            qBound(area.left(), frame.left(), qMax(area.left(), area.right() - size.width())));
        frame.moveTop(
            qBound(area.top(), frame.top(), qMax(area.top(), area.bottom() - size.height())));
    }
    dialog->move(frame.topLeft());
}

template <typename Figures> bool holds(const VisitorFigures& figures)
{
    return std::holds_alternative<Figures>(figures);
}

} // namespace

VisitorStatisticsDialog::VisitorStatisticsDialog(VisitorStatistic statistic, VisitorFigures figures,
                                                 const Settings& settings, UserPrompts& prompts,
                                                 const Clock& clock, QWidget* parent,
                                                 LongWorkRunner runner, bool filtered)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_statistic(statistic), m_figures(std::move(figures)), m_settings(settings),
      m_prompts(prompts), m_clock(clock), m_runner(std::move(runner))
{
    setObjectName(u"frmVisitorStatistics"_s);
    setWindowIcon(applicationIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    const QString caption = visitorPageCaption(statistic);
    setWindowTitle(filtered ? caption + u" (フィルタ適用中)"_s : caption);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 6);
    layout->setSpacing(4);
    QWidget* watched = nullptr;
    if (const auto* counts = std::get_if<KeyCounts>(&m_figures)) {
        m_bars = new BarList(this);
        m_bars->setObjectName(u"lstBars"_s);
        m_bars->setFrameShape(QFrame::NoFrame);
        m_bars->setCounts(*counts);
        connect(m_bars, &BarList::entryActivated, this, &VisitorStatisticsDialog::drillDown);
        layout->addWidget(m_bars, 1);
        watched = m_bars->viewport();
    } else {
        m_chart = new VisitorChart(this);
        m_chart->setObjectName(u"chtFigures"_s);
        if (const auto* days = std::get_if<std::vector<DayFigures>>(&m_figures))
            m_chart->setDays(*days);
        else
            m_chart->setHours(std::get<std::array<HourFigures, 24>>(m_figures));
        connect(m_chart, &VisitorChart::columnClicked, this, &VisitorStatisticsDialog::drillDown);
        auto* scroll = new QScrollArea(this);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidgetResizable(true);
        scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setWidget(m_chart);
        layout->addWidget(scroll, 1);
        watched = m_chart;
    }
    watched->installEventFilter(this);

    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    layout->addWidget(rule);

    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(6, 0, 6, 0);
    bottom->addWidget(makeSaveToolBar(this, [this] { saveReport(); }));
    auto* total = new QLabel(summary(), this);
    total->setObjectName(u"lblSummary"_s);
    bottom->addWidget(total, 1);
    auto* close = new QPushButton(u"閉じる(&C)"_s, this);
    close->setObjectName(u"cmdClose"_s);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    bottom->addWidget(close);
    layout->addLayout(bottom);

    placeOverOwner(this, m_bars ? QSize(560, 460) : QSize(800, 440));
}

QString VisitorStatisticsDialog::summary() const
{
    if (const auto* counts = std::get_if<KeyCounts>(&m_figures))
        return u"数えた行: "_s + number(counts->counted) + u"　項目: "_s +
               number(qint64(counts->entries.size()));
    qint64 hits = 0;
    qint64 bytes = 0;
    if (const auto* days = std::get_if<std::vector<DayFigures>>(&m_figures)) {
        for (const DayFigures& d : *days) {
            hits += d.hits;
            bytes += d.bytes;
        }
        return u"ヒット: "_s + number(hits) + u"　日数: "_s + number(qint64(days->size())) +
               u"　バイト: "_s + number(bytes);
    }
    for (const HourFigures& h : std::get<std::array<HourFigures, 24>>(m_figures))
        hits += h.hits;
    return u"ヒット: "_s + number(hits);
}

std::optional<FilterCondition> VisitorStatisticsDialog::conditionOfEntry(qsizetype entry) const
{
    if (entry < 0)
        return std::nullopt;
    if (const auto* counts = std::get_if<KeyCounts>(&m_figures)) {
        if (entry >= qsizetype(counts->entries.size()))
            return std::nullopt;
        return FilterCondition::drillDown(
            DrillDown::visitorKey(m_statistic, counts->entries[std::size_t(entry)].key));
    }
    if (holds<std::vector<DayFigures>>(m_figures)) {
        const QDate day = m_chart->dayOf(entry);
        if (!day.isValid())
            return std::nullopt;
        return FilterCondition::drillDown(DrillDown::day(day));
    }
    if (entry >= 24)
        return std::nullopt;
    return FilterCondition::drillDown(DrillDown::hour(int(entry)));
}

std::optional<FilterCondition> VisitorStatisticsDialog::conditionAt(const QWidget* where,
                                                                    QPoint pos) const
{
    if (m_bars && where == m_bars->viewport())
        return conditionOfEntry(m_bars->entryAt(pos));
    if (m_chart && where == m_chart)
        return conditionOfEntry(m_chart->columnAt(pos));
    return std::nullopt;
}

QMenu* VisitorStatisticsDialog::makeContextMenu(QWidget* where, QPoint pos)
{
    auto* menu = new QMenu;
    if (const std::optional<FilterCondition> condition = conditionAt(where, pos)) {
        QAction* narrow = menu->addAction(u"この項目で絞り込む"_s);
        narrow->setObjectName(u"actDrillDown"_s);
        connect(narrow, &QAction::triggered, this,
                [this, c = *condition] { emit drillDownRequested(c); });
    }
    return menu;
}

void VisitorStatisticsDialog::drillDown(qsizetype entry)
{
    if (const std::optional<FilterCondition> condition = conditionOfEntry(entry))
        emit drillDownRequested(*condition);
}

bool VisitorStatisticsDialog::eventFilter(QObject* watched, QEvent* event)
{
    auto* where = qobject_cast<QWidget*>(watched);
    if (where && event->type() == QEvent::ContextMenu) {
        const auto* request = static_cast<QContextMenuEvent*>(event);
        popUpUnlessEmpty(makeContextMenu(where, request->pos()), request->globalPos());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

QByteArray VisitorStatisticsDialog::reportBody() const
{
    return visitorReportBody(m_figures).toUtf8();
}

void VisitorStatisticsDialog::saveReport()
{
    runSaveReport(visitorReportNaming(m_statistic), QByteArrayView(reportBody()),
                  m_settings.InitDir, m_prompts, m_clock, m_runner);
}

} // namespace tw
