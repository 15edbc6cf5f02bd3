#include "core/web_log_reader.h"

#include "core/cp932.h"
#include "core/list_body_parser.h"
#include "core/log_byte_stream.h"
#include "core/regular_file.h"
#include "core/worker_threads.h"

#include <QThread>

#include <cstring>
#include <vector>

namespace tw::detail {
namespace {

// Lines of a web log are about this long; a guess that keeps row vectors from growing in steps.
constexpr qint64 kTypicalLineBytes = 230;
// A skipped line shown to the user is cut here: it may be a megabyte of garbage.
constexpr qsizetype kShownLineBytes = 1000;

// Rows of one part of a log, and the lines of that part that did not parse.
class WebSink {
public:
    void record(const weblog::Record& r)
    {
        int count = kColumnCount;
        for (int k = kMaxFieldCount - 1; k >= kColumnCount; --k) {
            if (r.logged[std::size_t(k)]) {
                count = k + 1;
                break;
            }
        }
        std::size_t total = 0;
        for (int k = 0; k < count; ++k)
            total += std::size_t(r.fields[std::size_t(k)].size());
        RowWriter row(batch, count, total);
        char* w = row.cursor();
        for (int k = 0; k < count; ++k) {
            const QByteArrayView f = r.fields[std::size_t(k)];
            if (!f.isEmpty())
                std::memcpy(w, f.data(), std::size_t(f.size()));
            w += f.size();
            row.endField(w);
        }
        row.finish();
        fields |= FieldSet(r.logged.to_ulong());
    }

    void skipped(QByteArrayView line)
    {
        if (skippedLines++ >= kKeptSkippedLines)
            return;
        const QByteArrayView shown = line.first(std::min(line.size(), kShownLineBytes));
        firstSkipped << QString::fromUtf8(shown.isValidUtf8() ? shown.toByteArray()
                                                              : cp932::decodeToUtf8(shown));
    }

    LogBatch batch;
    FieldSet fields = kColumnFields;
    qint64 skippedLines = 0;
    QStringList firstSkipped;
};

// The parts' rows in order, as one read's result.
void joinParts(std::vector<WebSink>& parts, ReadResult& result)
{
    FieldSet fields = kColumnFields;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        WebSink& part = parts[i];
        fields |= part.fields;
        if (i == 0)
            result.batch = std::move(part.batch);
        else
            result.batch.append(std::move(part.batch));
        result.skippedLines += part.skippedLines;
        for (const QString& line : std::as_const(part.firstSkipped)) {
            if (result.firstSkipped.size() < kKeptSkippedLines)
                result.firstSkipped << line;
        }
        part = WebSink();
    }
    result.batch.setFields(fields);
}

int workerCount()
{
    return std::max(1, QThread::idealThreadCount());
}

} // namespace

bool readWebLogFile(const RegularFile& file, weblog::Format format, ReadResult& result,
                    std::atomic<qint64>* bytesRead)
{
    const std::vector<qint64> cuts = listBodyRanges(file, 0, file.size(), LineEnds::Lf);
    const std::size_t n = cuts.size() - 1;
    std::vector<WebSink> parts(n);
    std::vector<QString> errors(n);
    std::vector<char> ok(n, 0);
    runOnThreads(n, [&](std::size_t i) {
        WebSink& sink = parts[i];
        sink.batch.reserveRows((cuts[i + 1] - cuts[i]) / kTypicalLineBytes);
        // W3C logs name their fields in directive lines: a part starts with those in effect.
        weblog::ParseState state =
            i == 0 ? weblog::ParseState() : weblog::stateBefore(format, file, cuts[i]);
        ok[i] = readLinesOfRange(
            file, cuts[i], cuts[i + 1], LineEnds::Lf,
            [&](const char* p, const char* end) { weblog::parseBody(format, p, end, state, sink); },
            errors[i], bytesRead);
    });
    for (std::size_t i = 0; i < n; ++i) {
        if (!ok[i]) {
            result.detail = errors[i];
            return false;
        }
    }
    joinParts(parts, result);
    return true;
}

void readWebLogBytes(QByteArrayView bytes, weblog::Format format, ReadResult& result)
{
    std::vector<WebSink> parts(1);
    weblog::ParseState state;
    weblog::parseBody(format, bytes.data(), bytes.data() + bytes.size(), state, parts[0]);
    joinParts(parts, result);
}

bool readWebLogStream(LogByteStream& stream, QByteArray head, weblog::Format format,
                      ReadResult& result, std::atomic<qint64>* bytesRead)
{
    const qint64 pieceBytes = readerSplit().chunkBytes;
    const std::size_t workers = std::size_t(workerCount());
    std::vector<WebSink> parts;
    weblog::ParseState state;
    QByteArray carry = std::move(head);
    bool atEnd = false;
    while (!atEnd) {
        // A round: a piece of whole lines for each core, read while the stream inflates ahead.
        std::vector<QByteArray> pieces;
        std::vector<weblog::ParseState> states;
        while (pieces.size() < workers && !atEnd) {
            QByteArray piece = std::move(carry);
            carry = QByteArray();
            const qsizetype had = piece.size();
            piece.resize(had + pieceBytes);
            const qint64 got = stream.read(piece.data() + had, pieceBytes);
            if (got < 0) {
                result.detail = QStringLiteral("read error: ") + stream.errorText();
                return false;
            }
            piece.resize(had + got);
            atEnd = got < pieceBytes;
            const qsizetype cut = atEnd ? piece.size() : piece.lastIndexOf('\n') + 1;
            if (cut == 0) { // one line longer than a piece: read on
                carry = std::move(piece);
                continue;
            }
            carry = piece.sliced(cut);
            piece.truncate(cut);
            states.push_back(state);
            weblog::advanceState(format, piece, state);
            pieces.push_back(std::move(piece));
        }
        const std::size_t first = parts.size();
        parts.resize(first + pieces.size());
        runOnThreads(pieces.size(), [&](std::size_t i) {
            WebSink& sink = parts[first + i];
            sink.batch.reserveRows(pieces[i].size() / kTypicalLineBytes);
            const char* p = pieces[i].constData();
            weblog::parseBody(format, p, p + pieces[i].size(), states[i], sink);
            pieces[i] = QByteArray();
        });
        if (bytesRead)
            *bytesRead = stream.compressedBytesRead();
    }
    result.cutShort = stream.cutShort();
    joinParts(parts, result);
    return true;
}

} // namespace tw::detail
