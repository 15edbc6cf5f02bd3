#pragma once

#include "analysis/row_filter.h"
#include "analysis/search_controller.h"
#include "analysis/statistics_report.h"
#include "analysis/visitor_statistics.h"
#include "core/log_list.h"
#include "mainwindow/drag_drop.h"
#include "mainwindow/main_commands.h"
#include "mainwindow/main_view.h"
#include "mainwindow/read_notes.h"
#include "settings/settings_file.h"

#include <QFont>
#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QUrl>

#include <functional>

class QLabel;
class QMenu;
class QMimeData;
class QToolBar;
class QToolButton;

namespace tw {

class FilterBar;
class FilterRunner;
class LogListModel;
class LogListView;
class SearchDialog;
class SkippedLinesDialog;
class StatisticsDialog;
class VisitorStatisticsDialog;

// The main window: the menu bar, the toolbar, the list of the open log and the three-panel
// status bar, with a fourth panel while the open files had lines that could not be read.
class MainWindow final : public QMainWindow,
                         public MainView,
                         public SettingsHost,
                         public SearchTarget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    MainWindow(Settings& settings, MenuHistory& history, UserPrompts& prompts, Platform& platform,
               const Clock& clock, QWidget* parent = nullptr);
    ~MainWindow() override;

    MainCommands& commands() { return m_commands; }
    LogList& logList() { return m_list; }
    LogListView* listView() const { return m_listView; }
    LogListModel* model() const { return m_model; }
    QToolBar* toolBar() const { return m_toolBar; }
    QMenu* popupMenu() const { return m_popup; }
    // A command of the menus by its object name ("actOpen"), null when there is none.
    QAction* commandAction(const QString& name) const { return m_actions.value(name); }
    MenuHistory& history() { return m_history; }
    Settings& settings() { return m_settings; }
    SearchController& search() { return m_search; }

    // The dialogs the Tools menu keeps: the newest statistics dialog of a page, the search
    // dialog of the run (null until first shown or after they are gone).
    StatisticsDialog* statisticsDialog(StatisticsPage page) const;
    VisitorStatisticsDialog* visitorStatisticsDialog(VisitorStatistic statistic) const;
    SearchDialog* searchDialog() const;

    // Saved by the close sequence.
    void setSettingsFile(SettingsFile* file) { m_settingsFile = file; }

    // One-time set-up before the window is first shown: columns with the saved widths, the band
    // heights of the toolbar and the status bar as the settings have them.
    void setUpList();
    void setBandHeightsFromSettings();
    // Toolbar, status bar, View check marks, grid lines, full-row selection, font and colour
    // from the settings; also after the preferences change.
    void applyAppearance();

    int toolbarBandHeight() const { return m_toolbarBand; } // twips
    int statusBandHeight() const { return m_statusBand; }   // twips

    // MainView
    void setTitle(const QString& title) override;
    void setStatusText(int panel, const QString& text) override;
    qsizetype currentRow() const override;
    QList<qsizetype> selectedRows() const override;
    void setSelection(const QList<qsizetype>& rows, qsizetype current) override;
    void selectAllRows(qsizetype current = 0) override;
    void setListVisible(bool visible) override;
    void setBusy(bool busy) override;
    void runLongWork(const std::function<void()>& work,
                     const std::function<int()>& percentDone = {}) override;
    void activate() override;
    void setReadNotes(const ReadNotes& notes) override;
    void beginListReset() override;
    void endListReset() override;
    void beginInsertRows(qsizetype first, qsizetype last) override;
    void endInsertRows() override;
    void beginRemoveRows(qsizetype first, qsizetype last) override;
    void endRemoveRows() override;

    // SettingsHost
    void setWindowSize(qint32 width, qint32 height) override;
    double windowWidth() const override;
    double windowHeight() const override;
    double innerWidth() const override;
    std::array<double, 5> columnWidths() const override;
    ListFont initialListFont() const override;
    std::array<double, 5> typicalColumnWidths() const override;

    // SearchTarget (currentRow is MainView's)
    void clearSelection() override;
    void selectRow(qsizetype row) override;
    void runSearch(const std::function<void()>& search) override { runLongWork(search); }
    RowSubset shownRows() const override;

    // The filter bar above the list (hidden unless the user shows it) and what it does.
    FilterBar* filterBar() const { return m_filterBar; }
    // Adds a condition to the filter (a statistic's drill-down) and shows the bar.
    void addFilterCondition(const FilterCondition& condition);
    // True while a filtering the bar asked for is still being worked out.
    bool isFiltering() const;

    QString statusText(int panel) const;
    // The panel that tells of skipped lines (hidden while there are none), its View menu item
    // and the dialog they open (null until opened or after it is closed).
    QLabel* readNotesPanel() const { return m_readNotesPanel; }
    QAction* skippedLinesAction() const { return m_skippedLinesAction; }
    SkippedLinesDialog* skippedLinesDialog() const;
    void showSkippedLines();

    // Drops on the list: files are opened, anything else is refused with a message.
    void dropUrls(const QList<QUrl>& urls);

    // A drag of the current row's previous page as an internet shortcut, in its two halves
    // around the drag itself. prepareRowDrag writes the shortcut file and returns the data to
    // offer, or null when the row is not to be dragged; finishRowDrag takes the final effect
    // and removes the file a moment after a completed drop.
    QMimeData* prepareRowDrag();
    void finishRowDrag(Qt::DropAction action);
    QString shortcutPath() const { return m_shortcutPath; }
    static constexpr int kShortcutRemovalDelayMs = 2000;

signals:
    // The close sequence has run; the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    void createToolBar();
    void createStatusBar();
    void layoutBands();

    // Adds the command called name (its object name, "actOpen"): the one action that the menu
    // bar and the pop-up show, and that toolbar buttons of that command run.
    QAction* addCommand(const char* name, const char16_t* caption, const QKeySequence& shortcut,
                        std::function<void()> run);
    void createCommands();
    void addToMenu(QMenu* menu, std::initializer_list<const char*> names);
    void runCommand(const QString& name);
    void enableCommands(std::initializer_list<const char*> names, bool enabled);

    void toggleToolbar();
    void toggleStatusBar();
    void createFilterBar();
    void toggleFilterBar();
    void filterChanged();
    void showFilteredRows(const RowFilter& filter, std::vector<quint32> rows);
    // The filtering beside the window reads the list: it stops before the list changes, and
    // starts again afterwards when the bar still asks for another filter than the one shown.
    void stopFilteringForChange();
    void resumeFilteringAfterChange();
    // Names the bar's filter and keeps it in the settings; puts a kept one back.
    void saveCurrentFilter();
    void applySavedFilter(int index);
    void removeSavedFilter(int index);
    void showSavedFilterNames();
    void updateEditMenu();
    void updateViewMenu();
    void refreshRecentFiles();
    void fillOpenDropDown();
    void showPopup(const QPoint& globalPos);
    void showPopupFromKey();
    void itemInformation();
    void openUrl();
    void showStatistics(StatisticsPage page);
    void createVisitorCommands();
    void addVisitorMenu(QMenu* tools);
    void showVisitorStatistics(VisitorStatistic statistic);
    void showSearch();
    void preferences();
    void showVersion();
    void startRowDrag();

    Settings& m_settings;
    MenuHistory& m_history;
    UserPrompts& m_prompts;
    Platform& m_platform;
    const Clock& m_clock;
    LogList m_list;
    LogListModel* m_model = nullptr;
    LogListView* m_listView = nullptr;
    MainCommands m_commands;
    SettingsFile* m_settingsFile = nullptr;
    SearchController m_search;
    QPointer<SearchDialog> m_searchDialog;
    std::array<QPointer<StatisticsDialog>, 4> m_statistics;
    std::array<QPointer<VisitorStatisticsDialog>, 8> m_visitorStatistics;
    ShortcutFolder m_shortcuts; // goes with the window, and the shortcuts with it
    QString m_shortcutPath;
    bool m_rowDragRunning = false;

    QToolBar* m_toolBar = nullptr;
    QToolBar* m_filterToolBar = nullptr;
    FilterBar* m_filterBar = nullptr;
    FilterRunner* m_filterRunner = nullptr;
    bool m_filterInterrupted = false;
    QToolButton* m_openButton = nullptr;
    QMenu* m_openDropDown = nullptr;
    std::array<QLabel*, 3> m_panels{};
    QLabel* m_readNotesPanel = nullptr;
    QAction* m_skippedLinesAction = nullptr;
    QPointer<SkippedLinesDialog> m_skippedLinesDialog;
    ReadNotes m_readNotes;
    QMenu* m_editMenu = nullptr;
    QMenu* m_viewMenu = nullptr;
    QMenu* m_popup = nullptr;
    QHash<QString, QAction*> m_actions;
    QHash<QString, std::function<void()>> m_runs;
    QList<QAction*> m_recentItems;

    QFont m_initialListFont;
    int m_toolbarBand = 0;
    int m_statusBand = 0;
    int m_busyDepth = 0;
    bool m_inLongWork = false; // closing waits until it is over
    QString m_idleStatus;      // panel 1 before the hourglass came up
};

} // namespace tw
