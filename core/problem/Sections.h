#pragma once
// The sections of a layout: the first- and second-order factors that the
// zero and pole blocks of a parameter vector stand for, and the direct-form
// polynomials they multiply to, exact or quantized. One module for the cost
// function, the responses and the results file, so that all three read a
// vector the same way.
//
// Factor order (the order of multiplication and of the report): the real
// roots of a block first (the radii beyond those that have an angle, from the
// end of the radius block in index order, two to a section, an odd last one
// alone), then its complex pairs; then the linear-phase groups (each pair or
// root with its mirror image at the reciprocal radius), then the allpass
// pairs and an odd allpass root (reciprocal radii in the numerator).

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>

#include "problem/Layout.h"
#include "problem/Types.h"

namespace dovra {

/// A factor (1, c1[, c2]) of a polynomial in powers of z^-1; size 1 is the constant 1.
struct Section {
    std::array<double, 3> c{1.0, 0.0, 0.0};
    int size = 1;
};

namespace sections {

inline constexpr double two_pi = 6.283185307179586;
inline constexpr double tiny = 1e-16;

/// x[i], or 0 for an index outside x: a layout that does not match the
/// vector never reads beyond it.
inline double at(std::span<const double> x, int i) {
    return i >= 0 && static_cast<std::size_t>(i) < x.size() ? x[static_cast<std::size_t>(i)] : 0.0;
}
/// 1 / r, kept finite near 0 (0 gives -1e16).
double safeInvert(double r);
/// floor(q c) / q.
double quantize(double c, std::int64_t q);

inline Section pair(double r, double angle) {
    return {{1.0, -2.0 * r * std::cos(two_pi * angle), r * r}, 3};
}
inline Section real(double r) {
    return {{1.0, -r, 0.0}, 2};
}

/// Calls f(section, fromBlock) for each factor of the numerator (zeros) or
/// the denominator (poles), in multiplication order. fromBlock is true for the
/// factors of the zero or pole block itself, false for the linear-phase and
/// allpass factors that follow. Nothing is allocated.
template <class F> void forEachZeroSection(std::span<const double> x, const Layout& p, F&& f);
template <class F> void forEachPoleSection(std::span<const double> x, const Layout& p, F&& f);

/// The direct-form polynomials of a vector with the layout p. q > 0
/// quantizes, as sections (structure 1: each factor before multiplying) or in
/// direct form (structure 0: the finished polynomial). The numerator carries
/// the gain x[0]; the denominator of a filter without poles is all zeros
/// (degree 0, read as the constant 1). The caller checks the capacities first.
Coefficients numerator(std::span<const double> x, const Layout& p, std::int64_t q, int structure);
Coefficients denominator(std::span<const double> x, const Layout& p, std::int64_t q, int structure);
/// The numerator of a linear-phase FIR design: the impulse response h times
/// the gain, quantized in direct form when q > 0.
Coefficients firNumerator(double gain, std::span<const double> h, int degree, std::int64_t q);
/// The same three polynomials written into a caller's array: only the
/// entries up to the layout's degree are written (the rest keep what they
/// held), so the cost function builds them without clearing a whole array.
void numeratorInto(std::span<const double> x, const Layout& p, std::int64_t q, int structure,
                   Coefficients& a);
void denominatorInto(std::span<const double> x, const Layout& p, std::int64_t q, int structure,
                     Coefficients& b);
void firNumeratorInto(double gain, std::span<const double> h, int degree, std::int64_t q,
                      Coefficients& a);

// --- implementation of the iteration ---------------------------------------------------

template <class F>
void blockSections(std::span<const double> x, int radii, int angles, int radiusFirst,
                   int radiusLast, int angleFirst, F&& f) {
    const int reals = std::max(radii - angles, 0);
    int pairStart = 0;
    if (reals == 0) {
        f(pair(at(x, radiusFirst), at(x, angleFirst)), true);
        pairStart = 1;
    } else {
        const int firstReal = radiusLast - reals + 1;
        int i = 0;
        for (; i + 1 < reals; i += 2) {
            const double r1 = at(x, firstReal + i);
            const double r2 = at(x, firstReal + i + 1);
            f(Section{{1.0, -(r1 + r2), r1 * r2}, 3}, true);
        }
        if (i < reals) {
            f(real(at(x, radiusLast)), true);
        }
    }
    for (int k = pairStart; k < angles; ++k) {
        f(pair(at(x, radiusFirst + k), at(x, angleFirst + k)), true);
    }
}

template <class F> void forEachZeroSection(std::span<const double> x, const Layout& p, F&& f) {
    if (p.N > 0) {
        const BlockRange& r = p[Block::ZeroRadii];
        const BlockRange& a = p[Block::ZeroAngles];
        blockSections(x, r.count, a.count, r.first, r.last, a.first, f);
    }
    const BlockRange& lr = p[Block::LinRadii];
    const BlockRange& la = p[Block::LinAngles];
    for (int k = 0; k < p.L / 2; ++k) {
        const double r = at(x, lr.first + k);
        const double angle = at(x, la.first + k);
        f(pair(r, angle), false);
        f(pair(safeInvert(r), angle), false);
    }
    if (p.L % 2 == 1) {
        const double r = at(x, lr.last);
        f(real(r), false);
        f(real(safeInvert(r)), false);
    }
    const BlockRange& ar = p[Block::AllpassRadii];
    const BlockRange& aa = p[Block::AllpassAngles];
    for (int k = 0; k < p.A / 2; ++k) {
        f(pair(safeInvert(at(x, ar.first + k)), at(x, aa.first + k)), false);
    }
    if (p.A % 2 == 1) {
        f(real(safeInvert(at(x, ar.last))), false);
    }
}

template <class F> void forEachPoleSection(std::span<const double> x, const Layout& p, F&& f) {
    if (p.M > 0) {
        const BlockRange& r = p[Block::PoleRadii];
        const BlockRange& a = p[Block::PoleAngles];
        blockSections(x, r.count, a.count, r.first, r.last, a.first, f);
    }
    const BlockRange& ar = p[Block::AllpassRadii];
    const BlockRange& aa = p[Block::AllpassAngles];
    for (int k = 0; k < p.A / 2; ++k) {
        f(pair(at(x, ar.first + k), at(x, aa.first + k)), false);
    }
    if (p.A % 2 == 1) {
        f(real(at(x, ar.last)), false);
    }
}

} // namespace sections
} // namespace dovra
