#pragma once

#include "core/user_prompts.h"

#include <QPointer>
#include <QWidget>

namespace tw {

// Boxes and dialogs through Qt widgets, modal to the given parent window.
class QtUserPrompts final : public UserPrompts {
public:
    explicit QtUserPrompts(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParentWidget(QWidget* parent) { m_parent = parent; }

    MessageAnswer message(const QString& caption, const QString& text, MessageIcon icon,
                          MessageButtons buttons, MessageAnswer defaultAnswer) override;
    void beep() override;
    QString openFileName(const FileDialogRequest& request) override;
    QStringList openFileNames(const FileDialogRequest& request) override;
    QString saveFileName(const FileDialogRequest& request) override;
    std::optional<ListFont> chooseFont(const ListFont& initial) override;
    QString chooseFolder(const QString& title, const QString& initialFolder) override;
    std::optional<QString> askText(const QString& caption, const QString& label,
                                   const QString& initial) override;

private:
    QWidget* parentWindow() const;
    enum class Choice { Open, OpenMany, Save };
    QStringList fileNames(const FileDialogRequest& request, Choice choice);

    QPointer<QWidget> m_parent;
    QString m_lastFolder; // the dialog's own folder when a command names none
};

// Qt name filters for "desc|pattern|..." pairs; Windows' "*.*" means every file.
QStringList qtNameFilters(const QString& filter);

} // namespace tw
