#include "view/ColumnLayout.h"

#include <algorithm>
#include <numeric>

namespace mq {

std::vector<int> restoreColumnOrder(std::string_view positions, int columnCount) {
    std::vector<int> order(static_cast<std::size_t>(std::max(columnCount, 0)));
    std::iota(order.begin(), order.end(), 0);
    if (positions.size() < order.size()) return order;
    const bool allDigits =
        std::all_of(positions.begin(), positions.begin() + static_cast<long>(order.size()),
                    [](char c) { return c >= '0' && c <= '9'; });
    if (!allDigits) return order;

    // Each column in turn moves to its stored place; the columns in between shift by one.
    for (int column = 0; column < columnCount; ++column) {
        const int target =
            std::min(positions[static_cast<std::size_t>(column)] - '0', columnCount - 1);
        const auto current = std::find(order.begin(), order.end(), column);
        order.erase(current);
        order.insert(order.begin() + target, column);
    }
    return order;
}

std::string storeColumnOrder(const std::vector<int>& displayOrder) {
    std::vector<std::size_t> positionOf(displayOrder.size());
    for (std::size_t visual = 0; visual < displayOrder.size(); ++visual) {
        const int column = displayOrder[visual];
        if (column >= 0 && static_cast<std::size_t>(column) < positionOf.size()) {
            positionOf[static_cast<std::size_t>(column)] = visual;
        }
    }
    std::string text;
    for (std::size_t position : positionOf) text += std::to_string(position);
    return text;
}

}  // namespace mq
