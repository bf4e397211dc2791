#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mq {

// The column-position text: character i is the display position of column i.

// The display order that the text gives, as logical column indices from left to right:
// each column in turn is moved to its stored position (a position past the end means the
// last place), starting from the designed order. A text that is too short or holds a
// non-digit among its first `columnCount` characters gives the designed order.
std::vector<int> restoreColumnOrder(std::string_view positions, int columnCount);

// The text for a display order (logical column indices from left to right): the display
// position of each column, in column order.
std::string storeColumnOrder(const std::vector<int>& displayOrder);

}  // namespace mq
