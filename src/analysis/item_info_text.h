#pragma once

#include "core/access_record.h"

#include <QString>

namespace tw {

// The five fields of one row as "caption:text" lines, each ending in CR LF: the text that the
// item-information dialog copies.
QString itemInfoText(const AccessRecord& item);

// The same text and one more CR LF, as CP932, replacing the file only when complete.
bool saveItemInfo(const QString& path, const AccessRecord& item);

} // namespace tw
