#include "ui/qt_user_prompts.h"

#include "ui/list_font_dialog.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace tw {
namespace {

struct AnswerButton {
    MessageAnswer answer;
    QMessageBox::StandardButton button;
};

constexpr AnswerButton kAnswerButtons[] = {
    {MessageAnswer::Ok, QMessageBox::Ok},
    {MessageAnswer::Cancel, QMessageBox::Cancel},
    {MessageAnswer::Yes, QMessageBox::Yes},
    {MessageAnswer::No, QMessageBox::No},
};

QMessageBox::StandardButton standardButton(MessageAnswer a)
{
    for (const AnswerButton& pair : kAnswerButtons) {
        if (pair.answer == a)
            return pair.button;
    }
    return QMessageBox::Ok;
}

// Any other way out of the box counts as OK.
MessageAnswer answerOf(int button)
{
    for (const AnswerButton& pair : kAnswerButtons) {
        if (pair.button == button)
            return pair.answer;
    }
    return MessageAnswer::Ok;
}

// QFileDialog adds its default suffix to every typed name without one, and already while the
// name is typed. Opening takes a typed name that exists as it is (logs often have no
// extension) and adds the suffix only when the name alone names nothing.
class FileDialog final : public QFileDialog {
public:
    FileDialog(QWidget* parent, const QString& title, const QString& suffix, bool save)
        : QFileDialog(parent, title), m_suffix(suffix)
    {
        setAcceptMode(save ? AcceptSave : AcceptOpen);
        if (save)
            setDefaultSuffix(suffix);
    }

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (acceptMode() == AcceptOpen && !m_suffix.isEmpty() && files.size() == 1) {
            const QFileInfo typed(files.first());
            const QString withSuffix = typed.filePath() + u'.' + m_suffix;
            if (!typed.exists() && !typed.fileName().contains(u'.') &&
                QFileInfo::exists(withSuffix))
                selectFile(withSuffix);
        }
        QFileDialog::accept();
    }

private:
    QString m_suffix;
};

} // namespace

QStringList qtNameFilters(const QString& filter)
{
    QStringList filters;
    for (const FilterPair& pair : splitFilterPairs(filter)) {
        QStringList patterns = pair.pattern.split(u';', Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
            if (p == u"*.*")
                p = QStringLiteral("*");
        }
        filters.append(pair.description + QStringLiteral(" (") + patterns.join(u' ') + u')');
    }
    return filters;
}

MessageAnswer QtUserPrompts::message(const QString& caption, const QString& text, MessageIcon icon,
                                     MessageButtons buttons, MessageAnswer defaultAnswer)
{
    QMessageBox box(parentWindow());
    box.setWindowTitle(caption);
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box.setText(shown);
    box.setTextFormat(Qt::PlainText);
    switch (icon) {
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    switch (buttons) {
    case MessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        break;
    case MessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        break;
    }
    box.setDefaultButton(standardButton(defaultAnswer));
    return answerOf(box.exec());
}

QWidget* QtUserPrompts::parentWindow() const
{
    return m_parent ? m_parent.data() : QApplication::activeWindow();
}

void QtUserPrompts::beep()
{
    QApplication::beep();
}

QString QtUserPrompts::openFileName(const FileDialogRequest& request)
{
    return fileNames(request, Choice::Open).value(0);
}

QStringList QtUserPrompts::openFileNames(const FileDialogRequest& request)
{
    return fileNames(request, Choice::OpenMany);
}

QString QtUserPrompts::saveFileName(const FileDialogRequest& request)
{
    return fileNames(request, Choice::Save).value(0);
}

QStringList QtUserPrompts::fileNames(const FileDialogRequest& request, Choice choice)
{
    QString suffix = request.defaultExtension;
    if (suffix.startsWith(u'.'))
        suffix.remove(0, 1);
    const bool save = choice == Choice::Save;
    FileDialog dialog(parentWindow(), request.title, suffix, save);
    if (choice == Choice::OpenMany)
        dialog.setFileMode(QFileDialog::ExistingFiles);
    else
        dialog.setFileMode(save || !request.mustExist ? QFileDialog::AnyFile
                                                      : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (!request.confirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = qtNameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(request.filterIndex - 1));

    if (!request.initialFolder.isEmpty())
        dialog.setDirectory(request.initialFolder);
    else if (!m_lastFolder.isEmpty())
        dialog.setDirectory(m_lastFolder);
    if (!request.initialName.isEmpty()) {
        const QFileInfo name(request.initialName);
        // A remembered full path opens in its own folder, as the name it names.
        if (name.isAbsolute())
            dialog.setDirectory(name.absolutePath());
        dialog.selectFile(name.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QStringList chosen = dialog.selectedFiles();
    m_lastFolder = QFileInfo(chosen.constFirst()).absolutePath();
    return chosen;
}

std::optional<ListFont> QtUserPrompts::chooseFont(const ListFont& initial)
{
    ListFontDialog dialog(initial, parentWindow());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosen();
}

QString QtUserPrompts::chooseFolder(const QString& title, const QString& initialFolder)
{
    return QFileDialog::getExistingDirectory(parentWindow(), title, initialFolder);
}

std::optional<QString> QtUserPrompts::askText(const QString& caption, const QString& label,
                                              const QString& initial)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(parentWindow(), caption, label, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

} // namespace tw
