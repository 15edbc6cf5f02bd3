#include "core/access_record.h"

#include <array>

namespace tw {

const QString& AccessRecord::field(int column) const
{
    switch (column) {
    case ColBrowser:
        return browser;
    case ColHost:
        return host;
    case ColIP:
        return ip;
    case ColDateTime:
        return dateTime;
    default:
        return previousPage;
    }
}

QString& AccessRecord::field(int column)
{
    return const_cast<QString&>(std::as_const(*this).field(column));
}

const QString& columnCaption(int column)
{
    static const std::array<QString, kMaxFieldCount> captions = {
        QStringLiteral("ブラウザ"),   QStringLiteral("ホスト"),   QStringLiteral("IP"),
        QStringLiteral("日付時間"),   QStringLiteral("前回頁"),   QStringLiteral("リクエスト"),
        QStringLiteral("ステータス"), QStringLiteral("バイト数"), QStringLiteral("仮想ホスト")};
    return captions.at(std::size_t(column));
}

} // namespace tw
