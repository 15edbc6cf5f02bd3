#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

namespace tw {

// Replaces the file at path with bytes through a temporary file beside it: unless every byte is
// written, a file that was there stays as it was. On failure *error, when given, gets the reason.
bool writeFileAtomically(const QString& path, QByteArrayView bytes, QString* error = nullptr);

// Writes one piece of a file; false when it was not written whole.
using ByteWriter = std::function<bool(QByteArrayView)>;
// The same for a file made piece by piece: produce writes the pieces in order and returns false
// to give up; the file is replaced only when produce returns true after every piece was written.
bool writeFileAtomically(const QString& path, const std::function<bool(const ByteWriter&)>& produce,
                         QString* error = nullptr);

} // namespace tw
