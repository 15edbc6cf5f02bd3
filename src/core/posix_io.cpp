#include "core/posix_io.h"

#include <cerrno>
#include <system_error>

#include <unistd.h>

namespace tw {

int writeAll(int fd, QByteArrayView bytes)
{
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, std::size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        data += n;
        left -= n;
    }
    return 0;
}

QString errnoText(int err)
{
    return QString::fromStdString(std::generic_category().message(err));
}

} // namespace tw
