#include "DbxTestHelpers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <numeric>

namespace mq {
namespace {

using ::testing::ElementsAre;

DbxNodeEntry entry(DbxRef record, DbxRef child = {}) {
    return {record, child};
}

TEST(DbxTree, VisitsLinksThenEntriesWithTheirChildren) {
    DbxWriter w;
    for (std::uint32_t n = 1; n <= 6; ++n) w.addRecord(numbered(n));
    // Root: first link A (record 1), second link B (record 2), entries e1 (record 3, child
    // with record 4) and e2 (record 5, child with record 6).
    w.addNode(nodeOf(
        {entry(DbxRef::record(2), DbxRef::node(3)), entry(DbxRef::record(4), DbxRef::node(4))},
        DbxRef::node(1), DbxRef::node(2)));
    for (std::size_t r : {0, 1, 3, 5}) w.addNode(nodeOf({entry(DbxRef::record(r))}));
    EXPECT_THAT(numbersOf(readMessages(w.build())), ElementsAre(1, 2, 3, 4, 5, 6));
}

TEST(DbxTree, LoopsBadNodesAndEmptyEntries) {
    DbxWriter w;
    for (std::uint32_t n = 1; n <= 4; ++n) w.addRecord(numbered(n));
    // The root links to itself; its child loops back to the root and to itself; a node with
    // a wrong self offset is reached twice; an entry without a record still has its child
    // walked; record 1 is referenced twice and so read twice.
    w.addNode(
        nodeOf({entry(DbxRef::record(0), DbxRef::node(1)), entry(DbxRef::none(), DbxRef::node(3))},
               DbxRef::node(0), DbxRef::node(2)));
    w.addNode(nodeOf(
        {entry(DbxRef::record(1), DbxRef::node(0)), entry(DbxRef::record(0), DbxRef::node(2))},
        DbxRef::node(1)));
    DbxNode bad = nodeOf({entry(DbxRef::record(2))});
    bad.selfOffset = 0x12345678;
    w.addNode(bad);
    w.addNode(nodeOf({entry(DbxRef::record(3), DbxRef::node(1))}));
    EXPECT_THAT(numbersOf(readMessages(w.build())), ElementsAre(1, 2, 1, 4));
}

TEST(DbxTree, EntryCountIsTheUpper24BitsCutAtTheFileEnd) {
    auto countOf = [](std::uint32_t field) {
        DbxWriter w;
        w.addRecord(numbered(7));
        DbxNode node = nodeOf({entry(DbxRef::record(0))});
        node.countField = field;
        w.addNode(node);
        return readMessages(w.build()).size();
    };
    EXPECT_EQ(countOf(0x100), 1u);
    EXPECT_EQ(countOf(0xFF), 0u);
    // The one real entry lies at the very end of the file; the claimed rest is past it.
    EXPECT_EQ(countOf(0xFFFFFF00), 1u);
}

TEST(DbxTree, ItemCountZeroOrLessMeansEmpty) {
    for (std::int32_t count : {0, -1}) {
        DbxWriter w;
        w.addRecord(numbered(1));
        w.setItemCount(count);
        EXPECT_TRUE(readMessages(w.build()).empty()) << count;
    }
    DbxWriter w;
    w.addRecord(numbered(1));
    w.setRoot(DbxRef::offset(0x80000000));  // negative: no root
    EXPECT_TRUE(readMessages(w.build()).empty());
}

TEST(DbxTree, ChainOfNodesAsDeepAsTheFileIsWalked) {
    // Each node holds one record and links to the next: the walk goes all the way down
    // before it takes the first record, so the records come out last to first.
    DbxWriter w;
    constexpr std::uint32_t count = 100000;
    for (std::uint32_t n = 0; n < count; ++n) {
        w.addRecord(numbered(n + 1));
        w.addNode(nodeOf({entry(DbxRef::record(n))},
                         n + 1 < count ? DbxRef::node(n + 1) : DbxRef::none()));
    }
    std::vector<std::uint32_t> expected(count);
    std::iota(expected.rbegin(), expected.rend(), 1u);
    EXPECT_EQ(numbersOf(readMessages(w.build())), expected);
}

}  // namespace
}  // namespace mq
