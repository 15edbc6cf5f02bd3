#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace tw {

// A field's UTF-8 text as other programs get it (the command line, JSON Lines): code marks,
// which only name the CP932 code a character was read from, are dropped, and a TAB, CR or LF
// becomes a blank so that one row stays one line.
void appendPrintable(QByteArrayView utf8, QByteArray& out);

} // namespace tw
