#pragma once
// Counts the calls of the global operator new in the test executable that
// links AllocationCounter.cpp (the allocation tests only).

#include <cstddef>

namespace dovra::test {

/// Number of global operator new calls (all forms) so far.
std::size_t allocationCount();

} // namespace dovra::test
