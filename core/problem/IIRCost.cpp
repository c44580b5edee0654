#include <algorithm>
#include <cmath>
#include <type_traits>

#include "problem/IIR.h"

namespace dovra {

// The cost function, the bounds check and the completion test of the search.
//
// The cost compares the filter's magnitude (dB) and group delay with the
// sampled tolerance scheme. The grid of a run is fixed, so the sample
// frequencies, the interpolated limits, z = e^(-j 2 pi w) and the prefilter's
// response are computed once per run (sampleScheme); each evaluation then
// evaluates the two polynomials at z by Horner's scheme in complex arithmetic,
// with no sine or cosine per coefficient and no allocation.

namespace {

const double kInvLn10 = 1.0 / std::log(10.0);

// Floors of the squared magnitudes: the denominator in magnitude and group
// delay, the numerator in the group delay only.
constexpr double kDenominatorFloor = 1e-24;
constexpr double kNumeratorFloor = 1e-12;

// Best costs that end the unquantized and the quantized search.
constexpr double kUnquantizedGoal = 1e-6;
constexpr double kFinalGoal = 1e-12;

// Horner's scheme is a chain of dependent multiply-adds, so one sample at a
// time leaves the processor waiting on each step. The kernels below run W
// independent samples side by side; every lane does exactly the operations of
// a single evaluation, so a result does not depend on the blocking.
constexpr int kLanes = 4;

/// pow[l] = |P(z_l)|^2 for P(z) = c[0] + c[1] z + ... + c[n] z^n, n >= 1.
template <int W, class T = double>
inline void power(const double* c, int n, const double* zr, const double* zi, double* pow) {
    T r[W];
    T i[W];
    for (int l = 0; l < W; ++l) {
        r[l] = c[n];
        i[l] = 0.0;
    }
    for (int k = n - 1; k >= 0; --k) {
        const T ck = c[k];
        for (int l = 0; l < W; ++l) {
            const T t = r[l] * zr[l] - i[l] * zi[l] + ck;
            i[l] = r[l] * zi[l] + i[l] * zr[l];
            r[l] = t;
        }
    }
    for (int l = 0; l < W; ++l) {
        pow[l] = static_cast<double>(r[l] * r[l] + i[l] * i[l]);
    }
}

/// pow[l] = |P(z_l)|^2 and slope[l] = Re(conj(P(z_l)) z_l P'(z_l)), n >= 1.
/// With z = e^(-j theta) the slope equals C dS - S dC of the trigonometric
/// sums C + jS = sum c[i] e^(j i theta), so slope / pow is the group delay.
template <int W, class T = double>
inline void powerAndSlope(const double* c, int n, const double* zr, const double* zi, double* pow,
                          double* slope) {
    T r[W];
    T i[W];
    T dr[W];
    T di[W];
    for (int l = 0; l < W; ++l) {
        r[l] = c[n];
        i[l] = 0.0;
        dr[l] = 0.0;
        di[l] = 0.0;
    }
    for (int k = n - 1; k >= 0; --k) {
        const T ck = c[k];
        for (int l = 0; l < W; ++l) {
            const T ndr = dr[l] * zr[l] - di[l] * zi[l] + r[l];
            di[l] = dr[l] * zi[l] + di[l] * zr[l] + i[l];
            dr[l] = ndr;
            const T nr = r[l] * zr[l] - i[l] * zi[l] + ck;
            i[l] = r[l] * zi[l] + i[l] * zr[l];
            r[l] = nr;
        }
    }
    for (int l = 0; l < W; ++l) {
        // z P'(z)
        const T qr = zr[l] * dr[l] - zi[l] * di[l];
        const T qi = zr[l] * di[l] + zi[l] * dr[l];
        pow[l] = static_cast<double>(r[l] * r[l] + i[l] * i[l]);
        slope[l] = static_cast<double>(r[l] * qr + i[l] * qi);
    }
}

// Above this degree the group delay loses more than double precision can
// carry: the terms of a long polynomial with zeros near the unit circle
// cancel, so its value there is far smaller than its coefficients, and the
// delay is a quotient of two such values. Those polynomials are accumulated
// in extended precision (long double), which keeps the cost within 1e-9 of
// the exact value of the same coefficients. The magnitude needs no such care:
// its logarithm turns the relative error into a tiny absolute one.
constexpr int kExtendedDegree = 16;

template <int W>
inline void powerAndSlopeOf(const double* c, int n, const double* zr, const double* zi, double* pow,
                            double* slope) {
    if (n > kExtendedDegree) {
        // One sample at a time: the extended registers cannot hold the
        // four running values of several lanes.
        for (int l = 0; l < W; ++l) {
            powerAndSlope<1, long double>(c, n, zr + l, zi + l, pow + l, slope + l);
        }
    } else {
        powerAndSlope<W, double>(c, n, zr, zi, pow, slope);
    }
}

/// Calls f(first, lanes) for consecutive blocks of kLanes samples and then
/// for the remaining samples one at a time.
template <class F> inline void forBlocks(int count, F&& f) {
    int s = 0;
    for (; s + kLanes <= count; s += kLanes) {
        f(s, std::integral_constant<int, kLanes>{});
    }
    for (; s < count; ++s) {
        f(s, std::integral_constant<int, 1>{});
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

CostVector IIR::evaluate(std::span<const double> x, int) {
    if (!gridReady_) {
        sampleScheme();
    }

    // Working copy of the vector's D entries.
    ParamVector work{};
    const std::size_t used =
        std::min({static_cast<std::size_t>(std::max(D_, 0)), x.size(), work.size()});
    std::copy_n(x.begin(), used, work.begin());

    // Phase 0 scores the exact coefficients, phases 1 and 2 the quantized ones.
    const std::int64_t q = phase_ < 1 ? -1 : settings_.quant;
    b_ = coeffi_b(work, q, settings_.structure);
    a_ = coeffi_a(work, q, settings_.structure);
    // A realization beyond the capacity builds nothing; its degrees are kept
    // inside the arrays so that nothing is read beyond them.
    const int na = std::clamp(get_a_degree(), 0, kCoeffCapacity - 1);
    const int nb = std::clamp(get_b_degree(), 0, kCoeffCapacity - 1);
    const double* a = a_.data();
    const double* b = b_.data();

    // Magnitude error in dB, the prefilter's level included.
    const double a0Power = a[0] * a[0];
    double magError = 0.0;
    for (int t = MagUpper; t <= MagLower; ++t) {
        const SampledTable& st = sampled_[static_cast<std::size_t>(t)];
        const double sign = t == MagUpper ? 1.0 : -1.0;
        forBlocks(st.count, [&](int first, auto lanes) {
            constexpr int W = decltype(lanes)::value;
            const auto f = static_cast<std::size_t>(first);
            const double* zr = st.zRe.data() + f;
            const double* zi = st.zIm.data() + f;
            double N[W];
            double D[W];
            if (na < 1) {
                std::fill_n(N, W, a0Power);
            } else {
                power<W>(a, na, zr, zi, N);
            }
            if (nb < 1) {
                std::fill_n(D, W, 1.0);
            } else {
                power<W>(b, nb, zr, zi, D);
                for (double& d : D) {
                    if (d < kDenominatorFloor) {
                        d = kDenominatorFloor;
                    }
                }
            }
            for (int l = 0; l < W; ++l) {
                const std::size_t u = f + static_cast<std::size_t>(l);
                const double level =
                    20.0 * std::log(std::sqrt(N[l] / D[l])) * kInvLn10 + st.prefilter[u];
                const double e = sign * (level - st.limit[u]);
                if (e > 0.0) {
                    magError += e * e;
                }
            }
        });
    }

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
        delay = na * 0.5;
    } else if (na == 0 && nb == 0) {
        delay = 0.0;
    } else if (linearPhaseOnly) {
        delay = 2.0 * (L / 2) + (L % 2 == 1 ? 1.0 : 0.0);
    } else {
        constantDelay = false;
    }
    for (int t = GdUpper; t <= GdLower; ++t) {
        SampledTable& st = sampled_[static_cast<std::size_t>(t)];
        if (constantDelay) {
            for (int s = 0; s < st.count; ++s) {
                const auto u = static_cast<std::size_t>(s);
                st.value[u] = delay + st.prefilter[u];
            }
            continue;
        }
        forBlocks(st.count, [&](int first, auto lanes) {
            constexpr int W = decltype(lanes)::value;
            const auto f = static_cast<std::size_t>(first);
            const double* zr = st.zRe.data() + f;
            const double* zi = st.zIm.data() + f;
            double tauA[W] = {};
            double tauB[W] = {};
            double pow[W];
            double slope[W];
            if (na >= 1) {
                powerAndSlopeOf<W>(a, na, zr, zi, pow, slope);
                for (int l = 0; l < W; ++l) {
                    tauA[l] = slope[l] / (pow[l] < kNumeratorFloor ? kNumeratorFloor : pow[l]);
                }
            }
            if (nb >= 1) {
                powerAndSlopeOf<W>(b, nb, zr, zi, pow, slope);
                for (int l = 0; l < W; ++l) {
                    tauB[l] = slope[l] / (pow[l] < kDenominatorFloor ? kDenominatorFloor : pow[l]);
                }
            }
            for (int l = 0; l < W; ++l) {
                const std::size_t u = f + static_cast<std::size_t>(l);
                st.value[u] = (tauA[l] - tauB[l]) + st.prefilter[u];
            }
        });
    }

    // Offset: with unfrozen limits the whole group-delay scheme moves up until
    // no upper limit is exceeded, or down until no lower limit is undercut,
    // whichever side is violated more (upward on a tie).
    const SampledTable& gdUpper = sampled_[GdUpper];
    const SampledTable& gdLower = sampled_[GdLower];
    double offset = 0.0;
    if (gdUpper.count > 0 && !settings_.freezeGd) {
        double excess = -10000.0;
        for (int s = 0; s < gdUpper.count; ++s) {
            const auto u = static_cast<std::size_t>(s);
            const double e = gdUpper.value[u] - gdUpper.limit[u];
            if (e > 0.0 && e > excess) {
                excess = e;
            }
        }
        double shortfall = -10000.0;
        for (int s = 0; s < gdLower.count; ++s) {
            const auto u = static_cast<std::size_t>(s);
            const double e = gdLower.limit[u] - gdLower.value[u];
            if (e > 0.0 && e > shortfall) {
                shortfall = e;
            }
        }
        const bool excessFound = excess > 0.0;
        const bool shortfallFound = shortfall > 0.0;
        if (excessFound) {
            offset = excess;
        }
        if (shortfallFound && (!excessFound || shortfall > offset)) {
            offset = -shortfall;
        }
    }
    offset_ = offset;

    double gdError = 0.0;
    for (int s = 0; s < gdUpper.count; ++s) {
        const auto u = static_cast<std::size_t>(s);
        const double e = gdUpper.value[u] - (offset + gdUpper.limit[u]);
        if (e > 0.0) {
            gdError += e * e;
        }
    }
    for (int s = 0; s < gdLower.count; ++s) {
        const auto u = static_cast<std::size_t>(s);
        const double e = (offset + gdLower.limit[u]) - gdLower.value[u];
        if (e > 0.0) {
            gdError += e * e;
        }
    }

    CostVector cost{magError, gdError, magError + 10.0 * gdError};

    // Radii outside the unit circle: (1 + 4|r|) cost + 400|r| for each, on
    // every entry. An empty block is skipped: its collapsed range names an
    // entry of another block (the gain or an angle), which is no radius.
    auto penalise = [&](const BlockRange& block) {
        if (block.count <= 0) {
            return;
        }
        for (int i = block.first; i <= block.last; ++i) {
            if (i < 0 || static_cast<std::size_t>(i) >= used) {
                continue;
            }
            const double r = work[static_cast<std::size_t>(i)];
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
    return cost;
}

} // namespace dovra
