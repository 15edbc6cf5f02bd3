#include "settings/file_association.h"

#include "core/atomic_write.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace tw {

namespace {

const auto kDefaultSection = "[Default Applications]"_L1;
const auto kAddedSection = "[Added Associations]"_L1;

bool writeUtf8(const QString& path, const QString& text)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    return writeFileAtomically(path, text.toUtf8());
}

// mimeapps.list as lines, edited in place so that every other entry is kept as it was.
class MimeAppsList {
public:
    explicit MimeAppsList(const QString& path) : m_path(path)
    {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            m_lines = QString::fromUtf8(file.readAll()).split(u'\n');
        if (!m_lines.isEmpty() && m_lines.last().isEmpty())
            m_lines.removeLast();
    }

    // The entries listed for key in section, in order.
    QStringList entries(QLatin1StringView section, const QString& key) const
    {
        const qsizetype line = find(section, key);
        if (line < 0)
            return {};
        QStringList result;
        const QString value = m_lines.at(line).mid(m_lines.at(line).indexOf(u'=') + 1);
        for (const QString& entry : value.split(u';')) {
            if (!entry.trimmed().isEmpty())
                result.append(entry.trimmed());
        }
        return result;
    }

    // An empty list removes the key.
    void setEntries(QLatin1StringView section, const QString& key, const QStringList& entries)
    {
        const QString line = key + u'=' + entries.join(u';') + u';';
        const qsizetype at = find(section, key);
        if (at >= 0) {
            if (entries.isEmpty()) {
                m_lines.removeAt(at);
                dropIfEmpty(section);
            } else {
                m_lines[at] = line;
            }
            return;
        }
        if (entries.isEmpty())
            return;
        const qsizetype header = sectionStart(section);
        if (header < 0) {
            if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty())
                m_lines.append(QString());
            m_lines.append(QString(section));
            m_lines.append(line);
            return;
        }
        // After the last non-blank line of the section.
        qsizetype insertAt = header + 1;
        for (qsizetype i = header + 1; i < m_lines.size() && !isHeader(m_lines.at(i)); ++i) {
            if (!m_lines.at(i).trimmed().isEmpty())
                insertAt = i + 1;
        }
        m_lines.insert(insertAt, line);
    }

    bool save() const { return writeUtf8(m_path, m_lines.join(u'\n') + u'\n'); }

private:
    static bool isHeader(const QString& line) { return line.trimmed().startsWith(u'['); }

    qsizetype sectionStart(QLatin1StringView section) const
    {
        for (qsizetype i = 0; i < m_lines.size(); ++i) {
            if (m_lines.at(i).trimmed() == section)
                return i;
        }
        return -1;
    }

    // A section left without keys goes, with the blank line before it.
    void dropIfEmpty(QLatin1StringView section)
    {
        const qsizetype header = sectionStart(section);
        qsizetype end = header + 1;
        for (; end < m_lines.size() && !isHeader(m_lines.at(end)); ++end) {
            if (!m_lines.at(end).trimmed().isEmpty())
                return;
        }
        qsizetype begin = header;
        if (begin > 0 && m_lines.at(begin - 1).trimmed().isEmpty())
            --begin;
        m_lines.remove(begin, end - begin);
    }

    qsizetype find(QLatin1StringView section, const QString& key) const
    {
        const qsizetype header = sectionStart(section);
        if (header < 0)
            return -1;
        for (qsizetype i = header + 1; i < m_lines.size() && !isHeader(m_lines.at(i)); ++i) {
            const QString& line = m_lines.at(i);
            const qsizetype equals = line.indexOf(u'=');
            if (equals > 0 && line.left(equals).trimmed() == key)
                return i;
        }
        return -1;
    }

    QString m_path;
    QStringList m_lines;
};

// Names used before the program had a reverse-DNS id; their files are cleaned up.
const auto kOldDesktopEntryName = "tallyweaver.desktop"_L1;
const auto kOldMimePackage = "/mime/packages/tallyweaver-twv.xml"_L1;

bool sameFolder(const QString& a, const QString& b)
{
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

void removeFiles(const QStringList& paths)
{
    for (const QString& path : paths)
        QFile::remove(path);
}

void removeOldFiles(const QString& dataHome)
{
    removeFiles(
        {dataHome + kOldMimePackage, dataHome + u"/applications/"_s + kOldDesktopEntryName});
}

} // namespace

XdgFolders XdgFolders::fromEnvironment()
{
    // Qt's generic locations already follow XDG_DATA_HOME, XDG_CONFIG_HOME and XDG_DATA_DIRS;
    // the writable data folder comes first in the list of data folders.
    QStringList dataDirs = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    if (!dataDirs.isEmpty())
        dataDirs.removeFirst();
    return {QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation), dataDirs};
}

QString desktopExecLine(const QString& program)
{
    // Quoted argument: backslash, quote, backquote and dollar take a backslash; "%" doubles as
    // a field code; then the value itself escapes its backslashes once more.
    QString quoted;
    for (const QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        if (c == u'%')
            quoted += u'%';
        quoted += c;
    }
    quoted.replace(u"\\"_s, u"\\\\"_s);
    return u'"' + quoted + u"\" %f"_s;
}

ListFileAssociation::ListFileAssociation(XdgFolders folders, QString executablePath,
                                         bool refreshDatabases)
    : m_folders(std::move(folders)), m_executablePath(std::move(executablePath)),
      m_refreshDatabases(refreshDatabases)
{
}

QString ListFileAssociation::applicationId()
{
    return u"org.example.tallyweaver"_s;
}

QString ListFileAssociation::mimeType()
{
    return u"application/x-tallyweaver-list"_s;
}

QString ListFileAssociation::desktopEntryName()
{
    return applicationId() + u".desktop"_s;
}

QString ListFileAssociation::mimePackageText()
{
    return u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
           "  <mime-type type=\""_s +
           mimeType() +
           u"\">\n"
           "    <comment>Tallyweaver list file</comment>\n"
           "    <comment xml:lang=\"ja\">Tallyweaver用ログファイル</comment>\n"
           "    <icon name=\""_s +
           applicationId() +
           u"\"/>\n"
           "    <glob pattern=\"*.twv\"/>\n"
           "  </mime-type>\n"
           "</mime-info>\n"_s;
}

QString ListFileAssociation::desktopEntryText(const QString& executablePath)
{
    return u"[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Tallyweaver\n"
           "GenericName=Access Log Viewer\n"
           "GenericName[ja]=アクセスログビューア\n"
           "Comment=Access log viewer and analyser\n"
           "Comment[ja]=アクセスログの表示と解析\n"
           "Icon="_s +
           applicationId() + u"\nExec="_s + desktopExecLine(executablePath) + u"\nMimeType="_s +
           mimeType() +
           u";\n"
           "Terminal=false\n"
           "Categories=Utility;\n"
           "Keywords=log;access;web;statistics;referrer;user agent;\n"
           "Keywords[ja]=ログ;アクセス;ウェブ;統計;リファラ;ブラウザ;\n"
           "StartupWMClass=tallyweaver\n"_s;
}

QString ListFileAssociation::mimePackagePath() const
{
    return m_folders.dataHome + u"/mime/packages/"_s + applicationId() + u".xml"_s;
}

QString ListFileAssociation::desktopEntryPath() const
{
    return m_folders.dataHome + u"/applications/"_s + desktopEntryName();
}

QString ListFileAssociation::mimeAppsPath() const
{
    return m_folders.configHome + u"/mimeapps.list"_s;
}

bool ListFileAssociation::isListFileAssociated() const
{
    const QStringList defaults = MimeAppsList(mimeAppsPath()).entries(kDefaultSection, mimeType());
    return !defaults.isEmpty() && defaults.first() == desktopEntryName();
}

void ListFileAssociation::setListFileAssociation(int value)
{
    if (value == 1) {
        if (isListFileAssociated())
            return;
        associate();
    } else {
        dissociate();
    }
    refresh();
}

// The data folder of the installed copy of this program (<prefix>/share beside <prefix>/bin), when
// it holds our desktop entry and the desktop looks there; empty otherwise.
QString ListFileAssociation::installedDataFolder() const
{
    const QString share =
        QDir::cleanPath(QFileInfo(m_executablePath).absolutePath() + u"/../share"_s);
    if (!QFileInfo::exists(share + u"/applications/"_s + desktopEntryName()))
        return {};
    for (const QString& folder : m_folders.dataDirs + QStringList{m_folders.dataHome}) {
        if (sameFolder(folder, share))
            return share;
    }
    return {};
}

// Installed into the user's own data folder: the installed files are where ours would be.
bool ListFileAssociation::perUserFilesAreInstalled() const
{
    const QString installed = installedDataFolder();
    return !installed.isEmpty() && sameFolder(installed, m_folders.dataHome);
}

void ListFileAssociation::removePerUserFiles() const
{
    if (!perUserFilesAreInstalled())
        removeFiles({mimePackagePath(), desktopEntryPath()});
}

bool ListFileAssociation::associate()
{
    removeOldFiles(m_folders.dataHome);
    if (installedDataFolder().isEmpty()) {
        if (!writeUtf8(mimePackagePath(), mimePackageText()) ||
            !writeUtf8(desktopEntryPath(), desktopEntryText(m_executablePath)))
            return false;
    } else {
        removePerUserFiles(); // a copy written before the install would hide the installed entry
    }

    // Another program's default for list files is replaced.
    MimeAppsList list(mimeAppsPath());
    list.setEntries(kDefaultSection, mimeType(), {desktopEntryName()});
    return list.save();
}

void ListFileAssociation::dissociate()
{
    removeOldFiles(m_folders.dataHome);
    removePerUserFiles();

    const QString path = mimeAppsPath();
    if (!QFileInfo::exists(path))
        return;
    MimeAppsList list(path);
    const bool hasDefault = !list.entries(kDefaultSection, mimeType()).isEmpty();
    QStringList added = list.entries(kAddedSection, mimeType());
    const bool hadAdded =
        (added.removeAll(desktopEntryName()) + added.removeAll(QString(kOldDesktopEntryName))) > 0;
    if (!hasDefault && !hadAdded)
        return; // leave a file that names no list-file handler untouched
    // The default for list files goes, whoever it named.
    list.setEntries(kDefaultSection, mimeType(), {});
    list.setEntries(kAddedSection, mimeType(), added);
    list.save();
}

void ListFileAssociation::refresh() const
{
    if (!m_refreshDatabases)
        return;
    // Optional helpers of the desktop; without them the files alone still take effect later.
    const QString mimeTool = QStandardPaths::findExecutable(u"update-mime-database"_s);
    if (!mimeTool.isEmpty() && QFileInfo::exists(m_folders.dataHome + u"/mime"_s))
        QProcess::startDetached(mimeTool, {m_folders.dataHome + u"/mime"_s});
    const QString desktopTool = QStandardPaths::findExecutable(u"update-desktop-database"_s);
    if (!desktopTool.isEmpty() && QFileInfo::exists(m_folders.dataHome + u"/applications"_s))
        QProcess::startDetached(desktopTool, {m_folders.dataHome + u"/applications"_s});
}

} // namespace tw
