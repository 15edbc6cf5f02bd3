#include "mainwindow/drag_drop.h"

#include "core/cp932.h"
#include "core/url_open.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace tw {
namespace {

// Most file systems allow 255 bytes per name; the extension needs four of them.
constexpr qsizetype kMaxHostBytes = 250;

} // namespace

QStringList droppedFilePaths(const QList<QUrl>& urls)
{
    QStringList paths;
    for (const QUrl& url : urls) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths.append(url.toLocalFile());
    }
    return paths;
}

DroppedFiles splitDroppedFiles(const QStringList& paths)
{
    if (paths.isEmpty())
        return {};
    return {paths.first(), paths.mid(1)};
}

bool isDraggableRowAddress(const QString& page)
{
    return page.contains("http"_L1) && isLaunchableRowAddress(page) &&
           !page.startsWith("mailto:"_L1, Qt::CaseInsensitive);
}

QByteArray internetShortcutBytes(const QString& page)
{
    QString url = page;
    url.replace(u'\r', u' ').replace(u'\n', u' ');
    QByteArray bytes = "[InternetShortcut]\r\nURL=";
    bytes += cp932::encode(url);
    bytes += "\r\n";
    return bytes;
}

QString fallbackShortcutFileName()
{
    return u"shortcut.url"_s;
}

QString shortcutFileName(const QString& page)
{
    QString host = urlHostName(page);
    // Control characters and the path separator have no place in a file name.
    for (QChar& c : host) {
        if (c.unicode() < 0x20 || c == u'/' || c == u'\\' || c.unicode() == 0x7f)
            c = u'_';
    }
    if (host.isEmpty() || host == "."_L1 || host == ".."_L1 || host.toUtf8().size() > kMaxHostBytes)
        return fallbackShortcutFileName();
    return host + ".url"_L1;
}

bool writeInternetShortcut(const QString& path, const QString& page)
{
    // Removing a link removes the link itself; creating exclusively never follows one.
    QFile::remove(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    const QByteArray bytes = internetShortcutBytes(page);
    if (file.write(bytes) == bytes.size() && file.flush())
        return true;
    file.remove();
    return false;
}

ShortcutFolder::ShortcutFolder() = default;
ShortcutFolder::~ShortcutFolder() = default;

QString ShortcutFolder::write(const QString& tempFolder, const QString& page)
{
    // Made anew when the temporary folder has changed or someone has removed it.
    const bool usable =
        m_dir && QDir(tempFolder).absolutePath() == QFileInfo(m_dir->path()).absolutePath() &&
        QFileInfo(m_dir->path()).isDir();
    if (!usable) {
        auto dir = std::make_unique<QTemporaryDir>(
            QDir(tempFolder).filePath(QStringLiteral("tallyweaver-XXXXXX")));
        if (!dir->isValid())
            return {};
        m_dir = std::move(dir);
    }
    const QString path = QDir(m_dir->path()).filePath(shortcutFileName(page));
    return writeInternetShortcut(path, page) ? path : QString();
}

QString ShortcutFolder::path() const
{
    return m_dir ? m_dir->path() : QString();
}

} // namespace tw
