#pragma once
// Elliptic (Cauer) design: equiripple passband and stopband. EllipLowpass
// computes the normalized analog prototype (passband edge sqrt(k), stopband
// edge 1 / sqrt(k), k = wp / ws) from the nome series of the elliptic
// functions; the series are truncated after a few terms, which is exact to
// rounding for moderate selectivity and drifts as k approaches 1.

#include <vector>

#include "design/ClassicalIIR.h"

namespace dovra {

class EllipLowpass {
  public:
    /// Stores the order n, the passband ripple Ap in dB and the pre-warped
    /// edges, and computes the prototype (cauerCoeffs).
    EllipLowpass(int n, double Ap, double wp, double ws);

    /// Section values, zeros, poles and the gain H0, which it returns.
    double cauerCoeffs();

    static double cosh(double x);
    static double sinh(double x);
    /// The nome of modulus k from its truncated series.
    static double nome(double k);

    /// Per section i from 1 (entry 0 unused): 1 / Omega_i^2, the linear and
    /// the constant denominator coefficient.
    const std::vector<double>& a() const { return a_; }
    const std::vector<double>& b() const { return b_; }
    const std::vector<double>& c() const { return c_; }
    /// (real, imaginary) of one pole and one zero per section, section i at
    /// 2i - 2 and 2i - 1; for odd order the real pole follows the sections.
    const std::vector<double>& poles() const { return poles_; }
    const std::vector<double>& zeros() const { return zeros_; }
    int sections() const { return r_; }
    double H0() const { return H0_; }
    double sigma0() const { return sigma0_; }

  private:
    std::vector<double> a_, b_, c_, poles_, zeros_;
    int r_ = 0;
    double H0_ = 0.0;
    double sigma0_ = 0.0;
    int n_;
    double Ap_, wp_, ws_;
};

class Elliptic : public ClassicalIIR {
  public:
    using ClassicalIIR::ClassicalIIR;
    int real_filter_elliptic() { return design(); }

  protected:
    double orderEstimate(const DesignFrame& f) override;
    /// The geometric mean of the edges, where the prototype is normalized.
    double cutoff(const DesignFrame& f, int N) override;
    Prototype prototype(const DesignFrame& f, int N, double wc) override;

  private:
    /// The stopband edge in the units of wp (a bandstop's ws is relative).
    static double stopEdge(const DesignFrame& f);
};

} // namespace dovra
