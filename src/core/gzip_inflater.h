#pragma once

#include <QString>

#include <memory>

namespace tw {

class RegularFile;

// Inflates the gzip members of a file one after another into the caller's buffers, with one
// fixed input buffer: memory does not grow with the file or with how far its content expands.
// Zero bytes after the last member are padding; anything else there is damage.
class GzipInflater {
public:
    enum class State {
        More,      // not at the end yet
        End,       // every member was complete and checked
        CutShort,  // the file ends inside a member
        Damaged,   // data that is not gzip, or fails its check
        ReadError, // the file could not be read
    };

    // The file must stay open while this lives. Throws std::bad_alloc when zlib gets no memory.
    explicit GzipInflater(const RegularFile& file);
    ~GzipInflater();
    GzipInflater(const GzipInflater&) = delete;
    GzipInflater& operator=(const GzipInflater&) = delete;

    // Fills up to n bytes and returns how many; fewer only once the state is no longer More.
    qint64 inflate(char* out, qint64 n);
    State state() const { return m_state; }
    // Why the state is CutShort, Damaged or ReadError.
    QString errorText() const { return m_errorText; }
    // Bytes of the file taken by the decompressor so far.
    qint64 compressedBytesRead() const;

private:
    bool refill();
    void finish(State state, const QString& why);
    bool skipPadding();

    struct Stream;
    const RegularFile& m_file;
    std::unique_ptr<Stream> m_stream;
    std::unique_ptr<char[]> m_input;
    qint64 m_filePos = 0;
    bool m_atEof = false;
    bool m_inMember = true;
    State m_state = State::More;
    QString m_errorText;
};

} // namespace tw
