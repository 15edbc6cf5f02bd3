#pragma once

#include "core/classification.h"

#include <QColor>

#include <array>

namespace tw {

// The colours the statistics dialogs draw their bars and axes in.
inline const QColor kStatisticsOutline(63, 123, 184);
inline const std::array<QColor, kBrowserClassCount> kStatisticsBarColours = {
    QColor(18, 128, 248), QColor(235, 223, 82), QColor(29, 226, 137), QColor(255, 255, 215)};
// A bar under the mouse, and the line drawn over bars.
inline const QColor kStatisticsHighlight(255, 153, 51);
inline const QColor kStatisticsLine(200, 40, 60);

} // namespace tw
