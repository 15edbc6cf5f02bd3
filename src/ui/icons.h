#pragma once

#include "core/classification.h"

#include <QIcon>
#include <QString>

namespace tw {

// The toolbar picture for a button key ("OPEN", "SAVE", "CUT", "COPY", "DELETE", "FIND",
// "ITEM", "HELP"); a null icon for any other key.
QIcon toolbarIcon(const QString& key);
// The list icon of a browser family.
QIcon browserIcon(BrowserClass c);
QIcon applicationIcon();

} // namespace tw
