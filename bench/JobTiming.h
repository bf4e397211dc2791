#pragma once

// What the whole-job benchmarks share: timing one job of this process and timing undbx as a
// program of its own.

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace mq::bench {

// Wall-clock, processor (user and system) and user seconds of one run. The machine may be
// shared, so processor times are printed beside wall times; the kernel's share of making
// files drifts with what the file system went through before, the user time does not.
struct Timing {
    double wall = -1;
    double processor = -1;
    double user = -1;
    bool valid() const { return wall >= 0; }
};

// Times `job` in this process, after what earlier jobs wrote has reached the disk.
Timing timed(const std::function<void()>& job);

// Runs a program of its own, args[0] found as the shell would, and times it; an invalid
// Timing when it cannot be run or fails.
Timing runProgram(const std::vector<std::string>& args);

// Runs undbx on `file` into `out`, in its recovery mode with `recover`.
Timing runUndbx(const std::filesystem::path& file, const std::filesystem::path& out,
                bool recover = false);

// The mean of two timings, invalid unless both are valid.
Timing mean(const Timing& a, const Timing& b);

// "what  wall ... processor ... user ..." and, against a valid `undbx`, the three ratios
// with the target.
void printTiming(const char* what, const Timing& t, const Timing& undbx, const char* target);

std::size_t filesIn(const std::filesystem::path& folder);

// Peak resident memory of this process so far.
long peakRssKilobytes();

}  // namespace mq::bench
