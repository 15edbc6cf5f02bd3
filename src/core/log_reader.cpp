#include "core/log_reader.h"

#include "core/cp932.h"
#include "core/list_body_parser.h"
#include "core/log_byte_stream.h"
#include "core/regular_file.h"
#include "core/web_log_reader.h"

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

std::optional<weblog::Format> webFormatOf(LogLayout layout)
{
    switch (layout) {
    case LogLayout::Common:
        return weblog::Format::Common;
    case LogLayout::Combined:
        return weblog::Format::Combined;
    case LogLayout::VirtualHostCombined:
        return weblog::Format::VirtualHostCombined;
    case LogLayout::W3C:
        return weblog::Format::W3C;
    case LogLayout::Auto:
    case LogLayout::List:
    case LogLayout::Csv:
        break;
    }
    return std::nullopt;
}

LogLayout layoutOf(weblog::Format format)
{
    switch (format) {
    case weblog::Format::Common:
        return LogLayout::Common;
    case weblog::Format::Combined:
        return LogLayout::Combined;
    case weblog::Format::VirtualHostCombined:
        return LogLayout::VirtualHostCombined;
    case weblog::Format::W3C:
        break;
    }
    return LogLayout::W3C;
}

// What the first bytes of a file say it is: Auto when they are nothing we read (or nothing).
struct Layout {
    LogLayout layout = LogLayout::Auto;
    qsizetype bodyStart = 0; // list and CSV: after the header line, when there is one
};

// head is the whole content or its first bytes.
Layout decideLayout(QByteArrayView head, bool whole, LogLayout asked)
{
    if (head.isEmpty())
        return {};
    const FirstLine first = firstLineOf(head);
    const qsizetype afterHeader = first.body - head.data();
    // A first line that goes on past the first bytes is no header.
    const bool complete = whole || afterHeader > first.line.size();
    const bool listHeader = complete && first.line == QByteArrayView(kListHeaderLine);
    const bool csvHeader = complete && isCsvHeader(first.line);
    switch (asked) {
    case LogLayout::Auto:
        if (csvHeader)
            return {LogLayout::Csv, afterHeader};
        if (listHeader)
            return {LogLayout::List, afterHeader};
        if (const std::optional<weblog::Format> web = weblog::detectFormat(head))
            return {layoutOf(*web), 0};
        return {};
    // Told what it is, a file without the header is all body.
    case LogLayout::List:
        return {LogLayout::List, listHeader ? afterHeader : 0};
    case LogLayout::Csv:
        return {LogLayout::Csv, csvHeader ? afterHeader : 0};
    default:
        return {asked, 0};
    }
}

// A web log of which no line parses is no log at all.
void noRowsIsNoLog(ReadResult& result)
{
    if (result.status == ReadStatus::Ok && result.batch.isEmpty() && result.skippedLines > 0) {
        result.status = ReadStatus::UnknownLayout;
        result.detail = QStringLiteral("not a Tallyweaver list, CSV or log file");
    }
}

// Reads content held whole, in the layout found for it.
void parseWhole(QByteArrayView bytes, const Layout& found, ReadResult& result)
{
    if (bytes.isEmpty()) {
        result.status = ReadStatus::ReadError;
        result.detail = QStringLiteral("the file is empty");
        return;
    }
    const char* body = bytes.data() + found.bodyStart;
    const char* end = bytes.data() + bytes.size();
    switch (found.layout) {
    case LogLayout::Auto:
        result.status = ReadStatus::UnknownLayout;
        result.detail = QStringLiteral("not a Tallyweaver list, CSV or log file");
        return;
    case LogLayout::Csv:
        if (!parseCsvBody(body, end, result.batch, result.detail)) {
            result.status = ReadStatus::ReadError;
            result.batch = LogBatch();
        }
        return;
    case LogLayout::List:
        // Rough guess of the row count keeps the row vector from growing step by step.
        result.batch.reserveRows(bytes.size() / 200);
        parseListBody(body, end, result.batch);
        return;
    default:
        detail::readWebLogBytes(bytes, *webFormatOf(found.layout), result);
        noRowsIsNoLog(result);
        return;
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

ReadResult parseLogBytes(QByteArrayView bytes, LogLayout layout)
{
    ReadResult result;
    result.fileSize = bytes.size();
    const Layout found = decideLayout(bytes, true, layout);
    result.layout = found.layout;
    parseWhole(bytes, found, result);
    return result;
}

bool isWebServerLayout(LogLayout layout)
{
    return webFormatOf(layout).has_value();
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
    detail::LogSource source = detail::openLogSource(path, layout);
    ReadResult result;
    result.status = source.status;
    result.detail = source.detail;
    result.fileSize = source.fileSize;
    result.layout = source.layout;
    if (bytesRead)
        *bytesRead =
            source.status == ReadStatus::Ok && source.bodyStart >= 0 ? source.bodyStart : 0;
    if (source.status != ReadStatus::Ok)
        return result;
    const std::optional<weblog::Format> web = webFormatOf(source.layout);
    bool read = true;
    if (source.bodyStart >= 0) {
        read = parseListFile(*source.file, source.bodyStart, source.fileSize, result.batch,
                             result.detail, bytesRead);
    } else if (web && source.stream) {
        read = detail::readWebLogStream(*source.stream, std::move(source.bytes), *web, result,
                                        bytesRead);
    } else if (web && source.file) {
        read = detail::readWebLogFile(*source.file, *web, result, bytesRead);
    } else {
        if (bytesRead)
            *bytesRead = source.fileSize;
        const Layout found = decideLayout(source.bytes, true, source.layout);
        parseWhole(source.bytes, found, result);
        result.cutShort = source.cutShort;
        return result;
    }
    if (!read) {
        result.status = ReadStatus::ReadError;
        result.batch = LogBatch();
    } else if (web) {
        noRowsIsNoLog(result);
    }
    return result;
}

namespace detail {

LogSource openLogSource(const QString& path, LogLayout layout)
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
    source.fileSize = file->size();
    std::shared_ptr<LogByteStream> stream = LogByteStream::open(*file);

    // The layout is told from the first bytes, and a file whose first bytes are no log is not
    // read any further. Web logs are told by their first lines, which these hold.
    constexpr qint64 kHeadBytes = 16384;
    source.bytes.resize(kHeadBytes);
    const qint64 got = stream->read(source.bytes.data(), kHeadBytes);
    if (got < 0)
        return failed(stream->errorText());
    source.bytes.resize(got);
    const bool whole = got < kHeadBytes;
    const Layout found = decideLayout(source.bytes, got < kHeadBytes, layout);
    source.layout = found.layout;
    // Compressed data that ends before its first byte has no content to judge.
    if (source.bytes.isEmpty() && stream->cutShort())
        return failed(stream->errorText());
    if (found.layout == LogLayout::Auto)
        return source; // nothing we read: no need to read on
    if (whole) {
        source.cutShort = stream->cutShort();
        return source;
    }
    if (webFormatOf(found.layout)) {
        source.file = std::move(file);
        if (stream->isCompressed())
            source.stream = std::move(stream);
        else
            source.bytes.clear();
        return source;
    }
    if (found.layout == LogLayout::List && !stream->isCompressed()) {
        source.bytes.clear();
        source.bodyStart = found.bodyStart;
        source.file = std::move(file);
        return source;
    }
    // CSV records may span lines, and a compressed list file has no ranges to read in place:
    // the content is read whole.
    QByteArray rest;
    constexpr qint64 kStep = qint64(8) << 20;
    for (qint64 n = kStep; n == kStep;) {
        rest.resize(kStep);
        n = stream->read(rest.data(), kStep);
        if (n < 0)
            return failed(stream->errorText());
        source.bytes.append(rest.constData(), n);
    }
    source.cutShort = stream->cutShort();
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
