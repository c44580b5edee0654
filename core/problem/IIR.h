#pragma once
// The IIR filter problem: coefficient polynomials from a parameter vector,
// exact or quantized, in direct form or as first- and second-order sections;
// magnitude and group delay of coefficient arrays and of the prefilter; the
// cost of a parameter vector against the sampled tolerance scheme.

#include "problem/DEProblem.h"

namespace dovra {

class IIR : public DEProblem {
  public:
    IIR();

    bool completed() override;
    int getPhase() const override { return phase_; }
    void setPhase(int phase) override { phase_ = phase; }
    void boundsCheck(UniformSource& random, std::span<const double> reference,
                     std::span<const double> trial, int n, std::span<double> out) override;
    Evaluation costOf(std::span<const double> x, Scratch& s) const override;

    double amag(std::span<const double> x, double w) const override;
    double amag_ab(std::span<const double> a, std::span<const double> b, int na, int nb,
                   double w) const override;
    double amag_ff(double w) const override;
    double gdel_ab(std::span<const double> a, std::span<const double> b, int na, int nb,
                   double w) const override;
    double gdel_ff(double w) const override;
    double gdel(std::span<const double> x, double w) const override;

    Coefficients coeffi_a(std::span<const double> x, std::int64_t q, int structure) const override;
    Coefficients coeffi_b(std::span<const double> x, std::int64_t q, int structure) const override;
    /// Numerator degree N + 2L + A; 0 for a realization that does not fit.
    int get_a_degree() const override { return capacityError_ ? 0 : layout_.numeratorDegree(); }
    /// Denominator degree M + A; 0 for a realization that does not fit.
    int get_b_degree() const override { return capacityError_ ? 0 : layout_.denominatorDegree(); }
    void getCoefficients(std::span<const double> h) override;
    std::shared_ptr<const RunFilter> runFilter() const override;

    /// Full linear convolution of x[0..n-1] and h[0..m-1] (n + m - 1 entries,
    /// at most the coefficient capacity; the rest is 0).
    static Coefficients convolve(std::span<const double> h, std::span<const double> x, int n,
                                 int m);
    /// 1 / r, kept finite near 0 (0 gives -1e16).
    static double safe_invert(double r);

    /// Numerator and denominator of the vector last evaluated by evaluate
    /// (entries up to their degrees).
    const Coefficients& numerator() const { return own_.a; }
    const Coefficients& denominator() const { return own_.b; }

  protected:
    /// The terms of the cost, each reading the sampled scheme and writing
    /// only into the evaluating thread's scratch.
    struct Polynomials {
        const double* a = nullptr;
        const double* b = nullptr;
        int na = 0, nb = 0;
    };
    /// Numerator and denominator of v (exact in phase 0, quantized after) in s.
    Polynomials polynomials(std::span<const double> v, Scratch& s) const;
    /// Sum of the squared excesses in dB over both magnitude tables.
    double magnitudeError(const Polynomials& p, Scratch& s) const;
    /// The filter's group delay with the prefilter's at the samples of both
    /// group-delay tables (s.delayUpper, s.delayLower).
    void groupDelays(const Polynomials& p, Scratch& s) const;
    /// The shift of the group-delay scheme that unfrozen limits take.
    double groupDelayOffset(const Scratch& s) const;
    /// Sum of the squared excesses in samples against the shifted limits.
    double groupDelayError(const Scratch& s, double offset) const;
    /// Radii outside the unit circle raise every entry of the cost.
    void penaliseRadii(std::span<const double> v, CostVector& cost) const;

    Coefficients fir_{};
};

} // namespace dovra
