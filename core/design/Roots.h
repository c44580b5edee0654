#pragma once
// Roots of a real polynomial by Muller's method with deflation, and the
// conversion of the roots of a linear-phase FIR response into the zero blocks
// of the parameter vector.

#include <array>
#include <span>

#include "problem/Types.h"

namespace dovra {

/// Highest polynomial degree the root finder accepts.
inline constexpr int kMaxRootDegree = 256;

/// Real and imaginary parts of the roots, indices 0..n-1. While the roots are
/// found, re doubles as the deflated working polynomial.
struct RootArrays {
    std::array<double, kMaxRootDegree + 1> re{};
    std::array<double, kMaxRootDegree + 1> im{};
};

/// Return codes of mueller.
inline constexpr int kRootsFound = 0;
inline constexpr int kRootsBadInput = 1;       // degree < 1 (or too high), leading coefficient 0
inline constexpr int kRootsIterationLimit = 2; // more than 500 steps for one root

/// All n roots of a[0] + a[1] x + ... + a[n] x^n (a holds at least n + 1
/// values). scale != 0 first scales the polynomial so that its roots are of
/// order one. Never throws; the code says what happened.
int mueller(int scale, std::span<const double> a, int n, RootArrays& roots);

/// What zerosFromRoots wrote.
struct ZeroCounts {
    int realZeros = 0;
    int pairs = 0;
};

/// Orders the n roots (complex pairs first, real roots last) and writes them
/// into the zero blocks of x from index 1 on: a real zero as a signed radius,
/// a conjugate pair as its modulus and its angle in cycles per sample. The
/// pole ranges point at the entry after the zeros, which stays 0. Entry 0 (the
/// gain) is left alone.
ZeroCounts zerosFromRoots(RootArrays& roots, int n, ParamVector& x, PZPointers& pointers);

} // namespace dovra
