#include "cli/cli_input.h"

#include "cli/cli.h"
#include "core/log_reader.h"

using namespace Qt::StringLiterals;

namespace tw::cli {
namespace {

QString readFailureReason(ReadStatus status, const QString& detail)
{
    switch (status) {
    case ReadStatus::Ok:
        break;
    case ReadStatus::NotFound:
        return u"not found"_s;
    case ReadStatus::UnknownLayout:
        return u"not a Tallyweaver list, CSV or log file (try: tallyweaver-cli repair FILE)"_s;
    case ReadStatus::ReadError:
        if (detail.startsWith(u"read error: "))
            return detail;
        return u"read error: "_s + (detail.isEmpty() ? u"unknown"_s : detail);
    }
    return {};
}

} // namespace

int readInputFiles(const QStringList& files, const CliOptions& options,
                   const UserPlatforms& platforms, LogList& list, QTextStream& err)
{
    list.clear();
    list.setUserPlatforms(platforms);
    bool first = true;
    for (const QString& path : files) {
        ReadResult result = readLogFile(path);
        if (result.status != ReadStatus::Ok)
            return fileError(err, path, readFailureReason(result.status, result.detail),
                             ExitReadError);
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
        first = false;
    }
    if (options.sortColumn >= 0)
        applySort(list, options.sortColumn, options.sortAscending);
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
        const TallyResult result = tallyLogFile(path, resolved.platforms);
        if (result.status != ReadStatus::Ok)
            return fileError(err, path, readFailureReason(result.status, result.detail),
                             ExitReadError);
        tally += result.tally;
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
