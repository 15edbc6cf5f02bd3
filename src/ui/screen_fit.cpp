#include "ui/screen_fit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace tw {

QSize sizeWithin(const QSize& wanted, const QSize& minimum, const QRect& available)
{
    if (available.isEmpty())
        return wanted.expandedTo(minimum);
    const QSize most = available.size();
    return wanted.boundedTo(most).expandedTo(minimum.boundedTo(most));
}

QPoint placeOnScreens(const QRect& frame, const QList<QRect>& available)
{
    const bool shows = std::any_of(available.begin(), available.end(),
                                   [&](const QRect& area) { return area.intersects(frame); });
    if (shows || available.isEmpty())
        return frame.topLeft();
    return available.first().topLeft();
}

QList<QRect> availableAreas(const QWidget* widget)
{
    QList<QRect> areas;
    if (QScreen* own = widget ? widget->screen() : QGuiApplication::primaryScreen())
        areas.append(own->availableGeometry());
    for (QScreen* screen : QGuiApplication::screens()) {
        if (!areas.contains(screen->availableGeometry()))
            areas.append(screen->availableGeometry());
    }
    return areas;
}

} // namespace tw
