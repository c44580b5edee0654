#include "search/DESearch.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "problem/DEProblem.h"
#include "text/NumberText.h"

namespace dovra {

namespace {

/// A total cost c that takes the place of the best cost b. Strictly smaller
/// only, so a cost that is not a number never becomes the best; a best cost
/// that is not a number gives way to any number.
bool improves(double c, double b) {
    return c < b || (std::isnan(b) && !std::isnan(c));
}

/// A trial of total cost c that replaces its parent of total cost p: ties go to
/// the trial; a trial that is not a number never wins, and a parent that is
/// not a number loses to any number.
bool replaces(double c, double p) {
    return c <= p || (std::isnan(p) && !std::isnan(c));
}

} // namespace
DESearch::DESearch(Console& console, const std::atomic<bool>* stop)
    : console_(console), stop_(stop) {}

void DESearch::setSizes(int NP, int NP2, double range, int refreshRate) {
    NP_ = NP;
    NP2_ = NP2;
    range_ = range;
    refreshRate_ = refreshRate;
}

void DESearch::restart() {
    generation_ = 0;
    evaluation_ = 0;
    minimum_ = largest;
}

void DESearch::setFigures(int generation, int evaluation, double minimum) {
    generation_ = generation;
    evaluation_ = evaluation;
    minimum_ = minimum;
}

void DESearch::ensureCapacity(int D) {
    rowsPerHalf_ = std::max(NP_, NP2_);
    stride_ = static_cast<std::size_t>(std::max(D, 1));
    std::size_t need = 2 * static_cast<std::size_t>(rowsPerHalf_) * stride_;
    if (population_.size() < need) {
        population_.resize(need, 0.0);
    }
    if (costs_.size() < static_cast<std::size_t>(rowsPerHalf_)) {
        costs_.resize(static_cast<std::size_t>(rowsPerHalf_), CostVector{});
    }
    // One more trial row and result than members: the rescoring costs the
    // best vector with the population.
    const std::size_t rows = static_cast<std::size_t>(rowsPerHalf_) + 1;
    trialStride_ = (stride_ + 7) / 8 * 8;
    if (trials_.size() < rows * trialStride_ + 8) {
        trials_.resize(rows * trialStride_ + 8, 0.0);
    }
    const auto address = reinterpret_cast<std::uintptr_t>(trials_.data());
    trialBase_ = trials_.data() + (64 - address % 64) % 64 / sizeof(double);
    if (slots_.size() < rows) {
        slots_.resize(rows);
    }
}

void DESearch::sharePool(DESearch& owner) {
    owner.preparePool();
    threads_ = owner.threads_;
    pool_ = owner.pool_;
}

void DESearch::preparePool() {
    if (!pool_ || pool_->threads() != threads_) {
        pool_.reset();
        pool_ = std::make_shared<EvaluationPool>(threads_);
    }
    // A batch holds at most one row more than a population half.
    pool_->reserve(rowsPerHalf_ + 1);
    // Each batch fits the scratch to the scheme it scores (beginTrials).
    if (workerScratch_.size() < static_cast<std::size_t>(threads_)) {
        workerScratch_.resize(static_cast<std::size_t>(threads_));
    }
}

void DESearch::TrialJob::operator()(int worker, int item) const {
    const auto row = static_cast<std::size_t>(item);
    const std::span<const double> x(rows + row * stride, length);
    results[row].e = problem->costOf(x, scratch[static_cast<std::size_t>(worker)]);
    std::atomic_ref<std::uint64_t>(results[row].batch).store(batch, std::memory_order_release);
}

void DESearch::beginTrials(DEProblem& problem, int count) {
    // The scheme may have gained samples since the last batch.
    problem.prepareEvaluation();
    for (int w = 0; w < threads_; ++w) {
        problem.fitScratch(workerScratch_[static_cast<std::size_t>(w)]);
    }
    job_.problem = &problem;
    job_.rows = trialBase_;
    job_.stride = trialStride_;
    job_.length = static_cast<std::size_t>(D_);
    job_.scratch = workerScratch_.data();
    job_.results = slots_.data();
    ++job_.batch;
    batchCount_ = count;
    // Handing a batch to the workers costs about a microsecond; a batch of
    // less work than some tens of microseconds runs on the design thread
    // alone (same results).
    constexpr double kPoolWork = 40000.0;
    pooled_ = threads_ > 1 && count > 1 && count * problem.evaluationWork() >= kPoolWork;
    if (pooled_) {
        pool_->begin(count, job_);
    }
}

void DESearch::computeTrials() {
    if (pooled_) {
        pool_->computeRest();
        return;
    }
    for (int i = 0; i < batchCount_; ++i) {
        job_(0, i);
    }
}

void DESearch::endTrials() {
    if (pooled_) {
        pool_->awaitAll();
        pooled_ = false;
    }
}

double DESearch::optimize(DEProblem& problem) {
    if (evaluation_ == 0) {
        initialPopulation(problem);
    } else {
        // A population size taken again (a resume) never reaches past the
        // members that exist.
        NP_ = std::min(NP_, members_);
        for (int g = 0; g < refreshRate_ && !(stop_ != nullptr && stop_->load()); ++g) {
            generationStep(problem);
        }
    }
    if (consoleOn_) {
        for (int j = 0; j < D_; ++j) {
            console_.out("best[" + std::to_string(j) +
                         "] = " + text::formatDouble(best_[static_cast<std::size_t>(j)]));
        }
        console_.out(" ");
    }
    problem.getBest(best_);
    return minimum_;
}

void DESearch::initialPopulation(DEProblem& problem) {
    D_ = std::clamp(problem.getLength(), 0, vector_capacity);
    const int zrStart = problem.get_zr_start();
    const int zrStop = problem.get_zr_stop();
    const int prStart = problem.get_pr_start();
    const int prStop = problem.get_pr_stop();
    const int zarStart = problem.get_zar_start();
    const int zarStop = problem.get_zar_stop();
    // An empty pole or allpass block has a collapsed range that names an entry
    // of another block; that entry is not a radius and is drawn like the rest.
    const bool poles = problem.get_pr_count() > 0;
    const bool allpass = problem.get_zar_count() > 0;

    double lo = problem.zeroRadiusLow();
    double hi = problem.zeroRadiusHigh();
    if (lo + 2.0 < hi) {
        hi = lo + 2.0;
    }
    if (zrStart == 0 && zrStop == 0) {
        lo = -1.0;
        hi = 1.0;
    }
    const double poleRestr = problem.poleRadiusRestr();

    ensureCapacity(D_);
    preparePool();
    trial_.fill(0.0);
    checked_.fill(0.0);
    best_.fill(0.0);
    parentBase_ = 0;
    offspringBase_ = rowsPerHalf_;

    beginTrials(problem, NP_);
    for (int i = 0; i < NP_; ++i) {
        for (int j = 0; j < D_; ++j) {
            double x;
            if (j >= zrStart && j <= zrStop) {
                x = lo + random_.nextDouble() * (hi - lo);
                if (random_.nextDouble() < 0.5) {
                    x = -x;
                }
            } else if ((poles && j >= prStart && j <= prStop) ||
                       (allpass && j >= zarStart && j <= zarStop)) {
                x = random_.nextValue(poleRestr);
            } else {
                x = random_.nextValue(range_);
            }
            trial_[static_cast<std::size_t>(j)] = x;
        }
        std::copy_n(trial_.begin(), D_, row(parentBase_ + i));
        std::copy_n(trial_.begin(), D_, trialRow(i));
        trialReady(i);
    }
    finishTrials();
    for (int i = 0; i < NP_; ++i) {
        const DEProblem::Evaluation& e = slots_[static_cast<std::size_t>(i)].e;
        ++evaluation_;
        costs_[static_cast<std::size_t>(i)] = e.cost;
        if (i == 0 || improves(e.cost[2], minimum_)) {
            minimum_ = e.cost[2];
            bestIndex_ = i;
            offsetAtBest_ = e.offset;
        }
    }
    members_ = NP_;
    if (NP_ > 0) {
        std::copy_n(row(parentBase_ + bestIndex_), D_, best_.begin());
    }
    previousBest_ = best_;
}

void DESearch::pickPartners(int excluded) {
    for (int k = 0; k < 5; ++k) {
        int r;
        bool taken;
        do {
            r = random_.nextValue(NP_);
            taken = r == excluded;
            for (int m = 0; m < k && !taken; ++m) {
                taken = picked_[static_cast<std::size_t>(m)] == r;
            }
        } while (taken);
        picked_[static_cast<std::size_t>(k)] = r;
    }
}

void DESearch::generationStep(DEProblem& problem) {
    const auto D = static_cast<std::size_t>(D_);
    // Trials in member order: every random draw is taken here. Each is
    // costed as soon as it is built, while the next ones are built.
    beginTrials(problem, NP_);
    for (int i = 0; i < NP_; ++i) {
        const double* parent = row(parentBase_ + i);
        std::copy_n(parent, D, trial_.begin());
        pickPartners(i);
        const double* x0 = row(parentBase_ + picked_[0]);
        const double* x1 = row(parentBase_ + picked_[1]);
        for (std::size_t j = 0; j < D; ++j) {
            if (random_.nextDouble() < crossover) {
                double F = 0.85 + 0.001 * random_.nextDouble() - 0.0005 * NP_;
                trial_[j] = previousBest_[j] + F * (x0[j] - x1[j]);
            }
        }
        problem.boundsCheck(random_, previousBest_, trial_, D_, checked_);
        std::copy_n(checked_.begin(), D, trialRow(i));
        trialReady(i);
    }
    computeTrials();
    // Selection in member order, each trial as soon as its cost is in.
    for (int i = 0; i < NP_; ++i) {
        const DEProblem::Evaluation& e = result(i);
        const CostVector& c = e.cost;
        ++evaluation_;
        double* offspring = row(offspringBase_ + i);
        CostVector& own = costs_[static_cast<std::size_t>(i)];
        if (replaces(c[2], own[2])) {
            std::copy_n(trialRow(i), D, offspring);
            own = c;
            if (improves(c[2], minimum_)) {
                minimum_ = c[2];
                std::copy_n(trialRow(i), D, best_.begin());
                offsetAtBest_ = e.offset;
                bestIndex_ = i;
            }
        } else {
            std::copy_n(row(parentBase_ + i), D, offspring);
        }
    }
    endTrials();
    std::swap(parentBase_, offspringBase_);
    previousBest_ = best_;
    if (problem.getPhase() == 1) {
        phaseSwitch(problem);
        problem.setPhase(2);
    }
    ++generation_;
}

void DESearch::phaseSwitch(DEProblem& problem) {
    // The evaluations here re-cost the population under the quantized cost
    // and grow it; they are not counted.
    const auto D = static_cast<std::size_t>(D_);
    for (int k = 0; k < NP_; ++k) {
        std::copy_n(row(parentBase_ + k), D, trialRow(k));
    }
    std::copy_n(best_.begin(), D, trialRow(NP_));
    evaluateTrials(problem, NP_ + 1);
    for (int k = 0; k < NP_; ++k) {
        costs_[static_cast<std::size_t>(k)] = slots_[static_cast<std::size_t>(k)].e.cost;
    }
    minimum_ = slots_[static_cast<std::size_t>(NP_)].e.cost[2];

    // The grown members go after the parent half's rows; each half holds the
    // largest population of the run, so parents and offspring never overlap.
    // They are drawn in order first, then costed, then compared in order.
    const int target = std::min(NP2_, rowsPerHalf_);
    const int grownFrom = NP_;
    while (NP_ < target) {
        int m = random_.nextValue(NP_);
        std::copy_n(row(parentBase_ + m), D, trial_.begin());
        pickPartners(m);
        const double* x0 = row(parentBase_ + picked_[0]);
        const double* x1 = row(parentBase_ + picked_[1]);
        for (std::size_t j = 0; j < D; ++j) {
            double F = 0.85 + 0.1 * random_.nextDouble() - 0.0005 * NP_;
            trial_[j] = previousBest_[j] + F * (x0[j] - x1[j]);
        }
        problem.boundsCheck(random_, previousBest_, trial_, D_, checked_);
        std::copy_n(checked_.begin(), D, row(parentBase_ + NP_));
        std::copy_n(checked_.begin(), D, trialRow(NP_ - grownFrom));
        ++NP_;
    }
    evaluateTrials(problem, NP_ - grownFrom);
    for (int m = grownFrom; m < NP_; ++m) {
        const DEProblem::Evaluation& e = slots_[static_cast<std::size_t>(m - grownFrom)].e;
        costs_[static_cast<std::size_t>(m)] = e.cost;
        if (improves(e.cost[2], minimum_)) {
            minimum_ = e.cost[2];
            std::copy_n(row(parentBase_ + m), D, best_.begin());
            bestIndex_ = m;
            offsetAtBest_ = e.offset;
        }
    }
    members_ = std::max(members_, NP_);
}

void DESearch::rescore(DEProblem& problem) {
    if (members_ == 0) {
        return;
    }
    const auto D = static_cast<std::size_t>(D_);
    // The best vector in row 0, member k in row k + 1.
    std::copy_n(best_.begin(), D, trialRow(0));
    for (int k = 0; k < NP_; ++k) {
        std::copy_n(row(parentBase_ + k), D, trialRow(k + 1));
    }
    evaluateTrials(problem, NP_ + 1);
    minimum_ = slots_[0].e.cost[2];
    offsetAtBest_ = slots_[0].e.offset;
    for (int k = 0; k < NP_; ++k) {
        const DEProblem::Evaluation& e = slots_[static_cast<std::size_t>(k) + 1].e;
        CostVector& c = costs_[static_cast<std::size_t>(k)];
        c = e.cost;
        if (improves(c[2], minimum_)) {
            minimum_ = c[2];
            std::copy_n(row(parentBase_ + k), D, best_.begin());
            bestIndex_ = k;
            offsetAtBest_ = e.offset;
        }
    }
    previousBest_ = best_;
}

} // namespace dovra
