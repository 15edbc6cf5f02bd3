#pragma once

#include <QString>

#include <functional>

namespace tw {

enum RepairResult : int {
    RepairDone = 0,          // the file was rewritten; a backup of it exists
    RepairNotLogFile = 1,    // no header line and no record; nothing written
    RepairEmptyLog = 2,      // a header line but no record; nothing written
    RepairConvertFailed = 3, // the line-end conversion found nothing to convert; nothing written
};

// Runtime error codes a repair can also return.
constexpr int kErrInvalidArgument = 5, kErrOverflow = 6, kErrOutOfMemory = 7, kErrFileNotFound = 53,
              kErrReadPastEnd = 62, kErrPathFileAccess = 75;
// Our own: the log changed while it was being repaired (a server still writing it), so it was
// left as it was; the path names a pipe, a device or another file that is not a regular file.
constexpr int kErrLogChanged = 1001, kErrNotRegularFile = 1002;

// Rewrites a damaged log in place as a list file: bare LF line ends become CR LF, a missing
// header is added, and lines without the browser label are rebuilt from the labelled fields
// they still hold. The file as it was is kept beside it first (repairBackupPath). Returns a
// RepairResult or an error code, never throws; on error the file is unchanged.
int repairLogFile(const QString& path);

// Copies source to target turning bare LF line ends into CR LF; the copy always ends with one
// more CR LF. True when a bare LF was converted. *errorCode is 0, or the error code when
// reading the source or writing the target failed (then the result is false). The copy is
// never written through a link, and is no more readable than the source.
bool convertLfToCrLf(const QString& source, const QString& target, int* errorCode = nullptr);

QString repairBackupPath(const QString& path);    // folder + "ｵﾘｼﾞﾅﾙ～" + file name
QString convertedCopyPath(const QString& source); // folder + "crlf_" + file name

QString repairResultName(int code); // "RepairDone", ...; empty for error codes
QString errorDescriptionEnglish(int code);
QString errorDescriptionJapanese(int code); // what the window shows for an error code

namespace detail {
// Runs between reading the log and writing anything, for tests that change the log meanwhile.
void setAfterRepairRead(std::function<void()> hook);
} // namespace detail

} // namespace tw
