#pragma once
// Magnitude and group delay of a filter given by its coefficient arrays, and
// of the fixed prefilter. Pure functions of their arguments: reentrant, so the
// window thread may call them on a snapshot while the design thread runs.

#include <array>
#include <span>
#include <vector>

#include "problem/Types.h"

namespace dovra {

namespace response {

/// |A(w) / B(w)| of the polynomials a (degree na) and b (degree nb); a
/// denominator of degree 0 reads as the constant 1.
double magnitude(std::span<const double> a, std::span<const double> b, int na, int nb, double w);
/// Group delay tau_a - tau_b at w, with no shortcut of a design method;
/// usedNa and usedNb receive the degrees actually evaluated.
double groupDelay(std::span<const double> a, std::span<const double> b, int na, int nb, double w,
                  int& usedNa, int& usedNb, double numeratorFloor = 1e-12);

} // namespace response

/// The fixed filter in front of the design: numerator and denominator divided
/// by the leading denominator coefficient (a gain of 1e12 for a leading
/// coefficient of at most 1e-12), a single coefficient read as a first-degree
/// polynomial with a zero second coefficient.
class Prefilter {
  public:
    Prefilter() = default;
    /// From the coefficients of the two tables (at most the table capacity each).
    Prefilter(std::span<const double> numerator, std::span<const double> denominator);

    double amag(double w) const;
    /// The group delay as the cost reads it: the squared numerator
    /// magnitude raised to 1e-12, so that a zero on the unit circle gives a
    /// finite value.
    double gdel(double w) const;
    /// The group delay without that floor, for the plots and the check
    /// between the samples: right also next to zeros on or near the unit
    /// circle (the floor puts a prefilter with a triple zero at z = -1 off
    /// by 1.5 samples from 0.498 on).
    double trueGdel(double w) const;

    int numeratorDegree() const { return na_; }
    int denominatorDegree() const { return nb_; }
    double gain() const { return gain_; }
    const std::array<double, kTableCapacity>& numerator() const { return a_; }
    const std::array<double, kTableCapacity>& denominator() const { return b_; }

  private:
    double groupDelayWithFloor(double w, double numeratorFloor) const;

    std::array<double, kTableCapacity> a_{};
    std::array<double, kTableCapacity> b_{};
    int na_ = 0, nb_ = 0;
    double gain_ = 1.0;
};

} // namespace dovra
