#include "core/path_parts.h"

#include <QDir>
#include <QFileInfo>

namespace tw {
namespace {

// Only regular files count: a folder at the path is not a file to name.
bool isExistingFile(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QString fileName(const QString& path)
{
    return isExistingFile(path) ? QFileInfo(path).fileName() : QString();
}

QString extension(const QString& path)
{
    const QString last = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = last.lastIndexOf(u'.');
    return dot < 0 ? QString() : last.mid(dot + 1);
}

} // namespace

QString getPathPart(const QString& path, int part)
{
    const qsizetype lastSlash = path.lastIndexOf(u'/');
    switch (PathPart(part)) {
    case PathPart::FolderPath:
        return lastSlash < 0 ? QString() : path.left(lastSlash + 1);
    case PathPart::FileName:
        return fileName(path);
    case PathPart::DriveRoot:
        // POSIX paths have no drives: the root "/" plays that part for absolute paths.
        return path.startsWith(u'/') ? QStringLiteral("/") : QString();
    case PathPart::FolderDepth:
        return lastSlash < 0 ? QString() : QString::number(path.count(u'/') - 1);
    case PathPart::BaseName: {
        const QString name = fileName(path);
        const QString ext = extension(path);
        if (name.isEmpty() || ext.isEmpty())
            return name;
        return name.left(qMax<qsizetype>(0, name.size() - ext.size() - 1));
    }
    case PathPart::Extension:
        return extension(path);
    case PathPart::ParentFolderName:
        return isExistingFile(path) ? QFileInfo(path).absoluteDir().dirName() : QString();
    case PathPart::LastComponent:
        return path.mid(lastSlash + 1);
    }
    return {};
}

QString getPathPart(const QString& path, PathPart part)
{
    return getPathPart(path, int(part));
}

} // namespace tw
