#pragma once
// The Z-plane design: the differential-evolution search over the pole and zero
// positions of the run's filter problem. Each step is one slice of generations
// (DESearch::optimize); the run ends with "Design successful" in the step whose
// best vector meets the scheme. A run without that goes on until it is paused
// or stopped.

#include "design/FilterDesign.h"

namespace dovra {

class ZPlaneDesign : public FilterDesign {
  public:
    DesignMethod method() const override { return DesignMethod::ZPlane; }
    bool isSearch() const override { return true; }
    DesignOutcome step(const DesignContext& context) override;
};

} // namespace dovra
