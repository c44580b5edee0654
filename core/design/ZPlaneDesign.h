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

#include "design/FilterDesign.h"

namespace dovra {

class DEProblem;
class DESearch;

class ZPlaneDesign : public FilterDesign {
  public:
    /// The search over the problem's parameter vector; both belong to the
    /// run control and outlive the design.
    ZPlaneDesign(DEProblem& problem, DESearch& search) : problem_(problem), search_(search) {}
    DesignMethod method() const override { return DesignMethod::ZPlane; }
    bool isSearch() const override { return true; }
    void reset() override { unrefinable_.reset(); }
    DesignOutcome step(const DesignContext& context) override;

  private:
    DEProblem& problem_;
    DESearch& search_;
    /// A best vector whose excess between the samples no added sample could
    /// take up (every frequency known, or no room left): it is not checked
    /// again while it stays the best.
    std::optional<ParamVector> unrefinable_;
};

} // namespace dovra
