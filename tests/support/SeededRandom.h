#pragma once

#include <cstddef>
#include <cstdint>

namespace mq {

// A small deterministic generator (splitmix64): the same seed gives the same sequence on
// every machine, so generated stores are byte for byte reproducible.
class SeededRandom {
public:
    explicit SeededRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t x = (state_ += 0x9E3779B97F4A7C15ull);
        x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
        x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
        return x ^ (x >> 31);
    }
    // A number in [0, n); n must not be 0.
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
    // True in `percent` cases out of 100.
    bool chance(unsigned percent) { return below(100) < percent; }
    template <typename T, std::size_t N>
    const T& pick(const T (&items)[N]) {
        return items[below(N)];
    }

private:
    std::uint64_t state_;
};

}  // namespace mq
