// Any bytes read as a log give an outcome; rows that were read save as a list file and read back
// the same.
#include "core/list_writers.h"
#include "core/log_reader.h"
#include "fuzz_support.h"

#include <QTemporaryDir>

using namespace tw;

namespace {

QList<std::array<QByteArray, kColumnCount>> rowsOf(const auto& rows)
{
    QList<std::array<QByteArray, kColumnCount>> out;
    for (qsizetype i = 0; i < rows.rowCount(); ++i) {
        std::array<QByteArray, kColumnCount> r;
        for (int c = 0; c < kColumnCount; ++c) {
            // A list file cannot hold TAB, CR or LF inside a value: they are written as blanks.
            QByteArray f = rows.field(i, c).toByteArray();
            f.replace('\t', ' ').replace('\r', ' ').replace('\n', ' ');
            r[std::size_t(c)] = f;
        }
        out.append(r);
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ensureApp();
    ReadResult result = parseLogBytes(fuzz::bytesOf(data, size));
    TW_FUZZ_CHECK(result.status == ReadStatus::Ok || result.status == ReadStatus::UnknownLayout ||
                  result.status == ReadStatus::ReadError);
    if (result.status != ReadStatus::Ok || result.batch.isEmpty())
        return 0;

    LogList list;
    list.append(std::move(result.batch));
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rows.twv"));
    TW_FUZZ_CHECK(saveListFile(path, list));
    ReadResult back = readLogFile(path);
    TW_FUZZ_CHECK(back.status == ReadStatus::Ok);
    LogList again;
    again.append(std::move(back.batch));
    TW_FUZZ_CHECK(rowsOf(again) == rowsOf(list));
    return 0;
}
