#include "core/regular_file.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace tw {

RegularFile::~RegularFile()
{
    close();
}

void RegularFile::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

RegularFile::Status RegularFile::open(const QString& path)
{
    close();
    m_errno = 0;
    const auto refuse = [this](Status status) {
        m_errno = status == Status::Error ? errno : 0;
        close();
        return m_status = status;
    };
    const auto kindOf = [](const struct stat& info) {
        if (S_ISREG(info.st_mode))
            return Status::Open;
        return S_ISDIR(info.st_mode) ? Status::Directory : Status::NotRegular;
    };
    const QByteArray name = QFile::encodeName(path);
    // Opening a device can do something by itself (a tape rewinds), so look first.
    if (name.isEmpty() || ::stat(name.constData(), &m_info) != 0)
        return refuse(errno == ENOENT || errno == ENOTDIR || name.isEmpty() ? Status::Missing
                                                                            : Status::Error);
    if (const Status kind = kindOf(m_info); kind != Status::Open)
        return refuse(kind);
    // Without O_NONBLOCK a pipe that took the name since would wait for a writer.
    m_fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (m_fd < 0)
        return refuse(errno == ENOENT ? Status::Missing : Status::Error);
    if (::fstat(m_fd, &m_info) != 0)
        return refuse(Status::Error);
    if (const Status kind = kindOf(m_info); kind != Status::Open)
        return refuse(kind);
    return m_status = Status::Open;
}

QString RegularFile::errorText() const
{
    switch (m_status) {
    case Status::Open:
        return {};
    case Status::Missing:
        return u"not found"_s;
    case Status::Directory:
        return u"is a folder"_s;
    case Status::NotRegular:
        return u"not a regular file"_s;
    case Status::Error:
        break;
    }
    return qt_error_string(m_errno);
}

qint64 RegularFile::readAt(qint64 pos, char* data, qint64 n, QString* error) const
{
    qint64 done = 0;
    while (done < n) {
        const ssize_t got = ::pread(m_fd, data + done, std::size_t(n - done), off_t(pos + done));
        if (got == 0)
            break;
        if (got > 0) {
            done += got;
        } else if (errno != EINTR) {
            if (error)
                *error = qt_error_string(errno);
            return -1;
        }
    }
    return done;
}

bool RegularFile::readFrom(qint64 pos, QByteArray* bytes, QString* error) const
{
    // The size at the open is the guess; a file that grew since is read to its new end.
    qint64 capacity = std::max<qint64>(size() - pos, 0) + 1;
    qint64 filled = 0;
    while (true) {
        bytes->resize(capacity);
        const qint64 got = readAt(pos + filled, bytes->data() + filled, capacity - filled, error);
        if (got < 0) {
            bytes->clear();
            return false;
        }
        filled += got;
        if (filled < capacity)
            break;
        capacity += std::max<qint64>(capacity / 2, 4096);
    }
    bytes->resize(filled);
    return true;
}

RegularFile::Status readRegularFile(const QString& path, QByteArray* bytes, QString* error)
{
    bytes->clear();
    RegularFile file;
    RegularFile::Status status = file.open(path);
    if (status == RegularFile::Status::Open && !file.readFrom(0, bytes, error))
        return RegularFile::Status::Error;
    if (status != RegularFile::Status::Open && error)
        *error = file.errorText();
    return status;
}

} // namespace tw
