#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>

namespace tw::test {

// A path a save cannot complete at, for checking that a failed save loses nothing. The device
// kinds mount a tiny tmpfs (we run as root) and hold a previous file at the target.
class FaultyPlace {
public:
    enum Kind { ParentIsFile, NameTooLong, ProcFolder, FullDevice, ReadOnlyDevice };

    explicit FaultyPlace(Kind kind);
    ~FaultyPlace();
    FaultyPlace(const FaultyPlace&) = delete;
    FaultyPlace& operator=(const FaultyPlace&) = delete;

    static QList<Kind> all();
    static const char* name(Kind kind);

    // Not empty when this kind cannot be set up here (then skip).
    QString skipReason() const { return m_skip; }
    QString target() const { return m_target; }
    // The target holds what it held before, or still does not exist; nothing else appeared.
    bool intact() const;

private:
    bool mountTmpfs(const QString& options);

    QTemporaryDir m_dir;
    QString m_mount;
    QString m_target;
    QString m_skip;
    QByteArray m_previous;
    bool m_hadPrevious = false;
    QString m_guard; // a file beside the target that must not change
    QByteArray m_guardBytes;
};

} // namespace tw::test
