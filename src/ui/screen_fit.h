#pragma once

#include <QList>
#include <QRect>
#include <QSize>

class QWidget;

namespace tw {

// Sizes and places come from the settings file, which anyone may have edited: a window is
// never made larger than the available area of its screen, nor smaller than minimum.
QSize sizeWithin(const QSize& wanted, const QSize& minimum, const QRect& available);
// A window lying entirely outside every available area comes back to the top left of the
// first (the primary screen's); one that shows at least partly stays where it is.
QPoint placeOnScreens(const QRect& frame, const QList<QRect>& available);

// The available areas of the screens, that of the screen the widget is on first.
QList<QRect> availableAreas(const QWidget* widget);

} // namespace tw
