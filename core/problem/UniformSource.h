#pragma once
// A source of uniform random numbers in [0, 1): what the problem's bounds
// check draws its corrections from. The search's random source is one, so
// that a run's draws come from one seeded sequence in a fixed order.

namespace dovra {

class UniformSource {
  public:
    virtual ~UniformSource() = default;
    virtual double nextDouble() = 0;
};

} // namespace dovra
