#pragma once
// The optimizer: the run control of a design. It owns the search (DESearch,
// the differential evolution over the problem's parameter vector), the run's
// filter problem and the design object of the run's method (the Z-plane
// search, a classical or an FIR design). It prepares a run, steps that design
// once per pass of its design thread (run/DesignThread), applies what each
// step yields, and publishes the run figures that the views read; the
// responses and coefficients of the best filter are read from the published
// snapshot (bestFilter).
//
// It knows the hub only as a RunHost (status, progress, end of the run, the
// degrees of a design) and takes what a run needs as one RunInput at Start.
//
// Threads. start_FilterDesign, the search and the problem's evaluate and
// boundsCheck run on the design thread only. The window thread starts,
// pauses, resumes and stops the run and reads the figures through snapshot(),
// a copy taken under the figures lock. Settings copied by
// setParameters are handed over under a lock of their own and take effect at
// the design thread's next pass. optStart, initProblem, initLR and
// initDesignSuccessFlag touch state that the design thread uses, so they first
// bring the thread to rest (ready flag off, current pass finished).

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "design/FilterDesign.h"
#include "problem/DEProblem.h"
#include "problem/RunInput.h"
#include "run/DesignThread.h"
#include "run/ProgressSnapshot.h"
#include "run/RunHost.h"
#include "search/DERandom.h"
#include "search/DESearch.h"

namespace dovra {

/// The preparation of a search run from its input: the tables copied, the
/// prefilter loaded, the realization taken and, when it fits the capacities,
/// the layout computed and the grid set up. Returns why the realization does
/// not fit.
std::optional<std::string> prepareProblem(DEProblem& problem, const RunInput& in, Console& console);

/// Makes the design object of a method for the run's problem and search
/// (makeDesign unless a test puts its own).
using DesignMaker =
    std::function<std::unique_ptr<FilterDesign>(DesignMethod, DEProblem&, DESearch&)>;

class T_DEOptimizer {
  public:
    static constexpr int vector_capacity = DESearch::vector_capacity;
    static constexpr int population_capacity = DESearch::population_capacity;
    static constexpr int population_minimum = DESearch::population_minimum;
    /// Impulse-response coefficients of the FIR designs.
    static constexpr int coefficient_capacity = 400;
    static constexpr double crossover = DESearch::crossover;
    static constexpr double largest = DESearch::largest;

    /// The run's filter problem is an IIR problem.
    explicit T_DEOptimizer(RunHost& host);
    /// Ends and joins the design thread.
    ~T_DEOptimizer();
    T_DEOptimizer(const T_DEOptimizer&) = delete;
    T_DEOptimizer& operator=(const T_DEOptimizer&) = delete;

    // --- the search ----------------------------------------------------------------
    /// The random source of the search; the problem's boundsCheck draws from it.
    DERandom& random() { return search_.random(); }
    /// With the console switch on, each slice of the search prints the best vector.
    void consoleEnable() { search_.consoleEnable(); }
    void consoleDisable() { search_.consoleDisable(); }

    // --- run control ----------------------------------------------------------------
    /// The problem index becomes the current one (0 names the run's problem,
    /// any other none), then the problem's initMisc with the given settings.
    void initProblem(int problemIndex, const RunInput& in);
    /// Forgets the state of the last classical or FIR design run.
    void initLR();
    /// Creates and starts the design thread when there is none (the caller
    /// hands the settings over with setParameters first).
    void start();
    /// Ends the design thread and joins it. From the design thread itself it
    /// only tells the thread to end; a later start or stop joins it.
    void stop();
    /// True while a design thread exists and has not been told to end.
    bool hasThread() const;
    /// Ready flag on (and the design thread woken) / off, under the run lock.
    void makeReady();
    void makeNotReady();
    bool isReady() const;
    void optIdle() { makeNotReady(); }
    /// Prepares a run of the given input on the current problem and wakes the
    /// design thread. Returns false, with the reason as the status text, when
    /// the run cannot go (no problem, a realization beyond the capacities);
    /// nothing is searched then. The input's tables were checked by the hub.
    bool optStart(const RunInput& in);
    /// Wakes the design thread again; the counters and the population stay
    /// (the caller hands the settings over with setParameters first).
    void optResume();
    /// Success flag off; numerator, denominator, linear-phase and allpass
    /// counts of the hub set to 0.
    void initDesignSuccessFlag();
    /// One step of the running design: for a classical or FIR design the
    /// design input record is read off the scheme on the first step of a run;
    /// the design's outcome is then applied (status, layout, end of the run:
    /// at once for the search, on the next pass for a closed design).
    void start_FilterDesign();
    /// Where the design objects come from (makeDesign by default).
    void setDesignMaker(DesignMaker maker);
    /// Run settings, in the order the session copies them. Sizes are kept
    /// within population_minimum .. population_capacity, the refresh rate at
    /// least 1. Taken by the design thread at its next pass.
    void setParameters(int problemIndex, int NP, int NP2, double range, int refreshRate);
    /// Forgets the last run's figures and filter (the design thread rests
    /// first): the snapshot is that of a run never started, with the status
    /// given.
    void forgetRun(const std::string& status);
    /// A new refresh rate (at least 1) for the run in progress: the design
    /// thread's next pass takes it, and nothing else of the run changes.
    void setRefreshRate(int refreshRate);
    /// Threads that compute the search's costs (at least 1). The default is
    /// the number of cores; a run gives the same result on any number.
    /// Taken at the next Start.
    void setThreads(int threads);
    int threads() const;
    /// The number of cores (at least 1).
    static int defaultThreads();
    /// The seed of search k (0-based) of a portfolio from the run's seed.
    static std::int64_t portfolioSeed(std::int64_t seed, int k);
    /// Pause between two passes of the design thread (none by default).
    void setPassSleep(std::chrono::milliseconds sleep);
    std::chrono::milliseconds passSleep() const;
    /// Waits until the run rests: ready flag off and the current pass finished
    /// (at once when there is no design thread). False when the timeout passed first.
    bool waitForIdle(std::chrono::milliseconds timeout);
    void waitForIdle();

    // --- run figures ------------------------------------------------------------------
    ProgressSnapshot snapshot() const;
    /// The hub's status text, kept with the figures.
    void publishStatus(const std::string& status);

    /// Sets the run figures at once (used when a design step writes its result).
    void setResult(int generation, int evaluation, double minimum, const ParamVector& best);

    // --- the problem ---------------------------------------------------------------------
    /// The run's problem, or nullptr when the current index names none.
    DEProblem* currentProblem() const;
    int currentProblemIndex() const { return currentProblem_.load(); }
    /// Replaces the run's problem (nothing: no problem). Only while the run rests.
    void setProblem(std::unique_ptr<DEProblem> problem);

  protected:
    void publishFigures(const DEProblem* problem);
    void takeParameters();

    // Run control (design thread).
    void pass();
    /// A pass threw: the run ends with the reason as its status.
    void passFailed(const std::string& what);
    void finishClassical(const std::string& status);
    /// True when the running design is the search.
    bool searching() const;
    /// Ready flag off and the end of the run told to the hub.
    void endRun();
    /// Status, layout and end of the run that a design step yields.
    void applyOutcome(DEProblem& problem, DesignOutcome outcome);
    /// Ready flag off; waits until the design thread has finished its pass.
    void park();

    RunHost& host_;
    std::unique_ptr<DEProblem> problem_;
    std::atomic<int> currentProblem_{0};

    std::atomic<bool> stopRequested_{false};
    // --- the search, owned by the design thread -----------------------------------------
    DESearch search_;

    /// The searches of a portfolio beyond the first (the run input's
    /// portfolio: the run's own search and K - 1 more from seeds derived from
    /// the run's seed), each with its own problem; made at Start, used on the
    /// design thread only.
    std::vector<std::unique_ptr<DEProblem>> extraProblems_;
    std::vector<std::unique_ptr<DESearch>> extraSearches_;
    std::ostringstream extraConsoleText_;
    Console extraConsole_{extraConsoleText_, extraConsoleText_};
    /// Makes the portfolio's further searches for the design just made.
    void makePortfolio();

    /// What the run started with; a design step updates its degrees.
    RunInput input_;

    // --- classical and FIR design state (design thread) --------------------------------
    DesignMaker makeDesign_;
    /// The design of the running method (the search for the Z-plane method);
    /// nothing for a method not built yet. Made at Start, stepped once per pass.
    std::unique_ptr<FilterDesign> design_;
    /// The design input record has been read for this run.
    bool schemeRead_ = false;
    /// The last step finished the run: the next pass ends it.
    bool designFinished_ = false;
    /// Published with every snapshot; replaced when a run is prepared or a
    /// design yields a layout.
    std::shared_ptr<const RunFilter> runFilter_;

    // --- settings handed over for the design thread's next pass, under settingsMutex_ --
    mutable std::mutex settingsMutex_;
    SearchParameters pending_;
    bool pendingSet_ = false;
    int pendingRefresh_ = 0; // 0: no new refresh rate

    // --- published figures, under figuresMutex_ (taken inside the thread's lock) -------
    mutable std::mutex figuresMutex_;
    ProgressSnapshot published_;

    /// The design thread, last: it is ended before anything it reaches goes.
    DesignThread thread_;
};

} // namespace dovra
