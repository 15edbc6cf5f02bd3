#include "support/scripted_prompts.h"

namespace tw::test {

MessageAnswer ScriptedPrompts::message(const QString& caption, const QString& text,
                                       MessageIcon icon, MessageButtons buttons,
                                       MessageAnswer defaultAnswer)
{
    boxes.append({caption, text, icon, buttons, defaultAnswer});
    return answers.isEmpty() ? defaultAnswer : answers.dequeue();
}

QString ScriptedPrompts::openFileName(const FileDialogRequest& request)
{
    dialogs.append({false, request});
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}

QStringList ScriptedPrompts::openFileNames(const FileDialogRequest& request)
{
    dialogs.append({false, request, true});
    if (!fileLists.isEmpty())
        return fileLists.dequeue();
    const QString name = fileNames.isEmpty() ? QString() : fileNames.dequeue();
    return name.isEmpty() ? QStringList() : QStringList{name};
}

QString ScriptedPrompts::saveFileName(const FileDialogRequest& request)
{
    dialogs.append({true, request});
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}

std::optional<ListFont> ScriptedPrompts::chooseFont(const ListFont&)
{
    ++fontDialogs;
    return fonts.isEmpty() ? std::nullopt : fonts.dequeue();
}

QString ScriptedPrompts::chooseFolder(const QString& title, const QString&)
{
    folderTitles.append(title);
    return folders.isEmpty() ? QString() : folders.dequeue();
}

std::optional<QString> ScriptedPrompts::askText(const QString&, const QString& label,
                                                const QString&)
{
    textLabels.append(label);
    return texts.isEmpty() ? std::nullopt : texts.dequeue();
}

void ScriptedPrompts::reset()
{
    texts.clear();
    answers.clear();
    fileNames.clear();
    fileLists.clear();
    fonts.clear();
    folders.clear();
    boxes.clear();
    dialogs.clear();
    folderTitles.clear();
    beeps = 0;
    fontDialogs = 0;
}

} // namespace tw::test
