#pragma once
// The differential-evolution search over the parameter vector of a filter
// problem: the population (two halves, parents and offspring), the generation
// step with its mutation, bounds correction and selection, the switch to the
// quantized phase that re-costs and grows the population, and the best vector
// with its figures. It runs on the design thread only and knows nothing of the
// run control: the sizes are handed to it between slices, and a stop flag
// ends a slice early.
//
// Threads. Every step builds its trial vectors in member order on the design
// thread (all random draws and the bounds check), has their costs computed,
// on a pool of worker threads when there is enough to gain, and then selects
// in member order. The costs do not depend on the thread that computes them,
// so a run gives the same result on any number of threads.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "problem/DEProblem.h"
#include "problem/Types.h"
#include "search/DERandom.h"
#include "search/EvaluationPool.h"
#include "text/Console.h"

namespace dovra {

class DESearch {
  public:
    /// Entries of a parameter vector; also the length handed to boundsCheck.
    static constexpr int vector_capacity = kVectorCapacity;
    /// Largest population (the optimization control page admits up to 1000).
    static constexpr int population_capacity = 1000;
    /// Smallest population a generation can work with: a member and five
    /// distinct partners.
    static constexpr int population_minimum = 6;
    static constexpr double crossover = 0.95;
    static constexpr double largest = 1.7976931348623157e308;

    /// Console lines of the debug switch go to console; a slice of
    /// generations ends early once *stop is set (no flag: never).
    explicit DESearch(Console& console, const std::atomic<bool>* stop = nullptr);

    /// One slice of the search on the given problem: the first call after a
    /// restart builds and costs the initial population, every later call runs
    /// refresh-rate generations. Hands the best vector to the problem
    /// (getBest) and returns the best cost.
    double optimize(DEProblem& problem);
    /// Population sizes of the two phases, range of the free entries and
    /// generations per slice, taken as given (the run control keeps them
    /// within their limits).
    void setSizes(int NP, int NP2, double range, int refreshRate);
    /// Generations per slice from the next slice on.
    void setRefreshRate(int refreshRate) { refreshRate_ = refreshRate; }
    /// Threads that compute costs (at least 1: the design thread alone).
    /// The pool is made at the next restart of a population and kept.
    void setThreads(int threads) { threads_ = threads < 1 ? 1 : threads; }
    int threads() const { return threads_; }
    /// Computes costs on the pool of owner (made now if it has none), with
    /// owner's thread count: the searches of a portfolio run one after the
    /// other and share one set of workers.
    void sharePool(DESearch& owner);
    /// Counters to 0 and the best cost to the largest value: the next slice
    /// builds a new population.
    void restart();
    /// Sizes the population and cost rows for the run (allocates only when
    /// they are too small).
    void ensureCapacity(int D);
    /// The problem's scheme gained samples: every member and the best vector
    /// are costed again (uncounted, as the phase switch's re-costing), and the
    /// member of least cost becomes the best (the best vector on a tie).
    void rescore(DEProblem& problem);
    /// Sets the figures at once (a design step's result, or a test's).
    void setFigures(int generation, int evaluation, double minimum);
    void setBest(const ParamVector& best) { best_ = best; }

    /// The random source of the search; the problem's boundsCheck draws from it.
    DERandom& random() { return random_; }
    /// With the console switch on, optimize prints the best vector after each call.
    void consoleEnable() { consoleOn_ = true; }
    void consoleDisable() { consoleOn_ = false; }

    int generation() const { return generation_; }
    int evaluation() const { return evaluation_; }
    double minimum() const { return minimum_; }
    const ParamVector& best() const { return best_; }
    /// The problem's group-delay offset when the best vector was found.
    double offset() const { return offsetAtBest_; }
    int populationSize() const { return NP_; }

  private:
    void initialPopulation(DEProblem& problem);
    void generationStep(DEProblem& problem);
    void phaseSwitch(DEProblem& problem);
    /// Five distinct random population indices, all different from excluded.
    void pickPartners(int excluded);
    double* row(int r) { return population_.data() + static_cast<std::size_t>(r) * stride_; }
    double* trialRow(int r) { return trialBase_ + static_cast<std::size_t>(r) * trialStride_; }
    /// Costing of trial rows [0, count) into results_[0, count): begun before
    /// the rows are built, each row handed over as it is ready
    /// (trialReady), all done after finishTrials. On the pool when the batch
    /// is large enough to gain from it; else in finishTrials on this thread.
    void beginTrials(DEProblem& problem, int count);
    void trialReady(int row) {
        if (pooled_) {
            pool_->publish(row + 1);
        }
    }
    void finishTrials() {
        computeTrials();
        endTrials();
    }
    /// Computes what is left of the batch on this thread; others may still
    /// be computing theirs (result waits for each).
    void computeTrials();
    /// The evaluation of row i of the batch, once it is done.
    const DEProblem::Evaluation& result(int i) {
        Result& r = slots_[static_cast<std::size_t>(i)];
        if (pooled_) {
            const std::atomic_ref<std::uint64_t> batch(r.batch);
            while (batch.load(std::memory_order_acquire) != job_.batch) {
                EvaluationPool::relax();
            }
        }
        return r.e;
    }
    /// Ends the batch: every row is done.
    void endTrials();
    /// Costs all count rows, built beforehand.
    void evaluateTrials(DEProblem& problem, int count) {
        beginTrials(problem, count);
        finishTrials();
    }
    /// A trial's evaluation, on a cache line of its own.
    struct alignas(64) Result {
        DEProblem::Evaluation e;
        /// The batch e belongs to, stored after e (release).
        std::uint64_t batch = 0;
    };
    /// The cost of one trial row with the scratch of one worker. It holds
    /// copies of what it reads, on a cache line of its own: the design thread
    /// writes the search's other members (its random source above all) while
    /// the workers compute.
    struct alignas(64) TrialJob {
        const DEProblem* problem = nullptr;
        const double* rows = nullptr;
        std::size_t stride = 0;
        std::size_t length = 0;
        DEProblem::Scratch* scratch = nullptr;
        Result* results = nullptr;
        std::uint64_t batch = 0;
        void operator()(int worker, int item) const;
    };
    /// The pool (and the workers' scratch) for the current thread count.
    void preparePool();

    Console& console_;
    const std::atomic<bool>* stop_;
    DERandom random_;
    bool consoleOn_ = false;
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
    std::array<int, 5> picked_{};
    /// Two halves of rowsPerHalf_ rows each, stride_ entries per row.
    std::vector<double> population_;
    std::vector<CostVector> costs_;
    /// Trial vectors of one step (rowsPerHalf_ rows) and their evaluations.
    /// Trial rows start on cache lines of their own (trialBase_ is the first
    /// 64-byte boundary in trials_), and each result has its line: the
    /// design thread writes the next row while a worker reads the last one.
    std::vector<double> trials_;
    double* trialBase_ = nullptr;
    std::size_t trialStride_ = 8;
    std::vector<Result> slots_;
    int threads_ = 1;
    std::shared_ptr<EvaluationPool> pool_;
    TrialJob job_;
    int batchCount_ = 0;
    bool pooled_ = false;
    std::vector<DEProblem::Scratch> workerScratch_;
    int rowsPerHalf_ = 0;
    std::size_t stride_ = 1;
    int parentBase_ = 0;
    int offspringBase_ = 0;
    /// Members with a valid row and cost.
    int members_ = 0;
};

} // namespace dovra
