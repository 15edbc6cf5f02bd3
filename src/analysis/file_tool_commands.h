#pragma once

#include <QString>

#include <functional>

namespace tw {

class SharedFileDialog;
struct Settings;
class UserPrompts;

// Tools › "&LF -> CRLF...": asks for a file and writes its CR LF copy ("crlf_" + name) beside it.
void runConvertLfCommand(SharedFileDialog& dialog, UserPrompts& prompts, const Settings& settings);

// The repair itself; repairLogFile unless a test puts its own in.
using RepairRunner = std::function<int(const QString& path)>;

// Tools › "ログ修復(&L)": after a warning that the user may cancel, asks for a file and repairs
// it in place. The repaired file is not opened.
void runRepairLogCommand(SharedFileDialog& dialog, UserPrompts& prompts, const Settings& settings,
                         const RepairRunner& repair = {});

} // namespace tw
