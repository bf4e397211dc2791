// Sorting 100,000 messages by their received date, whose sort key is the number text.
#include "store/DateTime.h"
#include "view/MessageSort.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

std::vector<mq::TMessHead> messages() {
    std::vector<mq::TMessHead> list(100'000);
    std::uint64_t state = 88172645463325252ull;
    for (std::size_t i = 0; i < list.size(); ++i) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        // 1995 to 2026, at any second of the day.
        list[i].Received = 34700.0 + static_cast<double>(state % (11'500ull * 86'400)) / 86'400.0;
        list[i].InfoIndex = static_cast<std::int32_t>(i);
    }
    return list;
}

void BM_NumberTextKeys(benchmark::State& state) {
    const std::vector<mq::TMessHead> list = messages();
    const mq::LocaleSettings locale;
    for (auto _ : state) {
        for (const mq::TMessHead& m : list)
            benchmark::DoNotOptimize(mq::numberText(m.Received, locale));
    }
}
BENCHMARK(BM_NumberTextKeys)->Unit(benchmark::kMillisecond);

void BM_SortByReceived(benchmark::State& state) {
    const std::vector<mq::TMessHead> original = messages();
    const mq::LocaleSettings locale;
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<mq::TMessHead> list = original;
        state.ResumeTiming();
        mq::sortMessageList(list, 4, true, locale);
        benchmark::DoNotOptimize(list.data());
    }
}
BENCHMARK(BM_SortByReceived)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
