#include "cli/cli_settings.h"

#include "cli/cli.h"
#include "settings/ini_file.h"
#include "settings/ini_numbers.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace tw::cli {
namespace {

// The program's read buffers for these keys, in bytes; a value keeps one byte less.
constexpr int kPlatformSize = 64;
constexpr int kALogMaxSize = 7;

} // namespace

int resolveStatisticsSettings(const CliOptions& options, StatisticsSettings& settings,
                              QTextStream& err)
{
    QStringList platforms(3);
    int aLogMax = 0;
    if (!options.settingsPath.isEmpty()) {
        const QString& path = options.settingsPath;
        IniDocument doc;
        // A folder would read as an empty file and quietly give the defaults.
        if (QFileInfo(path).isDir())
            return fileError(err, path, u"read error: is a folder"_s, ExitReadError);
        switch (doc.load(path)) {
        case IniDocument::LoadResult::Loaded:
            break;
        case IniDocument::LoadResult::Missing:
            return fileError(err, path, u"not found"_s, ExitReadError);
        case IniDocument::LoadResult::Unreadable:
            return fileError(err, path, u"read error: cannot read the settings file"_s,
                             ExitReadError);
        }
        for (int slot = 0; slot < 3; ++slot)
            platforms[slot] =
                doc.value(u"PREF", u"Pratform"_s + QString::number(slot), kPlatformSize);
        const QString text = doc.value(u"PREF", u"ALogMax", kALogMaxSize);
        // A settings file the program created but never saved has no ALogMax yet.
        if (!options.aLogMax && !text.isEmpty()) {
            const std::optional<qint32> value = toInt16(text);
            if (!value) {
                return fileError(err, path,
                                 u"ALogMax \"%1\" is not a number from -32768 to 32767"_s.arg(text),
                                 ExitReadError);
            }
            aLogMax = *value;
        }
    }
    for (int slot = 0; slot < 3; ++slot) {
        if (options.platforms[std::size_t(slot)])
            platforms[slot] = *options.platforms[std::size_t(slot)];
    }
    settings.platforms = UserPlatforms(platforms);
    settings.aLogMax = options.aLogMax.value_or(aLogMax);
    return ExitOk;
}

} // namespace tw::cli
