#include "core/list_writers.h"

#include "core/atomic_write.h"
#include "core/cp932.h"
#include "core/log_reader.h"
#include "core/printable_text.h"
#include "core/worker_threads.h"

#include <QThread>

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>
#include <vector>

namespace tw {
namespace {

QByteArray encoded(const char* utf8)
{
    return cp932::encodeUtf8(QByteArrayView(utf8));
}

// Rows are encoded through a raw cursor (a million rows make tens of millions of small pieces,
// too many for QByteArray::append one by one) into a buffer per block of rows.
class RowBuffer {
public:
    void clear() { m_cursor = m_buffer.data(); }
    // Room for n more bytes at the cursor.
    void ensure(qsizetype n)
    {
        const qsizetype used = m_cursor - m_buffer.data();
        if (m_buffer.size() - used >= n)
            return;
        m_buffer.resize(std::max(m_buffer.size() * 2, used + n));
        m_cursor = m_buffer.data() + used;
    }
    void put(char c) { *m_cursor++ = c; }
    void put(QByteArrayView bytes)
    {
        if (!bytes.isEmpty())
            std::memcpy(m_cursor, bytes.data(), std::size_t(bytes.size()));
        m_cursor += bytes.size();
    }
    char* cursor() const { return m_cursor; }
    // Takes n bytes written at the cursor (room for them ensured).
    void advance(qsizetype n) { m_cursor += n; }
    QByteArrayView bytes() const
    {
        return QByteArrayView(m_buffer.constData(), m_cursor - m_buffer.data());
    }

    QByteArray scratch; // for values that need encoding

private:
    QByteArray m_buffer;
    char* m_cursor = nullptr;
};

qsizetype g_blockRows = 16384;

// Writes head, every row as encodeRow puts it, then tail. Blocks of rows are encoded on all
// cores and written in order; the disk starts on each block at once, so little is left to wait
// for when the file is made durable. The target is replaced only by commit(), so a failure
// anywhere leaves the previous file as it was.
template <typename EncodeRow>
bool writeRows(const QString& path, const LogList& list, QByteArrayView head, QByteArrayView tail,
               EncodeRow encodeRow, QString* error)
{
    AtomicFile file(path);
    bool ok = file.open() && file.write(head);

    const qsizetype rows = list.rowCount();
    const qsizetype blockRows = std::max<qsizetype>(1, g_blockRows);
    const std::size_t cores = std::size_t(std::max(1, QThread::idealThreadCount()));
    std::vector<RowBuffer> buffers(
        std::clamp<std::size_t>(std::size_t((rows + blockRows - 1) / blockRows), 1, cores));
    const auto encodeBlock = [&](qsizetype first, RowBuffer& buffer) {
        buffer.clear();
        for (qsizetype r = first; r < std::min(rows, first + blockRows); ++r)
            encodeRow(list.row(r), buffer);
    };
    for (qsizetype start = 0; start < rows && ok;) {
        std::size_t count = 1;
        while (count < buffers.size() && start + qsizetype(count) * blockRows < rows)
            ++count;
        // Running out of memory in any block reaches the caller, and the file is left as it was.
        runOnThreads(count, [&](std::size_t i) {
            encodeBlock(start + qsizetype(i) * blockRows, buffers[i]);
        });
        for (std::size_t i = 0; i < count && ok; ++i)
            ok = file.write(buffers[i].bytes());
        start += qsizetype(count) * blockRows;
    }
    if (ok && file.write(tail) && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

constexpr quint64 kOnes = 0x0101010101010101ULL;
constexpr quint64 kHighBits = 0x8080808080808080ULL;

enum class Quotes { Plain, Special };

// Copies the text to out when it is ASCII without control characters (and, for CSV, without
// '"'): such a value is its own CP932 form and needs no change. False at the first byte that
// needs more, with part of the text copied. One pass, eight bytes at a time.
bool copyPlainAscii(QByteArrayView text, char* out, Quotes quotes)
{
    const char* p = text.data();
    const char* const end = p + text.size();
    const bool quoteSpecial = quotes == Quotes::Special;
    for (; end - p >= 8; p += 8, out += 8) {
        quint64 w;
        std::memcpy(&w, p, 8);
        quint64 flags = w | ((w - 0x20 * kOnes) & ~w); // high bit, or a byte below 0x20
        if (quoteSpecial) {
            const quint64 q = w ^ (0x22 * kOnes);
            flags |= (q - kOnes) & ~q;
        }
        if (flags & kHighBits)
            return false;
        std::memcpy(out, &w, 8);
    }
    for (; p < end; ++p) {
        const auto c = uchar(*p);
        if (c >= 0x80 || c < 0x20 || (quoteSpecial && c == '"'))
            return false;
        *out++ = char(c);
    }
    return true;
}

// Bytes of the row's texts, enough for their CP932 form, which is never longer than UTF-8.
qsizetype rowBytes(const LogRow& row)
{
    return qsizetype(row.columnsSize());
}

// CP932 never uses TAB, CR, LF or '"' as the second byte of a character, so the encoded bytes
// can be checked one by one without splitting a character.

// The value's CP932 bytes as they are. True when it was plain ASCII without control characters
// and went straight in.
bool putEncodedValue(QByteArrayView utf8, RowBuffer& sink)
{
    if (copyPlainAscii(utf8, sink.cursor(), Quotes::Plain)) {
        sink.advance(utf8.size());
        return true;
    }
    sink.scratch.truncate(0);
    cp932::appendEncodedUtf8(utf8, sink.scratch);
    sink.put(sink.scratch);
    return false;
}

// A list-file value: TAB, CR and LF would break the line, so they become blanks.
void putListValue(QByteArrayView utf8, RowBuffer& sink)
{
    char* const begin = sink.cursor();
    if (putEncodedValue(utf8, sink))
        return;
    for (char* p = begin; p < sink.cursor(); ++p) {
        if (*p == '\t' || *p == '\r' || *p == '\n')
            *p = ' ';
    }
}

// A CSV value between quotes, with each quote inside doubled.
void putCsvValue(QByteArrayView utf8, RowBuffer& sink)
{
    sink.put('"');
    if (copyPlainAscii(utf8, sink.cursor(), Quotes::Special)) {
        sink.advance(utf8.size());
    } else {
        sink.scratch.truncate(0);
        cp932::appendEncodedUtf8(utf8, sink.scratch);
        for (char c : std::as_const(sink.scratch)) {
            if (c == '"')
                sink.put('"');
            sink.put(c);
        }
    }
    sink.put('"');
}

// The inside of a JSON string: quote, backslash and control characters escaped, everything else
// (UTF-8 included) as it is.
void putJsonText(QByteArrayView text, RowBuffer& out)
{
    static constexpr char hex[] = "0123456789abcdef";
    for (char c : text) {
        const auto u = uchar(c);
        if (c == '"' || c == '\\') {
            out.put('\\');
            out.put(c);
        } else if (u < 0x20 || u == 0x7f) {
            out.put(QByteArrayView("\\u00"));
            out.put(hex[u >> 4]);
            out.put(hex[u & 15]);
        } else {
            out.put(c);
        }
    }
}

} // namespace

bool saveListFile(const QString& path, const LogList& list, QString* error)
{
    std::array<QByteArray, kColumnCount> labels;
    qsizetype fixedRowBytes = 2;
    for (int k = 0; k < kColumnCount; ++k) {
        labels[std::size_t(k)] = cp932::encode(columnCaption(k) + u':');
        fixedRowBytes += labels[std::size_t(k)].size() + 1;
    }
    const QByteArray head = QByteArray(kListHeaderLine) + "\r\n";
    return writeRows(
        path, list, head, {},
        [&](const LogRow& row, RowBuffer& out) {
            out.ensure(fixedRowBytes + rowBytes(row));
            for (int k = 0; k < kColumnCount; ++k) {
                if (k)
                    out.put('\t');
                out.put(labels[std::size_t(k)]);
                putListValue(row.field(k), out);
            }
            out.put("\r\n");
        },
        error);
}

bool saveCsvFile(const QString& path, const LogList& list, QString* error)
{
    constexpr qsizetype fixedRowBytes = 3 * kColumnCount + 1;
    return writeRows(
        path, list, csvHeaderLine() + "\r\n", {},
        [](const LogRow& row, RowBuffer& out) {
            // Doubling every byte is the worst a value can grow.
            out.ensure(fixedRowBytes + 2 * rowBytes(row));
            for (int k = 0; k < kColumnCount; ++k) {
                if (k)
                    out.put(',');
                putCsvValue(row.field(k), out);
            }
            out.put("\r\n");
        },
        error);
}

bool saveReportFile(const QString& path, const LogList& list, const Clock& clock, QString* error)
{
    static const std::array<QByteArray, kColumnCount> labels = {
        encoded("ブラウザ:\t"), encoded("ホスト:\t\t"), encoded("IP:\t\t"), encoded("日付時間:\t"),
        encoded("前回頁:\t\t")};
    qsizetype fixedRowBytes = 2;
    for (const QByteArray& label : labels)
        fixedRowBytes += label.size() + 2;
    const QByteArray rule(60, '-');
    const QString created = clock.now().toString(QStringLiteral("MM/dd/yyyy HH:mm"));

    QByteArray head;
    head.append(rule).append("\r\n");
    head.append(encoded(" Tallyweaver レポートファイル")).append("\r\n");
    head.append("\r\n");
    head.append(encoded("  作成日時:")).append(cp932::encode(created)).append("\r\n");
    head.append(rule).append("\r\n");
    head.append("\r\n");
    head.append(encoded(" [アクセスログ]")).append("\r\n");
    head.append("\r\n");

    return writeRows(
        path, list, head, "[EOF]\r\n",
        [&](const LogRow& row, RowBuffer& out) {
            out.ensure(fixedRowBytes + rowBytes(row));
            for (int k = 0; k < kColumnCount; ++k) {
                out.put(labels[std::size_t(k)]);
                putEncodedValue(row.field(k), out);
                out.put("\r\n");
            }
            out.put("\r\n");
        },
        error);
}

bool saveJsonLinesFile(const QString& path, const LogList& list, QString* error)
{
    static constexpr std::array<const char*, kMaxFieldCount> keys = {
        "{\"browser\":\"",  ",\"host\":\"",     ",\"ip\":\"",
        ",\"datetime\":\"", ",\"referrer\":\"", ",\"request\":\"",
        ",\"status\":\"",   ",\"bytes\":\"",    ",\"vhost\":\""};
    return writeRows(
        path, list, {}, {},
        [&list](const LogRow& row, RowBuffer& out) {
            // Six bytes for a control character is the most any byte can take.
            out.ensure(kMaxFieldCount * 16 + 2 + 6 * qsizetype(row.size()));
            for (int k = 0; k < row.fieldCount; ++k) {
                if (!list.hasField(k))
                    continue;
                out.put(QByteArrayView(keys[std::size_t(k)]));
                out.scratch.truncate(0);
                appendPrintable(row.field(k), out.scratch);
                putJsonText(out.scratch, out);
                out.put('"');
            }
            out.put("}\n");
        },
        error);
}

namespace detail {

qsizetype setWriterBlockRows(qsizetype rows)
{
    return std::exchange(g_blockRows, rows);
}

} // namespace detail

} // namespace tw
