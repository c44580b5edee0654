#pragma once
// Shared fixed-size types of the filter problem.

#include <array>
#include <cstdint>

namespace dovra {

/// Capacity of a parameter vector: gain, radii and angles of all blocks.
inline constexpr int kVectorCapacity = 480;
/// Capacity of a coefficient array: polynomials of degree at most 479.
inline constexpr int kCoeffCapacity = 480;
/// Rows of each sampled tolerance table and entries of each prefilter table.
inline constexpr int kTableCapacity = 100;

using ParamVector = std::array<double, kVectorCapacity>;
using Coefficients = std::array<double, kCoeffCapacity>;

/// Magnitude error, group-delay error, total cost.
using CostVector = std::array<double, 3>;

/// The 28-entry layout record: degrees N, M, L, A, the eight block counts and
/// the first and last index of the eight blocks zr, za, pr, pa, lr, la, zar, zaa.
using LayoutRecord = std::array<int, 28>;

/// Zero and pole ranges handed over by a classical design: zr first, last;
/// za first, last; pr first, last; pa first, last.
using PZPointers = std::array<int, 8>;

} // namespace dovra
