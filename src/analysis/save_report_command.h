#pragma once

#include "analysis/statistics_report.h"
#include "core/long_work.h"

#include <QString>

namespace tw {

class Clock;
class UserPrompts;

// The statistics dialog's SAVE button: builds the report of the page (body as shown, the time
// taken now), asks for a file proposing prefix + yyyymmdd + ".txt" in initDir, writes it and
// says "保存しました"; a failed write says "ファイルが書き込めませんでした。". True when saved.
bool runSaveReport(StatisticsPage page, const QString& body, const QString& initDir,
                   UserPrompts& prompts, const Clock& clock);
// The same with the body as UTF-8; the file is written through runner.
bool runSaveReport(StatisticsPage page, QByteArrayView bodyUtf8, const QString& initDir,
                   UserPrompts& prompts, const Clock& clock, const LongWorkRunner& runner = {});
// The same for a report named otherwise than the four pages.
bool runSaveReport(const ReportNaming& naming, QByteArrayView bodyUtf8, const QString& initDir,
                   UserPrompts& prompts, const Clock& clock, const LongWorkRunner& runner = {});

} // namespace tw
