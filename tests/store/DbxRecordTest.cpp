#include "DbxTestHelpers.h"

#include <gtest/gtest.h>

#include <functional>

namespace mq {
namespace {

using E = DbxRecordEntry;

FolderList readFolders(DbxWriter& w) {
    MemoryByteSource file(w.build());
    FolderList list;
    dbx::readFolderRecords(file, list);
    return list;
}

// The one message record of a file holding `entries`, after `damage` has changed it.
Toe5_MessageInfo readOne(std::vector<DbxRecordEntry> entries,
                         const std::function<void(DbxRecord&)>& damage = {}) {
    DbxRecord record = recordOf(std::move(entries));
    if (damage) damage(record);
    DbxWriter w;
    w.addRecord(std::move(record));
    MessageInfoList list = readMessages(w.build());
    EXPECT_EQ(list.size(), 1u);
    return list.empty() ? Toe5_MessageInfo{} : list.front();
}

TEST(FolderRecords, KeptOnlyWithAnEntry3Or6) {
    DbxWriter w(DbxWriter::Kind::Folders);
    w.addRecord(recordOf(
        {E::text(3, "Inbox.dbx"), E::direct(0x80, 5), E::text(2, "Inbox"), E::direct(0x81, 9)}));
    w.addRecord(recordOf({E::text(2, "Local Folders"), E::uint32(6, 0)}));
    w.addRecord(recordOf({E::text(2, "Dropped")}));
    w.addRecord(recordOf({E::text(2, "Inbox"), E::text(3, "Inbox (2).dbx")}));
    DbxRecord misplaced = recordOf({E::text(2, ""), E::text(3, "x.dbx")});
    misplaced.selfOffset = 0x1000;
    w.addRecord(misplaced);
    const FolderList folders = readFolders(w);
    ASSERT_EQ(folders.size(), 3u);
    EXPECT_EQ(folders[0].Name, "Inbox");
    EXPECT_EQ(folders[0].FileName, "Inbox.dbx");
    EXPECT_EQ(folders[0].Direct80, 5u);
    EXPECT_EQ(folders[0].Direct81, 9u);
    EXPECT_EQ(folders[1].Name, "Local Folders");
    EXPECT_EQ(folders[1].FileName, "");
    EXPECT_EQ(folders[2].FileName, "Inbox (2).dbx");
}

TEST(MessageRecords, EveryFieldFromItsEntryInAnyOrder) {
    const Toe5_MessageInfo m =
        readOne({E::text(27, "00000001"), E::direct(0x91, 16993), E::text(13, "Ann"),
                 E::filetime(18, 0x0123456789ABCDEFull), E::text(26, "pop"), E::text(7, "<id@x>"),
                 E::filetime(2, 126632025930000000ull), E::text(8, "Hi"), E::text(9, "ann@x"),
                 E::text(19, "Bob"), E::text(14, "reply@x"), E::text(10, "<r@x>"),
                 E::text(11, "news"), E::direct(0x80, 0xFFFFFF), E::direct(0x81, 3),
                 E::text(12, "skipped"), E::uint32(5, 1), E::direct(0x84, 0x1234)});
    EXPECT_EQ(m.MessageNumber, 0xFFFFFFu);
    EXPECT_EQ(m.MessageStatus, 3u);
    EXPECT_EQ(m.AccountId, "00000001");
    EXPECT_EQ(m.Account, "pop");
    EXPECT_EQ(m.MessageId, "<id@x>");
    EXPECT_EQ(m.SentDate, 126632025930000000ull);
    EXPECT_EQ(m.ReceivedDate, 0x0123456789ABCDEFull);
    EXPECT_EQ(m.Subject, "Hi");
    EXPECT_EQ(m.From, "Ann");
    EXPECT_EQ(m.OtherFrom, "ann@x");
    EXPECT_EQ(m.To, "Bob");
    EXPECT_EQ(m.ReplyTo, "reply@x");
    EXPECT_EQ(m.References, "<r@x>");
    EXPECT_EQ(m.Newsgroup, "news");
    EXPECT_EQ(m.MessageSize, 16993u);
    EXPECT_EQ(m.MessagePosition, 0x1234);
}

TEST(MessageRecords, LaterPositionEntryWinsAndEmptyRecordsStay) {
    EXPECT_EQ(readOne({E::direct(0x84, 100), E::uint32(4, 0x01000000)}).MessagePosition,
              0x01000000);
    EXPECT_EQ(readOne({E::uint32(4, 0x01000000), E::direct(0x84, 100)}).MessagePosition, 100);
    EXPECT_EQ(readOne({E::uint32(4, 0xFFFFFFF0)}).MessagePosition, -16);

    const Toe5_MessageInfo empty = readOne({});
    EXPECT_EQ(empty.From, "");
    EXPECT_EQ(empty.MessagePosition, 0);
    EXPECT_GT(empty.RecordOffset, 0);
}

TEST(MessageRecords, EntriesOutsideTheDataAreaAreSkipped) {
    // Offsets past the area leave the field as it was; a value cut by the area's end too.
    Toe5_MessageInfo m = readOne({E::direct(0x84, 77), E::text(8, "Subject"), E::rawValue(13, 1000),
                                  E::rawValue(4, 5), E::rawValue(18, 2), E::rawValue(8, 0xFFFFFF)});
    EXPECT_EQ(m.Subject, "Subject");
    EXPECT_EQ(m.From, "");
    EXPECT_EQ(m.MessagePosition, 77);
    EXPECT_EQ(m.ReceivedDate, 0u);

    // A text without its NUL ends with the area (the record ends 4-aligned, so the index
    // node follows at once).
    m = readOne({E::text(13, "Ann"), E::bytes(8, toBytes("no end!!"))});
    EXPECT_EQ(m.Subject, "no end!!");
}

TEST(MessageRecords, BodyLengthIsCutToTheFileAndTheTableToTheBody) {
    // A body shorter than its table keeps only the entries that fit and no data area.
    Toe5_MessageInfo m = readOne({E::direct(0x80, 1), E::direct(0x81, 2), E::text(8, "gone")},
                                 [](DbxRecord& r) { r.bodyLength = 4; });
    EXPECT_EQ(m.MessageNumber, 1u);
    EXPECT_EQ(m.MessageStatus, 0u);
    EXPECT_EQ(m.Subject, "");

    // A body running past the end of the file still gives what the file holds.
    m = readOne({E::direct(0x80, 1), E::text(8, "kept")},
                [](DbxRecord& r) { r.bodyLength = 0xFFFFFFF0; });
    EXPECT_EQ(m.MessageNumber, 1u);
    EXPECT_EQ(m.Subject, "kept");

    // More entries claimed than the body holds.
    m = readOne({E::direct(0x80, 1)}, [](DbxRecord& r) { r.entryCount = 255; });
    EXPECT_EQ(m.MessageNumber, 1u);
}

}  // namespace
}  // namespace mq
