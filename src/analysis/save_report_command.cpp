#include "analysis/save_report_command.h"

#include "core/clock.h"
#include "core/shared_file_dialog.h"
#include "core/user_prompts.h"

#include <new>

using namespace Qt::StringLiterals;

namespace tw {

bool runSaveReport(StatisticsPage page, const QString& body, const QString& initDir,
                   UserPrompts& prompts, const Clock& clock)
{
    return runSaveReport(page, QByteArrayView(body.toUtf8()), initDir, prompts, clock);
}

bool runSaveReport(StatisticsPage page, QByteArrayView bodyUtf8, const QString& initDir,
                   UserPrompts& prompts, const Clock& clock, const LongWorkRunner& runner)
{
    return runSaveReport(reportNaming(page), bodyUtf8, initDir, prompts, clock, runner);
}

bool runSaveReport(const ReportNaming& naming, QByteArrayView bodyUtf8, const QString& initDir,
                   UserPrompts& prompts, const Clock& clock, const LongWorkRunner& runner)
{
    const QDateTime now = clock.now();
    FileDialogRequest request;
    request.title = u"レポートを保存"_s;
    request.filter = textReportFilter();
    request.filterIndex = 2;
    request.defaultExtension = u"txt"_s;
    request.initialFolder = initDir;
    request.initialName = reportFileName(naming, now.date());
    request.confirmOverwrite = true;

    const QString path = prompts.saveFileName(request);
    if (path.isEmpty())
        return false;
    bool saved = false;
    try {
        runLongWork(runner, [&] {
            saved = saveStatisticsReport(path, naming, now,
                                         [bodyUtf8](const ReportSink& sink) { sink(bodyUtf8); });
        });
    } catch (const std::bad_alloc&) {
        saved = false;
    }
    if (!saved) {
        prompts.error(u"ファイルが書き込めませんでした。"_s);
        return false;
    }
    prompts.information(u"保存しました"_s);
    return true;
}

} // namespace tw
