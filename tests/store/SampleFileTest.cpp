#include "store/DateTime.h"
#include "store/RecoveryScan.h"
#include "store/StoreReader.h"
#include "support/CountingObserver.h"
#include "support/MemoryByteSource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace mq {
namespace {

// An Inbox written by the mail client itself, holding one message.
TEST(SampleFile, RealInboxDecodesToItsPublishedValues) {
    const std::filesystem::path path = MQ_SHARED_SAMPLES_DIR "/oe5-inbox-1msg.dbx";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "no " << path;
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::byte> data(bytes.size());
    std::memcpy(data.data(), bytes.data(), bytes.size());
    MemoryByteSource file(std::move(data));

    EXPECT_EQ(dbx::readFileHeader(file).ItemCount, 1);
    MessageInfoList list;
    dbx::readMessageRecords(file, list);
    ASSERT_EQ(list.size(), 1u);
    const Toe5_MessageInfo& m = list[0];
    EXPECT_EQ(m.RecordOffset, 11044);
    EXPECT_EQ(m.MessageNumber, 2u);
    EXPECT_EQ(m.MessageStatus, 0u);
    EXPECT_EQ(m.SentDate, 126632025930000000ull);
    EXPECT_EQ(m.ReceivedDate, 126632176770000000ull);
    EXPECT_EQ(m.MessagePosition, 60116);
    EXPECT_EQ(m.MessageSize, 16993u);
    EXPECT_EQ(m.MessageId, "<200204140027.g3E0RlgZ025299@ue250-1.rz.RWTH-Aachen.DE>");
    EXPECT_EQ(m.Subject, "Please read you won't be sorry........");
    EXPECT_EQ(m.From, "Wealth_Enterprises_2002");
    EXPECT_EQ(m.ReplyTo, "off_1@webstation.com");
    EXPECT_EQ(m.To, "tassilo.parseval@post.rwth-aachen.de");
    EXPECT_EQ(m.Account, "pbox.dialup.rwth-aachen.de");
    EXPECT_EQ(m.AccountId, "00000001");
    const CalendarTime received = decodeDateTime(FiletimeToDatetime(m.ReceivedDate, {}));
    EXPECT_EQ(
        received.day * 1000000 + received.hour * 10000 + received.minute * 100 + received.second,
        14002757);

    std::string text;
    test::CountingObserver observer;
    dbx::readMessageText(file, m.MessagePosition, text, observer);
    EXPECT_EQ(text.size(), 16993u);
    EXPECT_EQ(observer.blocks, 34);
    EXPECT_EQ(text.substr(0, 37), "Return-path: <off_1@webstation.com>\r\n");
    // FNV-1a of the text whose SHA-256 is published as 34934eb0...5d04b174121c43d.
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (unsigned char c : text) hash = (hash ^ c) * 0x100000001b3ull;
    EXPECT_EQ(hash, 0xb1613c66164d9a37ull);

    // The scan takes that chain, and none of the file's other objects, for a message.
    const RecoveredMessageList found = dbx::recoverMessages(file, observer);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(found[0].position == 60116 && found[0].complete && found[0].indexed);
    EXPECT_EQ(found[0].length, text.size());
}

}  // namespace
}  // namespace mq
