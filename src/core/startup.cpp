#include "core/startup.h"

#include <QFileInfo>

namespace tw {

QString versionText(int major, int minor)
{
    return QStringLiteral("%1.%2").arg(major).arg(minor, 2, 10, QLatin1Char('0'));
}

QString settingsFileName()
{
    return QStringLiteral("TALLYWVR.INI");
}

QString settingsFilePathIn(const QString& folder)
{
    if (folder.endsWith(u'/'))
        return folder + settingsFileName();
    return folder + u'/' + settingsFileName();
}

QString chooseSettingsFilePath(const QString& exeFolder, const QString& userConfigFolder)
{
    const QString portable = settingsFilePathIn(exeFolder);
    if (QFileInfo::exists(portable))
        return portable;
    const QFileInfo folder(exeFolder);
    if (folder.isDir() && folder.isWritable())
        return portable;
    return settingsFilePathIn(userConfigFolder);
}

QString normalizeLongPath(const QString& path)
{
    if (path.isEmpty())
        return path;
    const QFileInfo info(path);
    return info.exists() ? info.absoluteFilePath() : path;
}

StartupArguments splitArguments(const QStringList& args)
{
    StartupArguments result;
    if (args.isEmpty())
        return result;
    const QString& first = args.first();
    if (first.startsWith(u'-')) {
        if (first == QLatin1StringView("--help"))
            result.showHelp = true;
        else if (first == QLatin1StringView("--version"))
            result.showVersion = true;
    } else {
        result.fileToOpen = normalizeLongPath(first);
    }
    // Empty arguments name nothing and never start a new instance.
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (!args[i].isEmpty())
            result.rest << args[i];
    }
    return result;
}

} // namespace tw
