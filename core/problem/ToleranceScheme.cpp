#include <algorithm>
#include <cmath>
#include <string>

#include "problem/DEProblem.h"

namespace dovra {

// Loading and sampling of the tolerance scheme, and its reading as a
// lowpass, highpass, bandpass or bandstop with its band edges and levels.

namespace {

const char* const kTooManyUpperMag = "Number of entries for upper magnitude tolerance scheme > ";
const char* const kTooManyLowerMag = "Number of entries for lower magnitude tolerance scheme > ";
const char* const kTooManyUpperGd = "Number of entries for upper group delay tolerance scheme > ";
const char* const kTooManyLowerGd = "Number of entries for lower group delay tolerance scheme > ";

constexpr int kGridPoints = 64;
constexpr int kGridStride = 7;
/// Largest number of samples of one table: 99 segments of 64 points.
constexpr std::size_t kMaxSamples = (kTableCapacity - 1) * kGridPoints;

/// Two levels of a table scan count as equal when they differ by less than this.
constexpr double kLevelTolerance = 1e-9;

bool sameLevel(double a, double b) {
    return std::fabs(a - b) < kLevelTolerance;
}

int pointsPerSegment(const std::string& granularity) {
    if (granularity == "coarse") {
        return 10;
    }
    if (granularity == "medium") {
        return 28;
    }
    return 64;
}

} // namespace

void DEProblem::buildSamplingTables() {
    // Storage order of the points j / 63: first every seventh point (0, 7, ..
    // 63, the coarse grid of ten), then the sub-grids 1, 8, .. 57 up to 6, 13,
    // .. 62. A prefix of 10, 28 or 64 entries is thus a coarse, medium or fine
    // grid of the unit interval.
    int position = 0;
    for (int start = 0; start < kGridStride; ++start) {
        for (int j = start; j < kGridPoints; j += kGridStride) {
            const double t = static_cast<double>(j) / 63.0;
            linearTable_[static_cast<std::size_t>(position)] = t;
            cosineTable_[static_cast<std::size_t>(position)] =
                (1.0 - std::cos(pi * static_cast<double>(j) / 63.0)) / 2.0;
            ++position;
        }
    }
    // The sample buffers of the cost function are sized once, at capacity.
    for (auto& table : sampled_) {
        table.count = 0;
        table.limit.assign(kMaxSamples, 0.0);
        table.zRe.assign(kMaxSamples, 0.0);
        table.zIm.assign(kMaxSamples, 0.0);
        table.prefilter.assign(kMaxSamples, 0.0);
        table.value.assign(kMaxSamples, 0.0);
    }
    gridReady_ = false;
}

void DEProblem::initSampling(const RunInput& in) {
    const SearchSettings& s = in.settings;
    samplingMode_ = s.samplingMode;
    granularity_ = s.samplingGranularity;
    pointsPerSegment_ = pointsPerSegment(granularity_);
    samplingTable_ = samplingMode_ == "linear" ? &linearTable_ : &cosineTable_;

    // What the cost function, the bounds check and the completion test read
    // from the settings is copied here, once per run: settings cannot change
    // while a run is in progress (the pages are locked in "Running" and
    // "Paused"), so reading them at every call would only cost time.
    method_ = s.method;
    freezeGd_ = s.freezeGd;
    poleRadiusRestr_ = s.poleRadiusRestr;
    zeroRadiusLow_ = s.zeroRadiusLow;
    zeroRadiusHigh_ = s.zeroRadiusHigh;

    // The samples depend on the prefilter and the realization as well, which
    // a run may load in any order before its first evaluation.
    gridReady_ = false;
}

void DEProblem::sampleScheme() {
    struct Source {
        const std::array<double, kTableCapacity>& w;
        const std::array<double, kTableCapacity>& limit;
        int rows;
        bool magnitude;
    };
    const std::array<Source, 4> sources{{
        {magUpperW_, magUpperL_, nMagUpper_, true},
        {magLowerW_, magLowerL_, nMagLower_, true},
        {gdUpperW_, gdUpperL_, nGdUpper_, false},
        {gdLowerW_, gdLowerL_, nGdLower_, false},
    }};
    const auto& t = *samplingTable_;
    const int S = pointsPerSegment_;
    for (std::size_t k = 0; k < sources.size(); ++k) {
        const Source& src = sources[k];
        SampledTable& out = sampled_[k];
        const int n = usableRows(src.rows);
        std::size_t i = 0;
        for (int seg = 0; seg + 1 < n; ++seg) {
            const auto a = static_cast<std::size_t>(seg);
            for (int j = 0; j < S; ++j) {
                const double tj = t[static_cast<std::size_t>(j)];
                const double w = src.w[a] + (src.w[a + 1] - src.w[a]) * tj;
                out.limit[i] = src.limit[a] + (src.limit[a + 1] - src.limit[a]) * tj;
                const double theta = two_pi * w;
                out.zRe[i] = std::cos(theta);
                out.zIm[i] = -std::sin(theta);
                out.prefilter[i] =
                    src.magnitude ? 20.0 * std::log(amag_ff(w)) * invLn10_ : gdel_ff(w);
                ++i;
            }
        }
        out.count = static_cast<int>(i);
    }
    gridReady_ = true;
}

void DEProblem::init_tolerance_scheme(const RunInput& in, Console& console) {
    struct Target {
        std::array<double, kTableCapacity>& w;
        std::array<double, kTableCapacity>& limit;
        int& rows;
        const char* tooMany;
    };
    auto load = [&console](const Target& target, const ConstraintValues& table) {
        target.rows = table.rows;
        // Cleared first, so that no row of an earlier scheme is ever read.
        target.w.fill(0.0);
        target.limit.fill(0.0);
        if (table.rows > kTableCapacity) {
            console.out(target.tooMany + std::to_string(kTableCapacity));
            return;
        }
        const std::size_t n = std::min({table.omega.size(), table.limit.size(), target.w.size()});
        std::copy_n(table.omega.begin(), n, target.w.begin());
        std::copy_n(table.limit.begin(), n, target.limit.begin());
    };
    load({magUpperW_, magUpperL_, nMagUpper_, kTooManyUpperMag}, in.magUpper);
    load({magLowerW_, magLowerL_, nMagLower_, kTooManyLowerMag}, in.magLower);
    load({gdUpperW_, gdUpperL_, nGdUpper_, kTooManyUpperGd}, in.gdUpper);
    load({gdLowerW_, gdLowerL_, nGdLower_, kTooManyLowerGd}, in.gdLower);
    gridReady_ = false;
}

int DEProblem::parseToleranceScheme() {
    // Breakpoints: A, B levels and frequencies of the upper table, C, E of the
    // lower table.
    std::array<double, 5> A, B, C, E;
    A.fill(-1000.0);
    C.fill(-1000.0);
    B.fill(-1.0);
    E.fill(-1.0);
    double fLower = 0.0, fUpper = 0.0, delta = 0.0, gain = 0.0, passRipple = 0.0, stopAttn = 0.0;
    int LP = 1, HP = 1, BP = 1, BS = 1;
    int type = 0;

    // A table above the capacity was never copied: it cannot be read.
    const int nU = usableRows(nMagUpper_);
    const int nL = usableRows(nMagLower_);
    const auto& UL = magUpperL_;
    const auto& UO = magUpperW_;
    const auto& LL = magLowerL_;
    const auto& LO = magLowerW_;
    auto at = [](int i) { return static_cast<std::size_t>(i); };

    if (nU >= 2 && nL >= 2) {
        // First level change of the upper table.
        A[0] = UL[0];
        B[0] = UO[0];
        int k = 1;
        while (sameLevel(UL[at(k)], A[0]) && k < nU - 1) {
            ++k;
        }
        A[1] = UL[at(k - 1)];
        B[1] = UO[at(k - 1)];
        A[2] = UL[at(k)];
        B[2] = UO[at(k)];
        if (A[2] > A[0]) {
            LP = BS = 0;
        } else if (A[2] == A[0]) {
            LP = HP = BP = BS = 0;
        } else {
            HP = BP = 0;
        }

        // Second level change. A first change at the last row leaves no row
        // after it: the table then has no second change (its level stays).
        int k2 = k + 1;
        if (k2 < nU) {
            while (sameLevel(UL[at(k2)], A[2]) && k2 < nU - 1) {
                ++k2;
            }
            A[3] = UL[at(k2 - 1)];
            B[3] = UO[at(k2 - 1)];
            A[4] = UL[at(k2)];
            B[4] = UO[at(k2)];
        } else {
            A[3] = A[4] = A[2];
            B[3] = B[4] = B[2];
        }
        if (A[4] > A[2]) {
            if (HP == 1 && BP == 1) {
                HP = BP = 0;
            }
            if (LP == 1 && BS == 1) {
                LP = 0;
            }
        } else if (A[4] == A[2]) {
            if (HP == 1 && BP == 1) {
                BP = 0;
            }
            if (LP == 1 && BS == 1) {
                BS = 0;
            }
        } else {
            if (LP == 1 && BS == 1) {
                LP = BS = 0;
            }
            if (HP == 1 && BP == 1) {
                HP = 0;
            }
        }

        // First level change of the lower table (highpass, bandpass, bandstop).
        auto firstLowerChange = [&]() {
            int j = 1;
            while (sameLevel(LL[at(j)], C[0]) && j < nL - 1) {
                ++j;
            }
            return j;
        };

        if (LP == 1) {
            C[0] = LL[1];
            E[0] = LO[1];
            if (E[0] != -1.0 && E[0] < B[2] && C[0] < A[0]) {
                gain = A[0];
                fUpper = E[0];
                delta = B[2] - E[0];
                stopAttn = A[0] - A[2];
                passRipple = A[0] - C[0];
            } else {
                LP = 0;
            }
        } else if (HP == 1 || BP == 1) {
            C[0] = LL[0];
            E[0] = LO[0];
            const int j = firstLowerChange();
            C[1] = LL[at(j)];
            E[1] = LO[at(j)];
            if (HP == 1) {
                if (E[0] != -1.0 && B[1] < E[0] && C[0] < A[2] && nL == 2) {
                    gain = A[2];
                    fLower = E[0];
                    fUpper = 0.5;
                    delta = E[0] - B[1];
                    stopAttn = A[2] - A[0];
                    passRipple = A[2] - C[0];
                } else {
                    HP = 0;
                }
            } else {
                if (E[0] != -1.0 && B[1] < E[0] && E[1] < B[4] && C[0] < A[2] && nL == 2) {
                    gain = A[2];
                    fLower = E[0];
                    fUpper = E[1];
                    delta = std::fmin(E[0] - B[1], B[4] - E[1]);
                    stopAttn = A[2] - A[0];
                    passRipple = A[2] - C[0];
                } else {
                    BP = 0;
                }
            }
        } else if (BS == 1) {
            C[0] = LL[0];
            E[0] = LO[0];
            const int j = firstLowerChange();
            C[1] = LL[at(j - 1)];
            E[1] = LO[at(j - 1)];
            C[2] = LL[at(j)];
            E[2] = LO[at(j)];
            // Second change of the lower table; as for the upper table, a
            // first change at the last row means there is none.
            int j2 = j + 1;
            if (j2 < nL) {
                while (LL[at(j2)] == C[2] && j2 < nL - 1) {
                    ++j2;
                }
                C[3] = LL[at(j2 - 1)];
                E[3] = LO[at(j2 - 1)];
                C[4] = LL[at(j2)];
                E[4] = LO[at(j2)];
            } else {
                C[3] = C[4] = C[2];
                E[3] = E[4] = E[2];
            }
            if (E[1] != -1.0 && E[1] < B[1] && B[4] < E[4] && C[0] < A[0]) {
                gain = A[0];
                fLower = E[1];
                fUpper = E[4];
                delta = std::fmin(B[2] - E[1], E[4] - B[3]);
                stopAttn = A[0] - A[2];
                passRipple = A[0] - C[0];
            } else {
                BS = 0;
            }
        }
        type = LP + 2 * HP + 4 * BP + 8 * BS;
    }

    data_.set_f_lower(fLower);
    data_.set_f_upper(fUpper);
    data_.set_delta(delta);
    data_.set_gain(gain);
    data_.set_pass_ripple(passRipple);
    data_.set_stop_attn(stopAttn);
    data_.set_filtertype(type);
    return type;
}

} // namespace dovra
