// The linear-phase FIR designs against independent references: the roots of
// polynomials against numpy.roots, the Remez taps against scipy.signal.remez,
// the minimum lengths of the constraint-based design against HiGHS on the
// same constraints and grid (tables written by make_fir_reference.py).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "design/FirLayout.h"
#include "design/Meteor.h"
#include "design/Remez.h"
#include "design/Roots.h"

namespace dovra {
namespace {

const std::string kDir = std::string(DOVRA_SOURCE_DIR) + "/tests/core/design/";

std::vector<double> numbers(const std::string& line) {
    std::istringstream in(line);
    std::vector<double> v;
    double x;
    while (in >> x) {
        v.push_back(x);
    }
    return v;
}

/// Lines of a reference table without its comment lines.
std::vector<std::string> tableLines(const std::string& name) {
    std::ifstream in(kDir + name);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] != '#') {
            lines.push_back(line);
        }
    }
    return lines;
}

struct RecordingSink : StatusSink {
    std::vector<std::string> texts;
    void setStatus(const std::string& text) override { texts.push_back(text); }
};

// --- roots ---------------------------------------------------------------

TEST(Mueller, RootsAgreeWithCompanionEigenvaluesAsMultisets) {
    const auto lines = tableLines("fir_roots_reference.txt");
    ASSERT_GT(lines.size(), 30u);
    int polys = 0;
    for (std::size_t at = 0; at < lines.size();) {
        std::istringstream head(lines[at]);
        std::string word, kind;
        int n = 0;
        head >> word >> kind >> n;
        const std::vector<double> a = numbers(lines[at + 1]);
        std::vector<std::complex<double>> expected;
        for (int k = 0; k < n; ++k) {
            const auto z = numbers(lines[at + 2 + k]);
            expected.emplace_back(z[0], z[1]);
        }
        at += 2 + n;
        ++polys;
        SCOPED_TRACE(kind + " degree " + std::to_string(n));

        RootArrays roots;
        ASSERT_EQ(mueller(0, a, n, roots), kRootsFound);
        // Each reference root is matched to the nearest root not yet taken.
        std::vector<bool> taken(n, false);
        double worst = 0.0;
        for (const auto& z : expected) {
            int best = -1;
            double bestDistance = INFINITY;
            for (int k = 0; k < n; ++k) {
                const double d = std::abs(std::complex<double>(roots.re[k], roots.im[k]) - z);
                if (!taken[k] && d < bestDistance) {
                    bestDistance = d;
                    best = k;
                }
            }
            taken[best] = true;
            worst = std::max(worst, bestDistance / std::max(1.0, std::abs(z)));
        }
        EXPECT_LT(worst, 1e-8);
    }
    EXPECT_EQ(polys, 28);
}

TEST(Mueller, ZeroConstantBadInputAndConjugatePairs) {
    RootArrays roots;
    // x (x - 2): the root at 0 is exact and found without iteration.
    const std::vector<double> withZero{0.0, -2.0, 1.0};
    ASSERT_EQ(mueller(0, withZero, 2, roots), kRootsFound);
    EXPECT_EQ(roots.re[0], 0.0);
    EXPECT_EQ(roots.im[0], 0.0);
    EXPECT_NEAR(roots.re[1], 2.0, 1e-12);

    // x^2 + 2x + 5: -1 -+ 2j in adjacent slots.
    const std::vector<double> pair{5.0, 2.0, 1.0};
    ASSERT_EQ(mueller(0, pair, 2, roots), kRootsFound);
    EXPECT_NEAR(roots.re[0], -1.0, 1e-12);
    EXPECT_EQ(roots.re[0], roots.re[1]);
    EXPECT_EQ(roots.im[0], -roots.im[1]);
    EXPECT_NEAR(std::abs(roots.im[0]), 2.0, 1e-12);

    // Degree 0 and a zero leading coefficient: code 1, the copy left in place.
    EXPECT_EQ(mueller(0, std::vector<double>{3.0}, 0, roots), kRootsBadInput);
    EXPECT_EQ(mueller(0, std::vector<double>{3.0, 4.0, 0.0}, 2, roots), kRootsBadInput);
    EXPECT_EQ(roots.re[0], 3.0);
    EXPECT_EQ(roots.re[1], 4.0);

    // The scaled variant: (x - 100)(x - 200)(x - 300).
    const std::vector<double> wide{-6e6, 1.1e5, -600.0, 1.0};
    RootArrays scaled;
    ASSERT_EQ(mueller(1, wide, 3, scaled), kRootsFound);
    std::vector<double> found{scaled.re[0], scaled.re[1], scaled.re[2]};
    std::sort(found.begin(), found.end());
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(found[k], 100.0 * (k + 1), 1e-8);
        EXPECT_EQ(scaled.im[k], 0.0);
    }
}

TEST(ZerosFromRoots, TwoRealRootsAndOnePairFillRadiiThenAngle) {
    // (x^2 + 0.5) (x - 0.5) (x + 0.25), real roots last after the ordering.
    RootArrays roots;
    roots.re = {};
    roots.im = {};
    roots.re[0] = 0.5;
    roots.re[1] = 0.0;
    roots.im[1] = std::sqrt(0.5);
    roots.re[2] = -0.25;
    roots.re[3] = 0.0;
    roots.im[3] = -std::sqrt(0.5);
    ParamVector x{};
    PZPointers p{};
    const ZeroCounts c = zerosFromRoots(roots, 4, x, p);
    EXPECT_EQ(c.realZeros, 2);
    EXPECT_EQ(c.pairs, 1);
    EXPECT_EQ(p, (PZPointers{1, 3, 4, 4, 5, 5, 5, 5}));
    EXPECT_NEAR(x[1], std::sqrt(0.5), 1e-15);
    EXPECT_NEAR(std::abs(x[4]), 0.25, 1e-15); // on the imaginary axis
    EXPECT_EQ(x[2], 0.5);
    EXPECT_EQ(x[3], -0.25);
    EXPECT_EQ(x[5], 0.0);

    // All real: the angle range is empty.
    RootArrays real;
    real.re[0] = 0.3;
    real.re[1] = -0.7;
    zerosFromRoots(real, 2, x, p);
    EXPECT_EQ(p, (PZPointers{1, 2, 3, 2, 3, 3, 3, 3}));
}

// --- Remez ---------------------------------------------------------------

TEST(Remez, TapsAgreeWithScipyRemez) {
    const auto lines = tableLines("fir_remez_reference.txt");
    ASSERT_EQ(lines.size() % 5, 0u);
    ASSERT_GE(lines.size() / 5, 8u);
    for (std::size_t at = 0; at < lines.size(); at += 5) {
        std::istringstream head(lines[at]);
        std::string word;
        int numtaps = 0;
        head >> word >> numtaps;
        SCOPED_TRACE(lines[at] + " bands " + lines[at + 1]);
        const auto bands = numbers(lines[at + 1]);
        const auto desired = numbers(lines[at + 2]);
        const auto weights = numbers(lines[at + 3]);
        const auto expected = numbers(lines[at + 4]);
        const RemezResult r = remez(1, bands, desired, weights, numtaps);
        EXPECT_TRUE(r.converged);
        ASSERT_EQ(r.taps.size(), expected.size());
        double largest = 0.0, worst = 0.0;
        for (std::size_t k = 0; k < expected.size(); ++k) {
            largest = std::max(largest, std::abs(expected[k]));
            worst = std::max(worst, std::abs(r.taps[k] - expected[k]));
        }
        EXPECT_LT(worst, 1e-5 * largest);
    }
}

Data record(int type, double fl, double fu, double delta, double gain, double ripple, double attn) {
    Data d;
    d.filtertype = type;
    d.f_lower = fl;
    d.f_upper = fu;
    d.delta = delta;
    d.gain = gain;
    d.pass_ripple = ripple;
    d.stop_attn = attn;
    return d;
}

/// The polynomial of the zero blocks of a layout (constant term 1): a pair
/// (r, angle) gives 1 - 2 r cos(2 pi angle) z^-1 + r^2 z^-2, a real zero x
/// gives 1 - x z^-1.
std::vector<double> polynomialOfZeros(const DesignLayout& l) {
    std::vector<double> p{1.0};
    auto times = [&p](std::vector<double> f) {
        std::vector<double> q(p.size() + f.size() - 1, 0.0);
        for (std::size_t i = 0; i < p.size(); ++i) {
            for (std::size_t j = 0; j < f.size(); ++j) {
                q[i + j] += p[i] * f[j];
            }
        }
        p.swap(q);
    };
    const auto& x = l.best;
    const PZPointers b = l.layout.pointers();
    const int pairs = b[3] - b[2] + 1;
    for (int k = 0; k < pairs; ++k) {
        const double r = x[b[0] + k];
        times({1.0, -2.0 * r * std::cos(2.0 * std::numbers::pi * x[b[2] + k]), r * r});
    }
    for (int k = b[0] + pairs; k <= b[1]; ++k) {
        times({1.0, -x[k]});
    }
    return p;
}

TEST(Remez, OrderEstimatesAndRefusals) {
    struct Case {
        Data data;
        double order;
    };
    for (const Case& c : {Case{record(1, 0.1, 0.25, 0.02, 0, 3, 10), 1},
                          Case{record(1, 0.1, 0.25, 0.05, 0, 1, 40), 27}}) {
        auto b = Remez::bandsFor(c.data);
        ASSERT_TRUE(std::holds_alternative<RemezBands>(b));
        EXPECT_EQ(remezOrderEstimate(std::get<RemezBands>(b)), c.order);
    }
    RecordingSink sink;
    // One order per step from the estimate 27 until the bands are met between
    // the grid points; the finished design holds its taps and its zeros.
    Remez design;
    DesignOutcome ok;
    for (int k = 0; k < 30 && !ok.finished; ++k) {
        ok = design.step({record(1, 0.1, 0.25, 0.05, 0, 1, 40), sink});
    }
    ASSERT_TRUE(ok.layout);
    EXPECT_TRUE(ok.finished);
    EXPECT_EQ(ok.status, std::string("Design successful"));
    const int order = ok.layout->order;
    ASSERT_GE(order, 27);
    ASSERT_EQ(sink.texts.size(), static_cast<std::size_t>(order - 26));
    EXPECT_EQ(sink.texts.front(), "Trying filterorder 27 ...");
    EXPECT_EQ(ok.layout->coefficients.size(), static_cast<std::size_t>(order + 1));
    const PZPointers p = ok.layout->layout.pointers();
    EXPECT_EQ(p[3] + 1, p[4]);
    EXPECT_EQ(p[1] + (p[3] - p[2] + 1), order);
    // The zero blocks rebuild the response; the gain is the first tap.
    const std::vector<double> rebuilt = polynomialOfZeros(*ok.layout);
    ASSERT_EQ(rebuilt.size(), static_cast<std::size_t>(order + 1));
    for (std::size_t k = 0; k < rebuilt.size(); ++k) {
        EXPECT_NEAR(rebuilt[k], ok.layout->coefficients[k], 1e-9);
    }
    EXPECT_EQ(ok.layout->coefficients[0], 1.0);

    // A very narrow transition estimates far above the limit: refused, naming both.
    design.reset();
    DesignOutcome tooLong = design.step({record(1, 0.1, 0.25, 0.001, 0, 0.1, 80), sink});
    EXPECT_TRUE(tooLong.refused);
    EXPECT_FALSE(tooLong.layout);
    ASSERT_TRUE(tooLong.status);
    EXPECT_NE(tooLong.status->find("exceeds the limit of 239"), std::string::npos);
    EXPECT_NE(tooLong.status->find("order 3385 "), std::string::npos) << *tooLong.status;

    for (const Data& bad :
         {record(1, 0.1, 0.48, 0.05, 0, 1, 40), record(1, 0.1, 0.2, 0.0, 0, 1, 40),
          record(8, 0.3, 0.2, 0.02, 0, 1, 40), record(3, 0.1, 0.2, 0.02, 0, 1, 40),
          record(1, 0.1, 0.2, 0.05, 0, 0.0, 40)}) {
        DesignOutcome o = design.step({bad, sink});
        EXPECT_TRUE(o.refused && o.finished && o.status && !o.layout);
    }
}

// --- constraint-based design ----------------------------------------------

struct LpCase {
    Data data;
    bool flat = false;
    int minCount = 0;
};

std::vector<LpCase> lpCases() {
    std::vector<LpCase> cases;
    for (const std::string& line : tableLines("fir_lp_reference.txt")) {
        if (line.rfind("infeasible", 0) == 0) {
            continue;
        }
        const auto v = numbers(line);
        cases.push_back({record(static_cast<int>(v[0]), v[1], v[2], v[3], v[4], v[5], v[6]),
                         v[7] != 0.0, static_cast<int>(v[8])});
    }
    return cases;
}

/// Runs the design to its end; the statuses set through the sink and the last
/// layout published.
struct MeteorRun {
    std::vector<std::string> statuses;
    std::optional<DesignLayout> layout;
    DesignOutcome last;
    int steps = 0;
};

MeteorRun runMeteor(Meteor& design, const Data& data) {
    MeteorRun run;
    RecordingSink sink;
    for (; run.steps < 20 && !run.last.finished; ++run.steps) {
        run.last = design.step({data, sink});
        if (run.last.layout) {
            run.layout = run.last.layout;
        }
    }
    run.statuses = sink.texts;
    return run;
}

/// The amplitude of a symmetric odd-length response at w (radians).
double amplitude(const std::vector<double>& h, double w) {
    const int m = static_cast<int>(h.size() + 1) / 2;
    double a = h[m - 1];
    for (int j = 1; j < m; ++j) {
        a += 2.0 * h[m - 1 + j] * std::cos(j * w);
    }
    return a;
}

TEST(Meteor, MinimumLengthEqualsHighsMinimumOnTheSameGrid) {
    const auto cases = lpCases();
    ASSERT_GE(cases.size(), 8u);
    for (const LpCase& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.data.filtertype) + (c.flat ? " flat" : ""));
        Meteor design(c.flat);
        const MeteorRun run = runMeteor(design, c.data);
        ASSERT_TRUE(run.last.finished);
        EXPECT_EQ(run.last.status, std::string("Design successful"));
        ASSERT_FALSE(run.statuses.empty());
        EXPECT_EQ(run.statuses.front(), "Trying filterorder 127 ...");
        EXPECT_EQ(design.bisection().bestm, c.minCount);
        ASSERT_TRUE(run.layout);
        EXPECT_EQ(run.layout->order, 2 * c.minCount - 2);
        // The length two shorter was tried and found infeasible.
        EXPECT_NE(std::find(run.statuses.begin(), run.statuses.end(),
                            firtext::trying(2 * c.minCount - 3)),
                  run.statuses.end());

        // The published design meets every limit on its grid.
        const MeteorSpec spec = std::get<MeteorSpec>(meteorSpec(c.data, c.flat));
        for (const MeteorConstraint& k : spec.constraints) {
            for (int col = k.firstColumn - 1; col < k.lastColumn; ++col) {
                const double a =
                    run.layout->best[0] * amplitude(run.layout->coefficients, spec.grid[col]);
                if (k.kind == 2 && k.sense == '+') {
                    EXPECT_LE(a, k.boundLeft + 1e-6);
                } else if (k.kind == 2) {
                    EXPECT_GE(a, k.boundLeft - 1e-6);
                }
            }
        }
    }
}

/// The worst excess in dB of a level over the bands of a record, on 20,000
/// points per band, edges included (positive: a limit is exceeded).
template <class Level> double worstBandExcess(const Data& d, Level level) {
    struct Band {
        double lo, hi;
        bool pass;
    };
    std::vector<Band> bands;
    switch (d.filtertype) {
    case 1:
        bands = {{0.0, d.f_upper, true}, {d.f_upper + d.delta, 0.5, false}};
        break;
    case 2:
        bands = {{0.0, d.f_lower - d.delta, false}, {d.f_lower, 0.5, true}};
        break;
    case 4:
        bands = {{0.0, d.f_lower - d.delta, false},
                 {d.f_lower, d.f_upper, true},
                 {d.f_upper + d.delta, 0.5, false}};
        break;
    default:
        bands = {{0.0, d.f_lower, true},
                 {d.f_lower + d.delta, d.f_upper - d.delta, false},
                 {d.f_upper, 0.5, true}};
    }
    double worst = -HUGE_VAL;
    for (const Band& b : bands) {
        for (int i = 0; i <= 20000; ++i) {
            const double l = level(b.lo + (b.hi - b.lo) * i / 20000.0);
            worst = std::max(worst, b.pass ? std::max(l - d.gain, d.gain - d.pass_ripple - l)
                                           : l - (d.gain - d.stop_attn));
        }
    }
    return worst;
}

/// The level in dB of taps h[0..n] at the normalized frequency f.
double tapsLevel(const std::vector<double>& h, double f) {
    std::complex<double> sum = 0.0;
    for (std::size_t k = 0; k < h.size(); ++k) {
        sum += h[k] * std::polar(1.0, -2.0 * std::numbers::pi * f * static_cast<double>(k));
    }
    return 20.0 * std::log10(std::abs(sum));
}

// Schemes whose order estimate falls short (fir_remez_orders.txt, from
// scipy.signal.remez): the design raises its order, one step each, to the
// least one from the estimate on that meets both bands between the grid
// points, the order scipy's taps need; the order below it does not.
TEST(Remez, RaisesItsOrderToTheLeastThatMeetsTheBands) {
    const auto lines = tableLines("fir_remez_orders.txt");
    ASSERT_EQ(lines.size(), 8u);
    for (std::size_t at = 0; at < lines.size(); at += 2) {
        SCOPED_TRACE(lines[at]);
        std::istringstream head(lines[at]);
        std::string word;
        int type = 0, estimate = 0, least = 0;
        double fl, fu, delta, gain, ripple, attn;
        head >> word >> type >> fl >> fu >> delta >> gain >> ripple >> attn >> estimate >> least;
        const Data data = record(type, fl, fu, delta, gain, ripple, attn);
        const std::vector<double> scipy = numbers(lines[at + 1].substr(5));

        Remez design;
        RecordingSink sink;
        DesignOutcome o;
        for (int k = 0; k < 200 && !o.finished; ++k) {
            o = design.step({data, sink});
        }
        ASSERT_TRUE(o.layout);
        EXPECT_EQ(o.status, std::string("Design successful"));
        EXPECT_EQ(o.layout->order, least);
        ASSERT_EQ(sink.texts.size(), static_cast<std::size_t>(least - estimate + 1));
        EXPECT_EQ(sink.texts.front(), firtext::trying(estimate));

        const RemezBands bands = std::get<RemezBands>(Remez::bandsFor(data));
        const std::vector<double> taps = remezTaps(bands, data, least);
        ASSERT_EQ(taps.size(), scipy.size());
        for (std::size_t k = 0; k < taps.size(); ++k) {
            EXPECT_NEAR(taps[k], scipy[k], 1e-6);
        }
        EXPECT_LE(worstBandExcess(data, [&](double f) { return tapsLevel(taps, f); }), 1e-4);
        const std::vector<double> shorter = remezTaps(bands, data, least - 1);
        EXPECT_GT(worstBandExcess(data, [&](double f) { return tapsLevel(shorter, f); }), 1e-4);
    }
}

// A narrow transition: the filter of the least length that meets the grid
// leaves its stopband between the grid points. The design adds those
// frequencies to its program and ends at a length whose filter meets the
// bands between the grid points too, and with the points added the next
// shorter length has no solution.
TEST(Meteor, GridPointsAreAddedWhereTheBandsAreExceededBetweenThem) {
    const Data data = record(1, 0.1, 0.2, 0.02, 0.0, 1.0, 50.0);
    Meteor design(false);
    const MeteorRun run = runMeteor(design, data);
    ASSERT_TRUE(run.last.finished);
    EXPECT_EQ(run.last.status, std::string("Design successful"));
    ASSERT_TRUE(run.layout);
    EXPECT_FALSE(design.addedConstraints().empty());
    const int m = design.bisection().bestm;
    auto level = [&](double f) {
        return 20.0 * std::log10(std::abs(run.layout->best[0] *
                                          amplitude(run.layout->coefficients, 2.0 * M_PI * f)));
    };
    EXPECT_LE(worstBandExcess(data, level), 1e-4);

    // On its grid alone the program of this length has a solution that does not.
    MeteorSpec spec = std::get<MeteorSpec>(meteorSpec(data, false));
    const SimplexResult gridOnly = meteorSimplex(meteorProgram(spec, m));
    ASSERT_EQ(gridOnly.status, SimplexStatus::Optimum);
    std::vector<double> h(2 * m - 1);
    h[m - 1] = gridOnly.solution[0];
    for (int j = 1; j < m; ++j) {
        h[m - 1 - j] = h[m - 1 + j] = 0.5 * gridOnly.solution[j];
    }
    EXPECT_GT(worstBandExcess(data, [&](double f) { return tapsLevel(h, f); }), 1e-3);

    for (const MeteorConstraint& c : design.addedConstraints()) {
        appendConstraint(spec, c);
    }
    EXPECT_NE(meteorSimplex(meteorProgram(spec, m - 1)).status, SimplexStatus::Optimum);
}

TEST(Meteor, FirstStepTriesSixtyFourCoefficientsAndNarrowsTheRightBound) {
    Meteor design(false);
    RecordingSink sink;
    const DesignOutcome o = design.step({record(1, 0.1, 0.2, 0.05, 0, 1, 40), sink});
    EXPECT_EQ(sink.texts, std::vector<std::string>{"Trying filterorder 127 ..."});
    EXPECT_FALSE(o.finished);
    ASSERT_TRUE(o.layout);
    EXPECT_EQ(o.layout->order, 126);
    EXPECT_EQ(design.bisection().rightm, 64);
    EXPECT_EQ(design.bisection().leftm, 1);
}

TEST(Meteor, FlatnessAddsOneConcavityConstraintPerPassband) {
    for (int type : {1, 2, 4, 8}) {
        const Data d = record(type, 0.15, 0.35, 0.05, 0, 1, 30);
        const auto plain = std::get<MeteorSpec>(meteorSpec(d, false));
        const auto flat = std::get<MeteorSpec>(meteorSpec(d, true));
        const std::size_t passbands = type == 8 ? 2 : 1;
        ASSERT_EQ(flat.constraints.size(), plain.constraints.size() + passbands);
        for (std::size_t k = plain.constraints.size(); k < flat.constraints.size(); ++k) {
            EXPECT_EQ(flat.constraints[k].kind, 1);
            EXPECT_EQ(flat.constraints[k].sense, '-');
            // A passband: its lower limit is the ripple bound P > 0.
            const auto lower =
                std::find_if(plain.constraints.begin(), plain.constraints.end(), [&](auto& c) {
                    return c.sense == '-' && c.left == flat.constraints[k].left &&
                           c.right == flat.constraints[k].right;
                });
            ASSERT_NE(lower, plain.constraints.end());
            EXPECT_GT(lower->boundLeft, 0.0);
        }
    }
}

TEST(Meteor, SchemeNoLengthMeetsEndsWithNoFeasibleSolution) {
    const auto lines = tableLines("fir_lp_reference.txt");
    const auto v = numbers(lines.back().substr(std::string("infeasible").size()));
    Meteor design(v[7] != 0.0);
    const MeteorRun run =
        runMeteor(design, record(static_cast<int>(v[0]), v[1], v[2], v[3], v[4], v[5], v[6]));
    ASSERT_TRUE(run.last.finished);
    EXPECT_FALSE(run.layout);
    EXPECT_EQ(run.last.status, std::string("No feasible solution found"));
    EXPECT_EQ(run.statuses.back(), "Trying filterorder 255 ...");
    EXPECT_EQ(run.steps, 8); // 64 96 112 120 124 126 127 128
    EXPECT_TRUE(design.bisection().closed());
}

TEST(Meteor, LooseSchemeEndsWithTheSingleTapFilter) {
    // A stopband limit above the passband's lower limit: a constant meets it.
    Meteor design(false);
    const MeteorRun run = runMeteor(design, record(1, 0.1, 0.2, 0.05, 0, 10, 5));
    EXPECT_EQ(run.last.status, std::string("Design successful"));
    EXPECT_EQ(run.statuses.back(), "Trying filterorder 1 ...");
    ASSERT_TRUE(run.layout);
    EXPECT_EQ(run.layout->order, 0);
    EXPECT_EQ(run.layout->coefficients, std::vector<double>{1.0});
    EXPECT_GE(run.layout->best[0], std::pow(10.0, -0.5) - 1e-9);
    EXPECT_LE(run.layout->best[0], std::pow(10.0, -0.25) + 1e-9);
}

TEST(Meteor, EdgesThatCrossOrLeaveTheBandAreRefusedBeforeAnyStep) {
    for (const Data& bad :
         {record(1, 0.1, 0.47, 0.05, 0, 1, 40), record(2, 0.03, 0.3, 0.05, 0, 1, 40),
          record(4, 0.3, 0.2, 0.02, 0, 1, 40), record(8, 0.2, 0.25, 0.05, 0, 1, 40),
          record(1, 0.1, 0.2, -0.01, 0, 1, 40), record(1, 0.1, NAN, 0.05, 0, 1, 40),
          record(5, 0.1, 0.2, 0.05, 0, 1, 40)}) {
        Meteor design(false);
        RecordingSink sink;
        const DesignOutcome o = design.step({bad, sink});
        EXPECT_TRUE(o.finished && o.refused && !o.layout);
        EXPECT_TRUE(sink.texts.empty());
        ASSERT_TRUE(o.status);
        EXPECT_EQ(o.status->rfind("Invalid", 0), 0u) << *o.status;
    }
}

TEST(MeteorSimplex, PivotLimitEndsWithItsStatusAndMessage) {
    const auto spec = std::get<MeteorSpec>(meteorSpec(record(1, 0.1, 0.2, 0.05, 0, 1, 40), false));
    const LinearProgram lp = meteorProgram(spec, 20);
    const SimplexResult limited = meteorSimplex(lp, 5);
    EXPECT_EQ(limited.status, SimplexStatus::TooManyPivots);
    EXPECT_EQ(limited.pivots, 5);
    EXPECT_EQ(limited.message, "...termination: maximum number of pivots exceeded");
    EXPECT_STREQ(simplexStatusText(limited.status), "too many pivots");

    const SimplexResult full = meteorSimplex(lp);
    EXPECT_EQ(full.status, SimplexStatus::Optimum);
    EXPECT_LT(full.pivots, kMaxLpPivots);

    LinearProgram wide = lp;
    wide.columns = kMaxLpColumns + 1;
    EXPECT_EQ(meteorSimplex(wide).status, SimplexStatus::TooManyColumns);
}

} // namespace
} // namespace dovra
