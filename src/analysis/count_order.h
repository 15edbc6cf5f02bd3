#pragma once

#include <QtGlobal>

#include <vector>

namespace tw {

// The order in which the statistics list their entries: largest count first, and entries with
// equal counts in the order left by this exchange procedure over the table in first-appearance
// order:
//     for a from the last index down to the first:
//         for b from the last index down to a:
//             if count(a) < count(b): exchange entries a and b
// Returns the entry indexes in that order, in O(n log n).
std::vector<qsizetype> countOrder(const std::vector<qint64>& counts);

} // namespace tw
