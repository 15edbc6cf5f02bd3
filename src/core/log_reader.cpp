#include "core/log_reader.h"

#include "core/cp932.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace tw {

const char* const kListHeaderLine = "#Tallyweaver_Header";

namespace {

// Characters of each field label ("ブラウザ:" … "前回頁:"), removed by count, not by text.
constexpr std::array<qsizetype, kColumnCount> kLabelChars = {5, 4, 3, 5, 4};

QByteArray quotedCsvLine(std::initializer_list<const char*> captions)
{
    QByteArray line;
    for (const char* c : captions) {
        if (!line.isEmpty())
            line += ',';
        line += '"' + cp932::encode(QString::fromUtf8(c)) + '"';
    }
    return line;
}

// A record line of the list layout: five or more TAB-separated labelled fields.
void parseRecordLine(const char* begin, const char* end, LogBatch& batch)
{
    std::array<const char*, kColumnCount + 1> cuts{};
    cuts[0] = begin;
    int found = 0;
    for (const char* p = begin; found < kColumnCount && p < end;) {
        const char* tab = static_cast<const char*>(std::memchr(p, '\t', std::size_t(end - p)));
        if (!tab)
            break;
        cuts[std::size_t(++found)] = tab + 1;
        p = tab + 1;
    }
    if (found < kColumnCount - 1)
        return;
    // The fifth field runs to the next TAB (further fields are ignored) or to the line end.
    const char* fifthEnd = end;
    if (found == kColumnCount)
        fifthEnd = cuts[kColumnCount] - 1;

    std::size_t total = 0;
    std::array<QByteArrayView, kColumnCount> raw;
    for (int k = 0; k < kColumnCount; ++k) {
        const char* b = cuts[std::size_t(k)];
        const char* e = k + 1 < kColumnCount ? cuts[std::size_t(k + 1)] - 1 : fifthEnd;
        QByteArrayView field(b, e - b);
        field = field.sliced(cp932::skipChars(field, kLabelChars[std::size_t(k)]));
        raw[std::size_t(k)] = field;
        total += std::size_t(field.size());
    }
    char* out = batch.arena().reserve(total * 4);
    LogRow row;
    row.text = out;
    char* w = out;
    for (int k = 0; k < kColumnCount; ++k) {
        const auto& f = raw[std::size_t(k)];
        w = cp932::decodeToUtf8(f.data(), f.data() + f.size(), w);
        row.ends[std::size_t(k)] = quint32(w - out);
    }
    batch.arena().commit(std::size_t(w - out));
    batch.addParsedRow(row);
}

// Everything after the header: lines end at CR, LF or CR LF; empty lines are skipped.
void parseListBody(const char* p, const char* end, LogBatch& batch)
{
    while (p < end) {
        const char* lineEnd = p;
        while (lineEnd < end && *lineEnd != '\r' && *lineEnd != '\n')
            ++lineEnd;
        if (lineEnd > p)
            parseRecordLine(p, lineEnd, batch);
        p = lineEnd + 1;
    }
}

bool isCsvSpace(char c)
{
    return c == ' ';
}

// Comma-separated fields where a line end counts as a comma, as classic BASIC input reads them.
// A quoted field runs to its closing quote (a doubled quote inside stands for one quote).
bool parseCsvBody(const char* p, const char* end, LogBatch& batch, QString& detail)
{
    std::array<QByteArray, kColumnCount> fields;
    int k = 0;
    auto atLineEnd = [](char c) { return c == '\r' || c == '\n'; };
    while (true) {
        if (k == 0) {
            // Blank lines before a record are not fields of it (leading line ends are skipped
            // like leading spaces); after the last record they end the file.
            while (p < end && (atLineEnd(*p) || isCsvSpace(*p)))
                ++p;
            if (p >= end)
                return true;
        }
        if (p >= end) {
            detail = QStringLiteral("the file ends inside a record");
            return false;
        }
        while (p < end && isCsvSpace(*p))
            ++p;
        QByteArray value;
        if (p < end && *p == '"') {
            ++p;
            while (true) {
                const char* q = static_cast<const char*>(std::memchr(p, '"', std::size_t(end - p)));
                if (!q) {
                    // A quote never closed swallows the rest of the file: a cut-off file.
                    detail = QStringLiteral("the file ends inside a quoted field");
                    return false;
                }
                value.append(p, q - p);
                p = q + 1;
                if (p < end && *p == '"') {
                    value.append('"');
                    ++p;
                    continue;
                }
                break;
            }
            // Anything between the closing quote and the separator is dropped.
            while (p < end && *p != ',' && !atLineEnd(*p))
                ++p;
        } else {
            const char* b = p;
            while (p < end && *p != ',' && !atLineEnd(*p))
                ++p;
            const char* e = p;
            while (e > b && isCsvSpace(e[-1]))
                --e;
            value = QByteArray(b, e - b);
        }
        if (p < end) {
            if (*p == '\r' && p + 1 < end && p[1] == '\n')
                ++p;
            ++p;
        }
        fields[std::size_t(k)] = cp932::decodeToUtf8(value);
        if (++k == kColumnCount) {
            std::array<QByteArrayView, kColumnCount> views;
            for (int i = 0; i < kColumnCount; ++i)
                views[std::size_t(i)] = fields[std::size_t(i)];
            batch.addRow(views);
            k = 0;
        }
    }
}

} // namespace

QByteArray csvHeaderLine()
{
    return quotedCsvLine({"ブラウザ", "ホスト", "IP", "日付時間", "前回頁"});
}

QByteArray legacyCsvHeaderLine()
{
    return quotedCsvLine(
        {"ブラウザ情報", "ホスト情報", "IP情報", "日付時間の情報", "前回頁の情報"});
}

ReadResult parseLogBytes(QByteArrayView bytes)
{
    ReadResult result;
    result.fileSize = bytes.size();
    if (bytes.isEmpty()) {
        result.status = ReadStatus::ReadError;
        result.detail = QStringLiteral("the file is empty");
        return result;
    }
    // The first line ends at CR only: a file with bare LF line ends is one long first line.
    const char* begin = bytes.data();
    const char* end = begin + bytes.size();
    const char* cr = static_cast<const char*>(std::memchr(begin, '\r', std::size_t(bytes.size())));
    const char* firstEnd = cr ? cr : end;
    const QByteArrayView first(begin, firstEnd - begin);
    const char* body = cr ? cr + 1 : end;
    if (body < end && *body == '\n' && cr)
        ++body;

    static const QByteArray csv = csvHeaderLine();
    static const QByteArray legacyCsv = legacyCsvHeaderLine();
    if (first == QByteArrayView(csv) || first == QByteArrayView(legacyCsv)) {
        if (!parseCsvBody(body, end, result.batch, result.detail)) {
            result.status = ReadStatus::ReadError;
            result.batch = LogBatch();
        }
        return result;
    }
    if (first == QByteArrayView(kListHeaderLine)) {
        // Rough guess of the row count keeps the row vector from growing step by step.
        result.batch.reserveRows(bytes.size() / 200);
        parseListBody(body, end, result.batch);
        return result;
    }
    result.status = ReadStatus::UnknownLayout;
    result.detail = QStringLiteral("not a Tallyweaver list, CSV or log file");
    return result;
}

ReadResult readLogFile(const QString& path)
{
    ReadResult result;
    QFileInfo info(path);
    if (!info.exists() || info.isDir()) {
        result.status = ReadStatus::NotFound;
        result.detail = QStringLiteral("not found");
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = ReadStatus::ReadError;
        result.detail = QStringLiteral("read error: ") + file.errorString();
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.status = ReadStatus::ReadError;
        result.detail = QStringLiteral("read error: ") + file.errorString();
        return result;
    }
    file.close();
    return parseLogBytes(bytes);
}

} // namespace tw
