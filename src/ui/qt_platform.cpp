#include "ui/qt_platform.h"

#include "core/cp932.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QUrl>

namespace tw {

bool QtPlatform::openUrl(const QString& url)
{
    const QUrl u(url, QUrl::TolerantMode);
    return u.isValid() && QDesktopServices::openUrl(u);
}

bool QtPlatform::openDocument(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool QtPlatform::startProgram(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}

bool QtPlatform::startNewInstance(const QStringList& arguments)
{
    return QProcess::startDetached(QCoreApplication::applicationFilePath(), arguments,
                                   QCoreApplication::applicationDirPath());
}

void QtPlatform::setClipboardText(const QString& text)
{
    // Other programs get the characters; the CP932 code a row was read with stays ours.
    QGuiApplication::clipboard()->setText(cp932::withoutCodeMarks(text));
}

QString QtPlatform::clipboardText() const
{
    return QGuiApplication::clipboard()->text();
}

QString QtPlatform::tempFolder() const
{
    return QDir::tempPath();
}

QString QtPlatform::executableFolder() const
{
    return QCoreApplication::applicationDirPath();
}

} // namespace tw
