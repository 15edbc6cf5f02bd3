#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tw {

struct ReadResult;

// What the files read into the open list left out: lines that were no log lines and compressed
// data that ended early, per file, for the status bar and the skipped-lines dialog.
class ReadNotes {
public:
    struct File {
        QString path;
        qint64 skippedLines = 0;
        QStringList firstSkipped;
        bool cutShort = false;
    };

    // Keeps what the read of path left out, if anything.
    void add(const QString& path, const ReadResult& read);
    void clear() { m_files.clear(); }
    bool isEmpty() const { return m_files.isEmpty(); }
    const QList<File>& files() const { return m_files; }
    qint64 skippedLines() const;

    // The status bar's words for them all: "読めない行 12", "圧縮ファイルが途中で終わっています"
    // or both; empty when nothing was left out.
    QString summary() const;
    // Each file with its count and the first lines it skipped, for the dialog.
    QString details() const;

private:
    QList<File> m_files;
};

} // namespace tw
