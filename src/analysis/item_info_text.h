#pragma once

#include "core/access_record.h"

#include <QList>
#include <QString>

#include <utility>

namespace tw {

class LogList;

// One row as the item-information dialog shows it: the five columns, then the fields a web-server
// log gave it (request, status, ...), in field order.
struct ItemInfo {
    struct Extra {
        int field;
        QString text;
        bool operator==(const Extra&) const = default;
    };
    ItemInfo(AccessRecord fields = {}, QList<Extra> more = {})
        : record(std::move(fields)), extras(std::move(more))
    {
    }

    AccessRecord record;
    QList<Extra> extras;
};

// Row `row` of the list, with the fields past the five that both the list and the row have.
ItemInfo itemInfoOf(const LogList& list, qsizetype row);

// The fields of one row as "caption:text" lines, each ending in CR LF: the five, then any
// extras. The text that the item-information dialog copies.
QString itemInfoText(const ItemInfo& item);

// The same text and one more CR LF, as CP932, replacing the file only when complete.
bool saveItemInfo(const QString& path, const ItemInfo& item);

} // namespace tw
