#pragma once

#include "core/startup.h"
#include "settings/menu_history.h"
#include "settings/settings.h"
#include "settings/settings_file.h"

#include <memory>

namespace tw {

class Clock;
class MainWindow;
class Platform;
class UserPrompts;

// The program's start-up: further files to a new instance, the main window and the recent
// files, the settings, the window's set-up from them, then the window shown and the file opened.
class MainProgram {
public:
    MainProgram(UserPrompts& prompts, Platform& platform, const Clock& clock);
    ~MainProgram();
    Q_DISABLE_COPY_MOVE(MainProgram)

    void start(const StartupArguments& arguments, const QString& settingsPath);

    MainWindow& window() { return *m_window; }
    Settings& settings() { return m_settings; }
    MenuHistory& history() { return m_history; }
    SettingsFile* settingsFile() { return m_settingsFile.get(); }

private:
    UserPrompts& m_prompts;
    Platform& m_platform;
    const Clock& m_clock;
    Settings m_settings;
    MenuHistory m_history;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<SettingsFile> m_settingsFile;
};

// The settings file's place for this program: beside the executable for portable use, else in
// the user's configuration folder.
QString defaultSettingsPath();

} // namespace tw
