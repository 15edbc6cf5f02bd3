#pragma once

#include <QByteArrayView>
#include <QString>

namespace tw {

// Replaces the file at path with bytes through a temporary file beside it: unless every byte is
// written, a file that was there stays as it was. On failure *error, when given, gets the reason.
bool writeFileAtomically(const QString& path, QByteArrayView bytes, QString* error = nullptr);

} // namespace tw
