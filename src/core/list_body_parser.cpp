#include "core/list_body_parser.h"

#include <QThread>

namespace tw::detail {
namespace {

ReaderSplit g_split{qint64(8) << 20, qint64(16) << 20, 0};

// The offset just after the first line end at or after from (end when there is none).
qint64 nextLineStart(const RegularFile& file, qint64 from, qint64 end, LineEnds ends)
{
    constexpr qint64 kWindow = 64 * 1024;
    QByteArray window(kWindow, Qt::Uninitialized);
    for (qint64 pos = from; pos < end;) {
        const qint64 got = file.readAt(pos, window.data(), std::min(kWindow, end - pos));
        if (got <= 0)
            return end;
        for (qint64 i = 0; i < got; ++i) {
            if (window[i] == '\n' || (ends == LineEnds::CrOrLf && window[i] == '\r'))
                return pos + i + 1;
        }
        pos += got;
    }
    return end;
}

} // namespace

ReaderSplit readerSplit()
{
    return g_split;
}

void setReaderSplit(const ReaderSplit& split)
{
    g_split = split;
}

std::vector<qint64> listBodyRanges(const RegularFile& file, qint64 bodyStart, qint64 size,
                                   LineEnds ends)
{
    const qint64 body = size - bodyStart;
    const int ranges = int(std::clamp<qint64>(
        body / g_split.minRangeBytes, 1,
        g_split.maxRanges > 0 ? g_split.maxRanges : std::max(1, QThread::idealThreadCount())));
    std::vector<qint64> cuts = {bodyStart};
    for (int t = 1; t < ranges; ++t)
        cuts.push_back(
            std::max(cuts.back(), nextLineStart(file, bodyStart + body * t / ranges, size, ends)));
    cuts.push_back(size);
    return cuts;
}

} // namespace tw::detail
