#pragma once

#include <QString>

namespace tw {

// Size for the status bar: "999Bytes", ".98KB", "1.5KB", "976.56MB". The thresholds are
// decimal (1,000) while the units are binary (1,024); one or two decimals, no leading zero.
QString formatFileSize(qint64 bytes);

} // namespace tw
