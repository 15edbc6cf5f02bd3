#include "support/size_limit.h"

#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tw::test {

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    getrlimit(RLIMIT_FSIZE, &m_previous);
    m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    // Only the soft limit: a lowered hard limit could not be raised again without root.
    const rlimit limit{rlim_t(bytes), m_previous.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &m_previous);
    std::signal(SIGXFSZ, m_previousHandler);
}

QList<qint64> limitsBelow(qint64 size)
{
    QList<qint64> limits;
    for (qint64 n = 0; n < 64; ++n)
        limits.append(n);
    for (qint64 n = 64; n < 1100; n += 17)
        limits.append(n);
    for (qint64 edge = 512; edge <= 262144; edge *= 2)
        limits << edge - 1 << edge << edge + 1;
    for (int i = 1; i < 16; ++i)
        limits.append(size * i / 16);
    limits << size - 2 << size - 1;
    limits.removeIf([size](qint64 n) { return n < 0 || n >= size; });
    std::sort(limits.begin(), limits.end());
    limits.erase(std::unique(limits.begin(), limits.end()), limits.end());
    return limits;
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

QString cutShortSaveFault(const std::function<bool(const QString& target)>& save)
{
    QTemporaryDir dir;
    const QString whole = dir.filePath(u"whole"_s);
    if (!save(whole))
        return u"the save failed without a limit"_s;
    const QByteArray wholeBytes = readBytes(whole);
    const QString target = dir.filePath(u"target"_s);
    const QByteArray previous = "previous contents\r\n";
    const QList<qint64> limits = limitsBelow(wholeBytes.size());
    for (qsizetype i = 0; i < limits.size(); ++i) {
        const bool hadPrevious = i % 2 == 0;
        QFile::remove(target);
        if (hadPrevious && !writeBytes(target, previous))
            return u"cannot write the previous file"_s;
        bool saved = false;
        {
            const FileSizeLimit limit(limits[i]);
            saved = save(target);
        }
        const QString at = u"cut at %1 of %2 bytes: "_s.arg(limits[i]).arg(wholeBytes.size());
        if (saved)
            return at + u"reported success"_s;
        if (hadPrevious ? readBytes(target) != previous : QFile::exists(target))
            return at + u"the target changed"_s;
        const QStringList expected =
            hadPrevious ? QStringList{u"target"_s, u"whole"_s} : QStringList{u"whole"_s};
        if (filesIn(dir.path()) != expected)
            return at + u"left "_s + filesIn(dir.path()).join(u", "_s);
    }
    return {};
}

} // namespace tw::test
