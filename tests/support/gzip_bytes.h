#pragma once

#include <QByteArray>

namespace tw::test {

// One gzip member of data, made by zlib at the given level.
QByteArray gzipMember(const QByteArray& data, int level = 6);

} // namespace tw::test
