#include "mainwindow/log_opener.h"

#include "core/file_size.h"
#include "core/log_reader.h"
#include "core/log_repair.h"
#include "core/path_parts.h"
#include "core/user_prompts.h"
#include "core/work_failure.h"
#include "mainwindow/main_view.h"
#include "settings/menu_history.h"

#include <QFileInfo>

#include <atomic>

namespace tw {

bool LogOpener::openLogFile(const QString& path, OpenMode mode)
{
    if (mode == OpenMode::Open)
        closeLog();
    return readInto(path, mode);
}

void LogOpener::openLogFiles(const QStringList& paths, OpenMode firstMode)
{
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (i == 0) {
            openLogFile(paths.first(), firstMode);
            continue;
        }
        const OpenMode mode = hasCurrentRow() ? OpenMode::Append : OpenMode::Open;
        if (mode == OpenMode::Open) {
            // What the earlier files of the same choice left out is still worth telling.
            const ReadNotes earlier = m_notes;
            closeLog();
            m_notes = earlier;
        }
        readInto(paths.at(i), mode);
    }
}

bool LogOpener::hasCurrentRow() const
{
    const qsizetype row = m_view.currentRow();
    return row >= 0 && row < m_editor.list().rowCount();
}

bool LogOpener::readInto(const QString& path, OpenMode mode)
{
    ReadResult read;
    std::atomic<qint64> bytesRead = 0;
    const qint64 size = QFileInfo(path).size();
    // Memory can run out while reading or adding the rows: the user is told and the list stays
    // as it was (after Open: closed).
    if (!runReportingFailure(m_prompts, [&] {
            m_view.runLongWork(
                [&] { read = m_read ? m_read(path, &bytesRead) : readLogFile(path, &bytesRead); },
                [&] { return size > 0 ? int(bytesRead * 100 / size) : -1; });
        }))
        return false;
    // The repair would rewrite a web server's log as a list file: it is offered for others only.
    const auto failed = [&](const QString& reason) {
        if (!isWebServerLayout(read.layout))
            return offerRepair(path, reason);
        m_prompts.error(reason);
        return false;
    };
    switch (read.status) {
    case ReadStatus::NotFound:
        return false;
    case ReadStatus::UnknownLayout:
        return failed(QStringLiteral("指定されたファイルはTallyweaverで読み込めるファイ"
                                     "ルでは無いか壊れている可能性があります。"));
    case ReadStatus::ReadError:
        return failed(QStringLiteral("ファイルの読み込み中にエラーが発生しました。"));
    case ReadStatus::Ok:
        break;
    }

    m_view.setBusy(true);
    m_view.setListVisible(false);
    const qsizetype before = m_editor.list().rowCount();
    const std::exception_ptr failure = runCatching([&] { m_editor.append(std::move(read.batch)); });
    // A list that starts filled has its first row current, as a freshly filled list control does.
    if (!failure && before == 0 && m_editor.list().rowCount() > 0 && m_view.currentRow() < 0)
        m_view.setSelection({0}, 0);
    m_view.setListVisible(true);
    m_view.setBusy(false);
    if (failure) {
        reportWorkFailure(m_prompts, failure);
        return false;
    }
    showLoadedFile(path, mode, read.fileSize);
    m_notes.add(path, read);
    m_view.setReadNotes(m_notes);
    m_view.activate();
    return true;
}

bool LogOpener::offerRepair(const QString& path, const QString& reason)
{
    const MessageAnswer answer = m_prompts.message(
        QStringLiteral("エラー"), reason + QStringLiteral("\r\nログ修復を行いますか？"),
        MessageIcon::Warning, MessageButtons::YesNo, MessageAnswer::No);
    if (answer != MessageAnswer::Yes)
        return false;

    const int result = m_repair ? m_repair(path) : repairLogFile(path);
    switch (result) {
    case RepairDone:
        // The repaired file replaces the list even when it was to be appended.
        return openLogFile(path, OpenMode::Open);
    case RepairNotLogFile:
        m_prompts.error(QStringLiteral("Tallyweaver用のファイルではありません"));
        break;
    case RepairEmptyLog:
        m_prompts.information(QStringLiteral("ログが空です"));
        break;
    case RepairConvertFailed:
        m_prompts.error(QStringLiteral("異常終了しました。ログファイルの修正は行われませんでした"));
        break;
    case kErrPathFileAccess:
        m_prompts.error(QStringLiteral("ファイルが書き込めませんでした。"));
        break;
    default:
        m_prompts.error(errorDescriptionJapanese(result));
        break;
    }
    return false;
}

void LogOpener::showLoadedFile(const QString& path, OpenMode mode, qint64 fileSize)
{
    m_history.addItem(path);
    if (mode == OpenMode::Open)
        m_openedPath = path;
    m_view.setStatusText(1, path + (mode == OpenMode::Open ? QStringLiteral(" を開きました")
                                                           : QStringLiteral(" を追加しました")));
    m_view.setStatusText(2, formatFileSize(fileSize));
    m_view.setStatusText(3, m_editor.itemCountText());
    m_view.setTitle(QStringLiteral("Tallyweaver - [") + getPathPart(path, PathPart::FileName) +
                    u']');
}

void LogOpener::closeLog()
{
    m_editor.clear();
    m_notes.clear();
    m_openedPath.clear();
    m_view.setReadNotes(m_notes);
    m_view.setStatusText(1, QStringLiteral("ファイルは開かれていません"));
    m_view.setStatusText(2, QStringLiteral("0Bytes"));
    m_view.setStatusText(3, m_editor.itemCountText());
    m_view.setTitle(QStringLiteral("Tallyweaver"));
}

} // namespace tw
