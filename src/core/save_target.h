#pragma once

#include <QString>

namespace tw {

// The file a save to path replaces: path itself, or the file its chain of links ends at (the
// user's own link to a list file keeps pointing at the saved file). False with an English reason
// in *error for a target that exists and is not a regular file (a device, a FIFO, a folder),
// for one that may not be written, and for a link that the kernel's protected-symlinks rule
// would not follow: one in a sticky, world-writable folder such as /tmp whose owner is neither
// us nor the folder's owner, possibly planted there to turn our save against another file.
// With followLinks false, a link at path is refused like any other file that is not regular.
bool resolveSaveTarget(const QString& path, QString* target, QString* error,
                       bool followLinks = true);

} // namespace tw
