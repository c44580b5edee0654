#include "problem/IIR.h"

#include <algorithm>
#include <cmath>

namespace dovra {
namespace {

// Lower bounds of the squared magnitudes in the response formulas.
constexpr double kDenominatorFloor = 1e-24;
constexpr double kNumeratorFloor = 1e-12;

/// x[i], or 0 for an index outside x: the coefficient builders read the
/// vector only through this, so a layout that does not match the vector never
/// reads beyond it.
double at(std::span<const double> x, int i) {
    return i >= 0 && static_cast<std::size_t>(i) < x.size() ? x[static_cast<std::size_t>(i)] : 0.0;
}

double quantize(double c, std::int64_t q) {
    const double qd = static_cast<double>(q);
    return std::floor(qd * c) / qd;
}

/// A polynomial under construction: coefficients in powers of z^-1 and the
/// number of entries used. Sections are multiplied in place; the result is
/// the one of the full convolution, summed in the same order.
class Product {
  public:
    Product(std::int64_t q, int structure) : q_(q), sections_(q > 0 && structure == 1) {}

    /// Starts from one section.
    void start(std::array<double, 3> s, int length) {
        c_.fill(0.0);
        quantizeSection(s, length);
        std::copy_n(s.begin(), length, c_.begin());
        length_ = length;
    }
    /// Starts from the constant 1.
    void startOne() { start({1.0, 0.0, 0.0}, 1); }

    /// Multiplies in a section of 2 or 3 coefficients. A product that would
    /// exceed the capacity is cut at the capacity (callers check the degrees
    /// first, so this only guards against an inconsistent layout).
    void multiply(std::array<double, 3> s, int length) {
        quantizeSection(s, length);
        const int newLength = std::min(length_ + length - 1, kCoeffCapacity);
        for (int i = newLength - 1; i >= 0; --i) {
            double acc = 0.0;
            for (int j = length - 1; j >= 0; --j) {
                const int k = i - j;
                if (k >= 0 && k < length_) {
                    acc += c_[static_cast<std::size_t>(k)] * s[static_cast<std::size_t>(j)];
                }
            }
            c_[static_cast<std::size_t>(i)] = acc;
        }
        length_ = newLength;
    }

    void pair(double r, double p) { multiply(pairSection(r, p), 3); }
    void real(double r) { multiply({1.0, -r, 0.0}, 2); }

    void scale(double g) {
        for (int i = 0; i < length_; ++i) {
            c_[static_cast<std::size_t>(i)] *= g;
        }
    }
    /// Direct-form quantization of the finished polynomial.
    void finish(int structure) {
        if (q_ > 0 && structure == 0) {
            for (int i = 0; i < length_; ++i) {
                c_[static_cast<std::size_t>(i)] = quantize(c_[static_cast<std::size_t>(i)], q_);
            }
        }
    }
    const Coefficients& coefficients() const { return c_; }

    static std::array<double, 3> pairSection(double r, double p) {
        return {1.0, -2.0 * r * std::cos(DEProblem::two_pi * p), r * r};
    }

  private:
    void quantizeSection(std::array<double, 3>& s, int length) const {
        if (sections_) {
            for (int i = 0; i < length; ++i) {
                s[static_cast<std::size_t>(i)] = quantize(s[static_cast<std::size_t>(i)], q_);
            }
        }
    }

    std::int64_t q_;
    bool sections_;
    Coefficients c_{};
    int length_ = 0;
};

/// The roots of one radius block with its angle block: the first nAngles
/// radii pair with the angles, the remaining radii are real roots taken from
/// the end of the block. Starts the product with the first section and
/// multiplies in the rest.
void rootsOfBlock(Product& p, std::span<const double> x, int rFirst, int rLast, int nRadii,
                  int aFirst, int nAngles) {
    const int nReal = std::max(nRadii - nAngles, 0);
    int pairStart = 0;
    bool started = false;
    auto section = [&](std::array<double, 3> s, int length) {
        if (started) {
            p.multiply(s, length);
        } else {
            p.start(s, length);
            started = true;
        }
    };
    if (nReal == 0) {
        section(Product::pairSection(at(x, rFirst), at(x, aFirst)), 3);
        pairStart = 1;
    } else {
        // Real roots in index order, two to a section; an odd last one alone.
        const int firstReal = rLast - nReal + 1;
        int i = 0;
        for (; i + 1 < nReal; i += 2) {
            const double r1 = at(x, firstReal + i);
            const double r2 = at(x, firstReal + i + 1);
            section({1.0, -(r1 + r2), r1 * r2}, 3);
        }
        if (i < nReal) {
            section({1.0, -at(x, rLast), 0.0}, 2);
        }
    }
    for (int k = pairStart; k < nAngles; ++k) {
        p.pair(at(x, rFirst + k), at(x, aFirst + k));
    }
}

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

/// Group delay tau_a - tau_b without the shortcuts of the design settings;
/// usedNa and usedNb receive the degrees actually evaluated.
double plainGdel(std::span<const double> a, std::span<const double> b, int na, int nb, double theta,
                 int& usedNa, int& usedNb) {
    usedNa = usableDegree(a, na);
    usedNb = usableDegree(b, nb);
    double tauA = 0.0;
    if (usedNa >= 1) {
        const Sums s = sums(a, usedNa, theta);
        const double N = std::max(s.C * s.C + s.S * s.S, kNumeratorFloor);
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

// The numerator of a prefilter that has only a denominator: the constant 1.
constexpr std::array<double, 1> kOne{1.0};

} // namespace

IIR::IIR() = default;

// --- coefficients ---------------------------------------------------------------------

double IIR::safe_invert(double r) {
    if (std::abs(r) > tiny) {
        return 1.0 / r;
    }
    return r > 0.0 ? 1.0 / (r + tiny) : 1.0 / (r - tiny);
}

Coefficients IIR::convolve(std::span<const double> h, std::span<const double> x, int n, int m) {
    Coefficients out{};
    n = std::min({n, static_cast<int>(x.size()), kCoeffCapacity});
    m = std::min(m, static_cast<int>(h.size()));
    if (n <= 0 || m <= 0) {
        return out;
    }
    // Delay line of the n entries of x: entry k holds h[i - k] at output i.
    Coefficients line{};
    const int outputs = std::min(n + m - 1, kCoeffCapacity);
    for (int i = 0; i < outputs; ++i) {
        for (int k = n - 1; k >= 1; --k) {
            line[static_cast<std::size_t>(k)] = line[static_cast<std::size_t>(k - 1)];
        }
        line[0] = i < m ? h[static_cast<std::size_t>(i)] : 0.0;
        double acc = 0.0;
        for (int k = 0; k < n; ++k) {
            acc += x[static_cast<std::size_t>(k)] * line[static_cast<std::size_t>(k)];
        }
        out[static_cast<std::size_t>(i)] = acc;
    }
    return out;
}

Coefficients IIR::coeffi_b(std::span<const double> x, std::int64_t q, int structure) const {
    if (capacityError_ || (M_ == 0 && A_ == 0)) {
        // All zeros: degree 0, which the responses read as the constant 1.
        return {};
    }
    Product p(q, structure);
    if (M_ != 0) {
        rootsOfBlock(p, x, prFirst_, prLast_, nPR_, paFirst_, nPA_);
    } else {
        p.startOne();
    }
    // Allpass poles.
    for (int k = 0; k < A_ / 2; ++k) {
        p.pair(at(x, zarFirst_ + k), at(x, zaaFirst_ + k));
    }
    if (A_ % 2 == 1) {
        p.real(at(x, zarLast_));
    }
    p.finish(structure);
    return p.coefficients();
}

Coefficients IIR::coeffi_a(std::span<const double> x, std::int64_t q, int structure) const {
    Coefficients a{};
    if (capacityError_) {
        return a;
    }
    const double gain = at(x, 0);
    if (isFirMethod(method_)) {
        // Linear-phase FIR designs: the impulse response times the gain.
        const int n = std::min(N_, kCoeffCapacity - 1);
        for (int i = 0; i <= n; ++i) {
            const double c = gain * fir_[static_cast<std::size_t>(i)];
            a[static_cast<std::size_t>(i)] = q > 0 ? quantize(c, q) : c;
        }
        return a;
    }
    if (N_ == 0 && L_ == 0 && A_ == 0) {
        a[0] = q > 0 ? quantize(gain, q) : gain;
        return a;
    }

    Product p(q, structure);
    if (N_ == 0) {
        p.startOne();
    } else {
        rootsOfBlock(p, x, zrFirst_, zrLast_, nZR_, zaFirst_, nZA_);
    }
    // Linear-phase groups: each zero with its mirror image at the reciprocal
    // radius, which makes this factor symmetric.
    for (int k = 0; k < L_ / 2; ++k) {
        const double r = at(x, lrFirst_ + k);
        const double angle = at(x, laFirst_ + k);
        p.pair(r, angle);
        p.pair(safe_invert(r), angle);
    }
    if (L_ % 2 == 1) {
        const double r = at(x, lrLast_);
        p.real(r);
        p.real(safe_invert(r));
    }
    // Allpass zeros: reciprocals of the allpass poles of the denominator.
    for (int k = 0; k < A_ / 2; ++k) {
        p.pair(safe_invert(at(x, zarFirst_ + k)), at(x, zaaFirst_ + k));
    }
    if (A_ % 2 == 1) {
        p.real(safe_invert(at(x, zarLast_)));
    }
    p.scale(gain);
    p.finish(structure);
    return p.coefficients();
}

void IIR::getCoefficients(std::span<const double> h) {
    fir_.fill(0.0);
    std::copy_n(h.begin(), std::min(h.size(), fir_.size()), fir_.begin());
}

// --- responses ------------------------------------------------------------------------------

double IIR::amag_ab(std::span<const double> a, std::span<const double> b, int na, int nb,
                    double w) const {
    const double theta = two_pi * w;
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

double IIR::gdel_ab(std::span<const double> a, std::span<const double> b, int na, int nb,
                    double w) const {
    // The design method and the quantization are the ones cached when the run
    // was prepared: settings cannot change while a run is in progress.
    if (isFirMethod(method_)) {
        return na * 0.5;
    }
    int usedNa = 0;
    int usedNb = 0;
    double tau = plainGdel(a, b, na, nb, two_pi * w, usedNa, usedNb);
    // A pure, unquantized linear-phase FIR realization has the constant delay
    // of its symmetric numerator (half its degree 2L).
    if (quant_ <= 0 && L_ >= 1 && N_ == 0 && M_ == 0 && A_ == 0) {
        tau = 2 * (L_ / 2) + L_ % 2;
    }
    if (usedNa == 0 && usedNb == 0) {
        return 0.0;
    }
    return tau;
}

double IIR::amag_ff(double w) const {
    if (ffNa_ > 0) {
        // The gain is already inside both arrays.
        return amag_ab(ffA_, ffB_, ffNa_, ffNb_, w);
    }
    if (ffNb_ > 0) {
        // No numerator entries: the numerator is the constant 1, so the
        // magnitude is g / |B normalized| = 1 / |B|.
        return ffGain_ * amag_ab(kOne, ffB_, 0, ffNb_, w);
    }
    return ffGain_;
}

double IIR::gdel_ff(double w) const {
    // The prefilter's own group delay: the design shortcuts describe the
    // designed filter, not the prefilter cascaded with it.
    int usedNa = 0;
    int usedNb = 0;
    const std::span<const double> numerator =
        ffNa_ > 0 ? std::span<const double>(ffA_) : std::span<const double>(kOne);
    const double tau = plainGdel(numerator, ffB_, ffNa_, ffNb_, two_pi * w, usedNa, usedNb);
    if (usedNa == 0 && usedNb == 0) {
        return 0.0;
    }
    return tau;
}

double IIR::amag(std::span<const double> x, double w) const {
    const Coefficients b = coeffi_b(x, quant_, structId_);
    const Coefficients a = coeffi_a(x, quant_, structId_);
    return amag_ab(a, b, get_a_degree(), get_b_degree(), w);
}

double IIR::gdel(std::span<const double> x, double w) const {
    const Coefficients b = coeffi_b(x, quant_, structId_);
    const Coefficients a = coeffi_a(x, quant_, structId_);
    return gdel_ab(a, b, get_a_degree(), get_b_degree(), w);
}

} // namespace dovra
