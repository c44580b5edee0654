#pragma once
// The layout of the parameter vector: after the gain at index 0, eight blocks
// in a fixed order (zero radii and angles, pole radii and angles, linear-phase
// pair radii and angles, allpass pair radii and angles), each a count and the
// first and last index it occupies. Every reader of a vector (the cost, the
// sections, the responses, the report, the pole-zero plot) and every writer
// (the search, the classical and FIR designs) goes by this one type; the
// system's 28-entry layout record and the eight range indices of a classical
// design are made from it where their operations are called.

#include <array>
#include <cstddef>

#include "problem/Types.h"

namespace dovra {

enum class Block : std::size_t {
    ZeroRadii,
    ZeroAngles,
    PoleRadii,
    PoleAngles,
    LinRadii,
    LinAngles,
    AllpassRadii,
    AllpassAngles,
};
inline constexpr std::size_t kBlockCount = 8;

/// Entries of one block. An empty block has a collapsed range that repeats
/// the last index of the block before it (the gain's 0 when every block
/// before it is empty); readers of the ranges skip it by its count.
struct BlockRange {
    int count = 0;
    int first = 0;
    int last = 0;
    bool operator==(const BlockRange&) const = default;
};

struct Layout {
    /// Degrees of the realization: single zeros and poles, linear-phase zero
    /// pairs, allpass pole/zero pairs.
    int N = 0, M = 0, L = 0, A = 0;
    std::array<BlockRange, kBlockCount> blocks{};

    const BlockRange& operator[](Block b) const { return blocks[static_cast<std::size_t>(b)]; }
    BlockRange& operator[](Block b) { return blocks[static_cast<std::size_t>(b)]; }
    bool operator==(const Layout&) const = default;

    /// Degrees of the numerator (N + 2L + A) and the denominator (M + A).
    int numeratorDegree() const { return N + 2 * L + A; }
    int denominatorDegree() const { return M + A; }

    /// The blocks of a realization, one after the other after the gain: a
    /// block of n roots holds n / 2 + n % 2 radii and n / 2 angles.
    static Layout of(int N, int M, int L, int A);
    /// The zero and pole blocks set to a classical design's ranges (bounds kept
    /// inside the vector, counts taken from the ranges); the other blocks and
    /// the degrees stay.
    void setPointers(const PZPointers& p);
    /// The zero and pole ranges: zr first, last; za first, last; pr first,
    /// last; pa first, last.
    PZPointers pointers() const;
    /// The 28-entry record: N, M, L, A, the eight counts, then the first and
    /// last index of each block.
    LayoutRecord record() const;
    static Layout fromRecord(const LayoutRecord& r);
};

} // namespace dovra
