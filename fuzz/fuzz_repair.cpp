// Any file contents through repair: a known result, the file unchanged unless repaired, and the
// reader copes with whatever repair wrote.
#include "core/log_reader.h"
#include "core/log_repair.h"
#include "fuzz_support.h"

#include <QFile>
#include <QTemporaryDir>

using namespace tw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ensureApp();
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("access_log"));
    QFile::remove(repairBackupPath(path));
    QFile::remove(convertedCopyPath(path));

    const QByteArray in = fuzz::bytesOf(data, size);
    {
        QFile f(path);
        TW_FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        TW_FUZZ_CHECK(f.write(in) == in.size());
    }
    const int code = repairLogFile(path);
    TW_FUZZ_CHECK(code == RepairDone || code == RepairNotLogFile || code == RepairEmptyLog ||
                  code == RepairConvertFailed || !errorDescriptionEnglish(code).isEmpty());

    QFile f(path);
    TW_FUZZ_CHECK(f.open(QIODevice::ReadOnly));
    const QByteArray out = f.readAll();
    if (code == RepairDone) {
        QFile backup(repairBackupPath(path));
        TW_FUZZ_CHECK(backup.open(QIODevice::ReadOnly));
        TW_FUZZ_CHECK(backup.readAll() == in);
        const ReadResult read = readLogFile(path);
        TW_FUZZ_CHECK(read.status == ReadStatus::Ok || read.status == ReadStatus::ReadError ||
                      read.status == ReadStatus::UnknownLayout);
    } else {
        TW_FUZZ_CHECK(out == in);
    }
    return 0;
}
