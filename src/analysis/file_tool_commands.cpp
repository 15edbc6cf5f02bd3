#include "analysis/file_tool_commands.h"

#include "core/log_repair.h"
#include "core/shared_file_dialog.h"
#include "core/user_prompts.h"
#include "settings/settings.h"

using namespace Qt::StringLiterals;

namespace tw {
namespace {

FileDialogRequest fileToolRequest(const QString& title, const Settings& settings)
{
    FileDialogRequest r;
    r.title = title;
    r.filter = saveListFilter();
    r.filterIndex = 3;
    r.defaultExtension = u"twv"_s;
    r.initialFolder = settings.InitDir;
    r.mustExist = true;
    return r;
}

const QString kWriteFailed = u"ファイルが書き込めませんでした。"_s;

} // namespace

void runConvertLfCommand(SharedFileDialog& dialog, UserPrompts& prompts, const Settings& settings)
{
    const QString source = dialog.open(
        fileToolRequest(u"LF(UNIX改行コード)からCRLFに変換させたいファイル"_s, settings));
    if (source.isEmpty())
        return;
    const QString target = convertedCopyPath(source);
    int errorCode = 0;
    if (convertLfToCrLf(source, target, &errorCode))
        prompts.information(u"終了\r\n-> "_s + target);
    else if (errorCode == kErrPathFileAccess)
        prompts.error(kWriteFailed); // unreadable source or unwritable copy: no copy was made
    else if (errorCode)
        prompts.error(errorDescriptionJapanese(errorCode)); // also no copy
    else
        prompts.error(u"失敗しました"_s);
}

void runRepairLogCommand(SharedFileDialog& dialog, UserPrompts& prompts, const Settings& settings,
                         const RepairRunner& repair)
{
    const MessageAnswer answer = prompts.message(
        u"情報"_s,
        u"壊れていると思われるログファイルを修正します。\r\n"
        u"ヘルプを読んでこのコマンドの仕組みを理解し、ログファイルの構造を理解している上で使用して"
        u"ください。"_s,
        MessageIcon::Information, MessageButtons::OkCancel, MessageAnswer::Cancel);
    if (answer != MessageAnswer::Ok)
        return;

    const QString path = dialog.open(fileToolRequest(u"ログ修正を行いたいファイル"_s, settings));
    if (path.isEmpty())
        return;

    const QString caption = u"ログ修正"_s;
    const int result = repair ? repair(path) : repairLogFile(path);
    switch (result) {
    case RepairDone:
        prompts.message(caption, u"終了しました。"_s, MessageIcon::Information);
        break;
    case RepairNotLogFile:
        prompts.message(
            caption, u"エラーです。Tallyweaverで読み込めるログファイルでは無い可能性があります。"_s,
            MessageIcon::Warning);
        break;
    case RepairEmptyLog:
        prompts.message(caption, u"空のログファイルが指定されました。"_s, MessageIcon::Information);
        break;
    case RepairConvertFailed:
        prompts.message(caption,
                        u"ログファイルの処理中に処理できないデータが見つかりました。"
                        u"処理は中断されました。"_s,
                        MessageIcon::Warning);
        break;
    default:
        // A repair that stopped on an error must not look like one that did nothing.
        prompts.message(
            caption, result == kErrPathFileAccess ? kWriteFailed : errorDescriptionJapanese(result),
            MessageIcon::Warning);
        break;
    }
}

} // namespace tw
