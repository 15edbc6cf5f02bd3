#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

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

// Writes (creates or overwrites) the shortcut file; false when it cannot be written.
bool writeInternetShortcut(const QString& path, const QString& page);

} // namespace tw
