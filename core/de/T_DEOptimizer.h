#pragma once
// The optimizer: owns the filter problems (created by class name), the run
// figures (counters, best cost, best vector, offset at best) and forwards the
// response and coefficient operations to the current problem.

#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "problem/DEProblem.h"

namespace dovra {

class DesignSession;

/// Creates a filter problem from its class name ("Dovra.problem.IIR");
/// nothing for an unknown name.
std::unique_ptr<DEProblem> createProblem(const std::string& className);

class T_DEOptimizer {
public:
    explicit T_DEOptimizer(DesignSession& screen);
    ~T_DEOptimizer();
    T_DEOptimizer(const T_DEOptimizer&) = delete;
    T_DEOptimizer& operator=(const T_DEOptimizer&) = delete;

    /// Current problem index from the session, then the problem's initMisc.
    void initProblem();

    int getGeneration() const;
    int getEvaluation() const;
    double getMinimum() const;
    /// A copy of the best vector, taken whole.
    ParamVector getBest() const;
    double getOffset() const;
    int getPhase() const;

    /// Sets the run figures at once (used when a design step writes its result).
    void setResult(int generation, int evaluation, double minimum, const ParamVector& best);

    /// The current problem, or nullptr when its slot is empty.
    DEProblem* currentProblem() const;
    int currentProblemIndex() const { return currentProblem_; }

    // Forwarded to the current problem.
    LayoutRecord getPZparameters() const;
    double amag(std::span<const double> x, double w) const;
    double amag_ab(std::span<const double> a, std::span<const double> b, int na, int nb,
                   double w) const;
    double amag_ff(double w) const;
    double gdel(std::span<const double> x, double w) const;
    double gdel_ab(std::span<const double> a, std::span<const double> b, int na, int nb,
                   double w) const;
    double gdel_ff(double w) const;
    int get_a_degree() const;
    int get_b_degree() const;
    Coefficients coeffi_a(std::span<const double> x, std::int64_t q, int structure) const;
    Coefficients coeffi_b(std::span<const double> x, std::int64_t q, int structure) const;

protected:
    DesignSession& screen_;
    std::vector<std::unique_ptr<DEProblem>> problems_;
    int currentProblem_ = 0;

    // Run figures, read by the window thread while the design thread writes.
    mutable std::mutex figuresMutex_;
    int generation_ = 0;
    int evaluation_ = 0;
    double minimum_ = 1.7976931348623157e308;
    double offsetAtBest_ = 0.0;
    ParamVector best_{};
};

} // namespace dovra
