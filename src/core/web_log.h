#pragma once

#include <QByteArrayView>

#include <array>
#include <bitset>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>

namespace tw {
class RegularFile;
}

// Access logs as web servers write them: Common Log Format, Combined, Combined with a virtual-host
// prefix, and W3C extended logs. Every byte of such a log was chosen by a stranger, so nothing here
// trusts a length, a quote or an escape, and no line costs an allocation.
namespace tw::weblog {

enum class Format { Common, Combined, VirtualHostCombined, W3C };

// The nine fields of a row in this order; the first five are the list's five columns.
enum WebField : int {
    Browser,
    Host,
    IP,
    DateTime,
    PreviousPage,
    Request,
    Status,
    Bytes,
    VirtualHost
};
constexpr int kWebFieldCount = 9;
using FieldSet = std::bitset<kWebFieldCount>;

// Names the format from the first non-empty lines of head (the first few KB of a file; it may end
// in the middle of a line), or nullopt when it is none of them.
std::optional<Format> detectFormat(QByteArrayView head);

// What carries from line to line: the field layout of the last W3C "#Fields:" line and the date
// of the last "#Date:" line, for logs whose fields have the time but not the date (a "#Fields:"
// line that names the date forgets it). The other formats have none.
struct ParseState {
    static constexpr int kMaxNamedFields = 128; // fields past these are counted but never used
    qsizetype fieldCount = -1;                  // -1: no "#Fields:" line yet
    std::array<std::uint8_t, kMaxNamedFields> roles{}; // what each field is to this program
    std::uint32_t namedRoles = 0;                      // one bit per role some field has
    std::array<char, 10> directiveDate{};              // "YYYY/MM/DD"
    bool hasDirectiveDate = false;
};

namespace detail {
// Bytes that decoded fields live in, reused from line to line: a parse allocates only when its
// line is longer than every line before.
class Scratch {
public:
    void reset(qsizetype need);
    char* end() { return m_data.get() + m_used; }
    // Makes [end(), stop) part of the used bytes and returns it.
    QByteArrayView take(char* stop);
    QByteArrayView used() const { return QByteArrayView(m_data.get(), m_used); }

private:
    std::unique_ptr<char[]> m_data;
    qsizetype m_capacity = 0;
    qsizetype m_used = 0;
};
} // namespace detail

// One parsed line: the UTF-8 texts of the nine fields (empty where the line's format does not
// log the field), each a view into the line or into the record's own bytes, valid until the next
// parse into this record.
struct Record {
    std::array<QByteArrayView, kWebFieldCount> fields;
    FieldSet logged;
    QByteArrayView line; // as it came, without its line end
    detail::Scratch scratch;

    QByteArrayView field(WebField f) const { return fields[std::size_t(f)]; }
};

// Directive: a W3C "#" line (it updates the state). Blank: an empty line.
enum class LineResult { Record, Directive, Blank, Skipped };

// Parses one line, given without its line end.
LineResult parseLine(Format format, QByteArrayView line, ParseState& state, Record& record);

// The fields a format can log: Common has no browser and no previous page, the Combined forms no
// virtual host but for the prefixed one, and a W3C log the fields its "#Fields:" line names.
FieldSet loggedFields(Format format, const ParseState& state);

// Parses every line of [p, end) (lines end at LF, CR LF or the end), calling
// sink.record(const Record&) and sink.skipped(QByteArrayView line) in order.
template <class Sink>
void parseBody(Format format, const char* p, const char* end, ParseState& state, Sink& sink)
{
    Record record;
    while (p < end) {
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', std::size_t(end - p)));
        const char* next = lf ? lf + 1 : end;
        const char* lineEnd = lf ? lf : end;
        if (lineEnd > p && lineEnd[-1] == '\r')
            --lineEnd;
        const QByteArrayView line(p, lineEnd - p);
        switch (parseLine(format, line, state, record)) {
        case LineResult::Record:
            sink.record(static_cast<const Record&>(record));
            break;
        case LineResult::Skipped:
            sink.skipped(line);
            break;
        case LineResult::Directive:
        case LineResult::Blank:
            break;
        }
        p = next;
    }
}

// For cutting a log into parts parsed on several cores: the state in effect at offset pos, which
// should be a line start (the last "#Fields:" and "#Date:" lines before it). Reads backwards from
// pos, so the cost is the distance to those lines, not the size of the log.
ParseState stateBefore(Format format, QByteArrayView bytes, qsizetype pos);
// The same from a file; an unreadable part counts as holding no directive.
ParseState stateBefore(Format format, const RegularFile& file, qint64 pos);
// Carries the state over complete lines without parsing their records, for a reader that hands
// consecutive chunks of a stream to several cores.
void advanceState(Format format, QByteArrayView lines, ParseState& state);

namespace detail {
ParseState stateBefore(Format format, const RegularFile& file, qint64 pos, qint64 window);
}

} // namespace tw::weblog
