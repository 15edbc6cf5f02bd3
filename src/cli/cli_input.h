#pragma once

#include "cli/cli_options.h"
#include "core/log_list.h"

#include <QTextStream>

namespace tw::cli {

// Reads files into list as the window does: the first is opened, every further one appended
// (into an empty list it is opened), with sorted mode suspended while rows are appended.
// The rows are classified with the given user platform strings. Then applies --sort. Returns
// ExitOk, or ExitReadError after one line on err naming the file.
int readInputFiles(const QStringList& files, const CliOptions& options,
                   const UserPlatforms& platforms, LogList& list, QTextStream& err);

// Sorts as header clicks would until the column sorts in the asked direction.
void applySort(LogList& list, int column, bool ascending);

} // namespace tw::cli
