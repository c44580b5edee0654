#include "design/ClassicalIIR.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <numbers>

namespace dovra {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

/// A section polynomial in powers of z^-1 with leading coefficient 1: three
/// coefficients for lowpass and highpass, five for the band designs.
struct SectionPoly {
    std::array<double, 5> p{};
    double gain = 1.0;
};

/// Angle in turns of the conjugate pair of 1 + a1 z^-1 + r^2 z^-2. Rounding
/// may carry the cosine a hair beyond 1 for a pair on the real axis.
double pairAngle(double a1, double r) {
    return std::acos(std::clamp(-a1 / (2.0 * r), -1.0, 1.0)) / kTwoPi;
}

/// Second-order prototype section s^2 + c W s + W^2 (its W^2 / V is the
/// section gain) after the bilinear transform and the band transformation.
SectionPoly secondOrder(const DesignFrame& f, double W, double c) {
    const double W2 = W * W;
    const double V = W2 + c * W + 1.0;
    const double last = (W2 - c * W + 1.0) / V;
    const double a = f.alpha;
    SectionPoly s;
    s.gain = W2 / V;
    if (f.lowpass) {
        s.p = {1.0, (2.0 * W2 - 2.0) / V, last, 0.0, 0.0};
    } else if (f.highpass) {
        s.p = {1.0, -(2.0 * W2 - 2.0) / V, last, 0.0, 0.0};
    } else if (f.bandpass) {
        s.p = {1.0, 2.0 * a * (-c * W - 2.0) / V, 2.0 * (2.0 * a * a + 1.0 - W2) / V,
               -2.0 * a * (2.0 - c * W) / V, last};
    } else {
        s.p = {1.0, -2.0 * a * (c * W + 2.0 * W2) / V, 2.0 * ((2.0 * a * a + 1.0) * W2 - 1.0) / V,
               -2.0 * a * (2.0 * W2 - c * W) / V, last};
    }
    return s;
}

/// First-order prototype section s + W (section gain W / (W + 1)).
SectionPoly firstOrder(const DesignFrame& f, double W) {
    const double U = W + 1.0;
    SectionPoly s;
    s.gain = W / U;
    if (f.lowpass) {
        s.p = {1.0, (W - 1.0) / U, 0.0, 0.0, 0.0};
    } else if (f.highpass) {
        s.p = {1.0, -(W - 1.0) / U, 0.0, 0.0, 0.0};
    } else if (f.bandpass) {
        s.p = {1.0, -2.0 * f.alpha / U, (1.0 - W) / U, 0.0, 0.0};
    } else {
        s.p = {1.0, -2.0 * f.alpha * W / U, -(1.0 - W) / U, 0.0, 0.0};
    }
    return s;
}

/// Running indices of the four blocks; the pointers are the blocks' bounds.
struct BlockWriter {
    std::vector<double>& v;
    PZPointers& ptr;
    int zr, za, pr, pa;

    BlockWriter(std::vector<double>& out, PZPointers& p)
        : v(out), ptr(p), zr(p[0]), za(p[2]), pr(p[4]), pa(p[6]) {}
    static std::size_t at(int i) { return static_cast<std::size_t>(i); }
    void zeroPair(double r, double angle) {
        v[at(zr++)] = r;
        v[at(za++)] = angle;
    }
    void zeroReal(double r) { v[at(zr++)] = r; }
    void polePair(double r, double angle) {
        v[at(pr++)] = r;
        v[at(pa++)] = angle;
    }
    void poleReal(double r) { v[at(pr++)] = r; }
    /// Two real poles of the last (first-order) band section: the pole-angle
    /// block gives up its first entry to the pole-radius block.
    void poleRealPair(double r1, double r2) {
        v[at(pr++)] = r1;
        for (int i = ptr[7] - 1; i >= ptr[6]; --i) {
            v[at(i + 1)] = v[at(i)];
        }
        const int freed = ptr[6];
        ++ptr[6];
        ++ptr[5];
        v[at(freed)] = r2;
    }
};

/// Block bounds of an order-N design.
PZPointers blockBounds(const DesignFrame& f, int N) {
    int nzr, nza, npr, npa;
    if (f.lowpass || f.highpass) {
        const int t = N / 2, u = N % 2;
        nzr = npr = t + u;
        nza = npa = t;
    } else {
        const bool oddBandpass = f.bandpass && N % 2 == 1;
        nzr = oddBandpass ? N + 1 : N;
        nza = oddBandpass ? N - 1 : N;
        npr = npa = N;
    }
    PZPointers p{};
    p[0] = 1;
    p[1] = nzr;
    p[2] = p[1] + 1;
    p[3] = p[1] + nza;
    p[4] = p[3] + 1;
    p[5] = p[3] + npr;
    p[6] = p[5] + 1;
    p[7] = p[5] + npa;
    return p;
}

/// Java's conversion of a double to an int: truncation, saturated.
int truncateOrder(double x) {
    if (x >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    if (x <= static_cast<double>(INT_MIN)) {
        return INT_MIN;
    }
    return static_cast<int>(x);
}

std::string orderText(double estimate) {
    if (!(estimate < 1e9)) {
        return "above 1000000000";
    }
    return std::to_string(truncateOrder(estimate));
}

} // namespace

ClassicalIIR::ClassicalIIR(std::span<double> best, int length)
    : best_(best.first(std::min(best.size(), static_cast<std::size_t>(std::max(length, 0))))),
      length_(static_cast<int>(best_.size())) {}

void ClassicalIIR::mult(std::span<const double> a, std::span<const double> b, std::span<double> c) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        for (std::size_t j = 0; j < b.size() && i + j < c.size(); ++j) {
            c[i + j] += a[i] * b[j];
        }
    }
}

int ClassicalIIR::maxOrder(int filtertype) const {
    const bool band = filtertype == 4 || filtertype == 8;
    return band ? (length_ - 1) / 4 : (length_ - 1) / 2;
}

double ClassicalIIR::cosh(double x) {
    return (std::exp(x) + std::exp(-x)) * 0.5;
}
double ClassicalIIR::sinh(double x) {
    return (std::exp(x) - std::exp(-x)) * 0.5;
}
double ClassicalIIR::arcosh(double x) {
    if (x < 1.0) {
        print(classical_text::kArcosh);
        return 0.0;
    }
    return std::log(x + std::sqrt(x * x - 1.0));
}
double ClassicalIIR::arsinh(double x) {
    return std::log(x + std::sqrt(x * x + 1.0));
}

double chebyshevOrderEstimate(const DesignFrame& f) {
    auto acosh = [](double x) { return std::log(x + std::sqrt(x * x - 1.0)); };
    return std::ceil(acosh(f.es / f.ep) / acosh(f.ratio()));
}

bool ClassicalIIR::refuse(const std::string& why) {
    refusal_ = why;
    return false;
}

bool ClassicalIIR::checkInputs(const Data& d) {
    namespace t = classical_text;
    // Written as "not (condition)" so that a NaN fails its check.
    const struct {
        bool ok;
        const char* message;
    } checks[] = {
        {d.sample_frequency > 0.0, t::kSampleFrequency},
        {d.f_lower >= 0.0, t::kLowerCutoff},
        {d.f_upper >= d.f_lower, t::kUpperPassband},
        {d.delta > 0.0, t::kTransition},
        {d.stop_attn >= 0.0, t::kStopband},
        {d.stop_attn > d.pass_ripple, t::kRipple},
        {d.filterorder >= 0, t::kNegativeOrder},
    };
    for (const auto& check : checks) {
        if (!check.ok) {
            print(check.message);
            return refuse(check.message);
        }
    }
    return true;
}

DesignFrame ClassicalIIR::frame(const Data& d) const {
    DesignFrame f;
    f.lowpass = d.filtertype == 1;
    f.highpass = d.filtertype == 2;
    f.bandpass = d.filtertype == 4;
    f.bandstop = d.filtertype == 8;
    f.Rp = d.pass_ripple;
    f.Rs = d.stop_attn;
    const double fs = d.sample_frequency;
    const double fl = d.f_lower;
    const double fu = d.f_upper;
    const double dl = d.delta;
    if (f.lowpass) {
        f.wp = std::tan(kPi * fu / fs);
        f.ws = std::tan(kPi * (fu + dl) / fs);
    } else if (f.highpass) {
        f.wp = 1.0 / std::tan(kPi * fl / fs);
        f.ws = 1.0 / std::tan(kPi * (fl - dl) / fs);
    } else {
        const double w1 = kTwoPi * fl / fs;
        const double w2 = kTwoPi * fu / fs;
        f.alpha = std::sin(w1 + w2) / (std::sin(w1) + std::sin(w2));
        if (f.bandpass) {
            f.wp = std::tan((w2 - w1) * 0.5);
            const double g1 = kTwoPi * (fl - dl) / fs;
            const double g2 = kTwoPi * (fu + dl) / fs;
            f.ws = std::min(std::fabs((f.alpha - std::cos(g1)) / std::sin(g1)),
                            std::fabs((f.alpha - std::cos(g2)) / std::sin(g2)));
        } else {
            f.wp = std::tan((kPi - (w2 - w1)) * 0.5);
            const double t1 = std::tan(w1 / 2.0);
            const double t2 = std::tan(w2 / 2.0);
            f.c = std::sqrt(std::fabs(t1) * std::fabs(t2));
            const double t3 = std::tan(kTwoPi * (fl + dl) / fs / 2.0);
            const double t4 = std::tan(kTwoPi * (fu - dl) / fs / 2.0);
            f.ws = std::min(std::fabs((t1 - t2) * t3 / (t3 * t3 - t1 * t2)),
                            std::fabs((t1 - t2) * t4 / (t4 * t4 - t1 * t2)));
        }
    }
    f.ep = std::sqrt(std::pow(10.0, 0.1 * f.Rp) - 1.0);
    f.es = std::sqrt(std::pow(10.0, 0.1 * f.Rs) - 1.0);
    return f;
}

int ClassicalIIR::design() {
    messages_.clear();
    refusal_.clear();
    pointers_ = {};
    if (data_ == nullptr) {
        refuse(classical_text::kInvalidType);
        return 0;
    }
    Data& d = *data_;
    if (!checkInputs(d)) {
        return 0;
    }
    const DesignFrame f = frame(d);
    if (!(f.lowpass || f.highpass || f.bandpass || f.bandstop)) {
        refuse(classical_text::kInvalidType);
        return 0;
    }

    // Edges beyond half the sample frequency turn the stopband edge negative
    // or below the passband edge; no order formula means anything then.
    if (!(f.ratio() > 1.0)) {
        refuse(classical_text::kNoOrder);
        return 0;
    }
    const double estimate = orderEstimate(f);
    if (std::isnan(estimate)) {
        refuse(classical_text::kNoOrder);
        return 0;
    }
    int N = std::clamp(truncateOrder(estimate), 2, std::max(length_ / 2, 2));
    d.filterorder = N;
    const int limit = maxOrder(d.filtertype);
    if (truncateOrder(estimate) > limit || N > limit) {
        refuse("Filter order " + orderText(estimate) + " too high: at most " +
               std::to_string(limit) + " fits the parameter vector.");
        return 0;
    }

    const double wc = cutoff(f, N);
    const Prototype proto = prototype(f, N, wc);
    std::vector<double> out(best_.begin(), best_.end());
    if (!writeSections(f, N, proto, out)) {
        return 0;
    }
    std::copy(out.begin(), out.end(), best_.begin());
    return (f.lowpass || f.highpass) ? N : 2 * N;
}

bool ClassicalIIR::writeSections(const DesignFrame& f, int N, const Prototype& proto,
                                 std::vector<double>& out) {
    pointers_ = blockBounds(f, N);
    BlockWriter w(out, pointers_);
    const bool band = f.bandpass || f.bandstop;
    const double notch = std::atan(f.c) / kPi;
    double gain = 1.0;

    // Splits a fourth-order band section into two pairs.
    auto roots = [&](const SectionPoly& s, bool zeros) {
        const PolarRoots r = Data::polyroots4(std::span<const double, 5>(s.p));
        if (!r.converged) {
            print(kCannotFindRoots);
            return refuse(classical_text::kRootsFailed);
        }
        if (zeros) {
            w.zeroPair(r.res[0], r.res[1]);
            w.zeroPair(r.res[2], r.res[3]);
        } else {
            w.polePair(r.res[0], r.res[1]);
            w.polePair(r.res[2], r.res[3]);
        }
        return true;
    };

    for (const ProtoSection& ps : proto.sections) {
        const SectionPoly den = secondOrder(f, ps.W, ps.c);
        if (ps.finiteZeros) {
            const SectionPoly num = secondOrder(f, ps.Wz, ps.cz);
            gain *= den.gain / num.gain;
            if (band) {
                if (!roots(num, true)) {
                    return false;
                }
            } else {
                const double r = std::sqrt(num.p[2]);
                w.zeroPair(r, pairAngle(num.p[1], r));
            }
        } else {
            gain *= den.gain;
            if (f.lowpass) {
                w.zeroPair(1.0, 0.5);
            } else if (f.highpass) {
                w.zeroPair(1.0, 0.0);
            } else if (f.bandpass) {
                w.zeroPair(1.0, 0.0);
                w.zeroPair(1.0, 0.5);
            } else {
                w.zeroPair(1.0, notch);
                w.zeroPair(1.0, notch);
            }
        }
        if (band) {
            if (!roots(den, false)) {
                return false;
            }
        } else {
            const double r = std::sqrt(den.p[2]);
            w.polePair(r, pairAngle(den.p[1], r));
        }
    }

    if (N % 2 == 1) {
        const SectionPoly s = firstOrder(f, proto.realPole);
        gain *= s.gain;
        const double a1 = s.p[1];
        const double a2 = s.p[2];
        if (f.lowpass || f.highpass) {
            w.zeroReal(f.lowpass ? -1.0 : 1.0);
            w.poleReal(-a1);
        } else {
            if (f.bandpass) {
                w.zeroReal(1.0);
                w.zeroReal(-1.0);
            } else {
                w.zeroPair(1.0, notch);
            }
            const double q = a1 * a1 - 4.0 * a2;
            if (q > 0.0) {
                w.poleRealPair((std::sqrt(q) - a1) * 0.5, (-std::sqrt(q) - a1) * 0.5);
            } else {
                const double r = std::sqrt(a2);
                w.polePair(r, pairAngle(a1, r));
            }
        }
    }

    out[0] = gain * std::pow(10.0, 0.05 * data_->gain) * proto.gainFactor;
    return true;
}

} // namespace dovra
