#pragma once

#include <QtGlobal>

class QWidget;

namespace tw {

// Lengths in twips (1/1440 inch) become logical pixels at the widget's logical DPI.
int twipsToPixelsX(const QWidget* widget, double twips);
int twipsToPixelsY(const QWidget* widget, double twips);
double pixelsToTwipsX(const QWidget* widget, int pixels);
double pixelsToTwipsY(const QWidget* widget, int pixels);

} // namespace tw
