#pragma once

#include <QByteArray>
#include <QStringView>

namespace tw {

// Appends text as UTF-8 that an HTML (or XML) parser reads back as the same characters and
// never as markup, in element content and in quoted attribute values alike: < > & " ' become
// references; a raw byte the list kept from an undecodable log becomes "\xHH", as Apache writes
// such bytes; control characters become "\xHH" too; code marks are dropped; a lone surrogate or
// a noncharacter becomes U+FFFD.
void appendHtmlText(QStringView text, QByteArray& out);
QByteArray htmlText(QStringView text);

// A count with its thousands grouped, "1,234,567".
QByteArray htmlNumber(qint64 value);

} // namespace tw
