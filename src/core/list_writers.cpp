#include "core/list_writers.h"

#include "core/cp932.h"
#include "core/log_reader.h"

#include <QSaveFile>

#include <array>
#include <cstring>

namespace tw {
namespace {

QByteArray encoded(const char* utf8)
{
    return cp932::encodeUtf8(QByteArrayView(utf8));
}

// The file is built in a buffer through a raw cursor (a million rows make tens of millions of
// small pieces, too many for QByteArray::append one by one) and handed to a QSaveFile a
// megabyte at a time, which stays in the cache and keeps memory flat. The target is replaced
// only by commit(), so a failure anywhere leaves the previous file as it was.
class FileSink {
public:
    explicit FileSink(const QString& path) : m_file(path) {}

    bool open(QString* error)
    {
        if (m_file.open(QIODevice::WriteOnly)) {
            m_buffer = QByteArray(kChunk, Qt::Uninitialized);
            m_cursor = m_buffer.data();
            return true;
        }
        if (error)
            *error =
                QStringLiteral("cannot create %1: %2").arg(m_file.fileName(), m_file.errorString());
        return false;
    }
    // Room for n more bytes at the cursor.
    void ensure(qsizetype n)
    {
        if (m_buffer.data() + m_buffer.size() - m_cursor >= n)
            return;
        flush();
        if (m_buffer.size() < n) {
            m_buffer.resize(n);
            m_cursor = m_buffer.data();
        }
    }
    void put(char c) { *m_cursor++ = c; }
    void put(QByteArrayView bytes)
    {
        std::memcpy(m_cursor, bytes.data(), std::size_t(bytes.size()));
        m_cursor += bytes.size();
    }
    char* cursor() const { return m_cursor; }
    // Takes n bytes written at the cursor (room for them ensured) into the file.
    void advance(qsizetype n) { m_cursor += n; }

    bool commit(QString* error)
    {
        flush();
        if (!m_failed && m_file.commit())
            return true;
        if (error)
            *error =
                QStringLiteral("cannot write %1: %2").arg(m_file.fileName(), m_file.errorString());
        m_file.cancelWriting();
        return false;
    }

private:
    static constexpr qsizetype kChunk = qsizetype(1) << 20;

    void flush()
    {
        const qsizetype used = m_cursor - m_buffer.data();
        if (used && !m_failed && m_file.write(m_buffer.constData(), used) != used)
            m_failed = true;
        m_cursor = m_buffer.data();
    }

    QSaveFile m_file;
    QByteArray m_buffer;
    char* m_cursor = nullptr;
    bool m_failed = false;
};

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
    return qsizetype(row.ends[kColumnCount - 1]);
}

// CP932 never uses TAB, CR, LF or '"' as the second byte of a character, so the encoded bytes
// can be checked one by one without splitting a character.

// The value's CP932 bytes as they are. True when it was plain ASCII without control characters
// and went straight in.
bool putEncodedValue(QByteArrayView utf8, FileSink& sink, QByteArray& scratch)
{
    if (copyPlainAscii(utf8, sink.cursor(), Quotes::Plain)) {
        sink.advance(utf8.size());
        return true;
    }
    scratch.truncate(0);
    cp932::appendEncodedUtf8(utf8, scratch);
    sink.put(scratch);
    return false;
}

// A list-file value: TAB, CR and LF would break the line, so they become blanks.
void putListValue(QByteArrayView utf8, FileSink& sink, QByteArray& scratch)
{
    char* const begin = sink.cursor();
    if (putEncodedValue(utf8, sink, scratch))
        return;
    for (char* p = begin; p < sink.cursor(); ++p) {
        if (*p == '\t' || *p == '\r' || *p == '\n')
            *p = ' ';
    }
}

// A CSV value between quotes, with each quote inside doubled.
void putCsvValue(QByteArrayView utf8, FileSink& sink, QByteArray& scratch)
{
    sink.put('"');
    if (copyPlainAscii(utf8, sink.cursor(), Quotes::Special)) {
        sink.advance(utf8.size());
    } else {
        scratch.truncate(0);
        cp932::appendEncodedUtf8(utf8, scratch);
        for (char c : std::as_const(scratch)) {
            if (c == '"')
                sink.put('"');
            sink.put(c);
        }
    }
    sink.put('"');
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
    FileSink sink(path);
    if (!sink.open(error))
        return false;
    QByteArray scratch;
    sink.ensure(64);
    sink.put(QByteArrayView(kListHeaderLine));
    sink.put("\r\n");
    for (qsizetype r = 0; r < list.rowCount(); ++r) {
        const LogRow& row = list.row(r);
        sink.ensure(fixedRowBytes + rowBytes(row));
        for (int k = 0; k < kColumnCount; ++k) {
            if (k)
                sink.put('\t');
            sink.put(labels[std::size_t(k)]);
            putListValue(row.field(k), sink, scratch);
        }
        sink.put("\r\n");
    }
    return sink.commit(error);
}

bool saveCsvFile(const QString& path, const LogList& list, QString* error)
{
    constexpr qsizetype fixedRowBytes = 3 * kColumnCount + 1;
    FileSink sink(path);
    if (!sink.open(error))
        return false;
    QByteArray scratch;
    const QByteArray header = csvHeaderLine();
    sink.ensure(header.size() + 2);
    sink.put(header);
    sink.put("\r\n");
    for (qsizetype r = 0; r < list.rowCount(); ++r) {
        const LogRow& row = list.row(r);
        // Doubling every byte is the worst a value can grow.
        sink.ensure(fixedRowBytes + 2 * rowBytes(row));
        for (int k = 0; k < kColumnCount; ++k) {
            if (k)
                sink.put(',');
            putCsvValue(row.field(k), sink, scratch);
        }
        sink.put("\r\n");
    }
    return sink.commit(error);
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

    FileSink sink(path);
    if (!sink.open(error))
        return false;
    QByteArray scratch;
    sink.ensure(head.size());
    sink.put(head);
    for (qsizetype r = 0; r < list.rowCount(); ++r) {
        const LogRow& row = list.row(r);
        sink.ensure(fixedRowBytes + rowBytes(row));
        for (int k = 0; k < kColumnCount; ++k) {
            sink.put(labels[std::size_t(k)]);
            putEncodedValue(row.field(k), sink, scratch);
            sink.put("\r\n");
        }
        sink.put("\r\n");
    }
    sink.ensure(7);
    sink.put("[EOF]\r\n");
    return sink.commit(error);
}

} // namespace tw
