// Recovering a folder whose index is destroyed: a generated folder of 20,000 messages of about
// 10 KB (215 MB) whose index nodes and records are overwritten with noise. Times the recovery
// scan from the page cache (target: under 0.5 s) with its peak memory, checks every message
// against what the writer wrote, then runs undbx -r on the same file and compares each
// message it gets back, byte for byte, with the scan's. Then the same again after more
// damage: a block inside every 97th message overwritten, and the file cut short inside a
// message nine tenths of the way through.
//
//   RecoverBench [messages] [bytes per message]      (KEEP=1 keeps the files)
//
// For the peak memory of a scan it runs itself as "RecoverBench --scan FILE", a process that
// only scans and prints its own peak: a child's peak as the parent learns it would include
// the parent's memory that it had until it started the program.
//
// undbx writes one .eml file per message into OUT/<folder file name without .dbx>/, named
// after the From, To and Subject values and ending in ".<first block's offset, 16 hex
// digits>.eml"; the offset finds the scan's message to compare with.

#include "JobTiming.h"
#include "platform/StoreFile.h"
#include "store/RecoveryScan.h"
#include "support/CountingObserver.h"
#include "support/DbxWriter.h"
#include "support/GeneratedFolder.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace mq::bench;

namespace {

class NoStop : public mq::RecoveryScanObserver {
public:
    bool cancelled() const override { return false; }
    void scanned(std::uint64_t, std::uint64_t) override {}
};

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void overwriteWithNoise(const fs::path& file, std::uint64_t from, std::size_t length,
                        std::uint64_t seed) {
    std::vector<std::byte> noise(length);
    mq::fillWithNoise(noise, seed);
    std::fstream io(file, std::ios::binary | std::ios::in | std::ios::out);
    io.seekp(static_cast<std::streamoff>(from));
    io.write(reinterpret_cast<const char*>(noise.data()), static_cast<std::streamsize>(length));
}

// The offset in an undbx file name, or -1.
long long undbxOffset(const fs::path& eml) {
    const std::string stem = eml.stem().string();
    const std::size_t dot = stem.rfind('.');
    if (dot == std::string::npos || stem.size() - dot != 17) return -1;
    return std::strtoll(stem.c_str() + dot + 1, nullptr, 16);
}

// What the scan found in a file, by first block.
class Found {
public:
    Found(mq::ByteSource& file, const mq::RecoveredMessageList& list) : file_(file) {
        for (const auto& m : list) byOffset_[m.position] = m;
    }
    std::size_t size() const { return byOffset_.size(); }
    const mq::RecoveredMessage* at(std::uint64_t offset) const {
        const auto m = byOffset_.find(offset);
        return m == byOffset_.end() ? nullptr : &m->second;
    }
    std::string text(const mq::RecoveredMessage& m) {
        std::string text;
        mq::dbx::readRecoveredText(file_, m, text, reading_);
        return text;
    }

private:
    mq::ByteSource& file_;
    std::map<std::uint64_t, mq::RecoveredMessage> byOffset_;
    mq::test::CountingObserver reading_;
};

// Message i of those written comes back complete and byte for byte unless `damaged` says so.
void checkAgainstWriter(Found& found, const mq::DbxWriter& writer, std::size_t count,
                        std::size_t size, const std::function<bool(std::size_t)>& damaged) {
    std::size_t whole = 0, exact = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (damaged(i)) continue;
        ++whole;
        const mq::RecoveredMessage* m = found.at(writer.offsetOfBlock(i));
        exact += m && m->complete && found.text(*m) == mq::generatedText(i, size);
    }
    std::printf("scan: %zu messages; of the %zu written whole, %zu complete, byte for byte\n",
                found.size(), whole, exact);
}

void compareWithUndbx(const fs::path& dbx, const fs::path& out, Found& found) {
    const Timing undbx = runUndbx(dbx, out, true);
    if (!undbx.valid()) {
        std::printf("undbx -r could not be run\n");
        return;
    }
    printTiming("undbx -r", undbx, undbx, "");
    std::size_t files = 0, same = 0;
    for (const auto& entry : fs::recursive_directory_iterator(out)) {
        if (!entry.is_regular_file()) continue;
        ++files;
        const mq::RecoveredMessage* m = found.at(static_cast<std::uint64_t>(undbxOffset(entry)));
        if (m && found.text(*m) == slurp(entry.path()))
            ++same;
        else if (files - same <= 5)
            std::printf("  not the same: %s\n", entry.path().filename().c_str());
    }
    std::printf("undbx -r: %zu messages, %zu of them the same bytes as the scan's\n", files, same);
}

}  // namespace

int main(int argc, char* argv[]) {
    NoStop observer;
    if (argc == 3 && std::string(argv[1]) == "--scan") {
        const auto file = mq::StoreFile::open(argv[2]);
        const std::size_t found = mq::dbx::recoverMessages(*file, observer).size();
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.starts_with("VmHWM:"))
                std::printf("peak memory of a process that only scans (%zu found): %s\n", found,
                            line.c_str() + line.find_first_not_of(" \t", 6));
        return 0;
    }
    const std::size_t count = argc > 1 ? std::stoul(argv[1]) : 20000;
    const std::size_t size = argc > 2 ? std::stoul(argv[2]) : 10 * 1024;
    const fs::path dir =
        fs::temp_directory_path() / ("mq-recover-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path dbx = dir / "Inbox.dbx";

    mq::DbxWriter writer;
    for (std::size_t i = 0; i < count; ++i) writer.addMessage(mq::generatedMessage(i, size));
    writer.write(dbx);
    // Index nodes and records lie behind the texts.
    overwriteWithNoise(dbx, writer.offsetOfRecord(0),
                       static_cast<std::size_t>(writer.fileSize() - writer.offsetOfRecord(0)), 1);
    std::printf("folder: %zu messages, %.1f MB, index overwritten with noise\n", count,
                double(fs::file_size(dbx)) / 1e6);
    {
        const auto file = mq::StoreFile::open(dbx.string());
        mq::RecoveredMessageList list = mq::dbx::recoverMessages(*file, observer);  // warms up
        std::vector<Timing> runs;
        for (int run = 0; run < 5; ++run)
            runs.push_back(timed([&] { list = mq::dbx::recoverMessages(*file, observer); }));
        std::sort(runs.begin(), runs.end(),
                  [](const Timing& a, const Timing& b) { return a.wall < b.wall; });
        printTiming("recovery scan, best", runs.front(), {}, "");
        printTiming("recovery scan, median", runs[2], {}, "");
        Found found(*file, list);
        checkAgainstWriter(found, writer, count, size, [](std::size_t) { return false; });
        compareWithUndbx(dbx, dir / "undbx", found);
    }
    std::fflush(stdout);
    runProgram({"/proc/self/exe", "--scan", dbx.string()});

    const std::size_t cutIn = count * 9 / 10;
    std::set<std::size_t> hit;
    for (std::size_t i = 0; i < cutIn && size > 512; i += 97) {
        overwriteWithNoise(dbx, writer.offsetOfBlock(i, 1), 528, 2 + i);
        hit.insert(i);
    }
    fs::resize_file(dbx, writer.offsetOfBlock(cutIn) + 700);
    std::printf("\nthe same with %zu messages hit inside and the file cut short in message %zu\n",
                hit.size(), cutIn);
    {
        const auto file = mq::StoreFile::open(dbx.string());
        Found found(*file, mq::dbx::recoverMessages(*file, observer));
        checkAgainstWriter(found, writer, count, size,
                           [&](std::size_t i) { return i >= cutIn || hit.contains(i); });
        compareWithUndbx(dbx, dir / "undbx-damaged", found);
    }
    if (!std::getenv("KEEP")) fs::remove_all(dir);
    return 0;
}
