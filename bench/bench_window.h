// The main program as the window benchmarks run it: real prompts, platform and clock, and a
// settings file of its own.
#pragma once

#include "core/clock.h"
#include "mainwindow/ui/main_program.h"
#include "mainwindow/ui/main_window.h"
#include "ui/qt_platform.h"
#include "ui/qt_user_prompts.h"

#include <QString>

namespace tw::bench {

struct BenchProgram {
    explicit BenchProgram(const QString& settingsFile, StartupArguments arguments = {})
    {
        program.start(arguments, settingsFile);
    }
    MainWindow& window() { return program.window(); }

    QtUserPrompts prompts;
    QtPlatform platform;
    SystemClock clock;
    MainProgram program{prompts, platform, clock};
};

} // namespace tw::bench
