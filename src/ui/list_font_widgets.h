#pragma once

#include "settings/settings_file.h"

class QWidget;

namespace tw {

// The list font of a widget: its font with the size in whole points (halves to even) and its
// text colour.
ListFont readListFont(const QWidget& widget);
// Sets name, size, the four styles and then the text colour. An empty name or a size of 0 keeps
// the widget's own; pointSizeF, when set, wins over size.
void applyListFont(const ListFont& font, QWidget& widget);

} // namespace tw
