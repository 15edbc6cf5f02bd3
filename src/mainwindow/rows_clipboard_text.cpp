#include "mainwindow/rows_clipboard_text.h"

namespace tw {

QString rowsClipboardText(const LogList& list, const QList<qsizetype>& rows)
{
    QByteArray utf8;
    std::array<QByteArray, kColumnCount> labels;
    for (int k = 0; k < kColumnCount; ++k)
        labels[std::size_t(k)] = (columnCaption(k) + u':').toUtf8();
    for (qsizetype r : rows) {
        for (int k = 0; k < kColumnCount; ++k) {
            utf8 += labels[std::size_t(k)];
            utf8 += list.field(r, k);
            utf8 += "\r\n";
        }
    }
    return QString::fromUtf8(utf8);
}

} // namespace tw
