// The CSV layout: any bytes after the caption line give an outcome; rows read save as CSV and
// read back the same.
#include "core/list_writers.h"
#include "core/log_reader.h"
#include "fuzz_support.h"

#include <QTemporaryDir>

using namespace tw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ensureApp();
    // The first byte picks the caption line, the rest follows it.
    const bool legacy = size > 0 && (data[0] & 1);
    const QByteArray header = legacy ? legacyCsvHeaderLine() : csvHeaderLine();
    const QByteArray body = size > 0 ? fuzz::bytesOf(data + 1, size - 1) : QByteArray();
    ReadResult result = parseLogBytes(header + "\r\n" + body);
    TW_FUZZ_CHECK(result.status == ReadStatus::Ok || result.status == ReadStatus::ReadError);
    if (result.status != ReadStatus::Ok || result.batch.isEmpty())
        return 0;

    LogList list;
    list.append(std::move(result.batch));
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rows.csv"));
    TW_FUZZ_CHECK(saveCsvFile(path, list));
    ReadResult back = readLogFile(path);
    TW_FUZZ_CHECK(back.status == ReadStatus::Ok);
    TW_FUZZ_CHECK(back.batch.size() == list.rowCount());
    for (qsizetype i = 0; i < list.rowCount(); ++i)
        for (int c = 0; c < kColumnCount; ++c)
            TW_FUZZ_CHECK(back.batch.row(i).field(c) == list.field(i, c));
    return 0;
}
