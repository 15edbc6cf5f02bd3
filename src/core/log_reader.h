#pragma once

#include "core/log_list.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <optional>

namespace tw {

class LogByteStream;

class RegularFile;

enum class ReadStatus {
    Ok,
    NotFound,      // no file at the path: callers stay silent
    UnknownLayout, // the first line is neither list header nor CSV header
    ReadError,     // empty file, CSV ending inside a record, not a regular file, I/O error
};

// The layouts a file can be read as; Auto tells them from the file's first lines.
enum class LogLayout { Auto, List, Csv, Common, Combined, VirtualHostCombined, W3C };
// "twv", "csv", "common", "combined", "vcombined", "w3c" (and "auto"); nothing for another name.
std::optional<LogLayout> logLayoutNamed(QStringView name);
// A web server's own format: a log the repair must never rewrite as a list file.
bool isWebServerLayout(LogLayout layout);

struct ReadResult {
    ReadStatus status = ReadStatus::Ok;
    LogBatch batch;
    qint64 fileSize = 0;
    QString detail; // English reason, for the command-line tool
    // Web-server logs: lines that did not parse were left out; the first few are kept (as
    // text, decoded as the fields are) for the user to look at.
    qint64 skippedLines = 0;
    QStringList firstSkipped;
    // The data ended early (a compressed file cut short): the rows up to there were read.
    bool cutShort = false;
    // What the file was found (or told) to be; Auto when that could not be told.
    LogLayout layout = LogLayout::Auto;
};
// How many skipped lines a ReadResult keeps.
constexpr int kKeptSkippedLines = 20;

// Reads a list file, its CSV form or a raw access log (the record lines of a list file). Only
// regular files are read; the layout is told from the first line before the rest is read.
// Running out of memory throws std::bad_alloc, whichever thread it happens on. bytesRead, when
// given, counts up to the file's size as the bytes are read, for a progress display on another
// thread.
ReadResult readLogFile(const QString& path, std::atomic<qint64>* bytesRead = nullptr,
                       LogLayout layout = LogLayout::Auto);
// The same, from bytes already in memory.
ReadResult parseLogBytes(QByteArrayView bytes, LogLayout layout = LogLayout::Auto);

// The two headers that select the CSV layout, and the list-file header.
extern const char* const kListHeaderLine; // "#Tallyweaver_Header"
QByteArray csvHeaderLine();               // current captions, as the CSV writer writes them
QByteArray legacyCsvHeaderLine();
bool isCsvHeader(QByteArrayView line); // either of the two

namespace detail {
// Chunk size of file reads and the smallest range worth a core of its own; tests shrink them to
// run every boundary case on small files.
struct ReaderSplit {
    qint64 chunkBytes;
    qint64 minRangeBytes;
    int maxRanges; // 0: one per core
};
ReaderSplit readerSplit();
void setReaderSplit(const ReaderSplit& split);

// What readLogFile learns from the first bytes of a file before it parses: an outcome decided
// already (status not Ok); the whole content (small files, CSV, compressed list files); where the
// body of a list file starts, to be read from the file in ranges; or the format of a web-server
// log, to be read from the file in ranges or from its stream.
struct LogSource {
    ReadStatus status = ReadStatus::Ok;
    QString detail;
    qint64 fileSize = 0;
    LogLayout layout = LogLayout::Auto;      // what the content was found or told to be
    QByteArray bytes;                        // the whole content, or the first part of a stream
    qint64 bodyStart = -1;                   // list layout read in ranges: where the body starts
    std::shared_ptr<const RegularFile> file; // still open
    std::shared_ptr<LogByteStream> stream;   // a compressed web log, after bytes
    bool cutShort = false;                   // compressed content that ended early
};
LogSource openLogSource(const QString& path, LogLayout layout = LogLayout::Auto);
// The body of a whole file in list layout (after the header line); nullopt for other layouts.
std::optional<QByteArrayView> listBodyOf(QByteArrayView bytes);
} // namespace detail

} // namespace tw
