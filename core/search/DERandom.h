#pragma once
// The random source of the search: a seedable uniform generator. A seed of 0
// means "seed from the clock". The generator (64-bit Mersenne Twister, 53-bit
// doubles) is fully specified, so a seed gives the same run on every machine.

#include <chrono>
#include <cstdint>
#include <random>

#include "problem/UniformSource.h"

namespace dovra {

class DERandom final : public UniformSource {
  public:
    DERandom() { setMySeed(0); }
    explicit DERandom(std::int64_t seed) { setMySeed(seed); }

    /// Re-seeds; 0 is replaced by the current time in milliseconds.
    void setMySeed(std::int64_t seed) {
        if (seed == 0) {
            seed = std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                       .count();
        }
        seed_ = seed;
        engine_.seed(static_cast<std::uint64_t>(seed));
    }
    std::int64_t seed() const { return seed_; }

    /// Uniform in [0, 1).
    double nextDouble() override { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }
    /// An integer in 0 .. n - 1.
    int nextValue(int n) { return static_cast<int>(nextDouble() * n); }
    /// Uniform in (-x, x].
    double nextValue(double x) { return (1.0 - 2.0 * nextDouble()) * x; }

  private:
    std::mt19937_64 engine_;
    std::int64_t seed_ = 0;
};

} // namespace dovra
