#include "DbxTestHelpers.h"

#include <gtest/gtest.h>

#include <random>

namespace mq {
namespace {

class CountingObserver : public MessageReadObserver {
public:
    bool cancelled() const override { return false; }
    void blockRead() override { ++blocks; }
    std::size_t blocks = 0;
};

struct SmallStore {
    std::vector<std::byte> messages;
    std::vector<std::int32_t> positions;
    std::vector<std::byte> folders;
};

SmallStore smallStore() {
    SmallStore s;
    DbxWriter m;
    m.setFanOut(2);
    for (int i = 0; i < 5; ++i) {
        DbxMessage message;
        message.number = static_cast<std::uint32_t>(i + 1);
        message.sent = 126632025930000000ull;
        message.subject = "Subject " + std::to_string(i);
        message.from = "Ann";
        message.received = 126632176770000000ull;
        message.text =
            std::string(static_cast<std::size_t>(300 * i + 10), static_cast<char>('a' + i));
        m.addMessage(message);
    }
    s.messages = m.build();
    for (std::size_t i = 0; i < 5; ++i)
        s.positions.push_back(static_cast<std::int32_t>(m.offsetOfBlock(i)));
    DbxWriter f(DbxWriter::Kind::Folders);
    f.addRecord(recordOf({DbxRecordEntry::direct(0x80, 1), DbxRecordEntry::text(2, "Inbox"),
                          DbxRecordEntry::text(3, "Inbox.dbx")}));
    f.addRecord(recordOf({DbxRecordEntry::text(2, "Local Folders"), DbxRecordEntry::uint32(6, 0)}));
    s.folders = f.build();
    return s;
}

// Reads everything a damaged file offers; the reads must stay inside it and what comes
// out must be bounded by it.
void readAll(const std::vector<std::byte>& messages, const std::vector<std::byte>& folders,
             const std::vector<std::int32_t>& positions) {
    MemoryByteSource file(messages);
    const MessageInfoList list = readMessages(file);
    for (const auto& info : list) {
        EXPECT_LE(static_cast<std::uint64_t>(info.RecordOffset) + 12, messages.size());
        EXPECT_LE(info.Subject.size(), messages.size());
    }
    for (std::int32_t position : positions) {
        std::string text;
        CountingObserver observer;
        dbx::readMessageText(file, position, text, observer);
        EXPECT_LE(text.size(), messages.size());
        EXPECT_LE(observer.blocks * 528, messages.size());
    }
    EXPECT_LE(file.highestOffsetRead(), messages.size());

    MemoryByteSource folderFile(folders);
    FolderList folderList;
    dbx::readFolderRecords(folderFile, folderList);
    EXPECT_LE(folderFile.highestOffsetRead(), folders.size());
}

TEST(DbxDamage, IntactStoreReadsBack) {
    const SmallStore s = smallStore();
    const MessageInfoList list = readMessages(s.messages);
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[4].Subject, "Subject 4");
    MemoryByteSource file(s.messages);
    std::string text;
    CountingObserver observer;
    dbx::readMessageText(file, list[4].MessagePosition, text, observer);
    EXPECT_EQ(text, std::string(1210, 'e'));
}

TEST(DbxDamage, TruncatedAtEveryLength) {
    const SmallStore s = smallStore();
    for (std::size_t n = 0; n <= s.messages.size(); n += (n < 10000 ? 1 : 7)) {
        std::vector<std::byte> messages(s.messages.begin(), s.messages.begin() + n);
        std::vector<std::byte> folders(s.folders.begin(),
                                       s.folders.begin() + std::min(n, s.folders.size()));
        readAll(messages, folders, s.positions);
    }
}

TEST(DbxDamage, RandomBytesChanged) {
    const SmallStore s = smallStore();
    for (unsigned seed = 1; seed <= 1500; ++seed) {
        std::mt19937 rng(seed);
        std::vector<std::byte> messages = s.messages, folders = s.folders;
        for (auto* bytes : {&messages, &folders}) {
            // Most damage lands in the header, records and nodes, where it matters most.
            const std::size_t from = seed % 2 ? 0 : bytes->size() / 2;
            std::uniform_int_distribution<std::size_t> at(from, bytes->size() - 1);
            const int flips = 1 + static_cast<int>(seed % 16);
            for (int i = 0; i < flips; ++i) (*bytes)[at(rng)] = static_cast<std::byte>(rng());
        }
        readAll(messages, folders, s.positions);
        if (HasFailure()) {
            ADD_FAILURE() << "seed " << seed;
            break;
        }
    }
}

}  // namespace
}  // namespace mq
