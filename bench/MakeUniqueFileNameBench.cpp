// Making a file name unique in a folder that already holds 100,000 files
// (MQ_BENCH_FILES changes the count). Each call must see the folder's current content.
#include "save/FileNaming.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::size_t fileCount() {
    const char* value = std::getenv("MQ_BENCH_FILES");
    return value && *value ? static_cast<std::size_t>(std::strtoull(value, nullptr, 10)) : 100'000;
}

void touch(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd >= 0) ::close(fd);
}

struct BenchFolder {
    BenchFolder()
        : dir(fs::temp_directory_path() / ("mailquarry-names-" + std::to_string(::getpid()))) {
        fs::create_directories(dir);
        const std::size_t count = fileCount();
        std::cerr << "creating " << count << " files...\n";
        for (std::size_t i = 0; i < count; ++i) {
            touch(dir / ("[Generated message " + std::to_string(i) + "].eml"));
        }
    }
    ~BenchFolder() {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    fs::path dir;
};

BenchFolder& folder() {
    static BenchFolder f;
    return f;
}

// The folder's one full listing happens when a list first meets it; the figures below are
// the calls after that, which is what every message of a save run costs.
mq::FileList& primedList(const std::string& dir) {
    static mq::FileList list;
    mq::AddFiles(dir, list);
    return list;
}

// A name that is free: one refresh and one look-up.
void BM_MakeUniqueFileName_Free(benchmark::State& state) {
    const std::string dir = folder().dir.string();
    mq::FileList& list = primedList(dir);
    for (auto _ : state) {
        benchmark::DoNotOptimize(mq::MakeUniqueFileName("[A new message].eml", dir, list));
    }
}
BENCHMARK(BM_MakeUniqueFileName_Free)->Unit(benchmark::kMicrosecond);

// A name that is taken: the first numbered variant is free.
void BM_MakeUniqueFileName_Taken(benchmark::State& state) {
    const std::string dir = folder().dir.string();
    mq::FileList& list = primedList(dir);
    for (auto _ : state) {
        benchmark::DoNotOptimize(mq::MakeUniqueFileName("[Generated message 77].eml", dir, list));
    }
}
BENCHMARK(BM_MakeUniqueFileName_Taken)->Unit(benchmark::kMicrosecond);

// What a save does per message: make the name unique, create the file, record it. The
// folder grows by one file per iteration, and every new file is reported back to the list.
void BM_SaveLoop(benchmark::State& state) {
    const fs::path dir = folder().dir / "save-loop";
    fs::create_directories(dir);
    for (std::size_t i = 0; i < fileCount(); ++i)
        touch(dir / ("[Old " + std::to_string(i) + "].eml"));
    mq::FileList list;
    mq::AddFiles(dir.string(), list);
    for (auto _ : state) {
        const std::string name = mq::MakeUniqueFileName("[Same subject].eml", dir.string(), list);
        touch(mq::fileSystemPath(dir.string(), name));
        list.append(name);
    }
    state.counters["files"] = static_cast<double>(list.size());
}
BENCHMARK(BM_SaveLoop)->Unit(benchmark::kMicrosecond)->Iterations(2000);

// For comparison: the same check when the folder is listed afresh every time.
void BM_MakeUniqueFileName_FreshListing(benchmark::State& state) {
    const std::string dir = folder().dir.string();
    mq::FileList list;
    for (auto _ : state) {
        list.clear();
        benchmark::DoNotOptimize(mq::MakeUniqueFileName("[A new message].eml", dir, list));
    }
}
BENCHMARK(BM_MakeUniqueFileName_FreshListing)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
