#pragma once

#include <QString>

#include <memory>

namespace tw {

class RegularFile;

// Bytes of a file as the reader sees them: the file itself, or its gzip content inflated on the
// way. Memory is a few fixed buffers whatever the size of the file or of its content.
class LogByteStream {
public:
    // How a gzip file is inflated: on a thread of its own a few chunks ahead of the caller, so
    // that inflating and the caller's parsing overlap, or on the caller's thread in read().
    enum class Inflate { Ahead, OnCallerThread };

    virtual ~LogByteStream() = default;

    // A stream over an open file that must outlive it. A file is gzip by its first bytes (1f 8b,
    // method 8), never by its name; anything else, also a file that only starts with 1f 8b, is
    // read as it is. Throws std::bad_alloc when memory for the decompressor cannot be had.
    static std::unique_ptr<LogByteStream> open(const RegularFile& file,
                                               Inflate inflate = Inflate::Ahead);

    // Reads up to n bytes, fewer only at the end: the count, 0 at the end, or -1 when the file
    // could not be read (errorText() says why). What the inflating thread throws (std::bad_alloc)
    // is thrown here, after the bytes before it were delivered.
    virtual qint64 read(char* data, qint64 n) = 0;

    virtual bool isCompressed() const = 0;
    // Once read() returned 0: the gzip data ended early or is damaged (errorText() says which);
    // the bytes up to there were delivered.
    virtual bool cutShort() const = 0;
    virtual QString errorText() const = 0;
    // Bytes of the file behind what read() delivered so far, for showing progress.
    virtual qint64 compressedBytesRead() const = 0;
};

} // namespace tw
