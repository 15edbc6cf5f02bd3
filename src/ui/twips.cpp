#include "ui/twips.h"

#include <QWidget>

#include <cmath>

namespace tw {

int twipsToPixelsX(const QWidget* widget, double twips)
{
    return int(std::lround(twips * widget->logicalDpiX() / 1440.0));
}

int twipsToPixelsY(const QWidget* widget, double twips)
{
    return int(std::lround(twips * widget->logicalDpiY() / 1440.0));
}

double pixelsToTwipsX(const QWidget* widget, int pixels)
{
    return std::round(pixels * 1440.0 / widget->logicalDpiX());
}

double pixelsToTwipsY(const QWidget* widget, int pixels)
{
    return std::round(pixels * 1440.0 / widget->logicalDpiY());
}

} // namespace tw
