#include "DbxTestHelpers.h"

#include <gtest/gtest.h>

#include <string>

namespace mq {
namespace {

// Counts notifications; asks to stop once `stopAfter` blocks have been notified.
class RecordingObserver : public MessageReadObserver {
public:
    explicit RecordingObserver(int stopAfter = -1) : stopAfter_(stopAfter) {}
    bool cancelled() const override { return blocks == stopAfter_; }
    void blockRead() override { ++blocks; }
    int blocks = 0;

private:
    int stopAfter_;
};

DbxBlock block(std::string data, std::optional<std::int32_t> length = {}) {
    DbxBlock b;
    b.data = toBytes(data);
    b.length = length;
    return b;
}

struct Chain {
    std::vector<std::byte> bytes;
    std::int32_t position;
};

Chain chainOf(std::vector<DbxBlock> blocks, std::optional<std::int32_t> itemCount = {}) {
    DbxWriter w;
    const std::size_t chain = w.addChain(std::move(blocks));
    w.addRecord(numbered(1));
    if (itemCount) w.setItemCount(*itemCount);
    Chain c{w.build(), 0};
    c.position = static_cast<std::int32_t>(w.offsetOfBlock(chain));
    return c;
}

std::string readText(const Chain& c, RecordingObserver& observer, std::string text = {}) {
    MemoryByteSource file(c.bytes);
    dbx::readMessageText(file, c.position, text, observer);
    return text;
}

std::string readText(const Chain& c) {
    RecordingObserver observer;
    return readText(c, observer);
}

TEST(MessageText, BlockDataIsCutAtItsNulAndItsLength) {
    const std::string a(512, 'a'), b(512, 'b'), c(100, 'c');
    RecordingObserver observer;
    EXPECT_EQ(readText(chainOf({block(a), block(b), block(c)}), observer), a + b + c);
    EXPECT_EQ(observer.blocks, 3);

    std::string nul = std::string(40, 'x') + '\0' + std::string(100, 'y');
    EXPECT_EQ(readText(chainOf({block(nul, 512)})), std::string(40, 'x'));
    EXPECT_EQ(readText(chainOf({block(a, 600)})), a);
    EXPECT_EQ(readText(chainOf({block(a, 0), block("after")})), "after");
    EXPECT_EQ(readText(chainOf({block(a, -5), block("after")})), "after");
    EXPECT_EQ(readText(chainOf({block("abcdef", 3)})), "abc");
}

TEST(MessageText, ChainEndsOnMismatchRepeatOrEndOfFile) {
    DbxBlock bad = block("bad");
    bad.selfOffset = 1;
    EXPECT_EQ(readText(chainOf({bad, block("never")})), "");
    EXPECT_EQ(readText(chainOf({block("one"), bad, block("never")})), "one");

    // A loop back to the first block, and a block that names itself.
    DbxBlock back = block("3");
    back.next = DbxRef::chain(0, 0);
    EXPECT_EQ(readText(chainOf({block("1"), block("2"), back})), "123");
    DbxBlock self = block("s");
    self.next = DbxRef::chain(0, 0);
    EXPECT_EQ(readText(chainOf({self})), "s");

    // Cut inside the second block, or the disk failing there: that block does not count.
    Chain cut = chainOf({block("one"), block("two")});
    const std::uint32_t second = getU32(cut.bytes, static_cast<std::size_t>(cut.position) + 12);
    cut.bytes.resize(second + 100);
    EXPECT_EQ(readText(cut), "one");
    Chain failing = chainOf({block("one"), block("two")});
    MemoryByteSource file(failing.bytes);
    file.failAfter(second + 527);
    std::string text;
    RecordingObserver observer;
    dbx::readMessageText(file, failing.position, text, observer);
    EXPECT_EQ(text, "one");
}

TEST(MessageText, PositionAndItemCountDecideBeforeAnyBlock) {
    Chain c = chainOf({block("text")});
    MemoryByteSource file(c.bytes);
    RecordingObserver observer;
    std::string text = "previous";
    dbx::readMessageText(file, 0, text, observer);
    dbx::readMessageText(file, -1, text, observer);
    EXPECT_EQ(text, "previous");
    EXPECT_EQ(file.reads(), 0u);

    EXPECT_EQ(readText(chainOf({block("text")}, 0), observer, "previous"), "");
}

TEST(MessageText, StopRequestEndsAfterTheBlockJustRead) {
    RecordingObserver observer(2);
    EXPECT_EQ(readText(chainOf({block("1"), block("2"), block("3"), block("4")}), observer), "123");
    // Notified after blocks 1 and 2; block 3 is kept, but not notified, once the stop is seen.
    EXPECT_EQ(observer.blocks, 2);
}

}  // namespace
}  // namespace mq
