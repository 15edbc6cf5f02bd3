#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace tw {

// Pictures 201 to 211 of the dialogs: 201 is the title picture, 202 the banner. A null pixmap
// for any other number.
QPixmap dialogPicture(int number);

// The preferences dialog's sample-list icons by key ("NN", "IE", "MOSAIC", "LYNX", "AMAYA",
// "HOTJAVA", "NEO", "OPERA"); a null icon for any other key.
QIcon previewBrowserIcon(const QString& key);

} // namespace tw
