#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>

class QTemporaryDir;

namespace tw {

// The local files among dropped URLs, in their order; links to web pages are not files.
QStringList droppedFilePaths(const QList<QUrl>& urls);

// Dropped files: the first is opened in this window, the rest go to one new instance.
struct DroppedFiles {
    QString open;
    QStringList forNewInstance;
};
DroppedFiles splitDroppedFiles(const QStringList& paths);

// A row's previous page may leave the list as an internet shortcut only when it mentions
// "http" and is a web address that could be launched.
bool isDraggableRowAddress(const QString& page);

// The shortcut file's two lines in CP932. A line break inside the page (only possible after
// reading CSV) is written as a blank, so the file keeps exactly its two lines.
QByteArray internetShortcutBytes(const QString& page);

// The host part of the page + ".url". A host that cannot name a file (empty, "." or "..", or
// longer than a file name may be) gives a fixed fallback name.
QString shortcutFileName(const QString& page);
QString fallbackShortcutFileName();

// Writes the shortcut file as a new file: whatever stands at path (an earlier shortcut, or a
// link) is removed first and never written through; false when it cannot be written.
bool writeInternetShortcut(const QString& path, const QString& page);

// The folder of the shortcut files of dragged rows: made on first use inside the temporary
// folder, open to this user alone, removed with everything in it when the object goes. The
// drop target shows a shortcut by its file name, so the file is named after the host alone.
class ShortcutFolder {
public:
    ShortcutFolder();
    ~ShortcutFolder();
    Q_DISABLE_COPY_MOVE(ShortcutFolder)

    // Writes "<host>.url" for the page and returns its path; empty when it cannot be written.
    QString write(const QString& tempFolder, const QString& page);
    // Empty until a shortcut has been written.
    QString path() const;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

} // namespace tw
