#include "store/StoreReader.h"
#include "support/CraftedDbx.h"
#include "support/MemoryByteSource.h"

#include <gtest/gtest.h>

namespace mq {
namespace {

std::size_t textBytes(const Toe5_FolderInfo& f) {
    return f.Name.size() + f.FileName.size();
}

std::size_t textBytes(const Toe5_MessageInfo& m) {
    return m.AccountId.size() + m.Account.size() + m.MessageId.size() + m.Subject.size() +
           m.From.size() + m.OtherFrom.size() + m.To.size() + m.ReplyTo.size() +
           m.References.size() + m.Newsgroup.size();
}

template <typename List, typename Read>
void expectBoundedCost(CraftedShape shape, DbxWriter::Kind kind, Read read) {
    constexpr std::size_t Size = 256 * 1024;
    MemoryByteSource file(craftDbx(shape, Size, kind));
    List list;
    read(file, list);
    std::size_t texts = 0;
    for (const auto& record : list.records()) texts += textBytes(record);

    SCOPED_TRACE(std::string(nameOf(shape)) +
                 (kind == DbxWriter::Kind::Folders ? " as folders" : " as messages"));
    EXPECT_GT(list.size(), 0u);
    EXPECT_LE(list.size(), Size / 12);  // one row per index entry the file can hold
    EXPECT_LE(texts, Size);
    EXPECT_LE(file.bytesRead(), 4 * Size);
}

// A crafted file costs what its size costs, however its structure repeats itself.
void expectBoundedCost(CraftedShape shape) {
    expectBoundedCost<MessageInfoList>(shape, DbxWriter::Kind::Messages, dbx::readMessageRecords);
    expectBoundedCost<FolderList>(shape, DbxWriter::Kind::Folders, dbx::readFolderRecords);
}

TEST(ReadCost, OneRecordWithTextsWithoutEndReferencedThroughout) {
    expectBoundedCost(CraftedShape::SharedRecord);
}

TEST(ReadCost, NodesWhoseEntryTablesRunOverEachOther) {
    expectBoundedCost(CraftedShape::PackedNodes);
}

TEST(ReadCost, OneLargeRecordReferencedThroughout) {
    expectBoundedCost(CraftedShape::LargeRecord);
}

TEST(ReadCost, OverlappingRecordsWhoseDataAreasRunToTheEnd) {
    expectBoundedCost(CraftedShape::OverlappingRecords);
}

}  // namespace
}  // namespace mq
