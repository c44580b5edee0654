#pragma once
// Zeros, poles and gain of a layout written by a classical design, read as
// the coefficient builders read it: in each radius block the first entries
// (as many as the block has angles) are conjugate pairs, the rest real roots.

#include <complex>
#include <numbers>
#include <span>
#include <vector>

#include "problem/Types.h"

namespace dovra::test {

using Roots = std::vector<std::complex<double>>;

inline Roots rootsOfBlocks(std::span<const double> v, int rFirst, int rLast, int aFirst,
                           int aLast) {
    Roots out;
    const int radii = rLast - rFirst + 1;
    const int angles = aLast - aFirst + 1;
    for (int i = 0; i < radii; ++i) {
        const double r = v[static_cast<std::size_t>(rFirst + i)];
        if (i < angles) {
            const double a = v[static_cast<std::size_t>(aFirst + i)];
            const auto z = std::polar(r, 2.0 * std::numbers::pi * a);
            out.push_back(z);
            out.push_back(std::conj(z));
        } else {
            out.emplace_back(r, 0.0);
        }
    }
    return out;
}

struct ZPK {
    Roots zeros, poles;
    double gain = 0.0;

    static ZPK of(std::span<const double> v, const PZPointers& p) {
        return {rootsOfBlocks(v, p[0], p[1], p[2], p[3]), rootsOfBlocks(v, p[4], p[5], p[6], p[7]),
                v[0]};
    }
    /// Magnitude in dB at the normalized frequency f.
    double dB(double f) const {
        const auto zi = std::polar(1.0, -2.0 * std::numbers::pi * f);
        std::complex<double> h = gain;
        for (const auto& z : zeros) {
            h *= 1.0 - z * zi;
        }
        for (const auto& p : poles) {
            h /= 1.0 - p * zi;
        }
        return 20.0 * std::log10(std::abs(h));
    }
};

/// The largest distance between the roots of a and b, each root of a matched
/// with the nearest unmatched root of b (an infinite distance when the counts
/// differ).
inline double rootDistance(const Roots& a, Roots b) {
    if (a.size() != b.size()) {
        return HUGE_VAL;
    }
    double worst = 0.0;
    for (const auto& x : a) {
        std::size_t best = 0;
        for (std::size_t j = 1; j < b.size(); ++j) {
            if (std::abs(b[j] - x) < std::abs(b[best] - x)) {
                best = j;
            }
        }
        worst = std::max(worst, std::abs(b[best] - x));
        b.erase(b.begin() + static_cast<std::ptrdiff_t>(best));
    }
    return worst;
}

} // namespace dovra::test
