#pragma once

#include "analysis/first_seen_tally.h"

#include <QByteArray>

#include <vector>

namespace tw {

// Appends the entry lines "  <count>回<TAB><prefix><key>" + CR LF of a tally in the given order
// (UTF-8), reserving the room once.
void appendEntryLines(QByteArray& out, const FirstSeenTally& tally,
                      const std::vector<qsizetype>& order, std::size_t lines,
                      QByteArrayView keyPrefix = {});

void appendNumber(QByteArray& out, qint64 n);

} // namespace tw
