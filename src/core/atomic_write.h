#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <sys/types.h>

#include <functional>
#include <optional>

namespace tw {

struct AtomicFileOptions {
    // False: a link at the path is refused, never followed (for files we name ourselves beside
    // another, where a link can only have been planted).
    bool followLinks = true;
    // The new file's permissions; by default the replaced file's, or 0666 less the umask.
    std::optional<mode_t> mode;
};

// A file written whole or not at all. The bytes go to a private temporary file beside the
// target (see resolveSaveTarget for which targets are refused); only when every write, the sync
// to the disk and the close have succeeded does it take the target's place, with the target's
// permissions. Anything less leaves the previous file as it was and no temporary file behind.
class AtomicFile final {
public:
    explicit AtomicFile(const QString& path, AtomicFileOptions options = {});
    ~AtomicFile();
    Q_DISABLE_COPY_MOVE(AtomicFile)

    bool open();
    // All of bytes or false. The disk starts on each megabyte at once, so that little is left
    // for commit to wait for.
    bool write(QByteArrayView bytes);
    // Replaces the target. False after any failure so far, and when ready, asked once everything
    // is on disk, says no at the last moment (then notReady() is true).
    bool commit(const std::function<bool()>& ready = {});
    bool notReady() const { return m_notReady; }
    // An English reason for the first failure.
    QString errorString() const { return m_error; }

private:
    bool fail(const QString& reason);
    bool failErrno(int err);

    QString m_path;
    AtomicFileOptions m_options;
    QString m_target;
    QByteArray m_tempName; // while a temporary file of ours exists
    int m_fd = -1;
    qint64 m_written = 0;
    qint64 m_hinted = 0; // bytes the disk was told to start on
    bool m_failed = false;
    bool m_notReady = false;
    QString m_error;
};

// Replaces the file at path with bytes through an AtomicFile. On failure *error, when given,
// gets the reason.
bool writeFileAtomically(const QString& path, QByteArrayView bytes, QString* error = nullptr);

// Writes one piece of a file; false when it was not written whole.
using ByteWriter = std::function<bool(QByteArrayView)>;
// The same for a file made piece by piece: produce writes the pieces in order and returns false
// to give up; the file is replaced only when produce returns true after every piece was written.
bool writeFileAtomically(const QString& path, const std::function<bool(const ByteWriter&)>& produce,
                         QString* error = nullptr);

} // namespace tw
