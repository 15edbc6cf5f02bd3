#include "mainwindow/ui/skipped_lines_dialog.h"

#include "mainwindow/read_notes.h"
#include "ui/icons.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw {

SkippedLinesDialog::SkippedLinesDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSkippedLines"));
    setWindowTitle(QStringLiteral("読み飛ばした行"));
    setWindowIcon(applicationIcon());

    m_summary = new QLabel(this);
    m_summary->setTextFormat(Qt::PlainText);
    m_details = new QPlainTextEdit(this);
    m_details->setReadOnly(true);
    m_details->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_details->setTabChangesFocus(true);
    const QFontMetrics metrics(m_details->font());
    m_details->setMinimumSize(metrics.averageCharWidth() * 80, metrics.lineSpacing() * 16);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close =
        buttons->addButton(QStringLiteral("閉じる(&C)"), QDialogButtonBox::RejectRole);
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_details, 1);
    layout->addWidget(buttons);
    close->setFocus();
}

void SkippedLinesDialog::setNotes(const ReadNotes& notes)
{
    m_summary->setText(notes.summary());
    m_details->setPlainText(notes.details());
}

QString SkippedLinesDialog::summary() const
{
    return m_summary->text();
}

QString SkippedLinesDialog::details() const
{
    return m_details->toPlainText();
}

} // namespace tw
