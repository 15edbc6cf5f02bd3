#pragma once

#include "core/classification.h"
#include "core/log_reader.h"

#include <QString>

#include <array>

namespace tw {

// Rows counted by browser and platform class, as a list's tallies count them.
struct ClassTally {
    std::array<qint64, kBrowserClassCount> browser{};
    std::array<qint64, kPlatformClassCount> platform{};
    qint64 rows = 0;

    ClassTally& operator+=(const ClassTally& other);
    bool operator==(const ClassTally&) const = default;
};

struct TallyResult {
    ReadStatus status = ReadStatus::Ok;
    ClassTally tally; // all zero unless status is Ok
    qint64 fileSize = 0;
    QString detail;          // as readLogFile gives it
    qint64 skippedLines = 0; // as readLogFile gives them
    bool cutShort = false;
    LogLayout layout = LogLayout::Auto;
};

// The tallies a list would hold after reading the file with readLogFile and adding its rows
// with these user platform strings, without keeping the rows: list files are read on every
// core and only the browser field of each record is looked at (and decoded once per distinct
// text). CSV files, web-server logs and other layouts take the full read.
TallyResult tallyLogFile(const QString& path, const UserPlatforms& user,
                         LogLayout layout = LogLayout::Auto);

} // namespace tw
