#pragma once

#include "core/access_record.h"
#include "mainwindow/list_editor.h"

#include <QString>

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
    // Empties the list and shows the no-file state.
    void closeLog();

    // The repair run when the user accepts the offer; tests put their own in.
    using RepairFunction = std::function<int(const QString& path)>;
    void setRepairFunction(RepairFunction repair) { m_repair = std::move(repair); }

private:
    bool offerRepair(const QString& path, const QString& reason);
    void showLoadedFile(const QString& path, OpenMode mode, qint64 fileSize);

    ListEditor& m_editor;
    MainView& m_view;
    UserPrompts& m_prompts;
    MenuHistory& m_history;
    RepairFunction m_repair;
};

// "アイテム数:" + count
QString itemCountText(qsizetype rows);

} // namespace tw
