#pragma once

#include <QString>
#include <QStringList>

namespace tw {

// What the program asks of the desktop and the operating system.
class Platform {
public:
    virtual ~Platform() = default;

    // Hands a URL (http, https, mailto, file) to the desktop's handler; false when refused.
    virtual bool openUrl(const QString& url) = 0;
    // Opens a local file with the desktop's application for it.
    virtual bool openDocument(const QString& path) = 0;
    // Starts a program with its arguments, detached and without a shell.
    virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;
    // Starts another instance of this program, working in its own folder.
    virtual bool startNewInstance(const QStringList& arguments) = 0;

    virtual void setClipboardText(const QString& text) = 0;
    virtual QString clipboardText() const = 0;

    virtual QString tempFolder() const = 0;
    virtual QString executableFolder() const = 0;
};

} // namespace tw
