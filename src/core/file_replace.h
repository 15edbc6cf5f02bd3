#pragma once

#include <QByteArrayView>
#include <QString>

#include <sys/types.h>

#include <functional>

namespace tw {

enum class ReplaceOutcome {
    Replaced,
    Refused,     // a link, a folder or anything else but a regular file holds the name
    WriteFailed, // the new file could not be made, written or named; nothing changed
    NotReady,    // ready() said no at the last moment; nothing changed
};

// Puts bytes at path as a new file: written beside it into a file created exclusively with
// mode (set before the first byte), and given the name only when every byte is on disk and
// ready(), when given, still agrees. A regular file at path is replaced; a link there is never
// followed, and one planted meanwhile is replaced rather than written through. Whatever goes
// wrong, path is as it was and no other file is left behind.
ReplaceOutcome replaceFileWithoutFollowing(const QString& path, QByteArrayView bytes, mode_t mode,
                                           const std::function<bool()>& ready = {});

} // namespace tw
