#pragma once

#include <QString>

namespace tw {

// Which part of a path getPathPart returns.
enum class PathPart {
    FolderPath = 0,   // up to and including the last "/"
    FileName,         // name of the existing file as stored on disk; empty when there is none
    DriveRoot,        // "/" for an absolute path, empty for a relative one
    FolderDepth,      // number of "/" minus one, as text; empty without "/"
    BaseName,         // FileName without its extension
    Extension,        // text after the last "." of the last component
    ParentFolderName, // name of the folder holding the existing file; empty when there is none
    LastComponent,    // text after the last "/", the whole path without "/"
};

// Any other selector value gives empty text.
QString getPathPart(const QString& path, int part);
QString getPathPart(const QString& path, PathPart part);

} // namespace tw
