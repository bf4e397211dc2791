#include "DbxFiles.h"
#include "store/RecoveryScan.h"
#include "support/CountingObserver.h"

#include <gtest/gtest.h>

#include <random>

namespace mq {
namespace {

struct SmallStore {
    std::vector<std::byte> messages, folders;
    std::vector<std::int32_t> positions;
};

SmallStore smallStore() {
    SmallStore s;
    DbxWriter m;
    m.setFanOut(2);
    for (int i = 0; i < 5; ++i) {
        DbxMessage message;
        message.number = static_cast<std::uint32_t>(i + 1);
        message.sent = message.received = 126632176770000000ull;
        message.subject = "Subject " + std::to_string(i);
        message.text = std::string(static_cast<std::size_t>(300 * i + 10), 'a');
        m.addMessage(message);
    }
    s.messages = m.build();
    for (std::size_t i = 0; i < 5; ++i)
        s.positions.push_back(static_cast<std::int32_t>(m.offsetOfBlock(i)));
    DbxWriter f(DbxWriter::Kind::Folders);
    f.addRecord(recordOf({DbxRecordEntry::text(2, "Inbox"), DbxRecordEntry::text(3, "In.dbx")}));
    f.addRecord(recordOf({DbxRecordEntry::text(2, "Local"), DbxRecordEntry::uint32(6, 0)}));
    s.folders = f.build();
    return s;
}

// Reads all a damaged store offers: every read must stay inside the file (the sanitizers
// check the buffers) and what comes out must be bounded by it.
void readAll(const std::vector<std::byte>& messages, const std::vector<std::byte>& folders,
             const std::vector<std::int32_t>& positions) {
    MemoryByteSource file(messages);
    MessageInfoList list;
    dbx::readMessageRecords(file, list);
    for (const auto& info : list)
        EXPECT_LE(static_cast<std::uint64_t>(info.RecordOffset) + 12, messages.size());
    for (std::int32_t position : positions) {
        std::string text;
        test::CountingObserver observer;
        dbx::readMessageText(file, position, text, observer);
        EXPECT_LE(std::size_t(observer.blocks) * 528, messages.size());
    }
    test::CountingObserver observer;
    for (const RecoveredMessage& m : dbx::recoverMessages(file, observer)) {
        std::string text;
        dbx::readRecoveredText(file, m, text, observer);
        EXPECT_EQ(text.size(), m.length);
        EXPECT_LE(std::uint64_t{m.blocks} * 528, messages.size());
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
    EXPECT_EQ(list[4].MessagePosition, s.positions[4]);
}

TEST(DbxDamage, TruncatedAtEveryLength) {
    const SmallStore s = smallStore();
    for (std::size_t n = 0; n <= s.messages.size(); ++n) {
        const std::vector<std::byte> messages(s.messages.begin(), s.messages.begin() + n);
        const std::vector<std::byte> folders(s.folders.begin(),
                                             s.folders.begin() + std::min(n, s.folders.size()));
        readAll(messages, folders, s.positions);
    }
}

TEST(DbxDamage, RandomBytesChanged) {
    const SmallStore s = smallStore();
    for (unsigned seed = 1; seed <= 1500 && !HasFailure(); ++seed) {
        std::mt19937 rng(seed);
        std::vector<std::byte> messages = s.messages, folders = s.folders;
        for (auto* bytes : {&messages, &folders}) {
            // Half the runs aim at the records and nodes behind the mostly empty header.
            std::uniform_int_distribution<std::size_t> at(seed % 2 ? 0 : bytes->size() / 2,
                                                          bytes->size() - 1);
            for (unsigned i = 0; i <= seed % 16; ++i)
                (*bytes)[at(rng)] = static_cast<std::byte>(rng());
        }
        readAll(messages, folders, s.positions);
        if (HasFailure()) ADD_FAILURE() << "seed " << seed;
    }
}

}  // namespace
}  // namespace mq
