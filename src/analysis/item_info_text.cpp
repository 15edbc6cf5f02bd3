#include "analysis/item_info_text.h"

#include "analysis/statistics_report.h"

namespace tw {

QString itemInfoText(const AccessRecord& item)
{
    QString text;
    for (int k = 0; k < kColumnCount; ++k)
        text += columnCaption(k) + u':' + item.field(k) + QStringLiteral("\r\n");
    return text;
}

bool saveItemInfo(const QString& path, const AccessRecord& item)
{
    // The report writer is the program's one atomic CP932 text writer.
    return saveStatisticsReport(path, itemInfoText(item) + QStringLiteral("\r\n"));
}

} // namespace tw
