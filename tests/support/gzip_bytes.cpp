#include "support/gzip_bytes.h"

#include <zlib.h>

namespace tw::test {

QByteArray gzipMember(const QByteArray& data, int level)
{
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&z, uLong(data.size()))), Qt::Uninitialized);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.truncate(qsizetype(z.total_out));
    deflateEnd(&z);
    return out;
}

} // namespace tw::test
