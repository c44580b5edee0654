// The Z-plane design through the design interface: one slice of the search per
// step. The views see each slice's figures before its cost is judged
// (dovra-batch's generation limit stops a run there); the step whose best
// vector meets the scheme ends the run with "Design successful" and keeps the
// search's figures, where a closed design's run has none.

#include <gtest/gtest.h>

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

} // namespace
