#include "cli/cli_input.h"

#include "cli/cli.h"
#include "core/log_reader.h"

#include <new>

using namespace Qt::StringLiterals;

namespace tw::cli {
namespace {

QString readFailureReason(ReadStatus status, const QString& detail, LogLayout layout)
{
    switch (status) {
    case ReadStatus::Ok:
        break;
    case ReadStatus::NotFound:
        return u"not found"_s;
    case ReadStatus::UnknownLayout:
        // The repair makes list files; a web server's log would not come back from it.
        if (isWebServerLayout(layout))
            return u"not a Tallyweaver list, CSV or log file (no line of it parses)"_s;
        return u"not a Tallyweaver list, CSV or log file (try: tallyweaver-cli repair FILE)"_s;
    case ReadStatus::ReadError:
        if (detail.startsWith(u"read error: "))
            return detail;
        return u"read error: "_s + (detail.isEmpty() ? u"unknown"_s : detail);
    }
    return {};
}

// Reading the file, or adding or sorting its rows, needed more memory than there was.
int outOfMemory(QTextStream& err, const QString& path)
{
    return fileError(err, path, u"read error: out of memory"_s, ExitReadError);
}

// Lines a web log could not give and compressed data that ended early are no reason to stop,
// but the user is told.
void reportLeftOut(qint64 skippedLines, bool cutShort, const QString& path, QTextStream& err)
{
    if (skippedLines > 0)
        err << path << ": " << skippedLines << " lines skipped\n";
    if (cutShort)
        err << path << ": the compressed data ends early; the lines up to there were read\n";
}

} // namespace

int readInputFiles(const QStringList& files, const CliOptions& options,
                   const UserPlatforms& platforms, LogList& list, QTextStream& err)
{
    list.clear();
    list.setUserPlatforms(platforms);
    bool first = true;
    for (const QString& path : files) {
        try {
            ReadResult result = readLogFile(path, nullptr, options.layout);
            if (result.status != ReadStatus::Ok)
                return fileError(err, path,
                                 readFailureReason(result.status, result.detail, result.layout),
                                 ExitReadError);
            reportLeftOut(result.skippedLines, result.cutShort, path, err);
            if (first || list.rowCount() == 0) {
                // Opening replaces the list and its state; appending to an empty list opens.
                list.clear();
                list.append(std::move(result.batch));
            } else {
                const bool wasSorted = list.isSorted();
                list.setSorted(false);
                list.append(std::move(result.batch));
                list.setSorted(wasSorted);
            }
        } catch (const std::bad_alloc&) {
            return outOfMemory(err, path);
        }
        first = false;
    }
    if (options.sortColumn >= 0) {
        try {
            applySort(list, options.sortColumn, options.sortAscending);
        } catch (const std::bad_alloc&) {
            return outOfMemory(err, files.last());
        }
    }
    return ExitOk;
}

int readInputs(const QStringList& files, const CliOptions& options, LogList& list, QTextStream& err,
               StatisticsSettings* settings)
{
    StatisticsSettings resolved;
    if (const int status = resolveStatisticsSettings(options, resolved, err))
        return status;
    if (settings)
        *settings = resolved;
    return readInputFiles(files, options, resolved.platforms, list, err);
}

int tallyInputs(const QStringList& files, const CliOptions& options, ClassTally& tally,
                QTextStream& err, StatisticsSettings* settings)
{
    StatisticsSettings resolved;
    if (const int status = resolveStatisticsSettings(options, resolved, err))
        return status;
    if (settings)
        *settings = resolved;
    tally = {};
    for (const QString& path : files) {
        try {
            const TallyResult result = tallyLogFile(path, resolved.platforms, options.layout);
            if (result.status != ReadStatus::Ok)
                return fileError(err, path,
                                 readFailureReason(result.status, result.detail, result.layout),
                                 ExitReadError);
            reportLeftOut(result.skippedLines, result.cutShort, path, err);
            tally += result.tally;
        } catch (const std::bad_alloc&) {
            return outOfMemory(err, path);
        }
    }
    return ExitOk;
}

void applySort(LogList& list, int column, bool ascending)
{
    // A header click sorts in the column's next direction; a second click gives the other one.
    // Both sorts are stable, so equal texts keep their order either way.
    list.sortByHeader(column);
    if (list.sortAscending() != ascending)
        list.sortByHeader(column);
}

} // namespace tw::cli
