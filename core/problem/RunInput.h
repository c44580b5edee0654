#pragma once
// What a run needs from the design task, taken as one value when the run
// starts: the numbers of the four constraint tables and the two prefilter
// tables, the realization and the settings the problem and the search read.
// The session builds it (reading each table row and each setting through the
// lookup or getter that checks it); the problem, the search and the run
// control read only this value, never the session. Settings cannot change
// while a run is in progress, so one value per start is enough.

#include <cstdint>
#include <string>
#include <vector>

#include "problem/Types.h"
#include "settings/DesignMethod.h"

namespace dovra {

/// One constraint table: its row count as it stands (also beyond the
/// capacity) and, when it has 2 to kTableCapacity rows, each row's frequency
/// and limit; no values otherwise, as a table that limits nothing or cannot be
/// held is never read.
struct ConstraintValues {
    int rows = 0;
    std::vector<double> omega;
    std::vector<double> limit;
};

/// One prefilter table: its row count and, when it has at most the capacity
/// of rows, its coefficients.
struct CoefficientValues {
    int rows = 0;
    std::vector<double> coefficients;
};

/// The degrees of the realization as the hub reads them, and the dimension of
/// the parameter vector they give.
struct RealizationValues {
    int numDeg = 0;
    int denomDeg = 0;
    int linPairs = 0;
    int allpassPairs = 0;
    long dimension = 1;
};

/// What the cost, the bounds check, the responses and the search read besides
/// the tables and the degrees.
struct SearchSettings {
    DesignMethod method = DesignMethod::ZPlane;
    int structure = 0;
    std::int64_t quant = -1;
    std::string samplingMode = "nonlinear";
    std::string samplingGranularity = "coarse";
    bool freezeGd = false;
    double poleRadiusRestr = 1.0;
    double zeroRadiusLow = 0.0;
    double zeroRadiusHigh = 99.0;
    /// The search succeeds only when the scheme is met between its samples
    /// too, adding samples where it is not (off: the sampled rule alone).
    bool refine = true;
    /// Independent searches of a Z-plane run (a portfolio), at least 1.
    int portfolio = 1;
};

/// The run figures the search takes: the problem slot, the population sizes
/// of the two phases, the range of the free entries and the generations per
/// refresh of the monitor.
struct SearchParameters {
    int problemIndex = 0;
    int NP = 30;
    int NP2 = 60;
    double range = 2.0;
    int refreshRate = 10;
};

struct RunInput {
    ConstraintValues magUpper, magLower, gdUpper, gdLower;
    CoefficientValues ffNumerator, ffDenominator;
    RealizationValues realization;
    SearchSettings settings;
    SearchParameters parameters;
};

} // namespace dovra
