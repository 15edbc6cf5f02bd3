#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <sys/resource.h>

#include <csignal>
#include <functional>

namespace tw::test {

// While it lives, files this process writes stop growing at bytes, as on a full device: the write
// that crosses the limit takes what fits, the next one fails (EFBIG, SIGXFSZ ignored).
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = SIG_DFL;
};

// Limits below size at which to cut a write: every byte of the first 64, then every 17th up to
// 1,100, the edges of common buffer sizes (16 KB among them), spread points and the last bytes.
QList<qint64> limitsBelow(qint64 size);

// The names of the files in folder (hidden ones too), sorted.
QStringList filesIn(const QString& folder);

// Runs save(target) once without a limit, then under each of limitsBelow() of what it wrote, with
// a previous file at target every other time and none at the others. Empty when every cut save
// returned false, left the target as it was and left no other file in its folder; else what went
// wrong at which limit.
QString cutShortSaveFault(const std::function<bool(const QString& target)>& save);

} // namespace tw::test
