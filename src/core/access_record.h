#pragma once

#include <QString>

namespace tw {

// Field order is the column order of the list and of every file layout.
enum Column : int { ColBrowser = 0, ColHost, ColIP, ColDateTime, ColPreviousPage };
constexpr int kColumnCount = 5;

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
// CSV header and clipboard labels.
const QString& columnCaption(int column);

} // namespace tw
