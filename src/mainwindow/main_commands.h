#pragma once

#include "core/shared_file_dialog.h"
#include "core/url_open.h"
#include "mainwindow/list_editor.h"
#include "mainwindow/log_opener.h"

#include <functional>

namespace tw {

class Clock;
class MenuHistory;
class Platform;
struct Settings;
class UserPrompts;

// The File and Edit commands of the main window, the recent files, sorting and the pop-up's
// enabling, independent of widgets.
class MainCommands {
public:
    MainCommands(LogList& list, MainView& view, UserPrompts& prompts, Platform& platform,
                 MenuHistory& history, Settings& settings, const Clock& clock);

    LogList& list() { return m_editor.list(); }
    ListEditor& editor() { return m_editor; }
    const ListEditor& editor() const { return m_editor; }
    LogOpener& opener() { return m_opener; }
    SharedFileDialog& fileDialog() { return m_dialog; }

    bool openLogFile(const QString& path, OpenMode mode)
    {
        return m_opener.openLogFile(path, mode);
    }
    void closeLog() { m_opener.closeLog(); }

    // The open dialog takes several files: the first replaces the list, the rest are appended
    // in the order chosen. Append appends them all.
    void open();
    void append();
    // n: 1-based recent-files entry.
    void openRecent(int n);
    void saveAsList();
    void saveAsCsv();
    // Every field of every row, the web-log fields included, as JSON Lines.
    void saveAsJsonLines();
    void saveAsReport();
    // The HTML report of the shown rows: all of them, or while a filter is active the rows it
    // keeps, with its conditions named on the page.
    void saveAsHtmlReport();

    void cut();
    void copy();
    void deleteSelected();
    void selectAll();

    // A header click: sort by that field (0-based, as the list numbers its fields).
    void sortByHeader(int column);

    bool hasCurrentItem() const;
    // Cut, Copy, Delete and Select all in the Edit menu, Item information and the pop-up's
    // first items: enabled exactly when there is a current item.
    bool editEnabled() const { return hasCurrentItem(); }
    // "Open URL" in menus: a current item whose previous page mentions "http".
    bool openUrlEnabled() const;

    // Open URL: the current item's previous page, if it is a web or mail address, goes to the
    // desktop or the configured browser; anything else only beeps.
    void openUrlOfCurrentItem();
    UrlOpener& urlOpener() { return m_urlOpener; }

    // Tools: the LF conversion and the repair of a log file chosen by the user.
    void convertLf();
    void repairLog();

    // Help: the help page beside the program; the product, author and download pages.
    enum class HomePage { Product, Author, Download };
    void openHelp();
    void openHomePage(HomePage page);
    static QString homePageUrl(HomePage page);

    // Files dropped on the list: the first replaces the list, the rest go to one new instance.
    void openDroppedFiles(const QStringList& paths);
    // The file named on the command line; a missing one opens nothing, silently.
    void openFromCommandLine(const QString& path);

private:
    // Hourglass and no repainting for the duration of an edit command.
    class BusyList;
    // Opens path in place of the list when it is a readable file; anything else (a folder, a
    // device, a file that cannot be read) leaves the list as it is and tells the user why.
    bool openGivenFile(const QString& path);
    // A web log chosen alone, with older copies beside it: all of them, oldest first, when the
    // user wants them.
    QStringList withRotatedSet(const QStringList& paths);
    // A save as long work; true when written, else the user has been told why.
    bool writeInBackground(const std::function<bool()>& write);
    // A save of the rows: while a filter hides some, the user chooses the shown rows (under a
    // name of their own, proposed in request) or all of them; write gets the list to write.
    void saveRows(FileDialogRequest request,
                  const std::function<bool(const QString& path, const LogList& rows)>& write,
                  bool remember = false);
    // Copy; false when the rows could not be put together (the user has been told).
    bool copyRows();

    ListEditor m_editor;
    MainView& m_view;
    UserPrompts& m_prompts;
    Platform& m_platform;
    MenuHistory& m_history;
    Settings& m_settings;
    const Clock& m_clock;
    LogOpener m_opener;
    SharedFileDialog m_dialog;
    UrlOpener m_urlOpener;
};

} // namespace tw
