// The run control steps a classical or FIR design once per pass on the design
// thread and applies what each step yields: the status, the layout (hub
// degrees, the problem's layout, the snapshot) and the end of the run on the
// next pass. The design here is scripted; the problem is the real one.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>

#include "run/T_DEOptimizer.h"
#include "session/ConfigFile.h"
#include "session/DesignSession.h"

using namespace dovra;
using namespace std::chrono_literals;

namespace {

class DoneObserver : public SessionObserver {
  public:
    void done() override {
        std::lock_guard lock(mutex_);
        ++done_;
        cv_.notify_all();
    }
    bool waitForDone() {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, 30s, [&] { return done_ > 0; });
    }
    int count() {
        std::lock_guard lock(mutex_);
        return done_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable cv_;
    int done_ = 0;
};

/// Yields the scripted outcomes one per step; counts the steps.
class ScriptedDesign : public FilterDesign {
  public:
    explicit ScriptedDesign(std::deque<DesignOutcome> script) : script_(std::move(script)) {}
    DesignMethod method() const override { return DesignMethod::Butterworth; }
    DesignOutcome step(const DesignContext& context) override {
        const Data& data = context.data;
        StatusSink& status = context.status;
        ++steps;
        seenFilterType = data.filtertype;
        if (script_.empty()) {
            return {};
        }
        DesignOutcome o = script_.front();
        script_.pop_front();
        if (o.status && o.status->starts_with("Trying")) {
            status.setStatus(*o.status);
            o.status.reset();
        }
        return o;
    }
    int steps = 0;
    int seenFilterType = 0;

  private:
    std::deque<DesignOutcome> script_;
};

DesignLayout secondOrderLayout() {
    DesignLayout l;
    l.best[0] = 0.25; // gain
    l.best[1] = 0.5;  // zero radius
    l.best[2] = 0.25; // zero angle
    l.best[3] = 0.75; // pole radius
    l.best[4] = 0.125;
    l.layout = Layout::of(2, 2, 0, 0);
    l.order = 2;
    return l;
}

class ThreadDesignOutcome : public ::testing::Test {
  protected:
    std::ostringstream out, err;
    DesignSession session{out, err};
    DoneObserver observer;
    ScriptedDesign* design = nullptr;
    std::filesystem::path results = std::filesystem::temp_directory_path() /
                                    ("dovra-outcome-" + std::to_string(::getpid()) + ".out");

    void run(std::deque<DesignOutcome> script) {
        ASSERT_TRUE(openDatabase(session, std::string(DOVRA_SOURCE_DIR) + "/examples/lowpass.cfg"));
        session.setResultsFileName(results.string());
        session.setDesignIdentifierIdx(static_cast<int>(DesignMethod::Butterworth));
        session.optimizer().setPassSleep(0ms);
        session.optimizer().setDesignMaker([this, script](DesignMethod m, DEProblem&, DESearch&) {
            EXPECT_EQ(m, DesignMethod::Butterworth);
            auto d = std::make_unique<ScriptedDesign>(script);
            design = d.get();
            return d;
        });
        session.addObserver(&observer);
        session.initProblem();
        session.start();
        session.initLR();
        session.initDesignSuccessFlag();
        session.setStatus("Initializing");
        ASSERT_TRUE(session.start_Design());
        ASSERT_TRUE(observer.waitForDone());
        ASSERT_TRUE(session.optimizer().waitForIdle(30s));
    }
    void TearDown() override {
        session.stop();
        session.removeObserver(&observer);
        std::filesystem::remove(results);
    }
};

TEST_F(ThreadDesignOutcome, LayoutIsAppliedAndPublishedAndTheRunEndsOnTheNextPass) {
    DesignOutcome trying;
    trying.status = "Trying filterorder 2";
    DesignOutcome designed;
    designed.status = "Design successful";
    designed.layout = secondOrderLayout();
    designed.finished = true;
    run({trying, designed});

    EXPECT_EQ(design->steps, 2);
    EXPECT_EQ(design->seenFilterType, 1); // the lowpass scheme read as a lowpass
    EXPECT_EQ(observer.count(), 1);
    // The scripted second-order filter does not meet the lowpass bands: the
    // design's "Design successful" does not stand after the check.
    EXPECT_EQ(session.getStatus(), "Bands not met between the samples");
    EXPECT_NE(session.betweenSamplesLine().find("bands not met"), std::string::npos);
    EXPECT_EQ(session.getNumDeg(), 2);
    EXPECT_EQ(session.getDenomDeg(), 2);

    const ProgressSnapshot s = session.snapshot();
    EXPECT_FALSE(s.ready);
    EXPECT_FALSE(s.refused);
    EXPECT_EQ(s.best[3], 0.75);
    EXPECT_EQ(s.layout.N, 2);
    EXPECT_EQ(s.layout.M, 2);
    EXPECT_EQ(s.aDegree, 2);
    EXPECT_EQ(s.bDegree, 2);

    // The results file reports the published layout.
    std::ifstream in(results);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("pr(0)=0.75\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("b(3)=0.5625;"), std::string::npos) << text; // r^2 of the pole pair
}

TEST_F(ThreadDesignOutcome, RefusalEndsTheRunWithItsStatusAndIsFlagged) {
    DesignOutcome refused;
    refused.status = "Stopband attenuation must be larger than the passband ripple";
    refused.refused = true;
    refused.finished = true;
    run({refused});
    EXPECT_EQ(design->steps, 1);
    EXPECT_EQ(session.getStatus(), *refused.status);
    EXPECT_TRUE(session.snapshot().refused);
    EXPECT_EQ(observer.count(), 1);
}

} // namespace
