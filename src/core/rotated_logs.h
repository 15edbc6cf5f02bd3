#pragma once

#include <QStringList>

namespace tw {

// The existing regular files of the rotated set that path belongs to, oldest first, spelled
// with path's folder. For access.log, access.log.1 or access.log.2.gz alike: the dated copies
// access.log-YYYYMMDD[.gz] by date, then access.log.N[.gz] from the highest N down to 1 (or 0),
// then access.log itself. When a copy exists both plain and as .gz, the plain one is taken: that
// is what an interrupted compression leaves, and the .gz may be incomplete. Other logs of the
// folder (error.log.1, access.log.bak) never join; a file without rotated copies is a set of one.
QStringList rotatedSet(const QString& path);

} // namespace tw
