#include "mainwindow/ui/main_program.h"

#include "core/platform.h"
#include "core/user_prompts.h"
#include "mainwindow/ui/main_window.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tw {

MainProgram::MainProgram(UserPrompts& prompts, Platform& platform, const Clock& clock)
    : m_prompts(prompts), m_platform(platform), m_clock(clock)
{
}

MainProgram::~MainProgram() = default;

void MainProgram::start(const StartupArguments& arguments, const QString& settingsPath)
{
    // Each further file gets an instance of its own; a failure to start one is not reported.
    if (!arguments.rest.isEmpty())
        m_platform.startNewInstance(arguments.rest);

    m_window = std::make_unique<MainWindow>(m_settings, m_history, m_prompts, m_platform, m_clock);
    m_history.setCompSize(45);
    m_history.setHistoryNothingMessage(QStringLiteral("履歴はありません"));
    m_history.setItemCompress(true);

    QDir().mkpath(QFileInfo(settingsPath).absolutePath());
    m_settingsFile = std::make_unique<SettingsFile>(settingsPath, m_settings, m_history, *m_window,
                                                    m_clock, versionText());
    m_window->setSettingsFile(m_settingsFile.get());
    if (!m_settingsFile->loadOrCreate())
        m_prompts.error(QStringLiteral("設定保持ファイルが新規作成できませんでした。"));

    m_window->logList().setUserPlatforms(
        UserPlatforms({m_settings.Pratform[0], m_settings.Pratform[1], m_settings.Pratform[2]}));
    m_window->setUpList();
    m_window->setBandHeightsFromSettings();
    m_window->applyAppearance();
    m_window->show();

    if (!arguments.fileToOpen.isEmpty())
        m_window->commands().openFromCommandLine(arguments.fileToOpen);
}

QString defaultSettingsPath()
{
    const QString userFolder =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        QStringLiteral("/tallyweaver");
    return chooseSettingsFilePath(QCoreApplication::applicationDirPath(), userFolder);
}

} // namespace tw
