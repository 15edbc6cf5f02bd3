#pragma once

#include "core/list_font.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tw {

enum class MessageIcon { Information, Warning, Question };
enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// One file dialog, configured as a command needs it.
struct FileDialogRequest {
    QString title;
    // Pairs of description and pattern joined by "|": "Text (*.txt)|*.txt|All (*.*)|*.*".
    QString filter;
    int filterIndex = 1;      // 1-based pair number preselected
    QString defaultExtension; // without the dot; a leading dot is ignored
    QString initialFolder;    // empty keeps the dialog's own folder
    QString initialName;      // a name or a full path; empty for none
    bool mustExist = false;
    bool confirmOverwrite = false;
};

// Everything the program asks of the user or shows in a modal box. Tests answer it in advance.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    virtual MessageAnswer message(const QString& caption, const QString& text, MessageIcon icon,
                                  MessageButtons buttons = MessageButtons::Ok,
                                  MessageAnswer defaultAnswer = MessageAnswer::Ok) = 0;
    virtual void beep() = 0;

    // The chosen path, or empty when the user cancelled.
    virtual QString openFileName(const FileDialogRequest& request) = 0;
    // Existing files, as many as the user chose, in the order chosen; empty when cancelled.
    virtual QStringList openFileNames(const FileDialogRequest& request) = 0;
    virtual QString saveFileName(const FileDialogRequest& request) = 0;

    // The chosen font and colour, or nothing when the user cancelled.
    virtual std::optional<ListFont> chooseFont(const ListFont& initial) = 0;
    // The chosen folder, or empty when the user cancelled.
    virtual QString chooseFolder(const QString& title, const QString& initialFolder) = 0;
    // A line of text the user typed, or nothing when the user cancelled.
    virtual std::optional<QString> askText(const QString& caption, const QString& label,
                                           const QString& initial) = 0;

    // Shorthands for the two common boxes.
    void error(const QString& text)
    {
        message(QStringLiteral("エラー"), text, MessageIcon::Warning);
    }
    void information(const QString& text)
    {
        message(QStringLiteral("情報"), text, MessageIcon::Information);
    }
};

// Splits a "desc|pattern|desc|pattern" filter into its pairs; a trailing odd entry is dropped.
struct FilterPair {
    QString description;
    QString pattern;
};
QList<FilterPair> splitFilterPairs(const QString& filter);

} // namespace tw
