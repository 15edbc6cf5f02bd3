#include "core/save_target.h"

#include "core/posix_io.h"

#include <QFile>

#include <cerrno>
#include <climits>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace tw {
namespace {

constexpr int kMaxLinks = 40; // the kernel's limit

QString folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return u"."_s;
    return slash == 0 ? u"/"_s : path.left(slash);
}

bool mayFollow(const QString& link, const struct stat& linkInfo)
{
    struct stat folder;
    if (::stat(QFile::encodeName(folderOf(link)).constData(), &folder) != 0)
        return false;
    constexpr mode_t shared = S_ISVTX | S_IWOTH;
    return (folder.st_mode & shared) != shared || linkInfo.st_uid == ::geteuid() ||
           linkInfo.st_uid == folder.st_uid;
}

// One level of the link; a relative target is taken from the link's folder.
bool readLink(const QString& link, QString* next)
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(QFile::encodeName(link).constData(), buffer, sizeof buffer);
    if (n < 0)
        return false;
    const QString text = QFile::decodeName(QByteArray(buffer, qsizetype(n)));
    *next = text.startsWith(u'/') ? text : folderOf(link) + u'/' + text;
    return true;
}

} // namespace

bool resolveSaveTarget(const QString& path, QString* target, QString* error, bool followLinks)
{
    const auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    QString current = path;
    for (int links = 0;; ++links) {
        const QByteArray name = QFile::encodeName(current);
        struct stat info;
        if (::lstat(name.constData(), &info) != 0) {
            if (errno != ENOENT)
                return fail(errnoText(errno));
            *target = current; // a new file
            return true;
        }
        if (S_ISLNK(info.st_mode)) {
            if (!followLinks)
                return fail(u"a link"_s);
            if (links == kMaxLinks)
                return fail(errnoText(ELOOP));
            if (!mayFollow(current, info))
                return fail(u"a link owned by another user in a shared folder"_s);
            QString next;
            if (!readLink(current, &next))
                return fail(errnoText(errno));
            current = next;
            continue;
        }
        if (S_ISDIR(info.st_mode))
            return fail(errnoText(EISDIR));
        if (!S_ISREG(info.st_mode))
            return fail(u"not a regular file"_s);
        // Renaming over a file would succeed where writing it is not allowed.
        if (::access(name.constData(), W_OK) != 0)
            return fail(errnoText(errno));
        *target = current;
        return true;
    }
}

} // namespace tw
