// Reading one big folder: all its records (Read_OE_File) and every message text
// (Read_OE_Message), with a warm file cache. MQ_BENCH_MESSAGES and MQ_BENCH_TEXT_SIZE
// change the folder (default 100,000 messages of 10 KB).
#include "platform/RegistryFile.h"
#include "store/StoreReader.h"
#include "support/CountingObserver.h"
#include "support/GeneratedFolder.h"
#include "support/StoreBuilder.h"

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

namespace {

std::size_t fromEnvironment(const char* name, std::size_t fallback) {
    const char* value = std::getenv(name);
    return value && *value ? static_cast<std::size_t>(std::strtoull(value, nullptr, 10)) : fallback;
}

// The folder is written once per run and removed at exit; it is a gigabyte by default.
struct BenchStore {
    BenchStore()
        : dir(std::filesystem::temp_directory_path() /
              ("mailquarry-bench-" + std::to_string(::getpid()))),
          count(fromEnvironment("MQ_BENCH_MESSAGES", 100'000)),
          textSize(fromEnvironment("MQ_BENCH_TEXT_SIZE", 10'240)) {
        std::cerr << "writing " << count << " messages of " << textSize << " bytes...\n";
        store = mq::writeGeneratedStore(dir, count, textSize);
        registry = std::make_unique<mq::RegistryFile>(mq::registryFileIn(store.configHome));
    }
    ~BenchStore() {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    std::filesystem::path dir;
    std::size_t count;
    std::size_t textSize;
    mq::GeneratedStore store;
    std::unique_ptr<mq::RegistryFile> registry;
};

BenchStore& benchStore() {
    static BenchStore store;
    return store;
}

void BM_Read_OE_File(benchmark::State& state) {
    BenchStore& s = benchStore();
    mq::StoreReader reader(*s.registry);
    std::size_t records = 0;
    for (auto _ : state) {
        mq::MessageInfoList list;
        reader.Read_OE_File(s.store.folderFile, &list);
        records += list.size();
        benchmark::DoNotOptimize(list.records().data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(records));
}
BENCHMARK(BM_Read_OE_File)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Read_OE_Message(benchmark::State& state) {
    BenchStore& s = benchStore();
    mq::StoreReader reader(*s.registry);
    mq::MessageInfoList list;
    reader.Read_OE_File(s.store.folderFile, &list);
    mq::test::CountingObserver observer;
    std::size_t bytes = 0;
    for (auto _ : state) {
        for (const auto& info : list) {
            std::string text;
            reader.Read_OE_Message(s.store.folderFile, info.MessagePosition, text, observer);
            bytes += text.size();
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.counters["messages/s"] = benchmark::Counter(
        static_cast<double>(list.size() * state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Read_OE_Message)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
