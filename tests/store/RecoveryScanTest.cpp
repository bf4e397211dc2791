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

// Messages of one to ten blocks, the last two of them without records, then two whose blocks
// alternate in one chain; for each, its text and where the writer put its blocks.
struct Folder {
    DbxWriter w;
    std::vector<std::string> texts;
    std::vector<std::vector<std::uint32_t>> blocks;
    std::vector<std::byte> bytes;

    Folder() {
        for (std::size_t i = 0; i < 8; ++i) {
            DbxMessage m;
            m.text = texts.emplace_back(generatedText(i, 100 + 700 * i));
            i < 6 ? w.addMessage(m) : w.addTextChain(m.text);
        }
        texts.push_back(generatedText(8, 2048));
        texts.push_back(generatedText(9, 2048));
        std::vector<DbxBlock> mixed(8);
        for (std::size_t k = 0; k < 8; ++k) {
            mixed[k].data = toBytes(std::string_view(texts[8 + k % 2]).substr(k / 2 * 512, 512));
            mixed[k].next = k + 2 < 8 ? DbxRef::chain(8, k + 2) : DbxRef::none();
        }
        w.addChain(std::move(mixed));
        bytes = w.build();
        for (std::size_t i = 0; i < texts.size(); ++i) {
            auto& at = blocks.emplace_back();
            for (std::size_t b = 0; b * 512 < texts[i].size(); ++b)
                at.push_back(i < 8 ? w.offsetOfBlock(i, b) : w.offsetOfBlock(8, 2 * b + i - 8));
        }
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

// Each message comes back as far as its blocks came through whole: all of them, byte for byte
// and complete, or what precedes the first damaged one, incomplete.
TEST_P(RecoveryScan, BringsBackEveryMessageAsFarAsItsBlocksAreIntact) {
    Folder f;
    const std::vector<std::byte> before = f.bytes;
    GetParam().apply(f);
    MemoryByteSource file(f.bytes);
    test::CountingObserver observer;
    const RecoveredMessageList found = dbx::recoverMessages(file, observer);
    EXPECT_EQ(observer.scannedTo, f.bytes.size());
    auto intact = [&](std::uint32_t at) {
        return at + 528 <= f.bytes.size() &&
               std::equal(before.begin() + at, before.begin() + at + 528, f.bytes.begin() + at);
    };
    for (std::size_t i = 0; i < f.texts.size(); ++i) {
        const auto& blocks = f.blocks[i];
        const auto whole =
            std::size_t(std::find_if_not(blocks.begin(), blocks.end(), intact) - blocks.begin());
        const auto m = std::find_if(found.begin(), found.end(), [&](const RecoveredMessage& r) {
            return r.position == blocks[0];
        });
        if (whole == 0) continue;
        ASSERT_NE(m, found.end()) << i;
        std::string text;
        dbx::readRecoveredText(file, *m, text, observer);
        EXPECT_EQ(text, f.texts[i].substr(0, 512 * whole)) << i;
        EXPECT_EQ(m->complete, whole == blocks.size()) << i;
        EXPECT_EQ(m->indexed, i < 6 && GetParam().indexSurvives) << i;
    }
}

void overwrite(Folder& f, std::uint32_t block, std::uint64_t seed) {
    fillWithNoise(std::span(f.bytes).subspan(block, 528), seed);
}

INSTANTIATE_TEST_SUITE_P(
    Damages, RecoveryScan,
    testing::Values(Damage{"RecordsRemoved", true, [](Folder&) {}},
                    Damage{"IndexRootZeroed", false, [](Folder& f) { putU32(f.bytes, 0x30, 0); }},
                    Damage{"IndexNodesOverwritten", false,
                           [](Folder& f) {
                               fillWithNoise(std::span(f.bytes).subspan(f.w.offsetOfNode(0)), 1);
                           }},
                    Damage{"BlocksOverwritten", true,
                           [](Folder& f) {
                               overwrite(f, f.blocks[3][1], 2), overwrite(f, f.blocks[8][2], 3);
                           }},
                    Damage{"CutShortInAMessage", false,
                           [](Folder& f) { f.bytes.resize(f.blocks[5][3] + 300); }}),
    [](const testing::TestParamInfo<Damage>& info) { return info.param.name; });

void putBlockHeader(std::vector<std::byte>& bytes, std::size_t at, std::uint32_t self,
                    std::uint32_t length, std::uint32_t next) {
    putU32(bytes, at, self);
    putU32(bytes, at + 4, 512);
    putU32(bytes, at + 8, length);
    putU32(bytes, at + 12, next);
}

// What the messages found hold together: never more than the file.
std::uint64_t totalLength(ByteSource& file, const RecoveredMessageList& found) {
    std::uint64_t total = 0;
    std::string text;
    test::CountingObserver observer;
    for (const RecoveredMessage& m : found) {
        dbx::readRecoveredText(file, m, text, observer);
        EXPECT_EQ(text.size(), m.length);
        total += text.size();
    }
    return total;
}

// Shapes no mail client writes: a loop nothing leads into, three chains that run into one
// tail, a text that quotes block headers at their own offsets, and an old block header that
// overlaps the first block of a message the index lists.
TEST(RecoveryScanShapes, CraftedChainsCountEachBlockOnce) {
    const std::string line(512, 'x');
    DbxWriter w;
    DbxBlock full, head, stale;
    full.data = toBytes(line);
    head.data = toBytes("head");
    head.next = DbxRef::chain(1, 0);
    stale.data = toBytes(line);
    stale.selfOffset = 1;
    std::vector<DbxBlock> loop(3, full);
    loop[2].next = DbxRef::chain(0);
    w.addChain(loop);
    w.addTextChain(line + line);
    for (int i = 0; i < 3; ++i) w.addChain({head});
    const std::size_t quoting = w.addTextChain(line + line);
    const std::size_t old = w.addChain({stale});
    DbxMessage live;
    live.text = "Subject: live\r\n\r\nlive\r\n";
    w.addMessage(live);
    std::vector<std::byte> bytes = w.build();
    const std::uint32_t first = w.offsetOfBlock(quoting);
    for (std::uint32_t at = first + 16; at < first + 528; at += 16)
        putBlockHeader(bytes, at, at, 4, 0);
    const std::uint32_t oldHeader = w.offsetOfBlock(old) + 272;
    putBlockHeader(bytes, oldHeader, oldHeader, 4, 0);

    MemoryByteSource file(bytes);
    test::CountingObserver observer;
    const RecoveredMessageList found = dbx::recoverMessages(file, observer);
    ASSERT_EQ(found.size(), 6u);
    EXPECT_EQ(found[0].position, w.offsetOfBlock(0));
    EXPECT_EQ(found[0].length, 3 * 512u);
    // The first head gets the tail; the others end where it begins.
    EXPECT_EQ(found[1].length, 4 + 1024u);
    for (int i = 2; i < 4; ++i) EXPECT_EQ(found[i].length, 4u);
    EXPECT_EQ(found[4].blocks, 2u);
    EXPECT_EQ(found[5].position, w.offsetOfBlock(old + 1));
    EXPECT_TRUE(found[5].indexed);
    for (std::size_t i = 0; i < found.size(); ++i)
        EXPECT_EQ(found[i].complete, i == 1 || i >= 4) << i;
    EXPECT_LE(totalLength(file, found), bytes.size());

    class Cancelling : public test::CountingObserver {
        bool cancelled() const override { return true; }
    } cancelling;
    EXPECT_TRUE(dbx::recoverMessages(file, cancelling).empty());
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
    const std::uint32_t at = 0x80000010;
    const std::string text = generatedText(1, 1124);
    std::vector<std::byte> chain(3 * 528);
    for (std::uint32_t b = 0; b < 3; ++b) {
        const std::string part = text.substr(512 * b, 512);
        putBlockHeader(chain, 528 * b, at + 528 * b, static_cast<std::uint32_t>(part.size()),
                       b < 2 ? at + 528 * (b + 1) : 0);
        std::copy_n(toBytes(part).begin(), part.size(), chain.begin() + 528 * b + 16);
    }
    SparseFile file(at + 4 * 528, at, chain);
    test::CountingObserver observer;
    const RecoveredMessageList found = dbx::recoverMessages(file, observer);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(found[0].position == at && found[0].complete);
    std::string read;
    dbx::readRecoveredText(file, found[0], read, observer);
    EXPECT_EQ(read, text);
}

}  // namespace
}  // namespace mq
