#pragma once

#include "analysis/drill_down.h"
#include "analysis/row_filter.h"
#include "analysis/row_subset.h"
#include "analysis/statistics_report.h"
#include "analysis/ui/report_document.h"
#include "core/classification.h"
#include "core/long_work.h"

#include <QDialog>
#include <QString>

#include <array>
#include <optional>
#include <vector>

class QFrame;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QToolBar;

namespace tw {

class Clock;
class LogList;
struct Settings;
class UserPrompts;

// A statistics dialog: one page of statistics, a snapshot of the moment it was opened, with a SAVE
// button that writes the page as a report file.
class StatisticsDialog final : public QDialog {
    Q_OBJECT

public:
    // Takes the tallies and the user platform strings now; the list is not read later. With
    // `shown`, the browser and platform pages count those rows alone and the caption says that
    // a filter is applied. For the access and host pages the caller hands the report in with
    // setReport(). Saving runs through runner.
    StatisticsDialog(StatisticsPage page, const LogList& list, const Settings& settings,
                     UserPrompts& prompts, const Clock& clock, QWidget* parent = nullptr,
                     LongWorkRunner runner = {}, const RowSubset* shown = nullptr);

    StatisticsPage page() const { return m_page; }
    // The report and, for drilling down from its lines, the previous pages (at most the
    // ALogMax listed) or domains it lists, counted over the same rows.
    void setReport(ReportText report, std::vector<DrillEntry> entries = {}, int aLogMax = 0);

    // The entry shown at pos of a page's widget or the report box's viewport, if any.
    std::optional<DrillDown> entryAt(const QWidget* where, QPoint pos) const;
    // The context menu for pos: the report box's own items, and "この項目で絞り込む" on an entry.
    QMenu* makeContextMenu(QWidget* where, QPoint pos);

    // The outer width chosen for the page, in twips, before the screen's edge cuts it.
    int outerWidthTwips() const { return m_outerWidthTwips; }

    // The SAVE button: asks for a file and writes the page as a report.
    void saveReport();

signals:
    // A double-click or the context menu on an entry: the condition keeps exactly the rows the
    // entry counts.
    void drillDownRequested(const tw::FilterCondition& condition);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildBrowserPage();
    QWidget* buildPlatformPage();
    QWidget* buildReportPage(const QString& boxName);
    void placeOverOwner(int outerWidthTwips, int outerHeightTwips);
    void layoutControls();
    QByteArray reportBody() const;
    void drillDown(const DrillDown& entry);

    StatisticsPage m_page;
    const Settings& m_settings;
    UserPrompts& m_prompts;
    const Clock& m_clock;
    std::array<qint64, kBrowserClassCount> m_browserTally{};
    std::array<qint64, kPlatformClassCount> m_platformTally{};
    std::array<QString, 3> m_userPlatforms;
    QByteArray m_reportText; // UTF-8, CR LF
    std::vector<DrillEntry> m_reportEntries;
    int m_aLogMax = 0;
    bool m_blocksAreLines = true;
    LongWorkRunner m_runner;
    int m_outerWidthTwips = 0;

    std::array<QWidget*, 4> m_pages{}; // fraPage; only the one of m_page is shown
    QPlainTextEdit* m_reportBox = nullptr;
    QFrame* m_darkLine = nullptr;
    QFrame* m_lightLine = nullptr;
    QPushButton* m_close = nullptr;
    QToolBar* m_toolBar = nullptr;
};

// A statistics command of the Tools menu: computes the access or host text when the page needs
// one, through runner so that a window can keep painting meanwhile, opens a new modeless
// dialog owned by `owner`, centred over it, and returns it. The dialog deletes itself when
// closed. When memory runs out the user is told and no dialog opens (nullptr). With `shown`
// (a filter is active) every page counts those rows alone; without, the list's tallies since
// the last clear and every row.
StatisticsDialog* showStatisticsDialog(StatisticsPage page, const LogList& list,
                                       const Settings& settings, UserPrompts& prompts,
                                       const Clock& clock, QWidget* owner,
                                       const LongWorkRunner& runner = {},
                                       const RowSubset* shown = nullptr);

} // namespace tw
