#include "core/log_repair.h"

#include "core/atomic_write.h"
#include "core/cp932.h"
#include "core/log_reader.h"
#include "core/path_parts.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <cstdint>
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

int readWholeFile(const QString& path, QByteArray* bytes)
{
    const QFileInfo info(path);
    if (!info.exists())
        return kErrFileNotFound;
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly))
        return kErrPathFileAccess;
    *bytes = file.readAll();
    return file.error() == QFileDevice::NoError ? 0 : kErrPathFileAccess;
}

int writeWholeFile(const QString& path, QByteArrayView bytes)
{
    return writeFileAtomically(path, bytes) ? 0 : kErrPathFileAccess;
}

QString pathIn(const QString& folder, const QString& name)
{
    if (folder.isEmpty() || folder.endsWith(u'/'))
        return folder + name;
    return folder + u'/' + name;
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

bool samePath(const QString& a, const QString& b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
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
    QByteArray bytes;
    int code = readWholeFile(source, &bytes);
    bool converted = false;
    if (!code)
        code = writeWholeFile(target, convertLineEnds(bytes, &converted));
    if (errorCode)
        *errorCode = code;
    return !code && converted;
}

int repairLogFile(const QString& path, const QString& tempFolder)
{
    QByteArray original;
    if (const int code = readWholeFile(path, &original))
        return code;

    // A bare LF in the first two lines means a file from a server with Unix line ends.
    bool needsConversion = false;
    for (QByteArrayView line : splitLines(original, 2))
        needsConversion = needsConversion || line.contains('\n');

    QByteArray work = original;
    if (needsConversion) {
        bool converted = false;
        work = convertLineEnds(original, &converted);
        if (!converted)
            return RepairConvertFailed;
        // The copy is left in the temporary folder; never let it replace the file itself.
        const QString copy = pathIn(tempFolder, getPathPart(path, PathPart::LastComponent));
        if (!samePath(copy, path)) {
            if (const int code = writeWholeFile(copy, work))
                return code;
        }
    }

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

    const QString backup = repairBackupPath(path);
    if (const int code = writeWholeFile(backup, original))
        return code;
    // Logs can be private: the backup is no more readable than the log (but stays replaceable).
    QFile::setPermissions(backup, QFileInfo(path).permissions() | QFileDevice::WriteOwner);
    if (const int code = writeWholeFile(path, out))
        return code;
    return RepairDone;
}

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
