#pragma once

#include "core/log_list.h"

#include <QList>
#include <QString>

namespace tw {

// The clipboard text of copied rows: per row five lines "caption:value", each ending in CR LF,
// with no blank line between rows.
QString rowsClipboardText(const LogList& list, const QList<qsizetype>& rows);

} // namespace tw
