#pragma once

#include "cli/cli_options.h"
#include "core/classification.h"

#include <QTextStream>

namespace tw::cli {

// What the statistics take from the settings: the user platform strings and the most
// previous-page entries the access statistics list (0 lists all).
struct StatisticsSettings {
    UserPlatforms platforms;
    int aLogMax = 0;
};

// Takes Pratform0..2 and ALogMax from the --settings file, read with the program's limits, then
// lets --platform1..3 and --alogmax win over them. A settings file that cannot be read, or whose
// ALogMax is not a number from -32768 to 32767 while --alogmax does not replace it, ends with
// ExitReadError after one line on err. A missing or empty ALogMax counts as 0.
int resolveStatisticsSettings(const CliOptions& options, StatisticsSettings& settings,
                              QTextStream& err);

} // namespace tw::cli
