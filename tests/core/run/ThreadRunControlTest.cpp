#include <gtest/gtest.h>

#include <algorithm>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/problem/ScriptedProblem.h"
#include "run/T_DEOptimizer.h"
#include "session/DesignSession.h"

using namespace dovra;
using dovra::test::ScriptedProblem;
using namespace std::chrono_literals;

namespace {

constexpr auto kPatience = 30s;

/// Counts what the design thread tells the views, and reads the figures on
/// the design thread as a view would.
class RecordingObserver : public SessionObserver {
  public:
    explicit RecordingObserver(DesignSession& s) : session_(s) {}
    void updateMonitor() override {
        ProgressSnapshot s = session_.snapshot();
        std::lock_guard lock(mutex_);
        ++updates_;
        if (!firstEvaluation_) {
            firstEvaluation_ = s.evaluation;
        }
    }
    void done() override {
        std::lock_guard lock(mutex_);
        ++done_;
        changed_.notify_all();
    }
    bool waitForDone(int n) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [&] { return done_ >= n; });
    }
    int doneCount() {
        std::lock_guard lock(mutex_);
        return done_;
    }
    int updates() {
        std::lock_guard lock(mutex_);
        return updates_;
    }
    /// Evaluation counter seen by the first monitor update since the last reset.
    std::optional<int> firstEvaluation() {
        std::lock_guard lock(mutex_);
        return firstEvaluation_;
    }
    void resetFirst() {
        std::lock_guard lock(mutex_);
        firstEvaluation_.reset();
    }

  private:
    DesignSession& session_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int updates_ = 0;
    int done_ = 0;
    std::optional<int> firstEvaluation_;
};

/// Polls the snapshot from the window side until the condition holds.
bool waitFor(DesignSession& session, const std::function<bool(const ProgressSnapshot&)>& ok) {
    auto until = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < until) {
        if (ok(session.snapshot())) {
            return true;
        }
        std::this_thread::sleep_for(1ms);
    }
    return false;
}

class ThreadRun : public ::testing::Test {
  protected:
    std::ostringstream out, err;
    std::unique_ptr<DesignSession> owner = std::make_unique<DesignSession>(out, err);
    DesignSession& session = *owner;
    RecordingObserver observer{session};
    ScriptedProblem* problem = nullptr;
    std::filesystem::path results;

    void SetUp() override {
        // A parameterised test's name holds a '/', which is no folder here.
        std::string name = "dovra-thread-test-" +
                           std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".out";
        std::replace(name.begin(), name.end(), '/', '_');
        results = std::filesystem::temp_directory_path() / name;
        session.setResultsFileName(results.string());
        // A scheme with something to meet: an empty one is refused at Start.
        for (const char* w : {"0.0", "0.5"}) {
            auto row = session.magUpper().newRecord();
            row.setOmegaAndLimit(w, "1.0");
            session.magUpper().addRecord(row);
        }
        auto p = std::make_unique<ScriptedProblem>();
        problem = p.get();
        session.optimizer().setProblem(std::move(p));
        session.optimizer().setPassSleep(0ms);
        session.addObserver(&observer);
        session.setNP(10);
        session.setNP2(20);
        session.setRefreshRate(2);
    }
    void TearDown() override {
        if (owner) {
            session.stop();
            session.removeObserver(&observer);
        }
        std::error_code ec;
        std::filesystem::remove(results, ec);
    }
    /// Completes once the best cost is at most the given value.
    void completeBelow(double goal) {
        problem->completion = [goal](double best, int&) { return best <= goal; };
    }
};

// Start to "Design successful": ready flag off, done once, the thread rests;
// a second Start runs the task again from a fresh population.
TEST_F(ThreadRun, RunsToCompletionAndAgain) {
    completeBelow(1e-8);
    session.setNP(20);
    session.optimizer().setPassSleep(10ms); // the pause the window thread gets
    session.start();
    EXPECT_TRUE(session.optimizer().hasThread());
    session.setStatus("Initializing");
    ASSERT_TRUE(session.start_Design());
    ASSERT_TRUE(observer.waitForDone(1));
    ASSERT_TRUE(session.optimizer().waitForIdle(kPatience));
    auto s = session.snapshot();
    EXPECT_EQ(s.status, "Design successful");
    EXPECT_FALSE(s.ready);
    EXPECT_LE(s.minimum, 1e-8);
    EXPECT_EQ(s.evaluation, 20 * (1 + s.generation));
    // Two monitor updates per pass; one pass builds the population, each
    // further pass runs two generations.
    EXPECT_GE(observer.updates(), 2 * (1 + s.generation / 2));

    observer.resetFirst();
    session.setStatus("Initializing");
    ASSERT_TRUE(session.start_Design());
    ASSERT_TRUE(observer.waitForDone(2));
    EXPECT_EQ(observer.firstEvaluation(), 0); // the counters were reset
    EXPECT_EQ(problem->initMiscCount.load(), 2);
    EXPECT_EQ(session.getStatus(), "Design successful");
}

// Pause keeps the population, Resume continues it, Stop ends the run and
// writes the report at once (done is not called), Start begins anew.
TEST_F(ThreadRun, PauseResumeStopStart) {
    session.start();
    ASSERT_TRUE(session.start_Design());
    ASSERT_TRUE(waitFor(session, [](const auto& s) { return s.generation >= 4; }));

    session.pause_DE();
    ASSERT_TRUE(session.optimizer().waitForIdle(kPatience));
    auto paused = session.snapshot();
    EXPECT_FALSE(paused.ready);
    EXPECT_EQ(paused.evaluation, 10 * (1 + paused.generation));
    const int evaluationsPaused = problem->evaluations.load();
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(problem->evaluations.load(), evaluationsPaused);
    EXPECT_EQ(session.snapshot().generation, paused.generation);

    session.resume_DE();
    ASSERT_TRUE(
        waitFor(session, [&](const auto& s) { return s.generation >= paused.generation + 4; }));
    EXPECT_EQ(problem->initMiscCount.load(), 1); // not prepared again

    // Stop: ready off and the report, while the thread may still be in a slice.
    // Meanwhile the window side reads the figures and the responses.
    for (int k = 0; k < 50; ++k) {
        (void)session.getBest();
        (void)session.snapshot().bestFilter().amag(0.1);
        (void)session.getMinimum();
    }
    session.stop_DE();
    EXPECT_FALSE(session.optimizer().isReady());
    ASSERT_TRUE(session.optimizer().waitForIdle(kPatience));
    EXPECT_EQ(observer.doneCount(), 0);
    const int evaluationsStopped = problem->evaluations.load();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(problem->evaluations.load(), evaluationsStopped);

    observer.resetFirst();
    ASSERT_TRUE(session.start_Design());
    ASSERT_TRUE(waitFor(session, [](const auto& s) { return s.generation >= 2; }));
    EXPECT_EQ(observer.firstEvaluation(), 0);
    EXPECT_EQ(problem->initMiscCount.load(), 2);

    // Leaving "Ready": the thread ends and is joined, mid-run.
    session.stop();
    EXPECT_FALSE(session.optimizer().hasThread());
    const int evaluationsJoined = problem->evaluations.load();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(problem->evaluations.load(), evaluationsJoined);

    // Entering "Ready" again creates a new thread; the ready flag is still on,
    // so the run goes on where it stood.
    session.start();
    EXPECT_TRUE(session.optimizer().hasThread());
    ASSERT_TRUE(waitFor(
        session, [&](const auto&) { return problem->evaluations.load() > evaluationsJoined; }));
    session.stop();
}

// A Start that comes before the thread waits, or before it even exists, is not lost.
TEST_F(ThreadRun, WakeUpBeforeTheWaitIsNotLost) {
    completeBelow(1e300); // done after the first slice
    for (int k = 0; k < 25; ++k) {
        ASSERT_TRUE(session.start_Design());
        session.start();
        ASSERT_TRUE(observer.waitForDone(2 * k + 1)) << "round " << k;
        session.stop();

        session.start();
        ASSERT_TRUE(session.start_Design());
        ASSERT_TRUE(observer.waitForDone(2 * k + 2)) << "round " << k;
        session.stop();
    }
}

// start() with a thread there adds none; stop() without one does nothing.
TEST_F(ThreadRun, StartAndStopAreIdempotent) {
    session.stop();
    EXPECT_FALSE(session.optimizer().hasThread());
    session.start();
    session.start();
    EXPECT_TRUE(session.optimizer().hasThread());
    completeBelow(1e300);
    ASSERT_TRUE(session.start_Design());
    ASSERT_TRUE(observer.waitForDone(1));
    ASSERT_TRUE(session.optimizer().waitForIdle(kPatience));
    EXPECT_EQ(observer.doneCount(), 1);
    session.stop();
    session.stop();
    EXPECT_FALSE(session.optimizer().hasThread());
}

// The session ends its design thread before its parts go.
TEST_F(ThreadRun, SessionDestroyedWhileRunning) {
    session.start();
    ASSERT_TRUE(session.start_Design());
    ASSERT_TRUE(waitFor(session, [](const auto& s) { return s.generation >= 2; }));
    session.removeObserver(&observer);
    owner.reset();
    SUCCEED();
}

// A method with no design object, the search's included: one pass makes the
// step, the next one ends the run, and nothing is searched.
struct ClassicalRun {
    DesignMethod method;
    bool schemeValid;
    const char* status;
};

class ThreadClassical : public ThreadRun, public ::testing::WithParamInterface<ClassicalRun> {};

TEST_P(ThreadClassical, EndsAfterOneStep) {
    const auto& c = GetParam();
    problem->schemeValid = c.schemeValid;
    std::vector<DesignMethod> asked;
    session.optimizer().setDesignMaker([&asked](DesignMethod m, DEProblem&, DESearch&) {
        asked.push_back(m);
        return nullptr;
    });
    session.setDesignIdentifierIdx(static_cast<int>(c.method));
    session.setNumDeg(5);
    session.start();
    session.initLR();
    session.initDesignSuccessFlag();
    session.setStatus("Initializing");
    ASSERT_TRUE(session.start_Design());
    ASSERT_TRUE(observer.waitForDone(1));
    ASSERT_TRUE(session.optimizer().waitForIdle(kPatience));
    EXPECT_EQ(session.getStatus(), c.status);
    EXPECT_EQ(session.getNumDeg(), 0);
    EXPECT_EQ(session.getDenomDeg(), 0);
    EXPECT_EQ(problem->evaluations.load(), 0);
    EXPECT_EQ(observer.doneCount(), 1);
    EXPECT_EQ(asked, std::vector<DesignMethod>{c.method});
    // The step was made once: one parse of the scheme.
    int parses = 0;
    for (const auto& call : problem->calls()) {
        parses += call == "parseToleranceScheme";
    }
    EXPECT_EQ(parses, 1);
}

INSTANTIATE_TEST_SUITE_P(
    ThreadRun, ThreadClassical,
    ::testing::Values(ClassicalRun{DesignMethod::Butterworth, false, "Invalid tolerance scheme !"},
                      ClassicalRun{DesignMethod::Butterworth, true,
                                   "Design method not available yet"},
                      ClassicalRun{DesignMethod::ZPlane, true, "Design method not available yet"}),
    [](const auto& info) {
        return std::string(info.param.method == DesignMethod::ZPlane ? "Search" : "Classical") +
               (info.param.schemeValid ? "ValidScheme" : "InvalidScheme");
    });

} // namespace
