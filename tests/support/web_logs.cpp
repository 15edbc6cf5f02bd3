#include "support/web_logs.h"

#include <QByteArrayList>

#include <bit>
#include <vector>

namespace tw::test {

LogBatch webBatch(FieldSet fields, const QList<QStringList>& rows)
{
    LogBatch batch;
    batch.setFields(fields);
    const int count = std::max<int>(kColumnCount, std::bit_width(unsigned(batch.fields())));
    for (const QStringList& row : rows) {
        QByteArrayList texts;
        for (int k = 0; k < count; ++k)
            texts.append(row.value(k).toUtf8());
        const std::vector<QByteArrayView> views(texts.begin(), texts.end());
        batch.addRow(views.data(), int(views.size()));
    }
    return batch;
}

ReadResult WebLogReader::operator()(const QString& path, std::atomic<qint64>* bytesRead) const
{
    const auto log = logs.constFind(path);
    if (log == logs.cend())
        return readLogFile(path, bytesRead);
    ReadResult read;
    read.batch = webBatch(log->fields, log->rows);
    read.fileSize = 1000;
    read.skippedLines = log->skippedLines;
    read.firstSkipped = log->firstSkipped;
    read.cutShort = log->cutShort;
    return read;
}

} // namespace tw::test
