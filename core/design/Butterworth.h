#pragma once
// Butterworth design: maximally flat passband, the prototype's poles evenly
// spaced on a circle whose radius places the passband edge at the ripple.

#include "design/ClassicalIIR.h"

namespace dovra {

class Butterworth : public ClassicalIIR {
  public:
    using ClassicalIIR::ClassicalIIR;
    /// N for lowpass and highpass, 2N for bandpass and bandstop, 0 when
    /// nothing was designed.
    int real_filter_butterworth() { return design(); }

  protected:
    double orderEstimate(const DesignFrame& f) override;
    double cutoff(const DesignFrame& f, int N) override;
    Prototype prototype(const DesignFrame& f, int N, double wc) override;
};

} // namespace dovra
