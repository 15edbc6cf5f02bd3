#pragma once

#include "core/platform.h"

#include <QDir>
#include <QList>

namespace tw::test {

// Records what would have been handed to the desktop; the clipboard is a plain string.
class RecordingPlatform final : public Platform {
public:
    struct Launch {
        QString program; // empty for a new instance of this program
        QStringList arguments;
    };

    bool openUrl(const QString& url) override;
    bool openDocument(const QString& path) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
    bool startNewInstance(const QStringList& arguments) override;
    void setClipboardText(const QString& text) override { clipboard = text; }
    QString clipboardText() const override { return clipboard; }
    QString tempFolder() const override { return temp.isEmpty() ? QDir::tempPath() : temp; }
    QString executableFolder() const override { return exeFolder; }

    QStringList urls;
    QStringList documents;
    QList<Launch> launches;
    QString clipboard;
    QString temp;
    QString exeFolder;
    bool succeed = true; // what the launch functions report
};

} // namespace tw::test
