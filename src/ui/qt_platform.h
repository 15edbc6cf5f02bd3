#pragma once

#include "core/platform.h"

namespace tw {

// The desktop through Qt: QDesktopServices, QProcess::startDetached, the clipboard.
class QtPlatform final : public Platform {
public:
    bool openUrl(const QString& url) override;
    bool openDocument(const QString& path) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
    bool startNewInstance(const QStringList& arguments) override;
    void setClipboardText(const QString& text) override;
    QString clipboardText() const override;
    QString tempFolder() const override;
    QString executableFolder() const override;
};

} // namespace tw
