#include "core/log_reader.h"

#include "core/cp932.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

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
        const char* cr = static_cast<const char*>(std::memchr(p, '\r', std::size_t(end - p)));
        const char* lineEnd = cr ? cr : end;
        // Records separated by bare LF arrive as one CR-terminated line: split it into pieces.
        for (const char* q = p; q < lineEnd;) {
            const char* lf =
                static_cast<const char*>(std::memchr(q, '\n', std::size_t(lineEnd - q)));
            const char* pieceEnd = lf ? lf : lineEnd;
            if (pieceEnd > q)
                parseRecordLine(q, pieceEnd, batch);
            q = pieceEnd + 1;
        }
        p = lineEnd + 1;
    }
}

detail::ReaderSplit g_split{qint64(8) << 20, qint64(16) << 20, 0};

QString readErrorText(const QFile& file)
{
    return QStringLiteral("read error: ") + file.errorString();
}

// Reads [begin, end) of the file in chunks, parsing complete lines as they arrive, so memory
// holds one chunk of the file rather than all of it.
bool parseFileRange(const QString& path, qint64 begin, qint64 end, LogBatch& batch, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(begin)) {
        error = readErrorText(file);
        return false;
    }
    QByteArray buffer;
    qint64 carry = 0;
    for (qint64 pos = begin; pos < end;) {
        const qint64 want = std::min(g_split.chunkBytes, end - pos);
        if (buffer.size() < carry + want)
            buffer.resize(carry + want);
        const qint64 got = file.read(buffer.data() + carry, want);
        if (got <= 0) {
            error = got < 0 ? readErrorText(file) : QStringLiteral("read error: file shrank");
            return false;
        }
        pos += got;
        const char* data = buffer.constData();
        const char* stop = data + carry + got;
        // The carried part holds no line end, so only the new bytes need searching.
        const char* complete = stop;
        if (pos < end) {
            while (complete > data + carry && complete[-1] != '\r' && complete[-1] != '\n')
                --complete;
            if (complete == data + carry)
                complete = data;
        }
        parseListBody(data, complete, batch);
        carry = stop - complete;
        std::memmove(buffer.data(), complete, std::size_t(carry));
    }
    return true;
}

// The offset just after the first line end at or after from (end when there is none).
qint64 nextLineStart(QFile& file, qint64 from, qint64 end)
{
    constexpr qint64 kWindow = 64 * 1024;
    QByteArray window(kWindow, Qt::Uninitialized);
    for (qint64 pos = from; pos < end;) {
        if (!file.seek(pos))
            return end;
        const qint64 got = file.read(window.data(), std::min(kWindow, end - pos));
        if (got <= 0)
            return end;
        for (qint64 i = 0; i < got; ++i) {
            if (window[i] == '\r' || window[i] == '\n')
                return pos + i + 1;
        }
        pos += got;
    }
    return end;
}

// Parses the list body on several cores; each range starts at a line start, so the rows come
// out in file order when the batches are joined.
bool parseListFile(const QString& path, qint64 bodyStart, qint64 size, LogBatch& batch,
                   QString& error)
{
    const qint64 body = size - bodyStart;
    const int threads = int(std::clamp<qint64>(
        body / g_split.minRangeBytes, 1,
        g_split.maxRanges > 0 ? g_split.maxRanges : std::max(1, QThread::idealThreadCount())));
    std::vector<qint64> cuts{bodyStart};
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            error = readErrorText(file);
            return false;
        }
        for (int t = 1; t < threads; ++t)
            cuts.push_back(
                std::max(cuts.back(), nextLineStart(file, bodyStart + body * t / threads, size)));
    }
    cuts.push_back(size);

    const std::size_t n = cuts.size() - 1;
    std::vector<LogBatch> parts(n);
    std::vector<QString> errors(n);
    std::vector<char> ok(n, 0);
    auto work = [&](std::size_t i) {
        parts[i].reserveRows((cuts[i + 1] - cuts[i]) / 200);
        ok[i] = parseFileRange(path, cuts[i], cuts[i + 1], parts[i], errors[i]);
    };
    std::vector<std::thread> pool;
    for (std::size_t i = 1; i < n; ++i)
        pool.emplace_back(work, i);
    work(0);
    for (auto& t : pool)
        t.join();
    for (std::size_t i = 0; i < n; ++i) {
        if (!ok[i]) {
            error = errors[i];
            return false;
        }
    }
    batch = std::move(parts[0]);
    for (std::size_t i = 1; i < n; ++i)
        batch.append(std::move(parts[i]));
    return true;
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

namespace detail {
ReaderSplit readerSplit()
{
    return g_split;
}
void setReaderSplit(const ReaderSplit& split)
{
    g_split = split;
}
} // namespace detail

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
        result.detail = readErrorText(file);
        return result;
    }
    const qint64 size = file.size();
    result.fileSize = size;
    // No header is longer than this, so a longer first line decides the layout by itself.
    constexpr qint64 kHeadBytes = 4096;
    const QByteArray head = file.read(kHeadBytes);
    if (file.error() != QFileDevice::NoError) {
        result.status = ReadStatus::ReadError;
        result.detail = readErrorText(file);
        return result;
    }
    const qsizetype cr = head.indexOf('\r');
    if (head.size() == size)
        return parseLogBytes(head);
    if (cr < 0) {
        result.status = ReadStatus::UnknownLayout;
        result.detail = QStringLiteral("not a Tallyweaver list, CSV or log file");
        return result;
    }
    if (QByteArrayView(head).first(cr) != QByteArrayView(kListHeaderLine)) {
        // CSV files and unknown layouts: read whole (CSV records may span lines).
        QByteArray bytes = head + file.readAll();
        if (file.error() != QFileDevice::NoError) {
            result.status = ReadStatus::ReadError;
            result.detail = readErrorText(file);
            return result;
        }
        return parseLogBytes(bytes);
    }
    file.close();
    const qint64 bodyStart = cr + 1;
    if (!parseListFile(path, bodyStart, size, result.batch, result.detail)) {
        result.status = ReadStatus::ReadError;
        result.batch = LogBatch();
    }
    return result;
}

} // namespace tw
