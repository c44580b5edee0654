#pragma once
// The optimizer: the differential-evolution search over the parameter vector
// of the current filter problem, the design thread that steps the search or a
// classical design, and the run figures that the views read. It owns the
// filter problems (created by class name); the responses and coefficients of
// the best filter are read from the published snapshot (bestFilter).
//
// It knows the hub only as a RunHost (status, progress, end of the run, the
// degrees of a design) and takes what a run needs as one RunInput at Start.
//
// Threads. optimize, start_FilterDesign and the problem's evaluate and
// boundsCheck run on the design thread only. The window thread starts, pauses,
// resumes and stops the run and reads the figures through snapshot() and the
// getters, which take a copy under the figures lock. Settings copied by
// setParameters are handed over under the run lock and take effect at the
// design thread's next pass. optStart, initProblem, initLR and
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
#include <string>
#include <thread>
#include <vector>

#include "de/DERandom.h"
#include "de/ProgressSnapshot.h"
#include "de/RunHost.h"
#include "design/FilterDesign.h"
#include "problem/DEProblem.h"
#include "problem/RunInput.h"

namespace dovra {

/// Creates a filter problem from its class name ("Dovra.problem.IIR");
/// nothing for an unknown name.
std::unique_ptr<DEProblem> createProblem(const std::string& className);

/// The preparation of a search run from its input: the tables copied, the
/// prefilter loaded, the realization taken and, when it fits the capacities,
/// the layout computed and the grid set up. Returns why the realization does
/// not fit.
std::optional<std::string> prepareProblem(DEProblem& problem, const RunInput& in, Console& console);

/// Makes the design object of a method (makeDesign unless a test puts its own).
using DesignMaker = std::function<std::unique_ptr<FilterDesign>(DesignMethod)>;

class T_DEOptimizer {
  public:
    /// Entries of a parameter vector; also the length handed to boundsCheck.
    static constexpr int vector_capacity = kVectorCapacity;
    /// Largest population (the optimization control page admits up to 1000).
    static constexpr int population_capacity = 1000;
    /// Smallest population a generation can work with: a member and five
    /// distinct partners.
    static constexpr int population_minimum = 6;
    /// Impulse-response coefficients of the FIR designs.
    static constexpr int coefficient_capacity = 400;
    static constexpr double crossover = 0.95;
    static constexpr double largest = 1.7976931348623157e308;

    /// The problems are created by class name, one slot per identifier.
    explicit T_DEOptimizer(RunHost& host,
                           const std::vector<std::string>& problemIdentifiers = {"IIR"});
    /// Ends and joins the design thread.
    ~T_DEOptimizer();
    T_DEOptimizer(const T_DEOptimizer&) = delete;
    T_DEOptimizer& operator=(const T_DEOptimizer&) = delete;

    // --- the search ----------------------------------------------------------------
    /// One slice of the search on the given problem: the first call after a
    /// start builds and costs the initial population, every later call runs
    /// refresh-rate generations. Hands the best vector to the problem
    /// (getBest) and returns the best cost.
    double optimize(DEProblem& problem);
    /// The random source of the search; the problem's boundsCheck draws from it.
    DERandom& random() { return random_; }
    /// With the console switch on, optimize prints the best vector after each call.
    void consoleEnable() { console_ = true; }
    void consoleDisable() { console_ = false; }

    // --- run control ----------------------------------------------------------------
    /// The given problem slot becomes the current one, then its initMisc
    /// with the given settings.
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
    /// One step of a classical or FIR design: the design input record is read
    /// off the scheme on the first step of a run; the design's outcome is then
    /// applied (status, layout, end of the run on the next pass).
    void start_FilterDesign();
    /// Where the design objects come from (makeDesign by default).
    void setDesignMaker(DesignMaker maker);
    /// Run settings, in the order the session copies them. Sizes are kept
    /// within population_minimum .. population_capacity, the refresh rate at
    /// least 1. Taken by the design thread at its next pass.
    void setParameters(int problemIndex, int NP, int NP2, double range, int refreshRate);
    /// Pause between two passes of the design thread (10 ms; a batch run sets 0).
    void setPassSleep(std::chrono::milliseconds sleep);
    std::chrono::milliseconds passSleep() const;
    /// Waits until the run rests: ready flag off and the current pass finished
    /// (at once when there is no design thread). False when the timeout passed first.
    bool waitForIdle(std::chrono::milliseconds timeout);
    void waitForIdle();

    // --- run figures ------------------------------------------------------------------
    ProgressSnapshot snapshot() const;
    int getGeneration() const;
    int getEvaluation() const;
    double getMinimum() const;
    /// A copy of the best vector, taken whole.
    ParamVector getBest() const;
    double getOffset() const;
    int getPhase() const;
    /// The hub's status text, kept with the figures.
    void publishStatus(const std::string& status);

    /// Sets the run figures at once (used when a design step writes its result).
    void setResult(int generation, int evaluation, double minimum, const ParamVector& best);

    // --- problems ----------------------------------------------------------------------
    /// The current problem, or nullptr when its slot is empty.
    DEProblem* currentProblem() const;
    int currentProblemIndex() const { return currentProblem_.load(); }
    /// Puts a problem into a slot (the slot list grows when needed). Only while
    /// the run rests.
    void setProblem(int index, std::unique_ptr<DEProblem> problem);

  protected:
    struct RunParameters {
        int problemIndex = 0;
        int NP = 30;
        int NP2 = 60;
        double range = 2.0;
        int refreshRate = 10;
    };

    // Search steps (design thread).
    void initialPopulation(DEProblem& problem);
    void generationStep(DEProblem& problem);
    void phaseSwitch(DEProblem& problem);
    /// Five distinct random population indices, all different from excluded.
    void pickPartners(int excluded);
    /// Sizes the population and cost rows for the run (allocates only when
    /// they are too small).
    void ensureCapacity(int D);
    double* row(int r) { return population_.data() + static_cast<std::size_t>(r) * stride_; }
    void publishFigures(const DEProblem* problem);
    void takeParameters();

    // Run control (design thread).
    void run();
    void pass();
    void finishClassical(const std::string& status);
    /// Status, layout and end of the run that a design step yields.
    void applyOutcome(DEProblem& problem, DesignOutcome outcome);
    /// Ready flag off; waits until the design thread has finished its pass.
    void park();

    /// Status, console line and monitor of a run that cannot go.
    bool refuse(const std::string& why);

    RunHost& host_;
    std::vector<std::unique_ptr<DEProblem>> problems_;
    std::atomic<int> currentProblem_{0};

    // --- search state, owned by the design thread ------------------------------------
    DERandom random_;
    bool console_ = false;
    int NP_ = 30;
    int NP2_ = 60;
    double range_ = 2.0;
    int refreshRate_ = 10;
    int D_ = 0;
    int generation_ = 0;
    int evaluation_ = 0;
    double minimum_ = largest;
    double offsetAtBest_ = 0.0;
    int bestIndex_ = 0;
    ParamVector best_{};
    ParamVector previousBest_{};
    ParamVector trial_{};
    ParamVector checked_{};
    ParamVector scratch_{};
    std::array<int, 5> picked_{};
    /// Two halves of rowsPerHalf_ rows each, stride_ entries per row.
    std::vector<double> population_;
    std::vector<CostVector> costs_;
    int rowsPerHalf_ = 0;
    std::size_t stride_ = 1;
    int parentBase_ = 0;
    int offspringBase_ = 0;
    /// Members with a valid row and cost.
    int members_ = 0;

    /// What the run started with; a design step updates its degrees.
    RunInput input_;

    // --- classical and FIR design state (design thread) --------------------------------
    DesignMaker makeDesign_;
    DesignMethod method_ = DesignMethod::ZPlane;
    /// The design of the running method; nothing for the search or a method
    /// not built yet. Made at Start, stepped once per pass.
    std::unique_ptr<FilterDesign> design_;
    /// The design input record has been read for this run.
    bool schemeRead_ = false;
    /// The last step finished the run: the next pass ends it.
    bool designFinished_ = false;
    /// Published with every snapshot; replaced when a run is prepared or a
    /// design yields a layout.
    std::shared_ptr<const RunFilter> runFilter_;

    // --- run control, under runMutex_ -------------------------------------------------
    mutable std::mutex runMutex_;
    std::condition_variable wakeCv_; // the design thread waits here for ready or quit
    std::condition_variable idleCv_; // callers wait here for the run to rest
    std::thread thread_;
    std::thread::id designThreadId_;
    bool ready_ = false;
    bool busy_ = false;
    bool quit_ = false;
    std::atomic<bool> stopRequested_{false};
    std::chrono::milliseconds passSleep_{10};
    RunParameters pending_;
    bool pendingSet_ = false;

    // --- published figures, under figuresMutex_ (never taken before runMutex_) --------
    mutable std::mutex figuresMutex_;
    ProgressSnapshot published_;
};

} // namespace dovra
