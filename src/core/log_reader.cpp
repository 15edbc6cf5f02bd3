#include "core/log_reader.h"

#include "core/cp932.h"
#include "core/list_body_parser.h"
#include "core/regular_file.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace tw {

const char* const kListHeaderLine = "#Tallyweaver_Header";

namespace {

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

// Decodes every field of a record into a row of the batch.
struct BatchSink {
    LogBatch* batch;

    void operator()(const detail::ListRecord& record)
    {
        std::size_t total = 0;
        std::array<QByteArrayView, kColumnCount> raw;
        for (int k = 0; k < kColumnCount; ++k) {
            raw[std::size_t(k)] = record.value(k);
            total += std::size_t(raw[std::size_t(k)].size());
        }
        // No CP932 byte takes more than four bytes of UTF-8.
        RowWriter row(*batch, kColumnCount, total * 4);
        char* w = row.cursor();
        for (int k = 0; k < kColumnCount; ++k) {
            const auto& f = raw[std::size_t(k)];
            w = cp932::decodeToUtf8(f.data(), f.data() + f.size(), w);
            row.endField(w);
        }
        row.finish();
    }
};

void parseListBody(const char* p, const char* end, LogBatch& batch)
{
    BatchSink sink{&batch};
    detail::parseListBody(p, end, sink);
}

// Parses the list body on several cores; each range starts at a line start, so the rows come
// out in file order when the batches are joined.
bool parseListFile(const RegularFile& file, qint64 bodyStart, qint64 size, LogBatch& batch,
                   QString& error, std::atomic<qint64>* bytesRead)
{
    const std::vector<qint64> cuts = detail::listBodyRanges(file, bodyStart, size);
    const std::size_t n = cuts.size() - 1;
    std::vector<LogBatch> parts(n);
    std::vector<BatchSink> sinks;
    for (std::size_t i = 0; i < n; ++i) {
        parts[i].reserveRows((cuts[i + 1] - cuts[i]) / 200);
        sinks.push_back({&parts[i]});
    }
    if (!detail::parseListRanges(file, cuts, sinks, error, bytesRead))
        return false;
    batch = std::move(parts[0]);
    for (std::size_t i = 1; i < n; ++i)
        batch.append(std::move(parts[i]));
    return true;
}

// The first line ends at CR only: a file with bare LF line ends is one long first line.
struct FirstLine {
    QByteArrayView line;
    const char* body; // after the CR and an LF that follows it
};

FirstLine firstLineOf(QByteArrayView bytes)
{
    const char* begin = bytes.data();
    const char* end = begin + bytes.size();
    const char* cr = static_cast<const char*>(std::memchr(begin, '\r', std::size_t(bytes.size())));
    const char* firstEnd = cr ? cr : end;
    const char* body = cr ? cr + 1 : end;
    if (body < end && *body == '\n' && cr)
        ++body;
    return {QByteArrayView(begin, firstEnd - begin), body};
}

bool isCsvSpace(char c)
{
    return c == ' ';
}

// Comma-separated fields where a line end counts as a comma, as classic BASIC input reads them.
// A quoted field runs to its closing quote (a doubled quote inside stands for one quote, unless
// a separator follows it).
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
                    // Our writer doubles a quote inside a value; the classic writer leaves it
                    // alone, so its value that ends in a quote closes with two. Two quotes and a
                    // separator are read as that end (ours puts a third quote before it).
                    if (p == end || *p == ',' || atLineEnd(*p))
                        break;
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

bool isCsvHeader(QByteArrayView line)
{
    static const QByteArray csv = csvHeaderLine();
    static const QByteArray legacyCsv = legacyCsvHeaderLine();
    return line == QByteArrayView(csv) || line == QByteArrayView(legacyCsv);
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
    const FirstLine first = firstLineOf(bytes);
    const char* end = bytes.data() + bytes.size();
    if (isCsvHeader(first.line)) {
        if (!parseCsvBody(first.body, end, result.batch, result.detail)) {
            result.status = ReadStatus::ReadError;
            result.batch = LogBatch();
        }
        return result;
    }
    if (first.line == QByteArrayView(kListHeaderLine)) {
        // Rough guess of the row count keeps the row vector from growing step by step.
        result.batch.reserveRows(bytes.size() / 200);
        parseListBody(first.body, end, result.batch);
        return result;
    }
    result.status = ReadStatus::UnknownLayout;
    result.detail = QStringLiteral("not a Tallyweaver list, CSV or log file");
    return result;
}

std::optional<LogLayout> logLayoutNamed(QStringView name)
{
    static constexpr std::pair<QStringView, LogLayout> names[] = {
        {u"auto", LogLayout::Auto},
        {u"twv", LogLayout::List},
        {u"csv", LogLayout::Csv},
        {u"common", LogLayout::Common},
        {u"combined", LogLayout::Combined},
        {u"vcombined", LogLayout::VirtualHostCombined},
        {u"w3c", LogLayout::W3C}};
    for (const auto& [text, layout] : names) {
        if (name == text)
            return layout;
    }
    return std::nullopt;
}

ReadResult readLogFile(const QString& path, std::atomic<qint64>* bytesRead, LogLayout layout)
{
    Q_UNUSED(layout);
    detail::LogSource source = detail::openLogSource(path);
    if (bytesRead)
        *bytesRead = source.status == ReadStatus::Ok && source.bodyStart >= 0 ? source.bodyStart
                                                                              : source.fileSize;
    if (source.status == ReadStatus::Ok && source.bodyStart < 0)
        return parseLogBytes(source.bytes);
    ReadResult result;
    result.status = source.status;
    result.detail = source.detail;
    result.fileSize = source.fileSize;
    if (source.status != ReadStatus::Ok)
        return result;
    if (!parseListFile(*source.file, source.bodyStart, source.fileSize, result.batch, result.detail,
                       bytesRead)) {
        result.status = ReadStatus::ReadError;
        result.batch = LogBatch();
    }
    return result;
}

namespace detail {

LogSource openLogSource(const QString& path)
{
    LogSource source;
    auto file = std::make_shared<RegularFile>();
    switch (file->open(path)) {
    case RegularFile::Status::Open:
        break;
    case RegularFile::Status::Missing:
    case RegularFile::Status::Directory:
        source.status = ReadStatus::NotFound;
        source.detail = QStringLiteral("not found");
        return source;
    case RegularFile::Status::NotRegular:
    case RegularFile::Status::Error:
        source.status = ReadStatus::ReadError;
        source.detail = QStringLiteral("read error: ") + file->errorText();
        return source;
    }
    const auto failed = [&source](const QString& reason) {
        source.bytes.clear();
        source.status = ReadStatus::ReadError;
        source.detail = QStringLiteral("read error: ") + reason;
        return source;
    };
    const qint64 size = file->size();
    source.fileSize = size;
    // No header is longer than this: the first line decides the layout, and a file whose first
    // line is no header is not read any further.
    constexpr qint64 kHeadBytes = 4096;
    source.bytes.resize(kHeadBytes);
    QString reason;
    const qint64 got = file->readAt(0, source.bytes.data(), kHeadBytes, &reason);
    if (got < 0)
        return failed(reason);
    source.bytes.resize(got);
    if (got < kHeadBytes || got == size)
        return source;
    const qsizetype cr = source.bytes.indexOf('\r');
    const QByteArrayView first = QByteArrayView(source.bytes).first(std::max<qsizetype>(cr, 0));
    if (cr >= 0 && first == QByteArrayView(kListHeaderLine)) {
        source.bytes.clear();
        source.bodyStart = cr + 1;
        source.file = std::move(file);
        return source;
    }
    if (cr < 0 || !isCsvHeader(first)) {
        source.bytes.clear();
        source.status = ReadStatus::UnknownLayout;
        source.detail = QStringLiteral("not a Tallyweaver list, CSV or log file");
        return source;
    }
    // CSV records may span lines: the file is read whole.
    QByteArray rest;
    if (!file->readFrom(got, &rest, &reason))
        return failed(reason);
    source.bytes += rest;
    return source;
}

std::optional<QByteArrayView> listBodyOf(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return std::nullopt;
    const FirstLine first = firstLineOf(bytes);
    if (first.line != QByteArrayView(kListHeaderLine))
        return std::nullopt;
    return QByteArrayView(first.body, bytes.data() + bytes.size());
}

} // namespace detail

} // namespace tw
