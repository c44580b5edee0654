#include "problem/Response.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace dovra {
namespace {

constexpr double kTwoPi = 6.283185307179586;
// Lower bounds of the squared magnitudes in the response formulas.
constexpr double kDenominatorFloor = 1e-24;
constexpr double kNumeratorFloor = 1e-12;

/// Trigonometric sums of c (degree n) at theta: C + jS is the polynomial at
/// e^(-j theta) conjugated, dC and dS their derivatives with respect to theta.
struct Sums {
    double C, S, dC, dS;
};

Sums sums(std::span<const double> c, int n, double theta) {
    double C = 0.0, S = 0.0, dC = 0.0, dS = 0.0;
    for (int i = n; i >= 1; --i) {
        const double ci = c[static_cast<std::size_t>(i)];
        const double s = std::sin(i * theta);
        const double co = std::cos(i * theta);
        C += ci * co;
        S += ci * s;
        dC -= i * ci * s;
        dS += i * ci * co;
    }
    return {c[0] + C, S, dC, dS};
}

/// The degree actually usable with an array of that size.
int usableDegree(std::span<const double> c, int n) {
    return std::min(n, static_cast<int>(c.size()) - 1);
}

double first(std::span<const double> c) {
    return c.empty() ? 0.0 : c[0];
}

// The numerator of a prefilter that has only a denominator: the constant 1.
constexpr std::array<double, 1> kOne{1.0};

} // namespace

double response::magnitude(std::span<const double> a, std::span<const double> b, int na, int nb,
                           double w) {
    const double theta = kTwoPi * w;
    na = usableDegree(a, na);
    nb = usableDegree(b, nb);
    double N = 0.0;
    if (na < 1) {
        N = first(a) * first(a);
    } else {
        const Sums s = sums(a, na, theta);
        N = s.C * s.C + s.S * s.S;
    }
    double D = 1.0;
    if (nb >= 1) {
        const Sums s = sums(b, nb, theta);
        D = std::max(s.C * s.C + s.S * s.S, kDenominatorFloor);
    }
    return std::sqrt(N / D);
}

double response::groupDelay(std::span<const double> a, std::span<const double> b, int na, int nb,
                            double w, int& usedNa, int& usedNb, double numeratorFloor) {
    const double theta = kTwoPi * w;
    usedNa = usableDegree(a, na);
    usedNb = usableDegree(b, nb);
    double tauA = 0.0;
    if (usedNa >= 1) {
        const Sums s = sums(a, usedNa, theta);
        const double N = std::max(s.C * s.C + s.S * s.S, numeratorFloor);
        tauA = (s.C * s.dS - s.S * s.dC) / N;
    }
    double tauB = 0.0;
    if (usedNb >= 1) {
        const Sums s = sums(b, usedNb, theta);
        const double D = std::max(s.C * s.C + s.S * s.S, kDenominatorFloor);
        tauB = (s.C * s.dS - s.S * s.dC) / D;
    }
    return tauA - tauB;
}

Prefilter::Prefilter(std::span<const double> numerator, std::span<const double> denominator) {
    int countA = static_cast<int>(std::min(numerator.size(), a_.size()));
    int countB = static_cast<int>(std::min(denominator.size(), b_.size()));
    std::copy_n(numerator.begin(), countA, a_.begin());
    std::copy_n(denominator.begin(), countB, b_.begin());
    if (countB < 1) {
        gain_ = 1.0;
    } else if (std::abs(b_[0]) > 1e-12) {
        gain_ = 1.0 / b_[0];
    } else {
        gain_ = 1e12;
    }
    // A single coefficient becomes a first-degree polynomial with a zero
    // second coefficient (the array is already cleared).
    countA = countA == 1 ? 2 : countA;
    countB = countB == 1 ? 2 : countB;
    for (int i = 0; i < countA; ++i) {
        a_[static_cast<std::size_t>(i)] *= gain_;
    }
    for (int i = 0; i < countB; ++i) {
        b_[static_cast<std::size_t>(i)] *= gain_;
    }
    na_ = std::max(countA - 1, 0);
    nb_ = std::max(countB - 1, 0);
}

double Prefilter::amag(double w) const {
    if (na_ > 0) {
        // The gain is already inside both arrays.
        return response::magnitude(a_, b_, na_, nb_, w);
    }
    if (nb_ > 0) {
        // No numerator entries: the numerator is the constant 1, so the
        // magnitude is g / |B normalized| = 1 / |B|.
        return gain_ * response::magnitude(kOne, b_, 0, nb_, w);
    }
    return gain_;
}

double Prefilter::gdel(double w) const {
    return groupDelayWithFloor(w, kNumeratorFloor);
}

double Prefilter::trueGdel(double w) const {
    // Only an exact zero of the numerator on the circle is kept from a
    // division by zero (its delay is then read as 0).
    return groupDelayWithFloor(w, std::numeric_limits<double>::min());
}

double Prefilter::groupDelayWithFloor(double w, double numeratorFloor) const {
    // The prefilter's own group delay: the design shortcuts describe the
    // designed filter, not the prefilter cascaded with it.
    int usedNa = 0;
    int usedNb = 0;
    const std::span<const double> numerator =
        na_ > 0 ? std::span<const double>(a_) : std::span<const double>(kOne);
    const double tau =
        response::groupDelay(numerator, b_, na_, nb_, w, usedNa, usedNb, numeratorFloor);
    if (usedNa == 0 && usedNb == 0) {
        return 0.0;
    }
    return tau;
}

} // namespace dovra
