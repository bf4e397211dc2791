// Scanning 100 MB of generated message bodies for addresses, the validator included.
#include "extract/AddressScanning.h"
#include "support/GeneratedFolder.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr std::size_t TextSize = 50 * 1024;
constexpr std::size_t TextCount = 2048;  // 100 MB

const std::vector<std::string>& bodies() {
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> all;
        all.reserve(TextCount);
        for (std::size_t i = 0; i < TextCount; ++i) {
            all.push_back(std::string(mq::GetMessageBody(mq::generatedText(i, TextSize))));
        }
        return all;
    }();
    return texts;
}

void BM_FindAddresses(benchmark::State& state) {
    const std::vector<std::string>& texts = bodies();
    const mq::TEmailChk checker;
    std::size_t bytes = 0;
    for (const std::string& text : texts) bytes += text.size();
    for (auto _ : state) {
        mq::FoundAddresses found;
        for (const std::string& text : texts) mq::FindAddresses(text, checker, found);
        benchmark::DoNotOptimize(found.size());
        state.counters["addresses"] = static_cast<double>(found.size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_FindAddresses)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
