#pragma once

#include "core/log_reader.h"

#include <QHash>
#include <QList>
#include <QStringList>

#include <atomic>

namespace tw::test {

// A batch as a web-server log gives it: the five columns of each row, then its texts of the
// fields past them, in field order up to the last field of `fields` (texts a row lacks are
// empty).
LogBatch webBatch(FieldSet fields, const QList<QStringList>& rows);

// What a made-up web-server log reads as.
struct WebLog {
    FieldSet fields = kColumnFields;
    QList<QStringList> rows;
    qint64 skippedLines = 0;
    QStringList firstSkipped;
    bool cutShort = false;
};

// A file reader for the window's opener: the paths it knows read as their made-up logs, every
// other path is read from the disk.
struct WebLogReader {
    QHash<QString, WebLog> logs;
    ReadResult operator()(const QString& path, std::atomic<qint64>* bytesRead) const;
};

// The fields past the five, one bit each.
constexpr FieldSet kWebFields =
    (1u << ColRequest) | (1u << ColStatus) | (1u << ColBytes) | (1u << ColVirtualHost);

} // namespace tw::test
