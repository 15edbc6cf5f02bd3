#pragma once

class QCoreApplication;

namespace tw {

// Loads Qt's own Japanese texts (buttons, file and font dialogs, Qt's messages) into app: the
// program speaks Japanese whatever the system's language. False when they are not installed.
bool installQtJapanese(QCoreApplication& app);

} // namespace tw
