#include "core/log_repair.h"

#include "core/atomic_write.h"
#include "core/cp932.h"
#include "core/log_reader.h"
#include "core/path_parts.h"
#include "core/regular_file.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <cstdint>
#include <new>
#include <vector>

using namespace Qt::StringLiterals;

namespace tw {
namespace {

const QByteArray& label(int k)
{
    static const std::array<QByteArray, 5> labels = {
        cp932::encode(u"ブラウザ:"), cp932::encode(u"ホスト:"), cp932::encode(u"IP:"),
        cp932::encode(u"日付時間:"), cp932::encode(u"前回頁:")};
    return labels.at(std::size_t(k));
}

// Lines end at CR LF, at a lone CR or at the end of the data; a bare LF stays inside its line.
// A final line end does not start another line.
std::vector<QByteArrayView> splitLines(QByteArrayView bytes, std::size_t maxLines = SIZE_MAX)
{
    std::vector<QByteArrayView> lines;
    qsizetype p = 0;
    while (p < bytes.size() && lines.size() < maxLines) {
        qsizetype cr = bytes.indexOf('\r', p);
        if (cr < 0)
            cr = bytes.size();
        lines.push_back(bytes.sliced(p, cr - p));
        p = cr + 1;
        if (p < bytes.size() && bytes[p] == '\n')
            ++p;
    }
    return lines;
}

QByteArray convertLineEnds(QByteArrayView bytes, bool* converted)
{
    *converted = false;
    const std::vector<QByteArrayView> lines = splitLines(bytes);
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 16 + 2);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QByteArrayView line = lines[i];
        if (line.contains('\n')) {
            *converted = true;
            for (char c : line) {
                if (c == '\n')
                    out.append('\r');
                out.append(c);
            }
            if (i + 1 < lines.size())
                out.append("\r\n");
        } else {
            out.append(line).append("\r\n");
        }
    }
    out.append("\r\n");
    return out;
}

std::function<void()>& afterRepairRead()
{
    static std::function<void()> hook;
    return hook;
}

// A file a repair or conversion works from: open until the work is done, so that what it was
// can be compared with what is at its path later.
struct SourceFile {
    RegularFile file;
    QByteArray bytes;

    int read(const QString& path)
    {
        switch (file.open(path)) {
        case RegularFile::Status::Open:
            return file.readFrom(0, &bytes) ? 0 : kErrPathFileAccess;
        case RegularFile::Status::Missing:
            return kErrFileNotFound;
        case RegularFile::Status::NotRegular:
            return kErrNotRegularFile;
        case RegularFile::Status::Directory:
        case RegularFile::Status::Error:
            break;
        }
        return kErrPathFileAccess;
    }

    // The same file with the same size and time as when it was read, still at path.
    bool unchangedAt(const QString& path) const
    {
        const struct stat& then = file.info();
        struct stat now {};
        return ::stat(QFile::encodeName(path).constData(), &now) == 0 &&
               now.st_dev == then.st_dev && now.st_ino == then.st_ino &&
               now.st_size == then.st_size && now.st_mtim.tv_sec == then.st_mtim.tv_sec &&
               now.st_mtim.tv_nsec == then.st_mtim.tv_nsec && bytes.size() == then.st_size;
    }

    // Side files beside the log (backup, converted copy) are no more readable than the log and
    // stay replaceable by their owner; a link at their name can only have been planted.
    AtomicFileOptions sideFileOptions() const
    {
        return {false, (file.info().st_mode & 0666) | S_IWUSR};
    }
};

int replaceFile(const QString& path, QByteArrayView bytes, AtomicFileOptions options,
                const std::function<bool()>& ready = {})
{
    AtomicFile file(path, options);
    if (file.open() && file.write(bytes) && file.commit(ready))
        return 0;
    return file.notReady() ? kErrLogChanged : kErrPathFileAccess;
}

qsizetype charLength(QByteArrayView line, qsizetype pos)
{
    if (uchar(line[pos]) < 0x80)
        return 1;
    return cp932::skipChars(line.sliced(pos), 1);
}

// First occurrence of needle that starts a character (not inside a double-byte character).
qsizetype findAligned(QByteArrayView line, QByteArrayView needle)
{
    qsizetype boundary = 0;
    for (qsizetype i = line.indexOf(needle); i >= 0; i = line.indexOf(needle, i + 1)) {
        while (boundary < i)
            boundary += charLength(line, boundary);
        if (boundary == i)
            return i;
    }
    return -1;
}

// Start of the character that ends just before pos (pos > 0 and a character start).
qsizetype charBefore(QByteArrayView line, qsizetype pos)
{
    qsizetype previous = 0;
    for (qsizetype p = 0; p < pos; p += charLength(line, p))
        previous = p;
    return previous;
}

// Rebuilds a line that lost its browser label from the labels it still has. A value runs up to
// the character before the next label, taken to be the TAB. Returns 0 or the error code.
int rebuildDamagedLine(QByteArrayView line, QByteArray* out)
{
    out->clear();
    for (int k = 0; k < 5; ++k) {
        if (k)
            out->append('\t');
        out->append(label(k));
        const qsizetype at = findAligned(line, label(k));
        if (at < 0) {
            if (k < 4)
                out->append("bad data");
            else
                out->append("[bad datas]").append(line);
            continue;
        }
        const qsizetype valueStart = at + label(k).size();
        if (k == 4) {
            out->append(line.sliced(valueStart));
            continue;
        }
        const qsizetype next = findAligned(line, label(k + 1));
        if (next <= valueStart)
            return kErrInvalidArgument; // the next label is missing or comes too early
        const qsizetype valueEnd = charBefore(line, next);
        out->append(line.sliced(valueStart, valueEnd - valueStart));
    }
    return 0;
}

// The same folder, the file name with prefix before it.
QString withNamePrefix(const QString& path, const QString& prefix)
{
    return getPathPart(path, PathPart::FolderPath) + prefix +
           getPathPart(path, PathPart::LastComponent);
}

struct ErrorText {
    int code;
    QStringView english;
    QStringView japanese; // what the window shows
};

constexpr ErrorText kErrorTexts[] = {
    {kErrInvalidArgument, u"invalid procedure call or argument",
     u"プロシージャの呼び出し、または引数が不正です。"},
    {kErrOverflow, u"overflow", u"オーバーフローしました。"},
    {kErrFileNotFound, u"file not found", u"ファイルが見つかりません。"},
    {kErrReadPastEnd, u"input past end of file", u"ファイルにこれ以上データがありません。"},
    {kErrPathFileAccess, u"path/file access error", u"パス名が無効です。"},
    {kErrOutOfMemory, u"out of memory", u"メモリが不足しています。"},
    {kErrLogChanged, u"the log changed while it was being repaired; it was not repaired",
     u"ログファイルが修正中に変更されました。修正は行われませんでした。"},
    {kErrNotRegularFile, u"not a regular file",
     u"指定されたファイルは通常のファイルではありません。"},
};

const ErrorText* errorText(int code)
{
    for (const ErrorText& text : kErrorTexts) {
        if (text.code == code)
            return &text;
    }
    return nullptr;
}

} // namespace

bool convertLfToCrLf(const QString& source, const QString& target, int* errorCode)
{
    int code = 0;
    bool converted = false;
    try {
        SourceFile in;
        code = in.read(source);
        if (!code)
            code = replaceFile(target, convertLineEnds(in.bytes, &converted), in.sideFileOptions());
    } catch (const std::bad_alloc&) {
        code = kErrOutOfMemory;
    }
    if (errorCode)
        *errorCode = code;
    return !code && converted;
}

namespace {

int repair(const QString& path)
{
    SourceFile log;
    if (const int code = log.read(path))
        return code;
    if (const auto& hook = afterRepairRead())
        hook();
    const QByteArray& original = log.bytes;

    // A bare LF in the first two lines means a file from a server with Unix line ends.
    bool needsConversion = false;
    for (QByteArrayView line : splitLines(original, 2))
        needsConversion = needsConversion || line.contains('\n');

    // The converted text stays in memory; no copy of the log is written anywhere else.
    QByteArray converted;
    if (needsConversion) {
        bool any = false;
        converted = convertLineEnds(original, &any);
        if (!any)
            return RepairConvertFailed;
    }
    const QByteArray& work = needsConversion ? converted : original;

    std::vector<QByteArrayView> lines = splitLines(work);
    if (lines.empty())
        return kErrReadPastEnd;
    const bool hasHeader = lines.front() == QByteArrayView(kListHeaderLine);
    if (hasHeader)
        lines.erase(lines.begin());

    std::vector<bool> damaged(lines.size(), false);
    bool hasRecord = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        if (findAligned(lines[i], label(0)) >= 0)
            hasRecord = true;
        else
            damaged[i] = true;
    }
    if (!hasRecord)
        return hasHeader ? RepairEmptyLog : RepairNotLogFile;

    QByteArray out;
    out.reserve(work.size() + 64);
    out.append(kListHeaderLine).append("\r\n");
    QByteArray rebuilt;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (damaged[i]) {
            if (const int code = rebuildDamagedLine(lines[i], &rebuilt))
                return code;
            out.append(rebuilt);
        } else {
            out.append(lines[i]);
        }
        out.append("\r\n");
    }

    // A server may still be writing the log: what it added meanwhile would be lost with the old
    // file, so a log that changed is left alone. Checked before the backup and once more just
    // before the repaired log takes its place.
    const auto unchanged = [&] { return log.unchangedAt(path); };
    if (!unchanged())
        return kErrLogChanged;
    if (const int code = replaceFile(repairBackupPath(path), original, log.sideFileOptions()))
        return code;
    // The log itself is replaced where it lies, also when path is a link to it.
    if (const int code = replaceFile(path, out, {true, log.file.info().st_mode & 07777}, unchanged))
        return code;
    return RepairDone;
}

} // namespace

int repairLogFile(const QString& path)
{
    try {
        return repair(path);
    } catch (const std::bad_alloc&) {
        return kErrOutOfMemory;
    }
}

namespace detail {

void setAfterRepairRead(std::function<void()> hook)
{
    afterRepairRead() = std::move(hook);
}

} // namespace detail

QString repairBackupPath(const QString& path)
{
    return withNamePrefix(path, u"ｵﾘｼﾞﾅﾙ～"_s);
}

QString convertedCopyPath(const QString& source)
{
    return withNamePrefix(source, u"crlf_"_s);
}

QString repairResultName(int code)
{
    switch (code) {
    case RepairDone:
        return u"RepairDone"_s;
    case RepairNotLogFile:
        return u"RepairNotLogFile"_s;
    case RepairEmptyLog:
        return u"RepairEmptyLog"_s;
    case RepairConvertFailed:
        return u"RepairConvertFailed"_s;
    }
    return {};
}

QString errorDescriptionEnglish(int code)
{
    if (const ErrorText* text = errorText(code))
        return text->english.toString();
    return u"unexpected error"_s;
}

QString errorDescriptionJapanese(int code)
{
    if (const ErrorText* text = errorText(code))
        return text->japanese.toString();
    return u"エラー %1"_s.arg(code);
}

} // namespace tw
