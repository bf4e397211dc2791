#include "view/ColumnLayout.h"

#include <gtest/gtest.h>

#include <vector>

namespace mq {
namespace {

using Order = std::vector<int>;

TEST(ColumnLayout, RestoresAndStoresTheColumnPositions) {
    struct Case {
        const char* text;
        Order order;  // logical columns from left to right
    };
    const Case cases[] = {
        {"01234", {0, 1, 2, 3, 4}},  {"12340", {4, 0, 1, 2, 3}}, {"40123", {1, 2, 3, 4, 0}},
        {"99999", {0, 1, 2, 3, 4}},  // each past the end: moved last in turn
        {"012345", {0, 1, 2, 3, 4}}, {"012", {0, 1, 2, 3, 4}},   {"0a234", {0, 1, 2, 3, 4}},
        {"", {0, 1, 2, 3, 4}},       {"-1234", {0, 1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(restoreColumnOrder(c.text, 5), c.order) << c.text;
    }
    // Written back unchanged.
    for (const char* text : {"01234", "12340", "40123", "43210", "10234"}) {
        EXPECT_EQ(storeColumnOrder(restoreColumnOrder(text, 5)), text);
    }
    EXPECT_EQ(storeColumnOrder({4, 0, 1, 2, 3}), "12340");
}

}  // namespace
}  // namespace mq
