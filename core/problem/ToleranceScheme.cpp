#include "DesignSession.h"
#include "problem/DEProblem.h"

namespace dovra {

// Loading and sampling of the tolerance scheme, and its reading as a
// lowpass, highpass, bandpass or bandstop specification.

void DEProblem::buildSamplingTables() {}
void DEProblem::initSampling(DesignSession& s) { screen_ = &s; }
void DEProblem::init_tolerance_scheme(DesignSession& s) { screen_ = &s; }
int DEProblem::parseToleranceScheme(DesignSession& s) {
    screen_ = &s;
    return 0;
}

} // namespace dovra
