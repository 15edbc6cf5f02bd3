#include "core/clock.h"
#include "core/startup.h"
#include "mainwindow/ui/main_program.h"
#include "mainwindow/ui/main_window.h"
#include "settings/file_association.h"
#include "ui/qt_platform.h"
#include "ui/qt_translations.h"
#include "ui/qt_user_prompts.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tallyweaver"));
    // Lets the desktop match the window to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(tw::ListFileAssociation::applicationId());
    QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 9));
    tw::installQtJapanese(app);

    const tw::StartupArguments arguments = tw::splitArguments(app.arguments().mid(1));
    if (arguments.showHelp || arguments.showVersion) {
        QTextStream out(stdout);
        if (arguments.showVersion)
            out << "Tallyweaver " << tw::versionText() << '\n';
        else
            out << "Usage: tallyweaver [FILE [MORE FILES...]]\n"
                   "Shows an access log or list file (.twv) in a window. Each further file\n"
                   "opens in a window of its own.\n"
                   "  --help     show this text\n"
                   "  --version  show the version\n";
        return 0;
    }

    tw::QtUserPrompts prompts;
    tw::QtPlatform platform;
    tw::SystemClock clock;
    tw::MainProgram program(prompts, platform, clock);
    program.start(arguments, tw::defaultSettingsPath());
    prompts.setParentWidget(&program.window());
    QObject::connect(&program.window(), &tw::MainWindow::closed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    return app.exec();
}
