#include <algorithm>
#include <cmath>

#include "problem/CostKernels.h"
#include "problem/IIR.h"
#include "problem/Sections.h"

namespace dovra {

// The cost function, the bounds check and the completion test of the search.
//
// The cost compares the filter's magnitude (dB) and group delay with the
// sampled tolerance scheme. The grid of a run is fixed, so the sample
// frequencies, the interpolated limits, z = e^(-j 2 pi w), the prefilter's
// response and each magnitude limit as a power ratio are computed once per
// run (sampleScheme, again when samples are added); each evaluation then
// evaluates the two polynomials at z by Horner's scheme in complex
// arithmetic, several samples at a time (kernels::powers), and takes the
// level in dB only at the samples whose power ratio comes near their limit.
// The terms are summed in sample order, so the cost is the one of the plain
// sample-by-sample form to the last bit.

namespace {

const double kInvLn10 = 1.0 / std::log(10.0);

// Floors of the squared magnitudes: the denominator in magnitude and group
// delay, the numerator in the group delay only.
constexpr double kDenominatorFloor = 1e-24;
constexpr double kNumeratorFloor = 1e-12;

// Best costs that end the unquantized and the quantized search.
constexpr double kUnquantizedGoal = 1e-6;
constexpr double kFinalGoal = 1e-12;

// Above this degree the group delay loses more than double precision can
// carry: the terms of a long polynomial with zeros near the unit circle
// cancel, so its value there is far smaller than its coefficients, and the
// delay is a quotient of two such values. Those polynomials are accumulated
// in extended precision (long double), which keeps the cost within 1e-9 of
// the exact value of the same coefficients. The magnitude needs no such care:
// its logarithm turns the relative error into a tiny absolute one.
constexpr int kExtendedDegree = 16;

/// pow and slope as kernels::powersAndSlopes, in extended precision above
/// kExtendedDegree.
void powersAndSlopesOf(const double* c, int n, const double* zr, const double* zi, int count,
                       double* pow, double* slope) {
    if (n <= kExtendedDegree) {
        kernels::powersAndSlopes(c, n, zr, zi, count, pow, slope);
        return;
    }
    for (int s = 0; s < count; ++s) {
        const long double vr = zr[s];
        const long double vi = zi[s];
        long double r = c[n];
        long double i = 0.0L;
        long double dr = 0.0L;
        long double di = 0.0L;
        for (int k = n - 1; k >= 0; --k) {
            const long double ck = c[k];
            const long double ndr = dr * vr - di * vi + r;
            di = dr * vi + di * vr + i;
            dr = ndr;
            const long double nr = r * vr - i * vi + ck;
            i = r * vi + i * vr;
            r = nr;
        }
        const long double qr = vr * dr - vi * di;
        const long double qi = vr * di + vi * dr;
        pow[s] = static_cast<double>(r * r + i * i);
        slope[s] = static_cast<double>(r * qr + i * qi);
    }
}

} // namespace

bool IIR::completed() {
    const double cost = bestCost;
    if (cost <= kUnquantizedGoal && phase_ == 0 && settings_.quant > 0) {
        phase_ = 1;
        return false;
    }
    // Written so that a best cost that is not a number never completes a run.
    if (!(cost <= kFinalGoal)) {
        return false;
    }
    if (phase_ == 2) {
        phase_ = 0;
        return true;
    }
    if (settings_.quant > 0) {
        return false;
    }
    phase_ = 0;
    return true;
}

void IIR::boundsCheck(UniformSource& random, std::span<const double> reference,
                      std::span<const double> trial, int n, std::span<double> out) {
    const auto size = static_cast<std::size_t>(std::max(n, 0));
    const std::size_t outSize = std::min(size, out.size());
    const std::size_t used =
        std::min({outSize, static_cast<std::size_t>(std::max(D_, 0)), trial.size()});
    std::copy_n(trial.begin(), used, out.begin());
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(used),
              out.begin() + static_cast<std::ptrdiff_t>(outSize), 0.0);

    auto inRange = [&](int i) {
        return i >= 0 && static_cast<std::size_t>(i) < used &&
               static_cast<std::size_t>(i) < reference.size();
    };
    auto moveToward = [&](double ref, double bound) {
        return ref + random.nextDouble() * (bound - ref);
    };

    // Pole and allpass radii within +-R. An empty block is skipped: its
    // collapsed range names an entry of another block (the gain or an angle).
    const double R = settings_.poleRadiusRestr;
    auto restrictPoles = [&](const BlockRange& block) {
        if (block.count <= 0) {
            return;
        }
        for (int i = block.first; i <= block.last; ++i) {
            if (!inRange(i)) {
                continue;
            }
            const auto u = static_cast<std::size_t>(i);
            if (out[u] > R) {
                out[u] = moveToward(reference[u], R);
            }
            if (out[u] < -R) {
                out[u] = moveToward(reference[u], -R);
            }
        }
    };
    restrictPoles(layout_[Block::PoleRadii]);
    restrictPoles(layout_[Block::AllpassRadii]);

    // Zero radii: magnitude between Lo and Hi; a radius of exactly 0 stays.
    const BlockRange& zeroRadii = layout_[Block::ZeroRadii];
    if (zeroRadii.first == 0 && zeroRadii.last == 0) {
        return;
    }
    const double lo = settings_.zeroRadiusLow;
    const double hi = settings_.zeroRadiusHigh;
    for (int i = zeroRadii.first; i <= zeroRadii.last; ++i) {
        if (!inRange(i)) {
            continue;
        }
        const auto u = static_cast<std::size_t>(i);
        const double ref = reference[u];
        const double v = out[u];
        if ((v > 0.0 && v < lo) || (v < 0.0 && v > -lo)) {
            out[u] = moveToward(ref, ref > 0.0 ? lo : -lo);
        }
        if (out[u] > hi || out[u] < -hi) {
            out[u] = moveToward(ref, ref > 0.0 ? hi : -hi);
        }
    }
}

IIR::Evaluation IIR::costOf(std::span<const double> x, Scratch& s) const {
    // The vector's entries; a shorter vector is read as padded with zeros.
    // The vector's D entries; the rest of the working copy stays 0.
    const std::size_t used =
        std::min({static_cast<std::size_t>(std::max(D_, 0)), x.size(), s.work.size()});
    std::copy_n(x.begin(), used, s.work.begin());
    if (s.workUsed > used) {
        std::fill(s.work.begin() + static_cast<std::ptrdiff_t>(used),
                  s.work.begin() + static_cast<std::ptrdiff_t>(s.workUsed), 0.0);
    }
    s.workUsed = used;
    const std::span<const double> v = s.work;
    const Polynomials p = polynomials(v, s);
    Evaluation e;
    const double magError = magnitudeError(p, s);
    groupDelays(p, s);
    e.offset = groupDelayOffset(s);
    const double gdError = groupDelayError(s, e.offset);
    e.cost = {magError, gdError, magError + 10.0 * gdError};
    penaliseRadii(v, e.cost);
    return e;
}

IIR::Polynomials IIR::polynomials(std::span<const double> v, Scratch& s) const {
    // Phase 0 scores the exact coefficients, phases 1 and 2 the quantized ones.
    const std::int64_t q = phase_ < 1 ? -1 : settings_.quant;
    Polynomials p;
    // A realization beyond the capacity builds nothing; its degrees are kept
    // inside the arrays so that nothing is read beyond them.
    p.na = std::clamp(get_a_degree(), 0, kCoeffCapacity - 1);
    p.nb = std::clamp(get_b_degree(), 0, kCoeffCapacity - 1);
    if (capacityError_) {
        s.a[0] = 0.0;
        s.b[0] = 0.0;
    } else {
        if (isFirMethod(settings_.method)) {
            // Linear-phase FIR designs: the impulse response times the gain.
            sections::firNumeratorInto(sections::at(v, 0), fir_, layout_.N, q, s.a);
        } else {
            sections::numeratorInto(v, layout_, q, settings_.structure, s.a);
        }
        sections::denominatorInto(v, layout_, q, settings_.structure, s.b);
    }
    p.a = s.a.data();
    p.b = s.b.data();
    return p;
}

double IIR::magnitudeError(const Polynomials& p, Scratch& s) const {
    // Magnitude error in dB, the prefilter's level included. The powers of
    // numerator and denominator go into the scratch rows; a sample is scored
    // only when its power ratio passes the screen of its limit.
    const double a0Power = p.a[0] * p.a[0];
    double error = 0.0;
    for (int t = MagUpper; t <= MagLower; ++t) {
        const SampledTable& st = sampled_[static_cast<std::size_t>(t)];
        const bool upper = t == MagUpper;
        const double sign = upper ? 1.0 : -1.0;
        const int count = st.count;
        double* N = s.first.data();
        double* D = s.second.data();
        if (p.na < 1) {
            std::fill_n(N, count, a0Power);
        } else {
            kernels::powers(p.a, p.na, st.zRe.data(), st.zIm.data(), count, N);
        }
        if (p.nb < 1) {
            std::fill_n(D, count, 1.0);
        } else {
            kernels::powers(p.b, p.nb, st.zRe.data(), st.zIm.data(), count, D);
        }
        for (int k = 0; k < count; ++k) {
            const auto u = static_cast<std::size_t>(k);
            double d = D[u];
            if (p.nb >= 1 && d < kDenominatorFloor) {
                d = kDenominatorFloor;
            }
            const double n = N[u];
            const bool near = upper ? n > st.threshold[u] * d : n < st.threshold[u] * d;
            if (!near) {
                continue;
            }
            const double level = 20.0 * std::log(std::sqrt(n / d)) * kInvLn10 + st.prefilter[u];
            const double e = sign * (level - st.limit[u]);
            if (e > 0.0) {
                error += e * e;
            }
        }
    }
    return error;
}

void IIR::groupDelays(const Polynomials& p, Scratch& s) const {
    // Group delay of the filter at every sample of the two group-delay tables.
    // The linear-phase FIR methods, a pure linear-phase realization and a
    // constant transfer function have a group delay that does not depend on
    // the frequency.
    const bool firMethod = isFirMethod(settings_.method);
    const int N = layout_.N, M = layout_.M, L = layout_.L, A = layout_.A;
    const bool linearPhaseOnly = settings_.quant <= 0 && L >= 1 && N == 0 && M == 0 && A == 0;
    bool constantDelay = true;
    double delay = 0.0;
    if (firMethod) {
        delay = p.na * 0.5;
    } else if (p.na == 0 && p.nb == 0) {
        delay = 0.0;
    } else if (linearPhaseOnly) {
        delay = 2.0 * (L / 2) + (L % 2 == 1 ? 1.0 : 0.0);
    } else {
        constantDelay = false;
    }
    for (int t = GdUpper; t <= GdLower; ++t) {
        const SampledTable& st = sampled_[static_cast<std::size_t>(t)];
        double* value = t == GdUpper ? s.delayUpper.data() : s.delayLower.data();
        const int count = st.count;
        if (constantDelay) {
            for (int k = 0; k < count; ++k) {
                const auto u = static_cast<std::size_t>(k);
                value[u] = delay + st.prefilter[u];
            }
            continue;
        }
        double* pow = s.first.data();
        double* slope = s.second.data();
        // The numerator's delay into value, then the denominator's taken off.
        if (p.na >= 1) {
            powersAndSlopesOf(p.a, p.na, st.zRe.data(), st.zIm.data(), count, pow, slope);
            for (int k = 0; k < count; ++k) {
                const auto u = static_cast<std::size_t>(k);
                value[u] = slope[u] / (pow[u] < kNumeratorFloor ? kNumeratorFloor : pow[u]);
            }
        } else {
            std::fill_n(value, count, 0.0);
        }
        if (p.nb >= 1) {
            powersAndSlopesOf(p.b, p.nb, st.zRe.data(), st.zIm.data(), count, pow, slope);
            for (int k = 0; k < count; ++k) {
                const auto u = static_cast<std::size_t>(k);
                value[u] -= slope[u] / (pow[u] < kDenominatorFloor ? kDenominatorFloor : pow[u]);
            }
        }
        for (int k = 0; k < count; ++k) {
            const auto u = static_cast<std::size_t>(k);
            value[u] += st.prefilter[u];
        }
    }
}

double IIR::groupDelayOffset(const Scratch& s) const {
    // With unfrozen limits the whole group-delay scheme moves up until no
    // upper limit is exceeded, or down until no lower limit is undercut,
    // whichever side is violated more (upward on a tie).
    const SampledTable& gdUpper = sampled_[GdUpper];
    const SampledTable& gdLower = sampled_[GdLower];
    if (gdUpper.count <= 0 || settings_.freezeGd) {
        return 0.0;
    }
    double excess = -10000.0;
    for (int k = 0; k < gdUpper.count; ++k) {
        const auto u = static_cast<std::size_t>(k);
        const double e = s.delayUpper[u] - gdUpper.limit[u];
        if (e > 0.0 && e > excess) {
            excess = e;
        }
    }
    double shortfall = -10000.0;
    for (int k = 0; k < gdLower.count; ++k) {
        const auto u = static_cast<std::size_t>(k);
        const double e = gdLower.limit[u] - s.delayLower[u];
        if (e > 0.0 && e > shortfall) {
            shortfall = e;
        }
    }
    double offset = 0.0;
    const bool excessFound = excess > 0.0;
    const bool shortfallFound = shortfall > 0.0;
    if (excessFound) {
        offset = excess;
    }
    if (shortfallFound && (!excessFound || shortfall > offset)) {
        offset = -shortfall;
    }
    return offset;
}

double IIR::groupDelayError(const Scratch& s, double offset) const {
    const SampledTable& gdUpper = sampled_[GdUpper];
    const SampledTable& gdLower = sampled_[GdLower];
    double error = 0.0;
    for (int k = 0; k < gdUpper.count; ++k) {
        const auto u = static_cast<std::size_t>(k);
        const double e = s.delayUpper[u] - (offset + gdUpper.limit[u]);
        if (e > 0.0) {
            error += e * e;
        }
    }
    for (int k = 0; k < gdLower.count; ++k) {
        const auto u = static_cast<std::size_t>(k);
        const double e = (offset + gdLower.limit[u]) - s.delayLower[u];
        if (e > 0.0) {
            error += e * e;
        }
    }
    return error;
}

void IIR::penaliseRadii(std::span<const double> v, CostVector& cost) const {
    // Radii outside the unit circle: (1 + 4|r|) cost + 400|r| for each, on
    // every entry. An empty block is skipped: its collapsed range names an
    // entry of another block (the gain or an angle), which is no radius.
    const auto used = std::min(static_cast<std::size_t>(std::max(D_, 0)), v.size());
    auto penalise = [&](const BlockRange& block) {
        if (block.count <= 0) {
            return;
        }
        for (int i = block.first; i <= block.last; ++i) {
            if (i < 0 || static_cast<std::size_t>(i) >= used) {
                continue;
            }
            const double r = v[static_cast<std::size_t>(i)];
            if (r > 1.0) {
                for (double& c : cost) {
                    c = (1.0 + 4.0 * r) * c + 400.0 * r;
                }
            } else if (r < -1.0) {
                for (double& c : cost) {
                    c = (1.0 - 4.0 * r) * c - 400.0 * r;
                }
            }
        }
    };
    penalise(layout_[Block::PoleRadii]);
    penalise(layout_[Block::AllpassRadii]);
}

} // namespace dovra
