#pragma once

#include "core/user_prompts.h"

#include <QList>
#include <QQueue>
#include <QStringList>

namespace tw::test {

// Records every box and dialog and answers from queues filled by the test beforehand.
class ScriptedPrompts final : public UserPrompts {
public:
    struct Box {
        QString caption;
        QString text;
        MessageIcon icon;
        MessageButtons buttons;
        MessageAnswer defaultAnswer;
    };
    struct Dialog {
        bool save;
        FileDialogRequest request;
        bool many = false; // a dialog that takes several files
    };

    MessageAnswer message(const QString& caption, const QString& text, MessageIcon icon,
                          MessageButtons buttons, MessageAnswer defaultAnswer) override;
    void beep() override { ++beeps; }
    QString openFileName(const FileDialogRequest& request) override;
    QStringList openFileNames(const FileDialogRequest& request) override;
    QString saveFileName(const FileDialogRequest& request) override;
    std::optional<ListFont> chooseFont(const ListFont& initial) override;
    QString chooseFolder(const QString& title, const QString& initialFolder) override;
    std::optional<QString> askText(const QString& caption, const QString& label,
                                   const QString& initial) override;

    // Answers: an empty queue answers with the box's default.
    QQueue<MessageAnswer> answers;
    // File names for the next dialogs: an empty queue, or an empty entry, cancels.
    QQueue<QString> fileNames;
    // Answers of the dialogs that take several files; while empty they answer from fileNames.
    QQueue<QStringList> fileLists;
    QQueue<std::optional<ListFont>> fonts;
    QQueue<QString> folders;
    // Typed texts; an empty queue, or nothing, cancels.
    QQueue<std::optional<QString>> texts;

    QList<Box> boxes;
    QList<Dialog> dialogs;
    QStringList folderTitles;
    QStringList textLabels;
    int beeps = 0;
    int fontDialogs = 0;

    void reset();
};

} // namespace tw::test
