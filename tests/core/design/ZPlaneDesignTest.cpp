// The Z-plane design through the design interface: one slice of the search per
// step. The views see each slice's figures before its cost is judged
// (dovra-batch's generation limit stops a run there); the step whose best
// vector meets the scheme ends the run with "Design successful" and keeps the
// search's figures, where a closed design's run has none.

#include <gtest/gtest.h>

#include <memory>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "core/problem/ScriptedProblem.h"
#include "design/DesignFactory.h"
#include "design/ZPlaneDesign.h"
#include "search/DESearch.h"

using namespace dovra;
using dovra::test::ScriptedProblem;

namespace {

/// What the step tells its sink: each progress with the generation the search
/// had reached and how often the completion had been asked by then.
class ProgressLog : public StatusSink {
  public:
    ProgressLog(const DESearch& search, const int& judged) : search_(search), judged_(judged) {}
    void setStatus(const std::string& text) override { statuses.push_back(text); }
    void progress() override { seen.push_back({search_.generation(), judged_}); }
    struct Seen {
        int generation;
        int judged;
    };
    std::vector<Seen> seen;
    std::vector<std::string> statuses;

  private:
    const DESearch& search_;
    const int& judged_;
};

TEST(ZPlaneDesign, OneSlicePerStepShownBeforeItIsJudged) {
    std::ostringstream out, err;
    Console console(out, err);
    DESearch search(console);
    search.random().setMySeed(3);
    search.setSizes(10, 20, 2.0, 2);
    search.ensureCapacity(5);
    ScriptedProblem problem;
    int judged = 0;
    problem.completion = [&judged](double best, int&) {
        ++judged;
        return best <= 1e-6;
    };
    ProgressLog log(search, judged);
    auto design = makeDesign(DesignMethod::ZPlane, problem, search);
    ASSERT_TRUE(design);
    EXPECT_TRUE(design->isSearch());

    DesignOutcome o;
    int steps = 0;
    while (!o.finished && steps < 5000) {
        o = design->step({problem.data(), log});
        ++steps;
        ASSERT_EQ(static_cast<int>(log.seen.size()), steps);
        // Shown first, judged after: the completion of this slice is not yet asked.
        EXPECT_EQ(log.seen.back().judged, steps - 1);
        EXPECT_EQ(log.seen.back().generation, 2 * (steps - 1));
        EXPECT_DOUBLE_EQ(problem.bestCost, search.minimum());
    }
    ASSERT_TRUE(o.finished);
    EXPECT_EQ(o.status, "Design successful");
    EXPECT_FALSE(o.refused);
    EXPECT_FALSE(o.layout); // the search's own best vector is the result
    EXPECT_LE(search.minimum(), 1e-6);
    EXPECT_GT(search.generation(), 0);
    EXPECT_TRUE(log.statuses.empty());
}

// A portfolio: every search advances one slice per step; the views show the
// search of least cost until one succeeds, and of several that succeed in the
// same step the lowest-numbered wins, whatever their costs.
TEST(ZPlaneDesign, PortfolioShowsTheLeaderAndTheLowestNumberedWinner) {
    std::ostringstream out, err;
    Console console(out, err);
    std::vector<std::unique_ptr<DESearch>> searches;
    std::vector<std::unique_ptr<ScriptedProblem>> problems;
    // Search k is scored as the sphere plus 100 (3 - k): search 2 leads on cost.
    // Searches 1 and 2 succeed in the third step, search 0 never.
    int step = 0;
    for (int k = 0; k < 3; ++k) {
        searches.push_back(std::make_unique<DESearch>(console));
        searches.back()->random().setMySeed(11 + k);
        searches.back()->setSizes(10, 20, 2.0, 1);
        searches.back()->ensureCapacity(5);
        problems.push_back(std::make_unique<ScriptedProblem>());
        problems.back()->cost = [k](std::span<const double> x, int phase) {
            CostVector c = ScriptedProblem::sphere(x, phase);
            for (double& v : c) {
                v += 100.0 * (3 - k);
            }
            return c;
        };
        problems.back()->completion = [k, &step](double, int&) { return k > 0 && step == 3; };
    }
    ZPlaneDesign design(*problems[0], *searches[0]);
    for (int k = 1; k < 3; ++k) {
        design.addSearch(*problems[static_cast<std::size_t>(k)],
                         *searches[static_cast<std::size_t>(k)]);
    }
    EXPECT_EQ(design.searches(), 3);
    int judged = 0;
    ProgressLog log(*searches[0], judged);
    for (step = 1; step <= 2; ++step) {
        const DesignOutcome o = design.step({problems[0]->data(), log});
        EXPECT_FALSE(o.finished);
        EXPECT_EQ(design.shown(), 2) << "step " << step;
        for (const auto& s : searches) {
            EXPECT_EQ(s->generation(), step - 1); // the first slice builds the population
        }
    }
    const DesignOutcome o = design.step({problems[0]->data(), log});
    EXPECT_TRUE(o.finished);
    EXPECT_EQ(o.status, "Design successful");
    EXPECT_EQ(design.shown(), 1);
    EXPECT_EQ(&design.shownSearch(), searches[1].get());
    EXPECT_EQ(design.evaluations(),
              searches[0]->evaluation() + searches[1]->evaluation() + searches[2]->evaluation());
}

} // namespace
