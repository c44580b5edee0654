#include "design/Roots.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <utility>

namespace dovra {

namespace {

using Complex = std::complex<double>;

constexpr double kEps = 2.5e-15;           // zero test of coefficients and function values
constexpr double kStartRadius = 0.125;     // spread of the three starting points
constexpr double kScaledStart = 0.0078125; // start radius per unit of the largest coefficient
constexpr int kStepLimit = 500;            // Muller steps allowed for one root
constexpr int kHalvings = 11;              // halvings of a step that grows the function value
constexpr double kRealRootTolerance = 1e-15;

/// The cheap modulus used in every magnitude test.
double SABS(Complex z) {
    return std::abs(z.real()) + std::abs(z.imag());
}

/// The working polynomial at z: coefficients re[first..n-1] (ascending powers)
/// below the leading coefficient lead, by Horner's scheme.
Complex fmval(const RootArrays& w, int first, int n, double lead, Complex z) {
    Complex v = lead;
    for (int k = n - 1; k >= first; --k) {
        v = v * z + w.re[k];
    }
    return v;
}

/// Muller's correction factor from the last three points: the root of the
/// quadratic through them nearest the newest point, as a multiple of the last
/// step. Of the two signs of the root the one with the larger denominator is
/// taken; a zero denominator gives 0.
Complex quadsolv(Complex f0, Complex f1, Complex f2, Complex lambda) {
    const Complex delta = 1.0 + lambda;
    const Complex g = f0 * lambda * lambda - f1 * delta * delta + f2 * (lambda + delta);
    const Complex c = lambda * (f0 * lambda - f1 * delta + f2);
    const Complex root = std::sqrt(g * g - 4.0 * f2 * delta * c);
    const Complex plus = g + root;
    const Complex minus = g - root;
    const Complex den = SABS(plus) >= SABS(minus) ? plus : minus;
    if (den == Complex(0.0, 0.0)) {
        return {0.0, 0.0};
    }
    return -2.0 * f2 * delta / den;
}

/// Angle of a zero pair in cycles per sample, from one member of the pair.
double pairAngle(double re, double im) {
    const double twoPi = 2.0 * std::numbers::pi;
    if (re >= 0.0) {
        return std::atan(im / re) / twoPi;
    }
    return (std::numbers::pi - std::atan(im / re)) / twoPi;
}

} // namespace

int mueller(int scale, std::span<const double> a, int n, RootArrays& roots) {
    const int copied = std::clamp(n, 0, std::min(kMaxRootDegree, static_cast<int>(a.size())));
    for (int k = 0; k < copied; ++k) {
        roots.re[k] = a[k];
    }
    std::fill(roots.im.begin(), roots.im.end(), 0.0);
    if (n < 1 || n > kMaxRootDegree || static_cast<int>(a.size()) < n + 1 || a[n] == 0.0) {
        return kRootsBadInput;
    }

    double lead = a[n];
    double e = 1.0;
    if (scale != 0) {
        const double norm = std::abs(lead);
        lead /= norm;
        for (int k = 0; k < n; ++k) {
            roots.re[k] /= norm;
        }
        double largest = 0.0;
        for (int k = 0; k < n; ++k) {
            if (roots.re[k] != 0.0) {
                largest = std::max(largest, std::pow(std::abs(roots.re[k]), 1.0 / (n - k)));
            }
        }
        if (largest > 0.0 && largest != 1.0) {
            e = largest;
            for (int k = 0; k < n; ++k) {
                roots.re[k] /= std::pow(e, n - k);
            }
        }
    }

    const double sqrtEps = std::sqrt(kEps);
    const double complexRatio = std::sqrt(sqrtEps);
    int i = 0;
    for (;;) {
        while (i < n && std::abs(roots.re[i]) < kEps) {
            roots.re[i] = 0.0;
            roots.im[i] = 0.0;
            ++i;
        }
        if (i >= n - 1) {
            break;
        }

        double h = kStartRadius;
        if (scale != 0) {
            double largest = std::abs(lead);
            for (int k = i; k < n; ++k) {
                largest = std::max(largest, std::abs(roots.re[k]));
            }
            h = kScaledStart * largest;
        }
        Complex x0 = -h, x1 = h, x2 = 0.0;
        Complex f0 = fmval(roots, i, n, lead, x0);
        Complex f1 = fmval(roots, i, n, lead, x1);
        Complex f2 = fmval(roots, i, n, lead, x2);
        Complex best = x2;
        if (SABS(f0) <= kEps) {
            best = x0;
        } else if (SABS(f1) <= kEps) {
            best = x1;
        } else if (SABS(f2) > kEps) {
            int steps = 0;
            for (;;) {
                const Complex step = x2 - x1;
                const Complex before = x1 - x0;
                if (step == Complex(0.0, 0.0) || before == Complex(0.0, 0.0)) {
                    best = x2;
                    break;
                }
                Complex lambda = quadsolv(f0, f1, f2, step / before);
                Complex x3 = x2 + lambda * step;
                Complex f3 = fmval(roots, i, n, lead, x3);
                for (int halve = 0; halve < kHalvings && SABS(f3) > n * SABS(f2); ++halve) {
                    lambda *= 0.5;
                    x3 = x2 + lambda * step;
                    f3 = fmval(roots, i, n, lead, x3);
                }
                if (++steps > kStepLimit) {
                    return kRootsIterationLimit;
                }
                const bool converged = SABS(f3) <= kEps || SABS(x3 - x2) <= sqrtEps * SABS(x3);
                x0 = x1;
                f0 = f1;
                x1 = x2;
                f1 = f2;
                x2 = x3;
                f2 = f3;
                if (converged) {
                    best = SABS(f2) <= SABS(f1) ? x2 : x1;
                    break;
                }
            }
        }

        const double t = best.real();
        const double x = best.imag();
        if (std::abs(x) > complexRatio * std::abs(t)) {
            // A conjugate pair: divide by z^2 + p z + q.
            const double p = -2.0 * t;
            const double q = t * t + x * x;
            if (n - 1 >= i + 2) {
                roots.re[n - 1] -= p * lead;
                for (int k = n - 2; k >= i + 2; --k) {
                    roots.re[k] -=
                        p * roots.re[k + 1] + q * (k + 2 <= n - 1 ? roots.re[k + 2] : lead);
                }
            }
            roots.re[i + 1] = e * t;
            roots.im[i + 1] = e * x;
            roots.re[i] = e * t;
            roots.im[i] = -e * x;
            i += 2;
        } else {
            // A real root: divide by z - t.
            roots.re[n - 1] += t * lead;
            for (int k = n - 2; k >= i + 1; --k) {
                roots.re[k] += t * roots.re[k + 1];
            }
            roots.re[i] = e * t;
            roots.im[i] = 0.0;
            i += 1;
        }
        if (i >= n) {
            return kRootsFound;
        }
    }
    if (i == n - 1) {
        roots.re[n - 1] = -e / lead * roots.re[n - 1];
        roots.im[n - 1] = 0.0;
    }
    return kRootsFound;
}

ZeroCounts zerosFromRoots(RootArrays& roots, int n, ParamVector& x, PZPointers& pointers) {
    for (int i = 1; i < n; ++i) {
        for (int j = n - 1; j >= i; --j) {
            if (std::abs(roots.im[j - 1]) < std::abs(roots.im[j])) {
                std::swap(roots.re[j - 1], roots.re[j]);
                std::swap(roots.im[j - 1], roots.im[j]);
            }
        }
    }
    ZeroCounts counts;
    for (int k = 0; k < n; ++k) {
        if (std::abs(roots.im[k]) < kRealRootTolerance) {
            ++counts.realZeros;
        }
    }
    counts.pairs = (n - counts.realZeros) / 2;
    const int radii = counts.realZeros + counts.pairs;
    const int angleLast = radii + counts.pairs;
    pointers = {
        1, radii, radii + 1, angleLast, angleLast + 1, angleLast + 1, angleLast + 1, angleLast + 1};

    int r = 1;
    int a = radii + 1;
    int k = 0;
    while (r <= radii && k < n) {
        if (a > angleLast) {
            x[r++] = roots.re[k++];
        } else {
            x[a++] = pairAngle(roots.re[k], roots.im[k]);
            x[r++] = std::hypot(roots.re[k], roots.im[k]);
            k += 2;
        }
    }
    if (angleLast + 1 < kVectorCapacity) {
        x[angleLast + 1] = 0.0;
    }
    return counts;
}

} // namespace dovra
