#pragma once
// Chebyshev designs. Type 1: equiripple passband, monotonic stopband. Type 2
// (inverse Chebyshev): monotonic passband, equiripple stopband with its zeros
// on the unit circle. Both estimate the order with the Chebyshev formula.

#include "design/ClassicalIIR.h"

namespace dovra {

class Chebyshev1 : public ClassicalIIR {
  public:
    using ClassicalIIR::ClassicalIIR;
    int real_filter_chebyshev1() { return design(); }

  protected:
    double orderEstimate(const DesignFrame& f) override { return chebyshevOrderEstimate(f); }
    /// The passband edge: the ripple band ends exactly there.
    double cutoff(const DesignFrame& f, int) override { return f.wp; }
    Prototype prototype(const DesignFrame& f, int N, double wc) override;
};

class Chebyshev2 : public ClassicalIIR {
  public:
    using ClassicalIIR::ClassicalIIR;
    int real_filter_chebyshev2() { return design(); }

  protected:
    double orderEstimate(const DesignFrame& f) override { return chebyshevOrderEstimate(f); }
    /// The stopband edge; for a bandstop the stopband edge at which order N
    /// meets the passband ripple exactly at the passband edge.
    double cutoff(const DesignFrame& f, int N) override;
    Prototype prototype(const DesignFrame& f, int N, double wc) override;
};

} // namespace dovra
