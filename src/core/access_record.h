#pragma once

#include <QString>

namespace tw {

// Field order is the column order of the list and of every file layout. The five columns come
// first; web-server logs add what they record besides.
enum Column : int {
    ColBrowser = 0,
    ColHost,
    ColIP,
    ColDateTime,
    ColPreviousPage,
    ColRequest,
    ColStatus,
    ColBytes,
    ColVirtualHost
};
constexpr int kColumnCount = 5;   // the columns every list has, and every list file holds
constexpr int kMaxFieldCount = 9; // with the fields only web-server logs have

// A set of fields, one bit each (1 << column).
using FieldSet = quint16;
constexpr FieldSet kColumnFields = (1u << kColumnCount) - 1;

struct AccessRecord {
    QString browser;
    QString host;
    QString ip;
    QString dateTime;
    QString previousPage;

    const QString& field(int column) const;
    QString& field(int column);
    bool operator==(const AccessRecord&) const = default;
};

enum class OpenMode { Open = 1, Append = 2 };

// Column captions "ブラウザ", "ホスト", "IP", "日付時間", "前回頁": headers, list-file labels,
// CSV header and clipboard labels; then the captions of the web-log fields.
const QString& columnCaption(int column);

} // namespace tw
