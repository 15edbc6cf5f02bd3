#include "core/atomic_write.h"

#include "core/posix_io.h"
#include "core/save_target.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace tw {
namespace {

constexpr qint64 kHintBytes = 1 << 20;

// The process's umask without changing it (umask() would, for every thread at once).
mode_t currentUmask()
{
    QFile status(u"/proc/self/status"_s);
    if (status.open(QIODevice::ReadOnly)) {
        for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return mode_t(mask & 0777);
            }
        }
    }
    return 077; // unknown: keep the file private
}

// What the new file's permissions will be: the replaced file's, or those of a file created anew.
mode_t targetMode(const QString& target)
{
    struct stat info;
    if (::stat(QFile::encodeName(target).constData(), &info) == 0)
        return info.st_mode & 0777;
    return 0666 & ~currentUmask();
}

} // namespace

AtomicFile::AtomicFile(const QString& path, AtomicFileOptions options)
    : m_path(path), m_options(options)
{
}

AtomicFile::~AtomicFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_tempName.isEmpty())
        ::unlink(m_tempName.constData());
}

bool AtomicFile::fail(const QString& reason)
{
    if (!m_failed)
        m_error = reason;
    m_failed = true;
    return false;
}

bool AtomicFile::failErrno(int err)
{
    return fail(errnoText(err));
}

bool AtomicFile::open()
{
    QString reason;
    if (!resolveSaveTarget(m_path, &m_target, &reason, m_options.followLinks))
        return fail(reason);
    // Created exclusively and readable by us alone until it is complete, named after the target
    // so that one left by a crash tells what it was. Not QTemporaryFile: it keeps its descriptor
    // open past close(), so a failing close would go unseen.
    QByteArray name = QFile::encodeName(m_target) + ".XXXXXX";
    m_fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (m_fd < 0)
        return failErrno(errno);
    m_tempName = name;
    return true;
}

bool AtomicFile::write(QByteArrayView bytes)
{
    if (m_failed || m_fd < 0)
        return fail(u"not open"_s);
    if (bytes.isEmpty())
        return true;
    if (const int err = writeAll(m_fd, bytes))
        return failErrno(err);
    m_written += bytes.size();
#ifdef SYNC_FILE_RANGE_WRITE
    // Only a hint, and only for amounts worth starting early (a failure shows again in the
    // sync); small files are synced at once anyway.
    if (m_written - m_hinted >= kHintBytes) {
        ::sync_file_range(m_fd, m_hinted, m_written - m_hinted, SYNC_FILE_RANGE_WRITE);
        m_hinted = m_written;
    }
#endif
    return true;
}

bool AtomicFile::commit(const std::function<bool()>& ready)
{
    if (m_failed || m_fd < 0)
        return fail(u"not open"_s);
    int synced;
    do {
        synced = ::fdatasync(m_fd);
    } while (synced != 0 && errno == EINTR);
    // File systems that cannot sync say so with EINVAL or EROFS; their data is as safe as it gets.
    if (synced != 0 && errno != EINVAL && errno != EROFS)
        return failErrno(errno);
    ::fchmod(m_fd, m_options.mode ? *m_options.mode & 07777 : targetMode(m_target));
    // Linux releases the descriptor even when close fails.
    const int closed = ::close(std::exchange(m_fd, -1));
    if (closed != 0)
        return failErrno(errno);
    if (ready && !ready()) {
        m_notReady = true;
        return fail(u"the file changed meanwhile"_s);
    }
    // rename() takes the name from whatever holds it now, a link planted meanwhile included,
    // without following it.
    if (::rename(m_tempName.constData(), QFile::encodeName(m_target).constData()) != 0)
        return failErrno(errno);
    m_tempName.clear();
    return true;
}

bool writeFileAtomically(const QString& path, QByteArrayView bytes, QString* error)
{
    return writeFileAtomically(
        path, [bytes](const ByteWriter& write) { return write(bytes); }, error);
}

bool writeFileAtomically(const QString& path, const std::function<bool(const ByteWriter&)>& produce,
                         QString* error)
{
    AtomicFile file(path);
    const ByteWriter write = [&file](QByteArrayView bytes) { return file.write(bytes); };
    if (file.open() && produce(write) && file.commit())
        return true;
    if (error)
        *error = file.errorString().isEmpty() ? u"not written"_s : file.errorString();
    return false;
}

} // namespace tw
