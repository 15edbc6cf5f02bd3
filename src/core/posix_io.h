#pragma once

#include <QByteArrayView>
#include <QString>

namespace tw {

// Writes all of bytes to the descriptor, going on after interrupted and short writes. Returns 0,
// or the errno of the write that failed (ENOSPC when one took nothing without an error); part of
// the bytes may have been written then.
int writeAll(int fd, QByteArrayView bytes);

// The English text of an errno value, safe on any thread.
QString errnoText(int err);

} // namespace tw
