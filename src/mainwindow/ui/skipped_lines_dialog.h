#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;

namespace tw {

class ReadNotes;

// What the files of the open list left out, read-only: how many lines each skipped, the first
// of them, and compressed files that ended early.
class SkippedLinesDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SkippedLinesDialog)

public:
    explicit SkippedLinesDialog(QWidget* parent = nullptr);

    void setNotes(const ReadNotes& notes);
    QString summary() const;
    QString details() const;

private:
    QLabel* m_summary = nullptr;
    QPlainTextEdit* m_details = nullptr;
};

} // namespace tw
