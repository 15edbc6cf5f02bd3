#pragma once

#include "analysis/row_subset.h"

#include <atomic>
#include <optional>
#include <span>
#include <vector>

namespace tw {

// The address a visitor is told by: the IP, else the host as logged.
QByteArrayView visitorAddress(const LogList& list, qsizetype row);

// How many distinct visitors (address and user agent) each slot holds. rowSlots[i] is the slot of
// the subset's i-th row, or -1 when that row is not counted. Worked out on every core; texts are
// compared exactly, so no two visitors are ever taken for one. Nothing when cancel is seen set.
std::optional<std::vector<qint64>> distinctVisitors(const LogList& list, const RowSubset& rows,
                                                    std::span<const qint32> rowSlots,
                                                    std::size_t slotCount,
                                                    const std::atomic<bool>* cancel);

} // namespace tw
