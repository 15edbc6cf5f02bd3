#include "cli/standard_output.h"

#include "core/posix_io.h"

#include <unistd.h>

namespace tw::cli {

StandardOutput::StandardOutput()
{
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 StandardOutput::readData(char*, qint64)
{
    return -1;
}

qint64 StandardOutput::writeData(const char* data, qint64 size)
{
    if (const int err = writeAll(STDOUT_FILENO, QByteArrayView(data, size))) {
        setErrorString(errnoText(err));
        return -1;
    }
    return size;
}

} // namespace tw::cli
