#include "support/faulty_places.h"

#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace tw::test {

namespace {

bool run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

QList<FaultyPlace::Kind> FaultyPlace::all()
{
    return {ParentIsFile, NameTooLong, ProcFolder, FullDevice, ReadOnlyDevice};
}

const char* FaultyPlace::name(Kind kind)
{
    switch (kind) {
    case ParentIsFile:
        return "parent is a file";
    case NameTooLong:
        return "name too long";
    case ProcFolder:
        return "/proc";
    case FullDevice:
        return "full device";
    case ReadOnlyDevice:
        return "read-only device";
    }
    return "";
}

FaultyPlace::FaultyPlace(Kind kind)
{
    m_previous = "previous contents\r\n";
    switch (kind) {
    case ParentIsFile:
        m_guard = m_dir.filePath(QStringLiteral("plain"));
        m_guardBytes = "a regular file\r\n";
        writeBytes(m_guard, m_guardBytes);
        m_target = m_guard + QStringLiteral("/out.twv");
        break;
    case NameTooLong:
        m_target = m_dir.filePath(QString(300, u'a'));
        break;
    case ProcFolder:
        m_target = QStringLiteral("/proc/tallyweaver_out.twv");
        break;
    case FullDevice:
    case ReadOnlyDevice:
        if (!mountTmpfs(QStringLiteral("size=64k")))
            return;
        m_target = m_mount + QStringLiteral("/out.twv");
        m_hadPrevious = writeBytes(m_target, m_previous);
        if (kind == FullDevice) {
            // Fill every block that is left.
            QFile filler(m_mount + QStringLiteral("/filler"));
            if (filler.open(QIODevice::WriteOnly)) {
                const QByteArray block(4096, 'x');
                while (filler.write(block) == block.size() && filler.flush()) {
                }
            }
        } else if (!run(QStringLiteral("mount"),
                        {QStringLiteral("-o"), QStringLiteral("remount,ro"), m_mount})) {
            m_skip = QStringLiteral("cannot remount the tmpfs read-only");
        }
        break;
    }
}

FaultyPlace::~FaultyPlace()
{
    if (!m_mount.isEmpty())
        run(QStringLiteral("umount"), {QStringLiteral("-l"), m_mount});
}

bool FaultyPlace::mountTmpfs(const QString& options)
{
    const QString dir = m_dir.filePath(QStringLiteral("mnt"));
    QDir().mkpath(dir);
    if (!run(QStringLiteral("mount"),
             {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"), options,
              QStringLiteral("tmpfs"), dir})) {
        m_skip = QStringLiteral("cannot mount a tmpfs here (needs root and mount rights)");
        return false;
    }
    m_mount = dir;
    return true;
}

bool FaultyPlace::intact() const
{
    if (!m_guard.isEmpty() && readBytes(m_guard) != m_guardBytes)
        return false;
    if (!m_mount.isEmpty()) {
        // No temporary file left behind.
        const QStringList left = QDir(m_mount).entryList(QDir::Files | QDir::Hidden);
        for (const QString& name : left)
            if (name != QStringLiteral("out.twv") && name != QStringLiteral("filler"))
                return false;
    }
    if (m_hadPrevious)
        return readBytes(m_target) == m_previous;
    return !QFile::exists(m_target);
}

} // namespace tw::test
