#include "problem/ToleranceScheme.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace dovra {

// The four constraint tables of a run, and the reading of the magnitude
// tables as a lowpass, highpass, bandpass or bandstop with its band edges and
// levels.

namespace {

const char* const kTooManyUpperMag = "Number of entries for upper magnitude tolerance scheme > ";
const char* const kTooManyLowerMag = "Number of entries for lower magnitude tolerance scheme > ";
const char* const kTooManyUpperGd = "Number of entries for upper group delay tolerance scheme > ";
const char* const kTooManyLowerGd = "Number of entries for lower group delay tolerance scheme > ";

/// Two levels of a table scan count as equal when they differ by less than this.
constexpr double kLevelTolerance = 1e-9;

bool sameLevel(double a, double b) {
    return std::fabs(a - b) < kLevelTolerance;
}

} // namespace

ToleranceScheme::ToleranceScheme(const RunInput& in, Console& console) {
    struct Source {
        const ConstraintValues& table;
        const char* tooMany;
    };
    const std::array<Source, 4> sources{{
        {in.magUpper, kTooManyUpperMag},
        {in.magLower, kTooManyLowerMag},
        {in.gdUpper, kTooManyUpperGd},
        {in.gdLower, kTooManyLowerGd},
    }};
    for (std::size_t k = 0; k < sources.size(); ++k) {
        const ConstraintValues& table = sources[k].table;
        Rows& target = tables_[k];
        target.rows = table.rows;
        if (table.rows > kTableCapacity) {
            console.out(sources[k].tooMany + std::to_string(kTableCapacity));
            continue;
        }
        const std::size_t n =
            std::min({table.omega.size(), table.limit.size(), target.omega.size()});
        std::copy_n(table.omega.begin(), n, target.omega.begin());
        std::copy_n(table.limit.begin(), n, target.limit.begin());
    }
}

int ToleranceScheme::parse(Data& data) const {
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
    const Rows& upper = tables_[MagUpper];
    const Rows& lower = tables_[MagLower];
    const int nU = upper.usable();
    const int nL = lower.usable();
    const auto& UL = upper.limit;
    const auto& UO = upper.omega;
    const auto& LL = lower.limit;
    const auto& LO = lower.omega;
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

    data.set_f_lower(fLower);
    data.set_f_upper(fUpper);
    data.set_delta(delta);
    data.set_gain(gain);
    data.set_pass_ripple(passRipple);
    data.set_stop_attn(stopAttn);
    data.set_filtertype(type);
    return type;
}

} // namespace dovra
