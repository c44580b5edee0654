#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>
#include <vector>

#include "core/problem/ScriptedProblem.h"
#include "search/DESearch.h"
#include "text/NumberText.h"

using namespace dovra;
using dovra::test::ScriptedProblem;

namespace {

class DEOptimizerTest : public ::testing::Test {
  protected:
    std::ostringstream out, err;
    Console console{out, err};
    DESearch search{console};
    ScriptedProblem problem;

    void SetUp() override { search.random().setMySeed(20240101); }
    void sizes(int NP, int NP2, int refresh) { search.setSizes(NP, NP2, 2.0, refresh); }
};

TEST_F(DEOptimizerTest, FirstCallOnlyBuildsThePopulation) {
    sizes(30, 60, 3);
    problem.record = true;
    double best = search.optimize(problem);

    EXPECT_EQ(search.evaluation(), 30);
    EXPECT_EQ(search.generation(), 0);
    ASSERT_EQ(problem.evaluations.load(), 30);
    EXPECT_TRUE(problem.trials.empty()); // no trial vector yet

    // The best is the member of smallest cost, and the problem was handed it.
    double smallest = std::numeric_limits<double>::infinity();
    for (const auto& x : problem.evaluated) {
        smallest = std::min(smallest, ScriptedProblem::sphere(x, 0)[2]);
    }
    EXPECT_EQ(best, smallest);
    EXPECT_EQ(search.minimum(), smallest);
    ParamVector b = search.best();
    EXPECT_EQ(ScriptedProblem::sphere(std::span<const double>(b).first(5), 0)[2], smallest);
    EXPECT_TRUE(std::equal(b.begin(), b.end(), problem.bestVector().begin()));
    EXPECT_TRUE(std::all_of(b.begin() + 5, b.end(), [](double v) { return v == 0.0; }));

    // Later calls run refresh-rate generations of NP trials each.
    search.optimize(problem);
    EXPECT_EQ(search.generation(), 3);
    EXPECT_EQ(search.evaluation(), 30 + 3 * 30);
    EXPECT_LE(search.minimum(), smallest);
}

// Where each entry of the initial vectors is drawn from.
enum class Draw { ZeroRadius, ZeroFallback, PoleRadius, Free };

struct InitialLayout {
    const char* name;
    int D;
    int zr[3], pr[3], zar[3]; // first, last, count
    std::vector<Draw> expected;
};

class InitialDraws : public ::testing::TestWithParam<InitialLayout> {};

// Restrictions: zero radii 0.3 .. 5 (so 0.3 .. 2.3), pole radii 0.1, range 2.
TEST_P(InitialDraws, EachEntryComesFromItsInterval) {
    const auto& layout = GetParam();
    std::ostringstream out, err;
    Console console(out, err);
    DESearch search(console);
    search.random().setMySeed(5);
    search.setSizes(400, 400, 2.0, 1);
    ScriptedProblem problem;
    problem.setDimension(layout.D);
    problem.setZeroRadii(layout.zr[0], layout.zr[1], layout.zr[2]);
    problem.setPoleRadii(layout.pr[0], layout.pr[1], layout.pr[2]);
    problem.setAllpassRadii(layout.zar[0], layout.zar[1], layout.zar[2]);
    problem.setRadiusRestrictions(0.3, 5.0, 0.1);
    problem.record = true;
    search.optimize(problem);
    ASSERT_EQ(problem.evaluated.size(), 400u);

    for (int j = 0; j < layout.D; ++j) {
        double smallest = 1e300, largest = 0.0;
        int negative = 0;
        for (const auto& x : problem.evaluated) {
            double a = std::fabs(x[static_cast<std::size_t>(j)]);
            smallest = std::min(smallest, a);
            largest = std::max(largest, a);
            negative += x[static_cast<std::size_t>(j)] < 0.0;
        }
        SCOPED_TRACE("entry " + std::to_string(j));
        EXPECT_GT(negative, 100);
        EXPECT_LT(negative, 300);
        switch (layout.expected[static_cast<std::size_t>(j)]) {
        case Draw::ZeroRadius: // |x| in [0.3, 2.3)
            EXPECT_GE(smallest, 0.3);
            EXPECT_LT(largest, 2.3);
            EXPECT_GT(largest, 2.2);
            break;
        case Draw::ZeroFallback: // |x| in [0, 1)
            EXPECT_LT(smallest, 0.1);
            EXPECT_LE(largest, 1.0);
            EXPECT_GT(largest, 0.95);
            break;
        case Draw::PoleRadius: // (-0.1, 0.1]
            EXPECT_LE(largest, 0.1);
            EXPECT_GT(largest, 0.09);
            break;
        case Draw::Free: // (-2, 2]
            EXPECT_LE(largest, 2.0);
            EXPECT_GT(largest, 1.9);
            break;
        }
    }
}

using D = Draw;
INSTANTIATE_TEST_SUITE_P(
    DEOptimizer, InitialDraws,
    ::testing::Values(
        // N = 3, M = 3, A = 2: zr [1,2] za [3,3] pr [4,5] pa [6,6] zar [7,7] zaa [8,8].
        InitialLayout{"AllBlocks",
                      9,
                      {1, 2, 2},
                      {4, 5, 2},
                      {7, 7, 1},
                      {D::Free, D::ZeroRadius, D::ZeroRadius, D::Free, D::PoleRadius, D::PoleRadius,
                       D::Free, D::PoleRadius, D::Free}},
        // N = 0: the zero-radius range [0, 0] names the gain, drawn from [-1, 1].
        InitialLayout{"NoZeros",
                      4,
                      {0, 0, 0},
                      {1, 2, 2},
                      {3, 3, 1},
                      {D::ZeroFallback, D::PoleRadius, D::PoleRadius, D::PoleRadius}},
        // N = 4, M = 0, A = 0: pr and zar collapse onto the last zero angle [4, 4],
        // which is drawn as an angle.
        InitialLayout{"EmptyPoleAndAllpassBlocks",
                      5,
                      {1, 2, 2},
                      {4, 4, 0},
                      {4, 4, 0},
                      {D::Free, D::ZeroRadius, D::ZeroRadius, D::Free, D::Free}},
        // N = 0, M = 0, A = 1: pr collapses onto the gain, zar is [1, 1].
        InitialLayout{
            "OnlyAllpass", 2, {0, 0, 0}, {0, 0, 0}, {1, 1, 1}, {D::ZeroFallback, D::PoleRadius}}),
    [](const auto& info) { return std::string(info.param.name); });

// Selection: a trial that costs as much as its parent (or less) replaces it; a
// dearer one, or one whose cost is not a number, leaves the parent in place.
// Seen from outside: the entries a trial of the second generation keeps from
// its parent (crossover) equal the first generation's trial or the initial
// member.
enum class TrialCost { Equal, Lower, Higher, NotANumber };

class Selection : public ::testing::TestWithParam<TrialCost> {};

TEST_P(Selection, KeptEntriesComeFromTheWinner) {
    std::ostringstream out, err;
    Console console(out, err);
    DESearch search(console);
    search.random().setMySeed(3);
    const int NP = 10, D = 60;
    search.setSizes(NP, NP, 2.0, 1);
    ScriptedProblem problem;
    problem.setDimension(D);
    problem.setZeroRadii(1, 10, 10);
    problem.setPoleRadii(21, 30, 10);
    problem.setAllpassRadii(41, 45, 5);
    problem.record = true;
    int calls = 0;
    const TrialCost mode = GetParam();
    problem.cost = [&calls, mode, NP](std::span<const double>, int) -> CostVector {
        double c = 1.0;
        ++calls;
        if (calls > NP) {
            switch (mode) {
            case TrialCost::Equal:
                c = 1.0;
                break;
            case TrialCost::Lower:
                c = 1.0 / calls;
                break;
            case TrialCost::Higher:
                c = calls;
                break;
            case TrialCost::NotANumber:
                c = std::nan("");
                break;
            }
        }
        return {c, 0.0, c};
    };
    search.optimize(problem); // initial population
    search.optimize(problem); // generation 1
    search.optimize(problem); // generation 2
    ASSERT_EQ(problem.trials.size(), static_cast<std::size_t>(2 * NP));

    int fromTrial = 0, fromInitial = 0;
    for (int i = 0; i < NP; ++i) {
        const auto& initial = problem.evaluated[static_cast<std::size_t>(i)];
        const auto& t1 = problem.trials[static_cast<std::size_t>(i)];
        const auto& t2 = problem.trials[static_cast<std::size_t>(NP + i)];
        for (int j = 0; j < D; ++j) {
            auto k = static_cast<std::size_t>(j);
            if (t1[k] == initial[k]) {
                continue; // kept in generation 1 as well: tells nothing
            }
            fromTrial += t2[k] == t1[k];
            fromInitial += t2[k] == initial[k];
        }
    }
    const bool trialWins = mode == TrialCost::Equal || mode == TrialCost::Lower;
    if (trialWins) {
        EXPECT_GT(fromTrial, 5);
        EXPECT_EQ(fromInitial, 0);
    } else {
        EXPECT_EQ(fromTrial, 0);
        EXPECT_GT(fromInitial, 5);
    }
    // The best cost moves only for a strictly lower cost.
    if (mode == TrialCost::Lower) {
        EXPECT_LT(search.minimum(), 1.0);
    } else {
        EXPECT_EQ(search.minimum(), 1.0);
    }
}

std::string trialCostName(const ::testing::TestParamInfo<TrialCost>& info) {
    switch (info.param) {
    case TrialCost::Equal:
        return "Equal";
    case TrialCost::Lower:
        return "Lower";
    case TrialCost::Higher:
        return "Higher";
    case TrialCost::NotANumber:
        break;
    }
    return "NotANumber";
}

INSTANTIATE_TEST_SUITE_P(DEOptimizer, Selection,
                         ::testing::Values(TrialCost::Equal, TrialCost::Lower, TrialCost::Higher,
                                           TrialCost::NotANumber),
                         trialCostName);

// The generation in which the problem reports phase 1: the trials are counted,
// the re-costing of the parents and of the best vector and the new members are
// not; the population grows to NP2 and the problem goes to phase 2.
struct PhaseSwitchCase {
    int NP, NP2;
};

class PhaseSwitch : public ::testing::TestWithParam<PhaseSwitchCase> {};

TEST_P(PhaseSwitch, CountsGrowthAndRecosting) {
    const auto [NP, NP2] = GetParam();
    std::ostringstream out, err;
    Console console(out, err);
    DESearch search(console);
    search.random().setMySeed(11);
    search.setSizes(NP, NP2, 2.0, 1);
    ScriptedProblem problem;
    // The quantized phases cost 100 more, so the re-costing is visible.
    problem.cost = [](std::span<const double> x, int phase) {
        CostVector c = ScriptedProblem::sphere(x, phase);
        if (phase > 0) {
            c[2] += 100.0;
        }
        return c;
    };
    search.optimize(problem);
    search.optimize(problem);
    ASSERT_EQ(problem.evaluations.load(), 2 * NP);
    problem.setPhase(1);
    search.optimize(problem);

    const int grown = std::max(NP, NP2);
    EXPECT_EQ(search.evaluation(), 3 * NP);
    EXPECT_EQ(problem.evaluations.load(), 3 * NP + NP + 1 + (grown - NP));
    EXPECT_EQ(search.populationSize(), grown);
    EXPECT_EQ(problem.getPhase(), 2);
    EXPECT_EQ(problem.getPhase(), 2);
    EXPECT_EQ(search.generation(), 2);
    // The best cost is the quantized cost of the best vector.
    ParamVector b = search.best();
    EXPECT_EQ(search.minimum(), problem.cost(std::span<const double>(b).first(5), 2)[2]);
    EXPECT_GE(search.minimum(), 100.0);

    // Afterwards every generation makes one trial per member of the grown population.
    search.optimize(problem);
    EXPECT_EQ(search.evaluation(), 3 * NP + grown);
    EXPECT_EQ(problem.evaluations.load(), 3 * NP + NP + 1 + (grown - NP) + grown);
    EXPECT_EQ(problem.getPhase(), 2);
}

INSTANTIATE_TEST_SUITE_P(DEOptimizer, PhaseSwitch,
                         ::testing::Values(PhaseSwitchCase{30, 60}, PhaseSwitchCase{60, 30},
                                           PhaseSwitchCase{400, 1000}, PhaseSwitchCase{1000, 1000}),
                         [](const auto& info) {
                             return "NP" + std::to_string(info.param.NP) + "_NP2_" +
                                    std::to_string(info.param.NP2);
                         });

// The search finds the minimum of a sphere, before and after the population grows.
TEST_F(DEOptimizerTest, SphereConvergesInBothPhases) {
    sizes(30, 60, 10);
    problem.setDimension(8);
    problem.setZeroRadii(1, 3, 3);
    problem.setPoleRadii(4, 5, 2);
    problem.setAllpassRadii(6, 6, 1);
    problem.cost = [](std::span<const double> x, int phase) {
        CostVector c = ScriptedProblem::sphere(x, phase);
        if (phase > 0) {
            c[2] += 1.0;
        }
        return c;
    };
    int calls = 0;
    while (search.optimize(problem) > 1e-14 && calls < 200) {
        ++calls;
    }
    EXPECT_LE(search.minimum(), 1e-14);
    problem.setPhase(1);
    search.optimize(problem);
    EXPECT_EQ(search.populationSize(), 60);
    calls = 0;
    while (search.optimize(problem) > 1.0 + 1e-12 && calls < 200) {
        ++calls;
    }
    EXPECT_LE(search.minimum(), 1.0 + 1e-12);
    ParamVector b = search.best();
    const double target[] = {0.5, -0.3, 0.2, 0.7, -0.4, 0.1, -0.6, 0.9};
    for (int j = 0; j < 8; ++j) {
        EXPECT_NEAR(b[static_cast<std::size_t>(j)], target[j], 1e-5) << "entry " << j;
    }
}

// The same seed gives the same run; the search has no other source of chance.
TEST_F(DEOptimizerTest, SameSeedSameRun) {
    sizes(20, 40, 4);
    DESearch other(console);
    other.setSizes(20, 40, 2.0, 4);
    other.random().setMySeed(20240101);
    ScriptedProblem second;
    for (int k = 0; k < 5; ++k) {
        if (k == 3) {
            problem.setPhase(1);
            second.setPhase(1);
        }
        EXPECT_EQ(search.optimize(problem), other.optimize(second));
    }
    EXPECT_EQ(search.best(), other.best());
    EXPECT_EQ(search.evaluation(), other.evaluation());
}

// A first member whose cost is not a number does not block the best cost.
TEST_F(DEOptimizerTest, BestCostIsANumberWhenTheFirstMemberIsNot) {
    sizes(10, 10, 1);
    int calls = 0;
    problem.cost = [&calls](std::span<const double> x, int phase) {
        return ++calls == 1 ? CostVector{0.0, 0.0, std::nan("")}
                            : ScriptedProblem::sphere(x, phase);
    };
    search.optimize(problem);
    EXPECT_FALSE(std::isnan(search.minimum()));
    ParamVector b = search.best();
    EXPECT_EQ(search.minimum(), ScriptedProblem::sphere(std::span<const double>(b).first(5), 0)[2]);
}

// A population size taken again on a resume (the panel's NP after a growth)
// continues with that many members; a larger one is kept to the members there are.
TEST_F(DEOptimizerTest, ResumedPopulationSizeStaysWithinTheMembers) {
    sizes(30, 60, 1);
    search.optimize(problem);
    problem.setPhase(1);
    search.optimize(problem);
    ASSERT_EQ(search.populationSize(), 60);
    int before = search.evaluation();
    sizes(30, 60, 1);
    search.optimize(problem);
    EXPECT_EQ(search.evaluation(), before + 30);
    sizes(1000, 1000, 1);
    search.optimize(problem);
    EXPECT_EQ(search.evaluation(), before + 30 + 60);
}

// The console switch prints the best vector after each call.
TEST_F(DEOptimizerTest, ConsoleSwitchPrintsTheBestVector) {
    sizes(10, 10, 1);
    problem.setDimension(2);
    problem.setZeroRadii(1, 1, 1);
    problem.setPoleRadii(1, 1, 0);
    problem.setAllpassRadii(1, 1, 0);
    search.optimize(problem);
    const std::string before = out.str();
    search.consoleEnable();
    search.optimize(problem);
    ParamVector b = search.best();
    std::string expected = before + "best[0] = " + text::formatDouble(b[0]) +
                           "\nbest[1] = " + text::formatDouble(b[1]) + "\n \n";
    EXPECT_EQ(out.str(), expected);
    search.consoleDisable();
    search.optimize(problem);
    EXPECT_EQ(out.str(), expected);
}

} // namespace
