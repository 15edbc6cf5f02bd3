#pragma once

#include "core/access_record.h"
#include "core/log_reader.h"
#include "mainwindow/list_editor.h"
#include "mainwindow/read_notes.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

namespace tw {

class MainView;
class MenuHistory;
class UserPrompts;

// Brings files into the main list and takes the list back to the no-file state, with the
// repair offer for files that cannot be read and the title and status texts that follow.
class LogOpener {
public:
    LogOpener(ListEditor& editor, MainView& view, UserPrompts& prompts, MenuHistory& history)
        : m_editor(editor), m_view(view), m_prompts(prompts), m_history(history)
    {
    }

    // True when the rows were loaded. A missing file returns false without a word; any other
    // failure has been explained to the user.
    bool openLogFile(const QString& path, OpenMode mode);
    // Reads the files in this order: the first as mode says, every further one as the Append
    // command adds it (into a list without a current row: opened). What any of them left out
    // is told for them all.
    void openLogFiles(const QStringList& paths, OpenMode firstMode);
    // Empties the list and shows the no-file state.
    void closeLog();

    const ReadNotes& readNotes() const { return m_notes; }
    // The file the list was last opened from (files appended after it aside); empty when the
    // list is closed.
    const QString& openedPath() const { return m_openedPath; }

    // The repair run when the user accepts the offer; tests put their own in.
    using RepairFunction = std::function<int(const QString& path)>;
    void setRepairFunction(RepairFunction repair) { m_repair = std::move(repair); }
    // The file reader; tests put in one that hands over rows and skipped lines of their own.
    using ReadFunction = std::function<ReadResult(const QString& path, std::atomic<qint64>*)>;
    void setReadFunction(ReadFunction read) { m_read = std::move(read); }

private:
    bool readInto(const QString& path, OpenMode mode);
    bool hasCurrentRow() const;
    bool offerRepair(const QString& path, const QString& reason);
    void showLoadedFile(const QString& path, OpenMode mode, qint64 fileSize);

    ListEditor& m_editor;
    MainView& m_view;
    UserPrompts& m_prompts;
    MenuHistory& m_history;
    RepairFunction m_repair;
    ReadFunction m_read;
    ReadNotes m_notes;
    QString m_openedPath;
};

// "アイテム数:" + count

} // namespace tw
