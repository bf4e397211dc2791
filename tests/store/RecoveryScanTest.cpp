#include "DbxFiles.h"
#include "store/RecoveryScan.h"
#include "support/CountingObserver.h"
#include "support/GeneratedFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <span>

namespace mq {
namespace {

RecoveredMessageList recover(const std::vector<std::byte>& bytes) {
    MemoryByteSource file(bytes);
    test::CountingObserver observer;
    RecoveredMessageList found = dbx::recoverMessages(file, observer);
    EXPECT_EQ(observer.scannedTo, bytes.size());
    EXPECT_LE(file.highestOffsetRead(), bytes.size());
    return found;
}

std::string textOf(const std::vector<std::byte>& bytes, const RecoveredMessage& m) {
    MemoryByteSource file(bytes);
    std::string text;
    test::CountingObserver observer;
    dbx::readRecoveredText(file, m, text, observer);
    EXPECT_EQ(text.size(), m.length);
    return text;
}

// What the writer put where: a text and the blocks of its chain, in text order.
struct Written {
    std::string text;
    std::size_t chain;
    std::vector<std::size_t> blocks;
    bool hasRecord;
};

// A folder of messages of one to ten blocks; two lost their records, and the last two have
// their blocks interleaved.
struct Folder {
    DbxWriter writer;
    std::vector<Written> messages;
    std::vector<std::byte> bytes;

    Folder() {
        for (std::size_t i = 0; i < 8; ++i) {
            Written m{generatedText(i, 100 + 700 * i), i, {}, i < 6};
            m.blocks.resize((m.text.size() + 511) / 512);
            for (std::size_t b = 0; b < m.blocks.size(); ++b) m.blocks[b] = b;
            if (m.hasRecord) {
                DbxMessage record;
                record.text = m.text;
                writer.addMessage(record);
            } else {
                writer.addTextChain(m.text);
            }
            messages.push_back(m);
        }
        Written a{generatedText(8, 2000), 8, {}, false}, b{generatedText(9, 1800), 8, {}, false};
        std::vector<DbxBlock> blocks;
        for (std::size_t i = 0; i * 512 < std::max(a.text.size(), b.text.size()); ++i) {
            for (Written* m : {&a, &b}) {
                if (i * 512 >= m->text.size()) continue;
                m->blocks.push_back(blocks.size());
                blocks.emplace_back().data =
                    toBytes(std::string_view(m->text).substr(i * 512, 512));
            }
        }
        for (Written* m : {&a, &b}) {
            for (std::size_t i = 0; i < m->blocks.size(); ++i)
                blocks[m->blocks[i]].next =
                    i + 1 < m->blocks.size() ? DbxRef::chain(8, m->blocks[i + 1]) : DbxRef::none();
            messages.push_back(*m);
        }
        writer.addChain(std::move(blocks));
        bytes = writer.build();
    }

    std::span<std::byte> blockBytes(std::size_t chain, std::size_t block) {
        return std::span(bytes).subspan(writer.offsetOfBlock(chain, block), 528);
    }
};

struct Damage {
    const char* name;
    bool indexSurvives;
    std::function<void(Folder&)> apply;
};

void PrintTo(const Damage& damage, std::ostream* out) {
    *out << damage.name;
}

class RecoveryScan : public testing::TestWithParam<Damage> {};

// Every message whose blocks came through whole comes back byte for byte and complete; one
// whose first block did comes back as what remains, marked incomplete.
TEST_P(RecoveryScan, BringsBackEveryMessageWhoseBlocksAreIntact) {
    Folder folder;
    const std::vector<std::byte> before = folder.bytes;
    GetParam().apply(folder);
    const RecoveredMessageList found = recover(folder.bytes);
    for (const RecoveredMessage& m : found)  // no record or index node passes for a block
        EXPECT_LT(m.position, folder.writer.offsetOfRecord(0));

    for (const Written& w : folder.messages) {
        SCOPED_TRACE(w.text.substr(0, 60));
        auto intact = [&](std::size_t block) {
            const std::size_t at = folder.writer.offsetOfBlock(w.chain, block);
            return at + 528 <= folder.bytes.size() &&
                   std::equal(before.begin() + at, before.begin() + at + 528,
                              folder.bytes.begin() + at);
        };
        if (!intact(w.blocks[0])) continue;
        const auto m = std::find_if(found.begin(), found.end(), [&](const RecoveredMessage& r) {
            return r.position == folder.writer.offsetOfBlock(w.chain, w.blocks[0]);
        });
        ASSERT_NE(m, found.end());
        const std::string text = textOf(folder.bytes, *m);
        if (std::all_of(w.blocks.begin(), w.blocks.end(), intact)) {
            EXPECT_EQ(text, w.text);
            EXPECT_TRUE(m->complete);
            EXPECT_EQ(m->indexed, w.hasRecord && GetParam().indexSurvives);
        } else {
            const auto whole = std::find_if_not(w.blocks.begin(), w.blocks.end(), intact);
            EXPECT_EQ(text, w.text.substr(0, 512 * std::size_t(whole - w.blocks.begin())));
            EXPECT_FALSE(m->complete);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Damages, RecoveryScan,
    testing::Values(Damage{"RecordsRemoved", true, [](Folder&) {}},
                    Damage{"IndexRootZeroed", false, [](Folder& f) { putU32(f.bytes, 0x30, 0); }},
                    Damage{"IndexNodesOverwritten", false,
                           [](Folder& f) {
                               fillWithNoise(std::span(f.bytes).subspan(f.writer.offsetOfNode(0)),
                                             1);
                           }},
                    Damage{"BlockOverwritten", true,
                           [](Folder& f) {
                               fillWithNoise(f.blockBytes(3, 1), 2);
                               fillWithNoise(f.blockBytes(8, 4), 3);
                           }},
                    Damage{"CutShortInAMessage", false,
                           [](Folder& f) { f.bytes.resize(f.writer.offsetOfBlock(5, 3) + 300); }}),
    [](const testing::TestParamInfo<Damage>& info) { return info.param.name; });

// Shapes no mail client writes: chains that loop or run together, and a text that quotes
// block headers at their own offsets. Each block counts once, whatever the shape.
TEST(RecoveryScanShapes, CraftedChainsCostTheirBlocksAndNoMore) {
    const std::string line(512, 'x');
    DbxWriter w;
    DbxBlock full, head;
    full.data = toBytes(line);
    head.data = toBytes("head");
    head.next = DbxRef::chain(1, 0);
    std::vector<DbxBlock> loop(3, full);
    loop[2].next = DbxRef::chain(0);
    w.addChain(loop);
    w.addTextChain(line + line);  // the tail that three other chains run into
    for (int i = 0; i < 3; ++i) w.addChain({head});
    const std::size_t quoting = w.addTextChain(line + line);
    std::vector<std::byte> bytes = w.build();
    const std::uint32_t first = w.offsetOfBlock(quoting);
    for (std::uint32_t at = first + 16; at < first + 528; at += 16) {
        putU32(bytes, at, at);
        putU32(bytes, at + 4, 512);
        putU32(bytes, at + 8, 4);
        putU32(bytes, at + 12, 0);
    }
    const RecoveredMessageList found = recover(bytes);
    ASSERT_EQ(found.size(), 5u);
    EXPECT_EQ(found[0].position, w.offsetOfBlock(0));
    EXPECT_EQ(found[0].length, 3 * 512u);
    for (int i = 1; i < 4; ++i) EXPECT_EQ(found[i].length, 4 + 1024u);
    EXPECT_EQ(found[4].blocks, 2u);
    for (const auto& m : found) EXPECT_EQ(m.complete, &m == &found[4]);
}

// A file of zeros but for `bytes` at `at`: gigabytes without the disk or the memory.
class SparseFile : public ByteSource {
public:
    SparseFile(std::uint64_t size, std::uint64_t at, std::vector<std::byte> bytes)
        : size_(size), at_(at), bytes_(std::move(bytes)) {}
    std::uint64_t size() const override { return size_; }
    std::size_t readAt(std::uint64_t offset, std::span<std::byte> out) override {
        const auto n = offset >= size_ ? 0 : std::min<std::size_t>(out.size(), size_ - offset);
        std::fill_n(out.begin(), n, std::byte{0});
        const std::uint64_t from = std::max(offset, at_);
        const std::uint64_t to = std::min(offset + n, at_ + bytes_.size());
        if (from < to)
            std::copy_n(bytes_.begin() + (from - at_), to - from, out.begin() + (from - offset));
        return n;
    }

private:
    std::uint64_t size_, at_;
    std::vector<std::byte> bytes_;
};

// Past 2 GB a signed position is negative: the scan reads offsets unsigned.
TEST(RecoveryScanShapes, FindsChainsPastTwoGigabytes) {
    const std::uint64_t at = 0x80000010;
    const std::string text = generatedText(1, 1124);
    std::vector<std::byte> chain(3 * 528);
    for (std::uint32_t b = 0; b < 3; ++b) {
        const std::uint32_t self = static_cast<std::uint32_t>(at) + 528 * b;
        const std::string part = text.substr(512 * b, 512);
        putU32(chain, 528 * b, self);
        putU32(chain, 528 * b + 4, 512);
        putU32(chain, 528 * b + 8, static_cast<std::uint32_t>(part.size()));
        putU32(chain, 528 * b + 12, b < 2 ? self + 528 : 0);
        std::copy_n(toBytes(part).begin(), part.size(), chain.begin() + 528 * b + 16);
    }
    SparseFile file(at + 4 * 528, at, chain);
    test::CountingObserver observer;
    const RecoveredMessageList found = dbx::recoverMessages(file, observer);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].position, at);
    EXPECT_TRUE(found[0].complete);
    std::string read;
    dbx::readRecoveredText(file, found[0], read, observer);
    EXPECT_EQ(read, text);
}

TEST(RecoveryScanShapes, StopsWhenCancelled) {
    class Cancelling : public test::CountingObserver {
        bool cancelled() const override { return true; }
    } observer;
    MemoryByteSource file(Folder().bytes);
    EXPECT_TRUE(dbx::recoverMessages(file, observer).empty());
}

}  // namespace
}  // namespace mq
