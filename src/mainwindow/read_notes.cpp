#include "mainwindow/read_notes.h"

#include "core/log_reader.h"

#include <algorithm>

namespace tw {
namespace {

const QString kCutShortText = QStringLiteral("圧縮ファイルが途中で終わっています");

// Lines come from the internet: control characters are shown as their pictures, so none can
// move the text about, and very long lines are cut.
QString shownLine(const QString& line)
{
    constexpr qsizetype kMaxShown = 2000;
    QString shown = line.left(kMaxShown);
    for (QChar& c : shown) {
        if (c.unicode() < 0x20)
            c = QChar(char16_t(0x2400 + c.unicode()));
        else if (c.unicode() == 0x7F)
            c = QChar(char16_t(0x2421));
    }
    if (line.size() > kMaxShown)
        shown += u'…';
    return shown;
}

QString skippedText(qint64 lines)
{
    return QStringLiteral("読めない行 ") + QString::number(lines);
}

} // namespace

void ReadNotes::add(const QString& path, const ReadResult& read)
{
    if (read.skippedLines <= 0 && !read.cutShort)
        return;
    m_files.append(
        {path, std::max<qint64>(read.skippedLines, 0), read.firstSkipped, read.cutShort});
}

qint64 ReadNotes::skippedLines() const
{
    qint64 total = 0;
    for (const File& file : m_files)
        total += file.skippedLines;
    return total;
}

QString ReadNotes::summary() const
{
    QStringList parts;
    if (const qint64 lines = skippedLines(); lines > 0)
        parts.append(skippedText(lines));
    for (const File& file : m_files) {
        if (file.cutShort) {
            parts.append(kCutShortText);
            break;
        }
    }
    return parts.join(u'、');
}

QString ReadNotes::details() const
{
    QStringList blocks;
    for (const File& file : m_files) {
        QStringList lines{file.path};
        if (file.cutShort)
            lines.append(kCutShortText);
        if (file.skippedLines > 0) {
            QString heading = skippedText(file.skippedLines);
            if (!file.firstSkipped.isEmpty() && file.firstSkipped.size() < file.skippedLines)
                heading += QStringLiteral(" (最初の %1 行)").arg(file.firstSkipped.size());
            lines.append(file.firstSkipped.isEmpty() ? heading : heading + u':');
            for (const QString& line : file.firstSkipped)
                lines.append(shownLine(line));
        }
        blocks.append(lines.join(u'\n'));
    }
    return blocks.join(QStringLiteral("\n\n"));
}

} // namespace tw
