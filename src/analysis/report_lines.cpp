#include "analysis/report_lines.h"

#include "core/cp932.h"

#include <charconv>

namespace tw {
namespace {

constexpr qsizetype kPieceBytes = qsizetype(1) << 20;

} // namespace

void ReportLines::appendNumber(qint64 n)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    m_buffer.append(digits, end - digits);
}

void ReportLines::endLine()
{
    m_buffer.append("\r\n", 2);
    if (m_buffer.size() >= kPieceBytes) {
        m_sink(m_buffer);
        m_buffer.resize(0); // keeps the room for the next piece
    }
}

void ReportLines::finish()
{
    if (!m_buffer.isEmpty())
        m_sink(m_buffer);
    m_buffer.clear();
}

void appendEntryLines(ReportLines& out, const FirstSeenTally& tally,
                      const std::vector<qsizetype>& order, std::size_t lines,
                      QByteArrayView keyPrefix)
{
    for (std::size_t k = 0; k < lines; ++k) {
        const qsizetype i = order[k];
        out.append("  ");
        out.appendNumber(tally.counts()[std::size_t(i)]);
        out.append("回\t");
        out.append(keyPrefix);
        out.append(tally.key(i));
        out.endLine();
    }
}

QString shownReportText(QByteArrayView utf8)
{
    QString text = QString::fromUtf8(utf8);
    QChar* const begin = text.data();
    const QChar* const end = begin + text.size();
    QChar* out = begin;
    for (const QChar* in = begin; in != end; ++in) {
        if (*in == u'\r' && in + 1 != end && in[1] == u'\n')
            continue;
        if (in->isHighSurrogate() && in + 1 != end &&
            cp932::isCodeMark(QChar::surrogateToUcs4(*in, in[1]))) {
            ++in;
            continue;
        }
        *out++ = *in;
    }
    text.truncate(out - begin);
    return text;
}

QString collectReport(const std::function<void(const ReportSink&)>& write)
{
    QByteArray all;
    write([&all](QByteArrayView piece) { all.append(piece); });
    return QString::fromUtf8(all);
}

void forEachLineRun(QByteArrayView text, const std::function<void(QByteArrayView)>& take)
{
    while (!text.isEmpty()) {
        qsizetype end = text.size();
        if (end > kPieceBytes) {
            const qsizetype lf = text.indexOf('\n', kPieceBytes - 1);
            if (lf >= 0)
                end = lf + 1;
        }
        take(text.first(end));
        text = text.sliced(end);
    }
}

} // namespace tw
