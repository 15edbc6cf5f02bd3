#include "core/atomic_write.h"

#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace tw {

bool writeFileAtomically(const QString& path, QByteArrayView bytes, QString* error)
{
    return writeFileAtomically(
        path, [bytes](const ByteWriter& write) { return write(bytes); }, error);
}

bool writeFileAtomically(const QString& path, const std::function<bool(const ByteWriter&)>& produce,
                         QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    // A full disk can take part of the bytes without an error: only a whole write may commit.
    bool whole = true;
    const ByteWriter write = [&](QByteArrayView bytes) {
        whole = whole && file.write(bytes.data(), bytes.size()) == bytes.size();
        return whole;
    };
    if (!produce(write) || !whole) {
        if (error)
            *error = file.error() != QFileDevice::NoError ? file.errorString()
                                                          : u"not all bytes were written"_s;
        file.cancelWriting();
        return false;
    }
    const bool ok = file.commit();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}

} // namespace tw
