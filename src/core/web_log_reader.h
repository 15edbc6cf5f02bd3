#pragma once

#include "core/log_reader.h"
#include "core/web_log.h"

#include <QByteArray>

#include <atomic>

namespace tw {

class LogByteStream;
class RegularFile;

namespace detail {

// Reads the rows of a web-server log of the given format into result (batch, fields, skipped
// lines). A plain file is cut into ranges of whole lines read and parsed on every core; a
// compressed one is read from its stream, which has delivered head already, in pieces of whole
// lines parsed on every core as they come. False with result.detail on a read error; running
// out of memory throws std::bad_alloc.
bool readWebLogFile(const RegularFile& file, weblog::Format format, ReadResult& result,
                    std::atomic<qint64>* bytesRead);
// The same from content in memory (a small file), on this thread.
void readWebLogBytes(QByteArrayView bytes, weblog::Format format, ReadResult& result);
bool readWebLogStream(LogByteStream& stream, QByteArray head, weblog::Format format,
                      ReadResult& result, std::atomic<qint64>* bytesRead);

} // namespace detail
} // namespace tw
