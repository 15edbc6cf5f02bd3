#pragma once

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

namespace tw {

// A file opened for reading only when it is a regular file. Pipes, devices and sockets are
// refused without opening them, or, should one take the name meanwhile, without waiting for a
// writer or reading a byte. One descriptor serves every reader (threads read at offsets), so the
// file cannot be swapped for something else between two opens.
class RegularFile {
public:
    enum class Status { Open, Missing, Directory, NotRegular, Error };

    RegularFile() = default;
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    Status open(const QString& path);
    Status status() const { return m_status; }
    // "not found", "not a regular file" or the system's reason the open failed.
    QString errorText() const;

    // What the file was when it was opened.
    const struct stat& info() const { return m_info; }
    qint64 size() const { return qint64(m_info.st_size); }

    // Reads n bytes at offset pos, fewer only at the end of the file: the count read, or -1 on
    // an error (then *error, when given, says why).
    qint64 readAt(qint64 pos, char* data, qint64 n, QString* error = nullptr) const;
    // Everything from pos to the end of the file, also what was added after the open.
    bool readFrom(qint64 pos, QByteArray* bytes, QString* error = nullptr) const;

private:
    void close();

    int m_fd = -1;
    Status m_status = Status::Missing;
    int m_errno = 0;
    struct stat m_info {};
};

// The whole of a regular file; a path that names anything else is refused as RegularFile
// refuses it. *error gets the reason for Error and NotRegular.
RegularFile::Status readRegularFile(const QString& path, QByteArray* bytes,
                                    QString* error = nullptr);

} // namespace tw
