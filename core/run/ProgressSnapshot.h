#pragma once
// What the design thread publishes about a run, taken whole by the window
// thread: the monitor and the plots show one consistent moment of the search.

#include <memory>
#include <string>

#include "problem/FilterResponse.h"
#include "problem/Layout.h"
#include "problem/Types.h"

namespace dovra {

struct ProgressSnapshot {
    /// Generations completed since the start.
    int generation = 0;
    /// Cost evaluations since the start (0: no population yet).
    int evaluation = 0;
    /// Smallest total cost found.
    double minimum = 1.7976931348623157e308;
    /// Parameter vector with the smallest total cost.
    ParamVector best{};
    /// Group-delay offset of the problem when the best vector was found.
    double offset = 0.0;
    /// Optimisation phase of the problem (0 unquantized, 1 switching, 2 quantized).
    int phase = 0;
    /// Current population size.
    int populationSize = 0;
    /// The ready flag: the design thread works (true) or rests (false).
    bool ready = false;
    /// The status text of the monitor.
    std::string status;
    /// Degrees and block layout of the best vector, published with it.
    Layout layout{};
    /// Numerator and denominator degrees of the best filter (0 for a
    /// realization beyond the capacities).
    int aDegree = 0;
    int bDegree = 0;
    /// The search shown (1-based) of the run's portfolio of searches: the
    /// winner once one has succeeded, before that the one of least cost.
    int search = 1;
    int searches = 1;
    /// Cost evaluations of all the searches together.
    long long allEvaluations = 0;
    /// The last design step refused its input (the task cannot be run as given).
    bool refused = false;
    /// What the run fixed for the responses (quantization, structure, method,
    /// prefilter, FIR impulse response); shared, never changed once published.
    std::shared_ptr<const RunFilter> filter;

    /// The best filter of this moment as a response value, for plots and
    /// reports on any thread.
    FilterResponse bestFilter() const { return FilterResponse(best, layout, filter); }

    /// What the session adds after the status once a run has ended (the check
    /// between the samples); empty during a run.
    std::string note;
    /// The run was ended by Stop while its search was on its way (its status
    /// is still the one of its way: "Initializing" or "Refining: ...").
    bool stopped = false;
};

} // namespace dovra
