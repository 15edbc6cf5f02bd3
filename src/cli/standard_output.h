#pragma once

#include <QIODevice>

namespace tw::cli {

// Standard output as an unbuffered device that tells a short or failed write, with its reason
// in errorString(): a full disk, /dev/full or a closed descriptor must not pass for output.
class StandardOutput final : public QIODevice {
public:
    StandardOutput();

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;
};

} // namespace tw::cli
