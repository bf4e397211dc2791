#include "store/StoreReader.h"
#include "support/CountingObserver.h"
#include "support/DbxWriter.h"
#include "support/GeneratedFolder.h"
#include "support/MemoryByteSource.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace mq {
namespace {

MessageInfoList readRecords(std::vector<std::byte> bytes) {
    MemoryByteSource file(std::move(bytes));
    MessageInfoList list;
    dbx::readMessageRecords(file, list);
    return list;
}

DbxMessage numbered(std::uint32_t number, std::string text = {}) {
    DbxMessage m;
    m.number = number;
    m.text = std::move(text);
    return m;
}

std::vector<std::byte> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> chars((std::istreambuf_iterator<char>(in)), {});
    std::vector<std::byte> out(chars.size());
    std::transform(chars.begin(), chars.end(), out.begin(),
                   [](char c) { return static_cast<std::byte>(c); });
    return out;
}

std::size_t nodeCount(const DbxWriter& w) {
    std::size_t n = 0;
    while (true) {
        try {
            w.offsetOfNode(n);
        } catch (const std::out_of_range&) {
            return n;
        }
        ++n;
    }
}

// Reader tests rely on the generated tree holding every record once, in the order added,
// and on no node holding more entries than the fan-out asks for.
TEST(DbxWriter, GeneratedTreeVisitsEveryRecordInOrderAtAnyFanOut) {
    for (std::size_t fanOut : {1u, 2u, 3u, 51u}) {
        for (std::size_t count : {0u, 1u, 2u, 3u, 50u, 51u, 52u, 300u}) {
            SCOPED_TRACE(testing::Message() << "fan-out " << fanOut << ", " << count << " records");
            DbxWriter w;
            w.setFanOut(fanOut);
            for (std::size_t i = 0; i < count; ++i) {
                w.addMessage(numbered(static_cast<std::uint32_t>(i + 1)));
            }
            const auto bytes = w.build();
            const auto list = readRecords(bytes);
            ASSERT_EQ(list.size(), count);
            for (std::size_t i = 0; i < count; ++i) {
                EXPECT_EQ(list[i].MessageNumber, i + 1);
                EXPECT_EQ(list[i].RecordOffset, static_cast<std::int32_t>(w.offsetOfRecord(i)));
            }
            const std::size_t nodes = nodeCount(w);
            for (std::size_t n = 0; n < nodes; ++n) {
                EXPECT_LE(getU32(bytes, w.offsetOfNode(n) + 16) >> 8, fanOut);
            }
            if (fanOut == 1) {
                EXPECT_EQ(nodes, count);  // one record per node: as deep as it gets
            }
        }
    }
}

TEST(DbxWriter, HeaderLooksLikeARealFile) {
    DbxWriter w;
    w.addMessage(numbered(1, "Subject: x\r\n\r\nx\r\n"));
    const auto bytes = w.build();
    EXPECT_EQ(bytes.size(), w.fileSize());
    EXPECT_EQ(getU32(bytes, 0x7C), bytes.size());
    EXPECT_EQ(getU32(bytes, 48), w.offsetOfNode(0));
    EXPECT_EQ(getU32(bytes, 196), 1u);

    DbxWriter folders(DbxWriter::Kind::Folders);
    EXPECT_NE(getU32(folders.build(), 4), getU32(bytes, 4));

    const std::filesystem::path sample = MQ_SHARED_SAMPLES_DIR "/oe5-inbox-1msg.dbx";
    if (!std::filesystem::exists(sample)) {
        GTEST_SKIP() << "no sample files here";
    }
    const auto real = readFile(sample);
    ASSERT_GE(real.size(), 16u);
    EXPECT_TRUE(std::equal(real.begin(), real.begin() + 16, bytes.begin()));
}

// The streaming path (texts made at write time) must give the very bytes of the built path;
// benchmarks use the one, tests the other.
TEST(DbxWriter, StreamedFileEqualsBuiltBytes) {
    DbxWriter lazy, inline_;
    for (std::size_t i = 0; i < 5; ++i) {
        const std::size_t size = i * 700 + 1;
        lazy.addMessage(generatedMessage(i, size));
        DbxMessage m = generatedMessage(i, size);
        m.makeText = nullptr;
        m.text = generatedText(i, size);
        inline_.addMessage(m);
    }
    const test::TempDir dir;
    const auto path = dir.path() / "writer.dbx";
    lazy.write(path);
    const auto written = readFile(path);
    EXPECT_EQ(written, inline_.build());

    const std::string text = generatedText(3, 2101);
    EXPECT_EQ(text.size(), 2101u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(text, generatedText(3, 2101));
    EXPECT_NE(text, generatedText(4, 2101));
}

TEST(DbxWriter, PositionsPastTwentyFourBitsGoIndirect) {
    for (std::uint32_t start : {0x10000u, 0x1000000u}) {
        DbxWriter w;
        w.setTextStart(start);
        w.addMessage(numbered(1, std::string(1000, 'x')));
        const auto bytes = w.build();
        const auto list = readRecords(bytes);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].MessagePosition, static_cast<std::int32_t>(start));
        // Entry table: 0x80 number, then the position entry.
        const std::uint32_t entry = getU32(bytes, w.offsetOfRecord(0) + 12 + 4) & 0xFF;
        EXPECT_EQ(entry, start > 0xFFFFFF ? 4u : 0x84u);
        MemoryByteSource file(bytes);
        std::string text;
        test::CountingObserver observer;
        dbx::readMessageText(file, list[0].MessagePosition, text, observer);
        EXPECT_EQ(text, std::string(1000, 'x'));
    }
}

// Damage that silently did not land would let negative reader tests pass for nothing.
TEST(DbxWriter, DamageLandsWhereAsked) {
    DbxWriter w;
    DbxRecord r;
    r.entries = {DbxRecordEntry::text(8, "Hi"), DbxRecordEntry::rawValue(13, 0xFFFF)};
    r.selfOffset = 7;
    r.bodyLength = 0x7FFFFFFF;
    r.entryCount = 200;
    const std::size_t record = w.addRecord(r);
    DbxBlock first, second;
    first.data = toBytes("abc");
    first.length = 600;
    second.data = toBytes("def");
    second.selfOffset = 1;
    second.next = DbxRef::chain(0, 0);
    const std::size_t chain = w.addChain({first, second});
    DbxNode root, bad;
    root.entries = {{DbxRef::record(record), DbxRef::node(0)}};
    root.firstLink = DbxRef::node(1);
    root.secondLink = DbxRef::offset(0xFFFFFFF0);
    bad.selfOffset = 3;
    bad.countField = 0xFF;
    w.addNode(root);
    w.addNode(bad);
    w.setItemCount(-1);
    const auto bytes = w.build();

    const std::uint32_t at = w.offsetOfRecord(record);
    EXPECT_EQ(getU32(bytes, at), 7u);
    EXPECT_EQ(getU32(bytes, at + 4), 0x7FFFFFFFu);
    EXPECT_EQ(std::to_integer<int>(bytes[at + 10]), 200);
    EXPECT_EQ(getU32(bytes, at + 12), 8u);                  // text at data offset 0
    EXPECT_EQ(getU32(bytes, at + 16), 0xFFFF00u | 13u);     // raw value as given
    EXPECT_EQ(std::to_integer<char>(bytes[at + 20]), 'H');  // data area after the table

    const std::uint32_t b0 = w.offsetOfBlock(chain, 0), b1 = w.offsetOfBlock(chain, 1);
    EXPECT_EQ(getU32(bytes, b0 + 8), 600u);
    EXPECT_EQ(getU32(bytes, b0 + 12), b1);
    EXPECT_EQ(getU32(bytes, b1), 1u);
    EXPECT_EQ(getU32(bytes, b1 + 12), b0);  // the loop back

    const std::uint32_t n0 = w.offsetOfNode(0), n1 = w.offsetOfNode(1);
    EXPECT_EQ(getU32(bytes, 48), n0);
    EXPECT_EQ(getU32(bytes, n0 + 8), 0xFFFFFFF0u);
    EXPECT_EQ(getU32(bytes, n0 + 12), n1);
    EXPECT_EQ(getU32(bytes, n0 + 24), at);
    EXPECT_EQ(getU32(bytes, n0 + 28), n0);  // child link back to itself
    EXPECT_EQ(getU32(bytes, n1), 3u);
    EXPECT_EQ(getU32(bytes, n1 + 16), 0xFFu);
    EXPECT_EQ(getU32(bytes, 196), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace mq
