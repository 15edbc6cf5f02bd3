#include "analysis/item_info_text.h"

#include "analysis/statistics_report.h"
#include "core/log_list.h"

namespace tw {

ItemInfo itemInfoOf(const LogList& list, qsizetype row)
{
    ItemInfo item(list.record(row));
    const int count = list.row(row).fieldCount;
    for (int k = kColumnCount; k < count; ++k) {
        if (list.hasField(k))
            item.extras.append({k, list.text(row, k)});
    }
    return item;
}

QString itemInfoText(const ItemInfo& item)
{
    QString text;
    const auto line = [&](int field, const QString& value) {
        text += columnCaption(field) + u':' + value + QStringLiteral("\r\n");
    };
    for (int k = 0; k < kColumnCount; ++k)
        line(k, item.record.field(k));
    for (const ItemInfo::Extra& extra : item.extras)
        line(extra.field, extra.text);
    return text;
}

bool saveItemInfo(const QString& path, const ItemInfo& item)
{
    // The report writer is the program's one atomic CP932 text writer.
    return saveStatisticsReport(path, itemInfoText(item) + QStringLiteral("\r\n"));
}

} // namespace tw
