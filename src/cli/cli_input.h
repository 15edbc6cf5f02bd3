#pragma once

#include "cli/cli_options.h"
#include "cli/cli_settings.h"
#include "core/log_list.h"
#include "core/log_tally.h"

#include <QTextStream>

namespace tw::cli {

// Reads files into list as the window does: the first is opened, every further one appended
// (into an empty list it is opened), with sorted mode suspended while rows are appended.
// The rows are classified with the given user platform strings. Then applies --sort. Returns
// ExitOk, or ExitReadError after one line on err naming the file.
int readInputFiles(const QStringList& files, const CliOptions& options,
                   const UserPlatforms& platforms, LogList& list, QTextStream& err);

// What every command that lists or reports rows does first: takes the settings the statistics
// use (resolveStatisticsSettings; into *settings when given), then reads files with their
// platform strings (readInputFiles). Returns ExitOk, or the status of the first failure after
// one line on err.
int readInputs(const QStringList& files, const CliOptions& options, LogList& list, QTextStream& err,
               StatisticsSettings* settings = nullptr);

// For the browser and platform statistics: the tallies readInputs would leave in the list
// (every file's rows added up), with the same settings and errors, without keeping the rows.
int tallyInputs(const QStringList& files, const CliOptions& options, ClassTally& tally,
                QTextStream& err, StatisticsSettings* settings = nullptr);

// Sorts as header clicks would until the column sorts in the asked direction.
void applySort(LogList& list, int column, bool ascending);

} // namespace tw::cli
