#include "core/file_replace.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {

ReplaceOutcome replaceFileWithoutFollowing(const QString& path, QByteArrayView bytes, mode_t mode,
                                           const std::function<bool()>& ready)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const QByteArray name = QFile::encodeName(absolute);
    struct stat held {};
    if (::lstat(name.constData(), &held) == 0) {
        if (!S_ISREG(held.st_mode))
            return ReplaceOutcome::Refused;
    } else if (errno != ENOENT) {
        return ReplaceOutcome::WriteFailed;
    }

    QTemporaryFile temp(absolute + QStringLiteral(".XXXXXX"));
    if (!temp.open() || ::fchmod(temp.handle(), mode & 07777) != 0)
        return ReplaceOutcome::WriteFailed;
    // A full disk can take part of the bytes without an error: only a whole write counts.
    if (temp.write(bytes.data(), bytes.size()) != bytes.size() || !temp.flush() ||
        ::fdatasync(temp.handle()) != 0)
        return ReplaceOutcome::WriteFailed;
    if (ready && !ready())
        return ReplaceOutcome::NotReady;
    // rename() takes the name from whatever holds it, a link included, without following it.
    if (::rename(QFile::encodeName(temp.fileName()).constData(), name.constData()) != 0)
        return ReplaceOutcome::WriteFailed;
    temp.setAutoRemove(false);
    return ReplaceOutcome::Replaced;
}

} // namespace tw
