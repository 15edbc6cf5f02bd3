#include "analysis/entry_lines.h"

#include <charconv>

namespace tw {

void appendNumber(QByteArray& out, qint64 n)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    out.append(digits, end - digits);
}

void appendEntryLines(QByteArray& out, const FirstSeenTally& tally,
                      const std::vector<qsizetype>& order, std::size_t lines,
                      QByteArrayView keyPrefix)
{
    static constexpr QByteArrayView kTimes = "回\t";
    static constexpr QByteArrayView kCrLf = "\r\n";
    qsizetype room = 0;
    for (std::size_t k = 0; k < lines; ++k)
        room += tally.key(order[k]).size();
    room += qsizetype(lines) * (2 + 20 + kTimes.size() + keyPrefix.size() + kCrLf.size());
    out.reserve(out.size() + room);
    for (std::size_t k = 0; k < lines; ++k) {
        const qsizetype i = order[k];
        out.append("  ", 2);
        appendNumber(out, tally.counts()[std::size_t(i)]);
        out.append(kTimes);
        out.append(keyPrefix);
        out.append(tally.key(i));
        out.append(kCrLf);
    }
}

} // namespace tw
