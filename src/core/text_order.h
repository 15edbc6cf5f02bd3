#pragma once

#include <QtGlobal>

#include <span>
#include <string_view>
#include <vector>

namespace tw {

// The indexes of texts in the order of their UTF-8 bytes (descending: the reverse order of
// texts); equal texts keep their index order in both directions.
std::vector<quint32> stableTextOrder(std::span<const std::string_view> texts, bool ascending);

} // namespace tw
