// The W3C state at a point of a log, found from the directive lines before it.
#include "core/regular_file.h"
#include "core/web_log_parts.h"

#include <QByteArray>

#include <algorithm>
#include <optional>

namespace tw::weblog {
namespace {

constexpr QByteArrayView kBom = "\xEF\xBB\xBF";
constexpr qint64 kFileWindow = qint64(1) << 20;

// Whether the byte at k of bytes begins a line (a byte order mark may stand before it);
// viewStartsLine tells whether bytes itself begins at a line start.
bool startsLine(QByteArrayView bytes, qsizetype k, bool viewStartsLine)
{
    if (k == 0)
        return viewStartsLine;
    if (bytes[k - 1] == '\n')
        return true;
    if (k < 3 || bytes.sliced(k - 3, 3) != kBom)
        return false;
    return k == 3 ? viewStartsLine : bytes[k - 4] == '\n';
}

// The first line of bytes, as parseBody would hand it over.
QByteArrayView lineIn(QByteArrayView bytes)
{
    const qsizetype lf = bytes.indexOf('\n');
    QByteArrayView line = lf < 0 ? bytes : bytes.first(lf);
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

class MemorySource {
public:
    explicit MemorySource(QByteArrayView bytes) : m_bytes(bytes) {}
    QByteArrayView view(qint64 pos, qint64 n) { return m_bytes.sliced(pos, n); }
    QByteArrayView line(qint64 pos, qint64 limit)
    {
        return lineIn(m_bytes.sliced(pos, limit - pos));
    }

private:
    QByteArrayView m_bytes;
};

// Bytes that cannot be read are taken as zeros: they hold no directive.
class FileSource {
public:
    explicit FileSource(const RegularFile& file) : m_file(file) {}

    QByteArrayView view(qint64 pos, qint64 n)
    {
        m_window.resize(n);
        readAt(pos, m_window.data(), n);
        return m_window;
    }

    QByteArrayView line(qint64 pos, qint64 limit)
    {
        constexpr qint64 kPiece = 4096;
        m_line.clear();
        for (qint64 at = pos; at < limit;) {
            const qint64 n = std::min(kPiece, limit - at);
            const qsizetype old = m_line.size();
            m_line.resize(old + n);
            readAt(at, m_line.data() + old, n);
            if (std::memchr(m_line.constData() + old, '\n', std::size_t(n)))
                break;
            at += n;
        }
        return lineIn(m_line);
    }

private:
    void readAt(qint64 pos, char* data, qint64 n)
    {
        const qint64 got = std::max<qint64>(0, m_file.readAt(pos, data, n));
        std::memset(data + got, 0, std::size_t(n - got));
    }

    const RegularFile& m_file;
    QByteArray m_window;
    QByteArray m_line;
};

bool isFieldsLine(QByteArrayView line)
{
    return line.startsWith("#Fields:");
}

bool isDateLine(QByteArrayView line)
{
    return line.startsWith("#Date:");
}

// Going back from pos: the last "#Fields:" line, and the last "#Date:" line unless a "#Fields:"
// line naming the date comes after it (which makes the state forget it).
template <class Source> ParseState stateBeforeIn(Source& source, qint64 pos, qint64 window)
{
    std::optional<QByteArray> fields, date;
    qint64 fieldsAt = 0, dateAt = 0;
    bool dateSettled = false;
    for (qint64 end = pos; end > 0 && !(fields && dateSettled);) {
        const qint64 start = std::max<qint64>(0, end - window);
        const qint64 from = std::max<qint64>(0, start - kBom.size() - 1);
        const QByteArrayView bytes = source.view(from, end - from);
        const char* low = bytes.data() + (start - from);
        for (const char* high = bytes.end(); high > low && !(fields && dateSettled);) {
            const char* hash = static_cast<const char*>(memrchr(low, '#', std::size_t(high - low)));
            if (!hash)
                break;
            high = hash;
            if (!startsLine(bytes, hash - bytes.data(), from == 0))
                continue;
            const qint64 at = from + (hash - bytes.data());
            const QByteArrayView line = source.line(at, pos);
            if (isFieldsLine(line)) {
                if (!fields) {
                    fields = line.toByteArray();
                    fieldsAt = at;
                }
                ParseState probe;
                detail::applyW3cDirective(line, probe);
                dateSettled = dateSettled || (probe.namedRoles & (1u << detail::RoleDate));
            } else if (isDateLine(line) && !dateSettled) {
                date = line.toByteArray();
                dateAt = at;
                dateSettled = true;
            }
        }
        end = start;
    }
    // In the order the log has them: a "#Fields:" line naming the date forgets an earlier date.
    ParseState state;
    const bool dateFirst = date && fields && dateAt < fieldsAt;
    if (dateFirst)
        detail::applyW3cDirective(*date, state);
    if (fields)
        detail::applyW3cDirective(*fields, state);
    if (date && !dateFirst)
        detail::applyW3cDirective(*date, state);
    return state;
}

} // namespace

ParseState stateBefore(Format format, QByteArrayView bytes, qsizetype pos)
{
    if (format != Format::W3C)
        return ParseState();
    MemorySource source(bytes);
    pos = std::clamp<qsizetype>(pos, 0, bytes.size());
    return stateBeforeIn(source, pos, pos);
}

ParseState stateBefore(Format format, const RegularFile& file, qint64 pos)
{
    return detail::stateBefore(format, file, pos, kFileWindow);
}

ParseState detail::stateBefore(Format format, const RegularFile& file, qint64 pos, qint64 window)
{
    if (format != Format::W3C)
        return ParseState();
    FileSource source(file);
    return stateBeforeIn(source, std::clamp<qint64>(pos, 0, file.size()),
                         std::max<qint64>(1, window));
}

void advanceState(Format format, QByteArrayView lines, ParseState& state)
{
    if (format != Format::W3C)
        return;
    for (qsizetype k = lines.indexOf('#'); k >= 0; k = lines.indexOf('#', k + 1)) {
        if (startsLine(lines, k, true))
            detail::applyW3cDirective(lineIn(lines.sliced(k)), state);
    }
}

} // namespace tw::weblog
