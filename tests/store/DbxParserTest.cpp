#include "DbxFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <numeric>

namespace mq {
namespace {

using E = DbxRecordEntry;
using ::testing::ElementsAre;

DbxNode nodeOf(std::vector<DbxNodeEntry> entries, DbxRef first = {}, DbxRef second = {}) {
    DbxNode n;
    n.entries = std::move(entries);
    n.firstLink = first;
    n.secondLink = second;
    return n;
}
DbxNodeEntry entry(DbxRef record, DbxRef child = {}) {
    return {record, child};
}

// The message numbers (entry 0x80) of the records the file yields, in load order.
std::vector<std::uint32_t> numbersIn(DbxWriter& w) {
    std::vector<std::uint32_t> numbers;
    for (const auto& info : readMessages(w.build())) numbers.push_back(info.MessageNumber);
    return numbers;
}

DbxWriter numberedRecords(std::uint32_t count) {
    DbxWriter w;
    for (std::uint32_t n = 1; n <= count; ++n) w.addRecord(recordOf({E::direct(0x80, n)}));
    return w;
}

TEST(DbxTree, VisitsLinksThenEntriesWithTheirChildren) {
    // First link A (1), second link B (2), entries e1 (3, child with 4), e2 (5, child with 6).
    DbxWriter w = numberedRecords(6);
    w.addNode(nodeOf(
        {entry(DbxRef::record(2), DbxRef::node(3)), entry(DbxRef::record(4), DbxRef::node(4))},
        DbxRef::node(1), DbxRef::node(2)));
    for (std::size_t r : {0, 1, 3, 5}) w.addNode(nodeOf({entry(DbxRef::record(r))}));
    EXPECT_THAT(numbersIn(w), ElementsAre(1, 2, 3, 4, 5, 6));
}

TEST(DbxTree, LoopsBadNodesAndEmptyEntries) {
    // The root links to itself and its child back to it; a node with a wrong self offset is
    // reached twice; an entry without a record has its child walked; record 1 is named twice.
    DbxWriter w = numberedRecords(4);
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
    EXPECT_THAT(numbersIn(w), ElementsAre(1, 2, 1, 4));
}

TEST(DbxTree, HeaderAndCountFieldsBoundTheWalk) {
    auto withCountField = [](std::uint32_t field) {
        DbxWriter w = numberedRecords(1);
        DbxNode node = nodeOf({entry(DbxRef::record(0))});
        node.countField = field;
        w.addNode(node);
        return numbersIn(w).size();
    };
    EXPECT_EQ(withCountField(0x100), 1u);
    EXPECT_EQ(withCountField(0xFF), 0u);
    EXPECT_EQ(withCountField(0xFFFFFF00), 1u);  // the claimed rest lies past the file's end

    for (std::int32_t count : {0, -1}) {
        DbxWriter w = numberedRecords(1);
        w.setItemCount(count);
        EXPECT_TRUE(numbersIn(w).empty()) << count;
    }
    DbxWriter w = numberedRecords(1);
    w.setRoot(DbxRef::offset(0x80000000));  // negative: no root
    EXPECT_TRUE(numbersIn(w).empty());
}

TEST(DbxTree, ChainOfNodesAsDeepAsTheFileIsWalked) {
    // Each node links to the next before its own record: records come out last to first.
    constexpr std::uint32_t count = 100000;
    DbxWriter w = numberedRecords(count);
    for (std::uint32_t n = 0; n < count; ++n)
        w.addNode(nodeOf({entry(DbxRef::record(n))},
                         n + 1 < count ? DbxRef::node(n + 1) : DbxRef::none()));
    std::vector<std::uint32_t> expected(count);
    std::iota(expected.rbegin(), expected.rend(), 1u);
    EXPECT_EQ(numbersIn(w), expected);
}

TEST(FolderRecords, KeptOnlyWithAnEntry3Or6) {
    DbxWriter w(DbxWriter::Kind::Folders);
    w.addRecord(recordOf(
        {E::text(3, "Inbox.dbx"), E::direct(0x80, 5), E::text(2, "Inbox"), E::direct(0x81, 9)}));
    w.addRecord(recordOf({E::text(2, "Local Folders"), E::uint32(6, 0)}));
    w.addRecord(recordOf({E::text(2, "Dropped")}));
    w.addRecord(recordOf({E::text(2, "Inbox"), E::text(3, "Inbox (2).dbx")}));
    DbxRecord misplaced = recordOf({E::text(2, "x"), E::text(3, "x.dbx")});
    misplaced.selfOffset = 0x1000;
    w.addRecord(misplaced);
    MemoryByteSource file(w.build());
    FolderList f;
    dbx::readFolderRecords(file, f);
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[0].Name + "|" + f[0].FileName, "Inbox|Inbox.dbx");
    EXPECT_EQ(f[0].Direct80 * 100 + f[0].Direct81, 509u);
    EXPECT_EQ(f[1].Name + "|" + f[1].FileName, "Local Folders|");
    EXPECT_EQ(f[2].Name + "|" + f[2].FileName, "Inbox|Inbox (2).dbx");
}

// The one message record of a file holding `entries`, after `damage` has changed it.
Toe5_MessageInfo readOne(std::vector<E> entries, void (*damage)(DbxRecord&) = nullptr) {
    DbxRecord record = recordOf(std::move(entries));
    if (damage) damage(record);
    DbxWriter w;
    w.addRecord(std::move(record));
    MessageInfoList list = readMessages(w.build());
    EXPECT_EQ(list.size(), 1u);
    return list.empty() ? Toe5_MessageInfo{} : list.front();
}

TEST(MessageRecords, EveryFieldFromItsEntryInAnyOrder) {
    const Toe5_MessageInfo m = readOne(
        {E::text(27, "id"), E::direct(0x91, 16993), E::text(13, "from"),
         E::filetime(18, 0x0123456789ABCDEFull), E::text(26, "acct"), E::text(7, "<mid>"),
         E::filetime(2, 42), E::text(8, "subj"), E::text(9, "other"), E::text(19, "to"),
         E::text(14, "reply"), E::text(10, "refs"), E::text(11, "news"), E::direct(0x80, 0xFFFFFF),
         E::direct(0x81, 3), E::text(12, "skipped"), E::uint32(5, 1), E::direct(0x84, 0x1234)});
    EXPECT_EQ(m.AccountId + m.Account + m.MessageId + m.Subject + m.From + m.OtherFrom + m.To +
                  m.ReplyTo + m.References + m.Newsgroup,
              "idacct<mid>subjfromothertoreplyrefsnews");
    EXPECT_EQ(m.MessageNumber, 0xFFFFFFu);
    EXPECT_EQ(m.MessageStatus, 3u);
    EXPECT_EQ(m.SentDate, 42u);
    EXPECT_EQ(m.ReceivedDate, 0x0123456789ABCDEFull);
    EXPECT_EQ(m.MessageSize, 16993u);
    EXPECT_EQ(m.MessagePosition, 0x1234);
}

TEST(MessageRecords, LaterPositionEntryWinsAndEmptyRecordsStay) {
    EXPECT_EQ(readOne({E::direct(0x84, 100), E::uint32(4, 0x01000000)}).MessagePosition,
              0x01000000);
    EXPECT_EQ(readOne({E::uint32(4, 0x01000000), E::direct(0x84, 100)}).MessagePosition, 100);
    const Toe5_MessageInfo empty = readOne({});
    EXPECT_EQ(empty.From, "");
    EXPECT_EQ(empty.MessagePosition, 0);
    EXPECT_GT(empty.RecordOffset, 0);
}

TEST(MessageRecords, NothingIsReadOutsideTheDataArea) {
    // Offsets past the area, or values cut by its end, leave the field as it was.
    Toe5_MessageInfo m = readOne({E::direct(0x84, 77), E::text(8, "Subject"), E::rawValue(13, 1000),
                                  E::rawValue(4, 5), E::rawValue(18, 2), E::rawValue(8, 0xFFFFFF)});
    EXPECT_EQ(m.Subject + "|" + m.From, "Subject|");
    EXPECT_EQ(m.MessagePosition, 77);
    EXPECT_EQ(m.ReceivedDate, 0u);
    // A text without its NUL ends with the area (the index node follows the record at once).
    EXPECT_EQ(readOne({E::text(13, "Ann"), E::bytes(8, toBytes("no end!!"))}).Subject, "no end!!");

    // A body shorter than its table keeps the entries that fit and no data area.
    m = readOne({E::direct(0x80, 1), E::direct(0x81, 2), E::text(8, "gone")},
                [](DbxRecord& r) { r.bodyLength = 4; });
    EXPECT_EQ(m.MessageNumber * 10 + m.MessageStatus, 10u);
    EXPECT_EQ(m.Subject, "");
    // A body or an entry count past the end of the file gives what the file holds.
    m = readOne({E::direct(0x80, 1), E::text(8, "kept")},
                [](DbxRecord& r) { r.bodyLength = 0xFFFFFFF0; });
    EXPECT_EQ(m.Subject, "kept");
    EXPECT_EQ(readOne({E::direct(0x80, 1)}, [](DbxRecord& r) { r.entryCount = 255; }).MessageNumber,
              1u);
}

// Notes the notifications; asks to stop once `stopAfter` blocks have been notified.
class RecordingObserver : public MessageReadObserver {
public:
    explicit RecordingObserver(int stopAfter = -1) : stopAfter_(stopAfter) {}
    bool cancelled() const override { return blocks == stopAfter_; }
    void blockRead() override { ++blocks; }
    int blocks = 0;

private:
    int stopAfter_;
};

DbxBlock block(const std::string& data, std::optional<std::int32_t> length = {}) {
    DbxBlock b;
    b.data = toBytes(data);
    b.length = length;
    return b;
}

struct Chain {
    std::vector<std::byte> bytes;
    std::int32_t position;
};

Chain chainOf(std::vector<DbxBlock> blocks, std::int32_t itemCount = 1) {
    DbxWriter w;
    const std::size_t chain = w.addChain(std::move(blocks));
    w.setItemCount(itemCount);
    Chain c{w.build(), 0};
    c.position = static_cast<std::int32_t>(w.offsetOfBlock(chain));
    return c;
}

std::string readText(const Chain& c, RecordingObserver&& observer = RecordingObserver(),
                     std::string text = {}, std::uint64_t failAfter = UINT64_MAX) {
    MemoryByteSource file(c.bytes);
    file.failAfter(failAfter);
    dbx::readMessageText(file, c.position, text, observer);
    return text;
}

TEST(MessageText, BlockDataIsCutAtItsNulAndItsLength) {
    const std::string a(512, 'a'), b(512, 'b'), c(100, 'c');
    RecordingObserver observer;
    const Chain three = chainOf({block(a), block(b), block(c)});
    MemoryByteSource file(three.bytes);
    std::string text;
    dbx::readMessageText(file, three.position, text, observer);
    EXPECT_EQ(text, a + b + c);
    EXPECT_EQ(observer.blocks, 3);

    EXPECT_EQ(readText(chainOf({block(std::string(40, 'x') + '\0' + "yyy", 512)})),
              std::string(40, 'x'));
    // The message reader takes the stored text whole.
    struct KeepingNuls : RecordingObserver {
        bool keepsNuls() const override { return true; }
    };
    const std::string withNul("xx\0yyy", 6);
    EXPECT_EQ(readText(chainOf({block(withNul)}), KeepingNuls()), withNul);
    EXPECT_EQ(readText(chainOf({block(a, 600)})), a);
    EXPECT_EQ(readText(chainOf({block(a, 0), block(a, -5), block("abcdef", 3)})), "abc");
}

TEST(MessageText, ChainEndsOnMismatchRepeatOrEndOfFile) {
    DbxBlock bad = block("bad");
    bad.selfOffset = 1;
    EXPECT_EQ(readText(chainOf({bad, block("never")})), "");
    EXPECT_EQ(readText(chainOf({block("one"), bad, block("never")})), "one");
    DbxBlock back = block("3");
    back.next = DbxRef::chain(0, 0);
    EXPECT_EQ(readText(chainOf({block("1"), block("2"), back})), "123");
    back.next = DbxRef::chain(0, 1);
    EXPECT_EQ(readText(chainOf({block("1"), back})), "13");

    // Cut inside the second block, or the disk failing there: that block does not count.
    Chain cut = chainOf({block("one"), block("two")});
    const std::uint32_t second = getU32(cut.bytes, static_cast<std::size_t>(cut.position) + 12);
    EXPECT_EQ(readText(cut, RecordingObserver(), {}, second + 527), "one");
    cut.bytes.resize(second + 100);
    EXPECT_EQ(readText(cut), "one");
}

TEST(MessageText, ChainThatTurnsBackIsReadUntilItRepeats) {
    // From the middle block back to the first, on past the middle to the last, then back.
    DbxBlock first = block("a"), middle = block("b"), last = block("c");
    middle.next = DbxRef::chain(0, 0);
    first.next = DbxRef::chain(0, 2);
    last.next = DbxRef::chain(0, 0);
    DbxWriter w;
    const std::size_t chain = w.addChain({first, middle, last});
    w.setItemCount(1);
    Chain c{w.build(), static_cast<std::int32_t>(w.offsetOfBlock(chain, 1))};
    EXPECT_EQ(readText(c), "bac");
    last.next = DbxRef::chain(0, 1);
    DbxWriter again;
    again.addChain({first, middle, last});
    again.setItemCount(1);
    c = Chain{again.build(), static_cast<std::int32_t>(again.offsetOfBlock(chain, 1))};
    EXPECT_EQ(readText(c), "bac");
}

TEST(MessageText, PositionItemCountAndStopRequest) {
    const Chain c = chainOf({block("1"), block("2"), block("3"), block("4")});
    MemoryByteSource file(c.bytes);
    RecordingObserver none;
    std::string text = "previous";
    dbx::readMessageText(file, 0, text, none);
    dbx::readMessageText(file, -1, text, none);
    EXPECT_EQ(text, "previous");
    EXPECT_EQ(file.reads(), 0u);
    EXPECT_EQ(readText(chainOf({block("text")}, 0), RecordingObserver(), "previous"), "");

    // Notified after blocks 1 and 2; block 3 is kept but not notified once the stop is seen.
    RecordingObserver stop(2);
    dbx::readMessageText(file, c.position, text, stop);
    EXPECT_EQ(text, "123");
    EXPECT_EQ(stop.blocks, 2);
}

}  // namespace
}  // namespace mq
