#pragma once

#include <QString>
#include <QStringList>

namespace tw {

// Major version, ".", minor version in two digits: "2.02".
QString versionText(int major = TW_VERSION_MAJOR, int minor = TW_VERSION_MINOR);

QString settingsFileName(); // "TALLYWVR.INI"
// The settings file in folder, with exactly one "/" between them.
QString settingsFilePathIn(const QString& folder);
// Portable use when a settings file is already beside the program or that folder is writable;
// otherwise the file in the per-user config folder (which the caller creates before writing).
QString chooseSettingsFilePath(const QString& exeFolder, const QString& userConfigFolder);

// Absolute path of an existing file; the path unchanged otherwise.
QString normalizeLongPath(const QString& path);

struct StartupArguments {
    QString fileToOpen; // empty when nothing is to be opened
    QStringList rest;   // for a new instance of the program; empty when none is to be started
    bool showHelp = false;
    bool showVersion = false;
};

// args without the program name. The first argument is the file for this instance unless it
// starts with "-" (an option: --help and --version set their flags, others are ignored); the
// remaining arguments go to a new instance, which treats them the same way.
StartupArguments splitArguments(const QStringList& args);

} // namespace tw
