#pragma once

#include <QString>
#include <QtGlobal>

namespace tw {

// The font of the main list as the settings keep it and the font dialog shows it.
struct ListFont {
    QString name;
    int size = 0;
    int bold = 0, italic = 0, underline = 0, strikeout = 0;
    qint32 color = 0;
    // The exact size a font dialog chose (10.5); 0 when only whole points are known.
    double pointSizeF = 0;

    bool operator==(const ListFont&) const = default;
};

} // namespace tw
