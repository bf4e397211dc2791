// Loading a registry file as big as a full export of a user's registry: 20,000 and 65,000
// keys of five values each (about 8 and 27 MB). Target: well under a second.
#include "platform/RegistryFile.h"

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

std::filesystem::path exportOf(std::int64_t keys) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("mailquarry-bench-" + std::to_string(::getpid()) + "-" + std::to_string(keys) + ".reg");
    std::ofstream out(path, std::ios::binary);
    out << "Windows Registry Editor Version 5.00\r\n\r\n";
    for (std::int64_t k = 0; k < keys; ++k) {
        out << "[HKEY_CURRENT_USER\\Software\\Vendor " << k % 97 << "\\Product\\Settings " << k
            << "]\r\n";
        out << "\"Name\"=\"A text value of some length, number " << k << "\"\r\n"
            << "\"Count\"=dword:" << std::hex << k << std::dec << "\r\n"
            << "\"Path\"=hex(2):25,00,55,00,53,00,45,00,52,00,50,00,52,00,4f,00,46,00,49,00,4c,"
               "00,45,00,25,00,00,00\r\n"
            << "\"Data\"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10\r\n"
            << "@=\"default\"\r\n\r\n";
    }
    return path;
}

void BM_LoadRegistryFile(benchmark::State& state) {
    const std::filesystem::path path = exportOf(state.range(0));
    for (auto _ : state) {
        auto registry = std::make_unique<mq::RegistryFile>(path);
        benchmark::DoNotOptimize(registry->openKey("Software\\Vendor 1\\Product\\Settings 1"));
        state.PauseTiming();  // the program keeps its registry to the end; only loading counts
        registry.reset();
        state.ResumeTiming();
    }
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadRegistryFile)->Arg(20'000)->Arg(65'000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
