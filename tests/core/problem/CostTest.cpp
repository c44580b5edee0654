// The cost function against closed forms and against the plain term-by-term
// evaluation, the bounds check and the completion test.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "LiteralCost.h"
#include "SchemeBuilder.h"
#include "problem/IIR.h"
#include "run/T_DEOptimizer.h"
#include "search/DERandom.h"

namespace dovra {
namespace {

using testing::Realization;
using testing::Rows;
using testing::SessionFixture;
using testing::setRows;

// The coarse grid of one segment: the first ten entries of the cosine table.
const double kCoarse[10] = {0.0,          0.0301536896, 0.1169777784, 0.25,         0.4131759112,
                            0.5868240888, 0.75,         0.8830222216, 0.9698463104, 1.0};

double dB(double magnitude) {
    return 20.0 * std::log10(magnitude);
}

struct Task : SessionFixture {
    IIR problem;
    void prepare(const Realization& r, bool withPrefilter = true) {
        testing::configure(session, r);
        testing::prepare(session, problem, withPrefilter);
    }
    CostVector cost(std::vector<double> x) {
        x.resize(kVectorCapacity, 0.0);
        return problem.evaluate(x, problem.getLength());
    }
};

// --- magnitude: a pure gain has a level known in closed form ----------------------

TEST(MagnitudeCost, PureGainAgainstConstantAndRisingLimits) {
    Task run;
    setRows(run.session.magUpper(), {{0.0, 0.0}, {0.5, 0.0}});
    setRows(run.session.magLower(), {{0.0, -10.0}, {0.5, 10.0}});
    run.prepare({});
    const CostVector c = run.cost({2.0});

    // Upper: every one of the ten samples is 6.02 dB too high. Lower: the
    // limit -10 + 20 t exceeds the level at the last three fractions.
    const double level = dB(2.0);
    double expected = 10.0 * level * level;
    for (double t : kCoarse) {
        const double e = -10.0 + 20.0 * t - level;
        if (e > 0.0) {
            expected += e * e;
        }
    }
    EXPECT_NEAR(c[0], expected, 1e-7 * expected);
    EXPECT_EQ(c[1], 0.0);
    EXPECT_NEAR(c[2], expected, 1e-7 * expected);
    EXPECT_EQ(run.err.str(), "");
}

TEST(MagnitudeCost, NegativeGainHasTheSameLevel) {
    Task run;
    setRows(run.session.magUpper(), {{0.0, -9.0}, {0.25, -9.0}, {0.5, -9.0}});
    run.prepare({});
    const double e = dB(0.5) + 9.0;
    const double expected = 2 * 10 * e * e; // two segments of ten samples
    EXPECT_NEAR(run.cost({-0.5})[0], expected, 1e-12 * expected);
}

TEST(MagnitudeCost, PrefilterLevelIsAdded) {
    Task run;
    setRows(run.session.magUpper(), {{0.0, 0.1}, {0.5, 0.1}});
    setRows(run.session.magLower(), {{0.0, -0.1}, {0.5, -0.1}});
    // Numerator (1), denominator (2): a constant factor 0.5 against a gain of 2.
    testing::setCoefficients(run.session.ffNumerator(), {1.0});
    testing::setCoefficients(run.session.ffDenominator(), {2.0});
    run.prepare({});
    EXPECT_EQ(run.cost({2.0})[2], 0.0);
    // Without the prefilter the level is 6.02 dB everywhere.
    Task bare;
    setRows(bare.session.magUpper(), {{0.0, 0.1}, {0.5, 0.1}});
    bare.prepare({}, false);
    const double e = dB(2.0) - 0.1;
    EXPECT_NEAR(bare.cost({2.0})[0], 10 * e * e, 1e-10);
}

TEST(MagnitudeCost, ShortAndOversizedTablesContributeNothing) {
    Task run;
    setRows(run.session.magUpper(), {{0.1, -50.0}}); // one row
    testing::setConstantRows(run.session.magLower(), 101, 50.0);
    run.prepare({});
    EXPECT_EQ(run.cost({1.0}), (CostVector{0.0, 0.0, 0.0}));
}

TEST(MagnitudeCost, ZeroGainViolatesALowerLimitInfinitely) {
    // A zero magnitude is minus infinity dB: nothing against an upper limit,
    // an infinite violation against a lower one.
    Task run;
    setRows(run.session.magUpper(), {{0.0, 0.0}, {0.5, 0.0}});
    run.prepare({});
    EXPECT_EQ(run.cost({0.0})[2], 0.0);
    setRows(run.session.magLower(), {{0.0, -20.0}, {0.5, -20.0}});
    run.prepare({});
    EXPECT_EQ(run.cost({0.0})[0], std::numeric_limits<double>::infinity());
}

// The level in dB is taken only where the power ratio comes near a limit;
// that screen must let through the tiniest violation and limits whose power
// ratio lies beyond the range of double.
TEST(MagnitudeCost, ScreenMissesNoViolation) {
    struct Case {
        double upper, lower, gain;
        double excess; // dB beyond a limit at each of the ten samples of one table
    };
    const double tiny = dB(1.0 + 1e-12);
    const double inf = std::numeric_limits<double>::infinity();
    // Limits of +-3100 dB have no power ratio in double: a level beyond them
    // (an infinite gain, a zero gain) is still scored.
    for (const Case& c : {Case{0.0, -1.0, 1.0 + 1e-12, tiny}, Case{1.0, 1e-12, 1.0, 1e-12},
                          Case{2999.0, -2999.0, 1e150, 1.0}, Case{2999.0, -2999.0, 1e-150, 1.0},
                          Case{3100.0, -3100.0, 1e200, inf}, Case{3100.0, -3100.0, 0.0, inf},
                          Case{3100.0, -3100.0, 1.0, 0.0}, Case{0.0, 0.0, 1.0, 0.0}}) {
        Task run;
        setRows(run.session.magUpper(), {{0.0, c.upper}, {0.5, c.upper}});
        setRows(run.session.magLower(), {{0.0, c.lower}, {0.5, c.lower}});
        run.prepare({});
        const double expected = 10.0 * c.excess * c.excess;
        const double cost = run.cost({c.gain})[0];
        if (std::isinf(expected)) {
            EXPECT_EQ(cost, expected) << "gain " << c.gain;
        } else {
            EXPECT_NEAR(cost, expected, 1e-6 * expected)
                << "gain " << c.gain << ", limits " << c.lower << " .. " << c.upper;
        }
    }
}

// --- group delay offset ---------------------------------------------------------------

// Three ways to a constant group delay of 8 samples: a pure-delay prefilter
// (0, ..., 0, 1) in front of a plain gain; a linear-phase numerator of eight
// pairs, unquantized (its delay is taken as the pair count) and with a word
// length (its delay is computed from the coefficients).
enum class DelaySource { PrefilterDelay, LinearPhase, LinearPhaseComputed };

void prepareDelay8(Task& run, DelaySource source, bool freeze) {
    if (source == DelaySource::PrefilterDelay) {
        testing::setCoefficients(run.session.ffNumerator(), {0, 0, 0, 0, 0, 0, 0, 0, 1});
        run.prepare({.freeze = freeze});
    } else {
        const int wordLength = source == DelaySource::LinearPhaseComputed ? 16 : 0;
        run.prepare({.L = 8, .wordLength = wordLength, .freeze = freeze});
    }
}

std::vector<double> delay8Vector(DelaySource source) {
    if (source == DelaySource::PrefilterDelay) {
        return {1.0};
    }
    return {1.0, 0.5, 0.5, 0.5, 0.5, 0.1, 0.15, 0.3, 0.4};
}

struct OffsetCase {
    const char* name;
    Rows upper, lower;
    bool freeze;
    double offset;
    double gdError; // per sample of the coarse grid
};

class GroupDelayOffset : public ::testing::TestWithParam<std::tuple<OffsetCase, DelaySource>> {};

TEST_P(GroupDelayOffset, ShiftsTheSchemeOrNot) {
    const auto& [c, source] = GetParam();
    Task run;
    setRows(run.session.gdUpper(), c.upper);
    setRows(run.session.gdLower(), c.lower);
    prepareDelay8(run, source, c.freeze);
    const CostVector cost = run.cost(delay8Vector(source));
    EXPECT_NEAR(run.problem.getOffset(), c.offset, 1e-9);
    EXPECT_EQ(cost[0], 0.0);
    EXPECT_NEAR(cost[1], 10 * c.gdError, 1e-9);
    EXPECT_NEAR(cost[2], 100 * c.gdError, 1e-8);
}

std::string
offsetCaseName(const ::testing::TestParamInfo<std::tuple<OffsetCase, DelaySource>>& info) {
    const char* const sources[] = {"Prefilter", "LinearPhase", "Computed"};
    return std::string(std::get<0>(info.param).name) +
           sources[static_cast<int>(std::get<1>(info.param))];
}

const Rows kUpper5{{0.0, 5.0}, {0.5, 5.0}};
const Rows kLower3{{0.0, 3.0}, {0.5, 3.0}};

INSTANTIATE_TEST_SUITE_P(
    Cases, GroupDelayOffset,
    ::testing::Combine(
        ::testing::Values(
            OffsetCase{"FrozenLimitsAreAbsolute", kUpper5, kLower3, true, 0.0, 9.0},
            OffsetCase{"UnfrozenLimitsMoveUp", kUpper5, kLower3, false, 3.0, 0.0},
            OffsetCase{
                "InsideLimitsDoNotMove", {{0, 10}, {0.5, 10}}, {{0, 6}, {0.5, 6}}, false, 0.0, 0.0},
            OffsetCase{"UnfrozenLimitsMoveDown",
                       {{0, 20}, {0.5, 20}},
                       {{0, 10}, {0.5, 10}},
                       false,
                       -2.0,
                       0.0},
            OffsetCase{"TieMovesUp", {{0, 7}, {0.5, 7}}, {{0, 9}, {0.5, 9}}, false, 1.0, 4.0},
            OffsetCase{"OnlyLowerTableIsAbsolute", {}, {{0, 9}, {0.5, 9}}, false, 0.0, 1.0},
            OffsetCase{"SingleUpperRowIsIgnored", {{0.2, 1}}, {{0, 9}, {0.5, 9}}, false, 0.0, 1.0}),
        ::testing::Values(DelaySource::PrefilterDelay, DelaySource::LinearPhase,
                          DelaySource::LinearPhaseComputed)),
    offsetCaseName);

// --- radius penalty -------------------------------------------------------------------------

// One real pole: at w = 0 the level is -20 log10 |1 - r|.
struct PenaltyCase {
    const char* name;
    double radius;
    CostVector expected;
};
class RadiusPenalty : public ::testing::TestWithParam<PenaltyCase> {};

TEST_P(RadiusPenalty, OfOneRealPole) {
    const PenaltyCase& c = GetParam();
    Task run;
    setRows(run.session.magUpper(), {{0.0, 0.0}, {0.0, 0.0}});
    run.prepare({.M = 1});
    const CostVector cost = run.cost({1.0, c.radius});
    for (int i = 0; i < 3; ++i) {
        const double e = c.expected[static_cast<std::size_t>(i)];
        EXPECT_NEAR(cost[static_cast<std::size_t>(i)], e, 1e-12 * std::fabs(e)) << i;
    }
}

const double kLevel15 = dB(2.0); // |1 / (1 - 1.5)| = 2
const double kMag15 = 10 * kLevel15 * kLevel15;

INSTANTIATE_TEST_SUITE_P(
    Cases, RadiusPenalty,
    ::testing::Values(
        // (1 + 4 * 1.5) cost + 400 * 1.5 on every entry.
        PenaltyCase{"Outside", 1.5, {7 * kMag15 + 600, 600, 7 * kMag15 + 600}},
        // 1 / (1 + 1.5) stays below the limit: only the constant part.
        PenaltyCase{"OutsideNegative", -1.5, {600, 600, 600}},
        // On the circle the denominator is floored: 1e12, 240 dB, no penalty.
        PenaltyCase{"OnTheCircle", 1.0, {10 * 240.0 * 240.0, 0, 10 * 240.0 * 240.0}},
        PenaltyCase{"Inside", 0.5, {10 * dB(2.0) * dB(2.0), 0, 10 * dB(2.0) * dB(2.0)}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RadiusPenaltyCompounding, OverPoleAndAllpassRadii) {
    Task run;
    run.prepare({.M = 1, .A = 1});
    // Layout: gain, pole radius, allpass radius.
    const CostVector c = run.cost({1.0, 1.5, -1.2});
    const double afterPole = 600.0;
    const double expected = (1 + 4.8) * afterPole + 480.0;
    for (double v : c) {
        EXPECT_NEAR(v, expected, 1e-12 * expected);
    }
}

// With no poles and no allpass pairs their collapsed ranges name the gain or
// a zero angle; those are no radii and are neither penalised nor clamped.
struct EmptyBlockCase {
    const char* name;
    Realization r;
    std::vector<double> x;
};
class EmptyPoleBlock : public ::testing::TestWithParam<EmptyBlockCase> {};

TEST_P(EmptyPoleBlock, IsSkipped) {
    const EmptyBlockCase& c = GetParam();
    Task run;
    run.session.setPoleRadiusRestr(0.9);
    run.prepare(c.r);
    EXPECT_EQ(run.cost(c.x), (CostVector{0, 0, 0}));

    std::vector<double> trial = c.x;
    trial.resize(kVectorCapacity, 0.0);
    std::vector<double> out(kVectorCapacity, -7.0);
    run.problem.boundsCheck(run.session.optimizer().random(), trial, trial, kVectorCapacity, out);
    EXPECT_EQ(out, trial);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EmptyPoleBlock,
    ::testing::Values(EmptyBlockCase{"GainOnly", {}, {3.0}},
                      // pr collapses onto the zero angle 1.5.
                      EmptyBlockCase{"OntoZeroAngle", {.N = 2}, {1.0, 0.5, 1.5}},
                      // zar collapses onto the pole angle 1.5.
                      EmptyBlockCase{"AllpassOntoPoleAngle", {.M = 2}, {1.0, 0.5, 1.5}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- bounds check ---------------------------------------------------------------------------

struct Bounds : Task {
    DERandom draws{12345};
    std::vector<double> out = std::vector<double>(kVectorCapacity, -7.0);
    void setUp(const Realization& r, double poleR, double lo, double hi) {
        session.setPoleRadiusRestr(poleR);
        session.setZeroRadiusRestrLow(lo);
        session.setZeroRadiusRestrHigh(hi);
        prepare(r);
        session.optimizer().random().setMySeed(12345);
    }
    void check(std::vector<double> reference, std::vector<double> trial) {
        reference.resize(kVectorCapacity, 0.0);
        trial.resize(kVectorCapacity, 0.0);
        problem.boundsCheck(session.optimizer().random(), reference, trial, kVectorCapacity, out);
    }
    double toward(double ref, double bound) { return ref + draws.nextDouble() * (bound - ref); }
};

TEST(BoundsCheck, PoleRadiiBeyondTheRestriction) {
    Bounds b;
    b.setUp({.M = 1, .A = 1}, 0.9, 0.0, 99.0);
    b.check({1.0, 0.5, -0.2}, {5.0, 1.5, -0.95});
    EXPECT_EQ(b.out[0], 5.0); // the gain is not restricted
    EXPECT_DOUBLE_EQ(b.out[1], b.toward(0.5, 0.9));
    EXPECT_DOUBLE_EQ(b.out[2], b.toward(-0.2, -0.9));
    EXPECT_GE(b.out[1], 0.5);
    EXPECT_LT(b.out[1], 0.9);
}

TEST(BoundsCheck, PolesFirstThenZeros) {
    Bounds b;
    // Layout N = 1, M = 1: gain, zero radius, pole radius.
    b.setUp({.N = 1, .M = 1}, 0.9, 0.1, 2.0);
    b.check({1.0, 1.0, 0.5}, {1.0, 5.0, 1.5});
    const double pole = b.toward(0.5, 0.9);
    const double zero = b.toward(1.0, 2.0);
    EXPECT_DOUBLE_EQ(b.out[2], pole);
    EXPECT_DOUBLE_EQ(b.out[1], zero);
}

struct ZeroCase {
    const char* name;
    double reference, trial;
    double bound; // the bound it is moved toward; NaN when it stays
};
class ZeroRadius : public ::testing::TestWithParam<ZeroCase> {};

TEST_P(ZeroRadius, IsBroughtInsideItsRestriction) {
    const ZeroCase& c = GetParam();
    Bounds b;
    b.setUp({.N = 1}, 1.0, 0.1, 2.0);
    b.check({1.0, c.reference}, {1.0, c.trial});
    if (std::isnan(c.bound)) {
        EXPECT_EQ(b.out[1], c.trial);
    } else {
        EXPECT_DOUBLE_EQ(b.out[1], b.toward(c.reference, c.bound));
    }
}

const double kStays = std::numeric_limits<double>::quiet_NaN();
INSTANTIATE_TEST_SUITE_P(Cases, ZeroRadius,
                         ::testing::Values(ZeroCase{"TooSmallPositive", 0.5, 0.05, 0.1},
                                           ZeroCase{"TooSmallNegativeTowardReferenceSide", 0.5,
                                                    -0.05, 0.1},
                                           ZeroCase{"TooSmallNegativeReference", -0.5, -0.05, -0.1},
                                           ZeroCase{"ExactlyZeroStays", 0.5, 0.0, kStays},
                                           ZeroCase{"TooLarge", 1.0, 5.0, 2.0},
                                           ZeroCase{"TooLargeNegative", -1.0, -5.0, -2.0},
                                           ZeroCase{"InsideStays", 0.5, -1.5, kStays}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BoundsCheck, EmptyZeroBlockLeavesTheGainAlone) {
    Bounds b;
    b.setUp({.M = 1}, 1.0, 0.5, 2.0);
    b.check({1.0, 0.5}, {0.01, 0.3});
    EXPECT_EQ(b.out[0], 0.01);
    EXPECT_EQ(b.out[1], 0.3);
}

TEST(BoundsCheck, EntriesBeyondTheDimensionAreZero) {
    Bounds b;
    b.setUp({.N = 2}, 1.0, 0.0, 99.0);
    std::vector<double> trial(kVectorCapacity, 4.0);
    b.check(trial, trial);
    for (std::size_t i = 0; i < kVectorCapacity; ++i) {
        EXPECT_EQ(b.out[i], i < 3 ? 4.0 : 0.0) << i;
    }
}

// --- completion -------------------------------------------------------------------------------

struct Step {
    int phaseBefore;
    double cost;
    bool done;
    int phaseAfter;
};
struct CompletionCase {
    const char* name;
    int wordLength;
    std::vector<Step> steps;
};
class Completion : public ::testing::TestWithParam<CompletionCase> {};

TEST_P(Completion, FollowsThePhases) {
    const CompletionCase& c = GetParam();
    Task run;
    run.prepare({.wordLength = c.wordLength});
    EXPECT_EQ(run.problem.getPhase(), 0);
    for (const Step& s : c.steps) {
        run.problem.setPhase(s.phaseBefore);
        run.problem.bestCost = s.cost;
        EXPECT_EQ(run.problem.completed(), s.done) << s.phaseBefore << " " << s.cost;
        EXPECT_EQ(run.problem.getPhase(), s.phaseAfter) << s.phaseBefore << " " << s.cost;
    }
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();
INSTANTIATE_TEST_SUITE_P(
    Cases, Completion,
    ::testing::Values(
        CompletionCase{"Quantized",
                       8,
                       {{0, 5e-7, false, 1},
                        {1, 0.0, false, 1},
                        {2, 0.0, true, 0},
                        {0, 2e-6, false, 0},
                        {2, 1e-11, false, 2},
                        {2, 1e-12, true, 0}}},
        CompletionCase{
            "Unquantized",
            0,
            {{0, 5e-7, false, 0}, {0, 2e-12, false, 0}, {0, 1e-12, true, 0}, {0, 0.0, true, 0}}},
        // A best cost that is not a number never reports success.
        CompletionCase{"NotANumber", 0, {{0, kNaN, false, 0}, {2, kNaN, false, 2}}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- the fast evaluation against the term-by-term one -----------------------------------------

TEST(LiteralReference, AgreesWithTheProblemsResponses) {
    // The reference's sums against the problem's own response operations.
    std::mt19937_64 gen(99);
    std::uniform_real_distribution<double> coeff(-1.0, 1.0), freq(0.0, 0.5);
    Task run;
    run.prepare({.N = 3});
    const literal::DelayRules rules{0, -1, 3, 0, 0, 0};
    for (int trial = 0; trial < 50; ++trial) {
        const int na = trial % 9;
        const int nb = (trial / 3) % 7;
        std::vector<double> a(10), b(10);
        for (auto& v : a) {
            v = coeff(gen);
        }
        for (auto& v : b) {
            v = coeff(gen);
        }
        b[0] = 1.0;
        const double w = freq(gen);
        const double m = literal::amag_ab(a.data(), b.data(), na, nb, w);
        EXPECT_NEAR(run.problem.amag_ab(a, b, na, nb, w), m, 1e-12 * m);
        const double g = literal::gdel_ab(a.data(), b.data(), na, nb, w, rules);
        EXPECT_NEAR(run.problem.gdel_ab(a, b, na, nb, w), g, 1e-9 * (1 + std::fabs(g)));
    }
}

struct RandomTask {
    Realization r;
    bool prefilter;
    int phase;
    std::vector<double> x;
};

// How close the roots of a random vector may come to the unit circle. Well:
// every root keeps a distance, so the polynomials are evaluated without
// heavy cancellation. Restricted: the poles stay within the radius 0.95 a
// task's pole restriction typically sets, the zeros anywhere up to 1.5.
// Near: roots may lie close to the circle, where any double evaluation loses
// digits.
enum class Roots { Well, Restricted, Near };

RandomTask randomTask(Task& run, std::mt19937_64& gen, int degree, Roots roots) {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    auto between = [&](double lo, double hi) { return lo + (hi - lo) * u(gen); };
    auto coin = [&] { return u(gen) < 0.5; };
    RandomTask t;
    t.r.N = degree;
    t.r.M = static_cast<int>(between(0, degree + 1));
    t.r.L = static_cast<int>(between(0, 4));
    t.r.A = static_cast<int>(between(0, 4));
    t.r.wordLength = coin() ? 0 : 12;
    t.r.structure = coin() ? 1 : 0;
    t.r.freeze = coin();
    t.r.granularity = "fine";
    t.prefilter = coin();
    t.phase = t.r.wordLength > 0 && coin() ? 2 : 0;

    auto rows = [&](double lo, double hi) {
        Rows r;
        const int n = 2 + static_cast<int>(between(0, 5));
        double w = 0.0;
        for (int i = 0; i < n; ++i) {
            r.emplace_back(w, between(lo, hi));
            w = std::min(0.5, w + between(0.0, 0.25));
        }
        return r;
    };
    setRows(run.session.magUpper(), rows(-30.0, 10.0));
    setRows(run.session.magLower(), rows(-80.0, -5.0));
    const bool gd = coin();
    setRows(run.session.gdUpper(), gd ? rows(5.0, 30.0) : Rows{});
    setRows(run.session.gdLower(), gd ? rows(0.0, 10.0) : Rows{});
    if (t.prefilter) {
        testing::setCoefficients(run.session.ffNumerator(),
                                 {between(0.5, 2), between(-1, 1), between(-1, 1)});
        testing::setCoefficients(run.session.ffDenominator(), {between(1, 2), between(-0.5, 0.5)});
    }

    auto radius = [&](double lo, double hi) { return (coin() ? 1 : -1) * between(lo, hi); };
    t.x.push_back(between(0.1, 2.0));
    auto block = [&](int n, double lo, double hi, double outside) {
        for (int i = 0; i < n / 2 + n % 2; ++i) {
            t.x.push_back(u(gen) < outside ? radius(1.05, 1.5) : radius(lo, hi));
        }
        for (int i = 0; i < n / 2; ++i) {
            t.x.push_back(between(0.0, 0.5));
        }
    };
    if (roots == Roots::Well) {
        block(t.r.N, 0.3, 0.9, 0.0);
        block(t.r.M, 0.0, 0.9, 0.05);
        block(t.r.L, 0.4, 0.85, 0.0);
        block(t.r.A, 0.1, 0.9, 0.05);
    } else if (roots == Roots::Restricted) {
        block(t.r.N, 0.0, 1.5, 0.0);
        block(t.r.M, 0.0, 0.95, 0.0);
        block(t.r.L, 0.0, 1.5, 0.0);
        block(t.r.A, 0.0, 0.95, 0.0);
    } else {
        block(t.r.N, 0.1, 1.5, 0.0);
        block(t.r.M, 0.0, 0.99, 0.05);
        block(t.r.L, 0.3, 1.5, 0.0);
        block(t.r.A, 0.1, 0.99, 0.05);
    }
    return t;
}

bool agrees(double fast, double reference) {
    if (std::isnan(reference) || std::isnan(fast)) {
        return std::isnan(reference) && std::isnan(fast);
    }
    if (std::isinf(reference)) {
        return fast == reference;
    }
    return std::fabs(fast - reference) <= 1e-9 * std::fabs(reference) + 1e-20;
}

struct Evaluated {
    RandomTask task;
    CostVector fast;
    double fastOffset;
    literal::Result plain, accurate;
};

Evaluated evaluateBothWays(std::mt19937_64& gen, int degree, Roots roots) {
    Task run;
    Evaluated e;
    RandomTask& t = e.task;
    t = randomTask(run, gen, degree, roots);
    run.prepare(t.r, t.prefilter);
    run.problem.setPhase(t.phase);
    e.fast = run.cost(t.x);
    e.fastOffset = run.problem.getOffset();
    t.x.resize(kVectorCapacity, 0.0);
    // The coefficients of the vector are kept, up to the numerator's degree.
    const Coefficients a =
        run.problem.coeffi_a(t.x, t.phase < 1 ? -1 : run.session.getQuant(), t.r.structure);
    const auto terms = static_cast<std::size_t>(run.problem.get_a_degree()) + 1;
    EXPECT_TRUE(std::equal(a.begin(), a.begin() + terms, run.problem.numerator().begin()));
    const literal::Scheme scheme = literal::readScheme(run.session);
    e.plain = literal::evaluate(run.problem, scheme, t.x, t.phase);
    e.accurate = literal::evaluate<long double>(run.problem, scheme, t.x, t.phase);
    return e;
}

std::string describe(const RandomTask& t) {
    return "N " + std::to_string(t.r.N) + ", M " + std::to_string(t.r.M) + ", L " +
           std::to_string(t.r.L) + ", A " + std::to_string(t.r.A) + ", word length " +
           std::to_string(t.r.wordLength) + ", structure " + std::to_string(t.r.structure) +
           ", phase " + std::to_string(t.phase) + (t.prefilter ? ", prefilter" : "");
}

double relativeError(double value, double truth) {
    if (value == truth) {
        return 0.0;
    }
    return std::fabs(value - truth) / std::max(std::fabs(truth), 1e-300);
}

class FastAgainstLiteral : public ::testing::TestWithParam<int> {};

// The fast form against the term-by-term sums, and both against the same sums
// in extended precision. Where the double sums are accurate (within 1e-10 of
// the extended value) the two forms agree to 1e-9. Where even they lose
// digits (high degrees, where the polynomial is small against its
// coefficients) neither double form can promise that; the fast one must then
// be about as close to the extended value as the term-by-term one.
TEST_P(FastAgainstLiteral, AgreesOnWellConditionedVectors) {
    std::mt19937_64 gen(static_cast<std::uint64_t>(1000 + GetParam()));
    int accurate = 0;
    int entries = 0;
    for (int repeat = 0; repeat < 10; ++repeat) {
        const Evaluated e = evaluateBothWays(gen, GetParam(), Roots::Well);
        for (std::size_t i = 0; i < 3; ++i) {
            const double truth = e.accurate.cost[i];
            const double plainError = relativeError(e.plain.cost[i], truth);
            ++entries;
            if (!std::isfinite(truth) || plainError <= 1e-10) {
                ++accurate;
                EXPECT_TRUE(agrees(e.fast[i], e.plain.cost[i]))
                    << "entry " << i << ": " << e.fast[i] << " against " << e.plain.cost[i] << " ("
                    << describe(e.task) << ")";
            } else {
                EXPECT_LE(relativeError(e.fast[i], truth), 1e-9 + 4.0 * plainError)
                    << "entry " << i << ": fast " << e.fast[i] << ", plain " << e.plain.cost[i]
                    << ", extended " << truth << " (" << describe(e.task) << ")";
            }
        }
        EXPECT_NEAR(e.fastOffset, e.plain.offset, 1e-9 * (1.0 + std::fabs(e.plain.offset)));
    }
    // The comparison must not dwindle to the looser case.
    EXPECT_GE(accurate, entries * 9 / 10);
}

// With roots close to the unit circle every double evaluation loses digits.
// Taken over a set of vectors the Horner form then stays about as close to
// the extended value as the term-by-term sums (in most sets it is closer).

TEST_P(FastAgainstLiteral, IsAsAccurateNearTheUnitCircle) {
    std::mt19937_64 gen(static_cast<std::uint64_t>(5000 + GetParam()));
    double fastError = 0.0;
    double plainError = 0.0;
    for (int repeat = 0; repeat < 10; ++repeat) {
        const Evaluated e = evaluateBothWays(gen, GetParam(), Roots::Near);
        for (std::size_t i = 0; i < 3; ++i) {
            const double truth = e.accurate.cost[i];
            if (!std::isfinite(truth)) {
                EXPECT_TRUE(agrees(e.fast[i], truth)) << describe(e.task);
                continue;
            }
            fastError += relativeError(e.fast[i], truth);
            plainError += relativeError(e.plain.cost[i], truth);
        }
    }
    EXPECT_LE(fastError, 2.0 * plainError + 1e-12);
}

// Poles within a radius restriction, zeros anywhere: at high degrees the
// double term-by-term sums drift far from the exact value of the same
// coefficients. Above degree 16 the fast form carries the group delay in
// extended precision: on average within 1e-9 of the exact sums, or much
// closer to them than the double sums are.
class FastAgainstLiteralHighDegree : public ::testing::TestWithParam<int> {};

TEST_P(FastAgainstLiteralHighDegree, IsCloserToTheExactSums) {
    std::mt19937_64 gen(static_cast<std::uint64_t>(9000 + GetParam()));
    double fastError = 0.0;
    double plainError = 0.0;
    int entries = 0;
    for (int repeat = 0; repeat < 10; ++repeat) {
        const Evaluated e = evaluateBothWays(gen, GetParam(), Roots::Restricted);
        for (std::size_t i = 0; i < 3; ++i) {
            const double truth = e.accurate.cost[i];
            if (!std::isfinite(truth)) {
                EXPECT_TRUE(agrees(e.fast[i], truth)) << describe(e.task);
                continue;
            }
            fastError += relativeError(e.fast[i], truth);
            plainError += relativeError(e.plain.cost[i], truth);
            ++entries;
        }
    }
    EXPECT_TRUE(fastError <= 1e-9 * entries || fastError <= 0.25 * plainError)
        << "fast " << fastError << " against plain " << plainError;
}

INSTANTIATE_TEST_SUITE_P(Degrees, FastAgainstLiteral, ::testing::Range(2, 41));
INSTANTIATE_TEST_SUITE_P(Degrees, FastAgainstLiteralHighDegree, ::testing::Range(17, 41));

} // namespace
} // namespace dovra
