#pragma once
// The Z-plane design: the differential-evolution search over the pole and zero
// positions of the run's filter problem. Each step is one slice of generations
// (DESearch::optimize). When the best vector meets the sampled scheme, it is
// checked between the samples: where it leaves a limit there, those
// frequencies join the sampled scheme, the population is costed again and the
// search goes on ("Refining: ..."); the run ends with "Design successful" in
// the step whose best vector meets the scheme everywhere. A run that does not
// refine ends as soon as the samples are met. A run without success goes on
// until it is paused or stopped.

#include <optional>
#include <vector>

#include "design/FilterDesign.h"

namespace dovra {

class DEProblem;
class DESearch;

class ZPlaneDesign : public FilterDesign {
  public:
    /// The search over the problem's parameter vector; both belong to the
    /// run control and outlive the design.
    ZPlaneDesign(DEProblem& problem, DESearch& search) { lanes_.push_back({&problem, &search}); }
    DesignMethod method() const override { return DesignMethod::ZPlane; }
    bool isSearch() const override { return true; }
    void reset() override;
    DesignOutcome step(const DesignContext& context) override;

    /// A portfolio: one more independent search, with a problem of its own
    /// prepared from the same input (both outlive the design). Each step
    /// advances every search by one slice, in their order; the lowest-numbered
    /// search that succeeds in a step wins, so the result does not depend on
    /// how the slices are spread over threads.
    void addSearch(DEProblem& problem, DESearch& search) { lanes_.push_back({&problem, &search}); }
    int searches() const { return static_cast<int>(lanes_.size()); }
    /// Cost evaluations of all the searches together.
    long long evaluations() const;
    /// The search the views show: the winner once there is one, before that
    /// the one of least best cost (the lowest-numbered on a tie). 0-based.
    int shown() const { return shown_; }
    const DESearch& shownSearch() const { return *lanes_[static_cast<std::size_t>(shown_)].search; }
    const DEProblem& shownProblem() const {
        return *lanes_[static_cast<std::size_t>(shown_)].problem;
    }

  private:
    struct Lane {
        DEProblem* problem;
        DESearch* search;
        /// A best vector whose excess between the samples no added sample
        /// could take up (every frequency known, or no room left): it is not
        /// checked again while it stays the best.
        std::optional<ParamVector> unrefinable{};
        double minimum = 0.0;
    };
    /// Judges a search after its slice: success, refinement or nothing yet.
    /// True when the search succeeded.
    bool judge(Lane& lane, const DesignContext& context, DesignOutcome& outcome);
    std::vector<Lane> lanes_;
    int shown_ = 0;
};

} // namespace dovra
