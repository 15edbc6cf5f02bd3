#pragma once

#include "core/access_record.h"
#include "core/cp932.h"
#include "core/log_reader.h"
#include "core/regular_file.h"
#include "core/worker_threads.h"

#include <QByteArrayView>
#include <QString>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <vector>

// The body of a list file (everything after its header line), read the one way every reader of
// it shares: line ends, record lines, labels and the chunked reading on all cores. What becomes
// of a record is up to a sink, a callable taking a ListRecord.
namespace tw::detail {

// Characters of each field label ("ブラウザ:" … "前回頁:"), removed by count, not by text.
inline constexpr std::array<qsizetype, kColumnCount> kLabelChars = {5, 4, 3, 5, 4};

// A record line cut at its TABs.
class ListRecord {
public:
    // Field k as the file holds it, label included.
    QByteArrayView labelled(int k) const
    {
        const char* b = m_cuts[std::size_t(k)];
        const char* e = k + 1 < kColumnCount ? m_cuts[std::size_t(k + 1)] - 1 : m_lastEnd;
        return QByteArrayView(b, e - b);
    }
    // Field k without its label.
    QByteArrayView value(int k) const
    {
        const QByteArrayView field = labelled(k);
        return field.sliced(cp932::skipChars(field, kLabelChars[std::size_t(k)]));
    }

private:
    template <class Sink>
    friend void parseRecordLine(const char* begin, const char* end, Sink& sink);
    std::array<const char*, kColumnCount + 1> m_cuts{}; // field starts, then the fifth TAB + 1
    const char* m_lastEnd = nullptr;
};

// A record line holds five or more TAB-separated labelled fields; shorter lines are no records.
template <class Sink> void parseRecordLine(const char* begin, const char* end, Sink& sink)
{
    ListRecord record;
    record.m_cuts[0] = begin;
    int found = 0;
    for (const char* p = begin; found < kColumnCount && p < end;) {
        const char* tab = static_cast<const char*>(std::memchr(p, '\t', std::size_t(end - p)));
        if (!tab)
            break;
        record.m_cuts[std::size_t(++found)] = tab + 1;
        p = tab + 1;
    }
    if (found < kColumnCount - 1)
        return;
    // The fifth field runs to the next TAB (further fields are ignored) or to the line end.
    record.m_lastEnd = found == kColumnCount ? record.m_cuts[kColumnCount] - 1 : end;
    sink(record);
}

// Lines end at CR, LF or CR LF; empty lines are skipped.
template <class Sink> void parseListBody(const char* p, const char* end, Sink& sink)
{
    while (p < end) {
        const char* cr = static_cast<const char*>(std::memchr(p, '\r', std::size_t(end - p)));
        const char* lineEnd = cr ? cr : end;
        // Records separated by bare LF arrive as one CR-terminated line: split it into pieces.
        for (const char* q = p; q < lineEnd;) {
            const char* lf =
                static_cast<const char*>(std::memchr(q, '\n', std::size_t(lineEnd - q)));
            const char* pieceEnd = lf ? lf : lineEnd;
            if (pieceEnd > q)
                parseRecordLine(q, pieceEnd, sink);
            q = pieceEnd + 1;
        }
        p = lineEnd + 1;
    }
}

// Where lines end: list files end them at CR or LF; web-server logs at LF (a CR before it goes
// with the line end, a lone CR stays inside the line).
enum class LineEnds { CrOrLf, Lf };

// Reads [begin, end) of the file in chunks and hands each run of complete lines to
// parse(const char* p, const char* end) as it arrives, so memory holds one chunk of the file
// rather than all of it.
template <class Parse>
bool readLinesOfRange(const RegularFile& file, qint64 begin, qint64 end, LineEnds ends,
                      Parse&& parse, QString& error, std::atomic<qint64>* bytesRead = nullptr)
{
    const auto isLineEnd = [ends](char c) {
        return c == '\n' || (ends == LineEnds::CrOrLf && c == '\r');
    };
    const qint64 chunkBytes = readerSplit().chunkBytes;
    QByteArray buffer;
    qint64 carry = 0;
    for (qint64 pos = begin; pos < end;) {
        const qint64 want = std::min(chunkBytes, end - pos);
        if (buffer.size() < carry + want)
            buffer.resize(carry + want);
        QString reason;
        const qint64 got = file.readAt(pos, buffer.data() + carry, want, &reason);
        if (got <= 0) {
            error =
                QStringLiteral("read error: ") + (got < 0 ? reason : QStringLiteral("file shrank"));
            return false;
        }
        pos += got;
        if (bytesRead)
            *bytesRead += got;
        const char* data = buffer.constData();
        const char* stop = data + carry + got;
        // The carried part holds no line end, so only the new bytes need searching.
        const char* complete = stop;
        if (pos < end) {
            while (complete > data + carry && !isLineEnd(complete[-1]))
                --complete;
            if (complete == data + carry)
                complete = data;
        }
        parse(data, complete);
        carry = stop - complete;
        if (complete != data) // a line longer than the buffer stays where it is
            std::memmove(buffer.data(), complete, std::size_t(carry));
    }
    return true;
}

// Reads [begin, end) of a list file, parsing complete lines as they arrive.
template <class Sink>
bool parseFileRange(const RegularFile& file, qint64 begin, qint64 end, Sink& sink, QString& error,
                    std::atomic<qint64>* bytesRead = nullptr)
{
    return readLinesOfRange(
        file, begin, end, LineEnds::CrOrLf,
        [&sink](const char* p, const char* stop) { parseListBody(p, stop, sink); }, error,
        bytesRead);
}

// Cuts the body [bodyStart, size) of the file into ranges, one per core for a large body, each
// starting at a line start: range i is [cuts[i], cuts[i + 1]).
std::vector<qint64> listBodyRanges(const RegularFile& file, qint64 bodyStart, qint64 size,
                                   LineEnds ends = LineEnds::CrOrLf);

// Parses range i into sinks[i], each on a thread of its own. What a thread throws (say
// std::bad_alloc) is thrown here.
template <class Sink>
bool parseListRanges(const RegularFile& file, const std::vector<qint64>& cuts,
                     std::vector<Sink>& sinks, QString& error,
                     std::atomic<qint64>* bytesRead = nullptr)
{
    const std::size_t n = cuts.size() - 1;
    std::vector<QString> errors(n);
    std::vector<char> ok(n, 0);
    runOnThreads(n, [&](std::size_t i) {
        ok[i] = parseFileRange(file, cuts[i], cuts[i + 1], sinks[i], errors[i], bytesRead);
    });
    for (std::size_t i = 0; i < n; ++i) {
        if (!ok[i]) {
            error = errors[i];
            return false;
        }
    }
    return true;
}

} // namespace tw::detail
