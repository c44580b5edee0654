#pragma once
// The design interface: one object per design method. The Z-plane design is
// the search over the parameter vector, one slice of generations per step. A
// classical or FIR design reads the design input record (the magnitude scheme
// read as a lowpass, highpass, bandpass or bandstop) and yields, step by step,
// a finished layout in the form of the search's parameter vector, or a refusal
// with its status text. The run control calls step on the design thread, once
// per pass, until the outcome says the run is finished; it alone publishes the
// layout, so a reader never sees half of one.

#include <optional>
#include <string>
#include <vector>

#include "problem/Data.h"
#include "problem/Types.h"

namespace dovra {

class DEProblem;
class DESearch;

/// The design method index of the realization page and the configuration file
/// (which keeps writing the integers).
enum class DesignMethod : int {
    ZPlane = 0,
    Butterworth = 1,
    Chebyshev1 = 2,
    Chebyshev2 = 3,
    Elliptic = 4,
    LinearPhaseFir = 5,     // constraint-based, minimum length
    LinearPhaseFirFlat = 6, // the same with flatness constraints on the passbands
    RemezFir = 7,
};

/// The method of a design method index; an index outside the list reads as
/// the Z-plane design, as the realization page selects it.
inline DesignMethod designMethodOf(int index) {
    return index >= 0 && index <= static_cast<int>(DesignMethod::RemezFir)
               ? static_cast<DesignMethod>(index)
               : DesignMethod::ZPlane;
}

/// The methods whose numerator is an impulse response (no poles).
inline bool isFirMethod(DesignMethod m) {
    return m == DesignMethod::LinearPhaseFir || m == DesignMethod::LinearPhaseFirFlat ||
           m == DesignMethod::RemezFir;
}

/// Where a design step shows its progress ("Trying filterorder ...").
class StatusSink {
  public:
    virtual ~StatusSink() = default;
    virtual void setStatus(const std::string& text) = 0;
    /// The run figures have moved (a slice of the search): they are published
    /// and the views are told, before the step goes on.
    virtual void progress() {}
};

/// What a design step works on.
struct DesignContext {
    DesignContext(const Data& record, StatusSink& sink, DEProblem* runProblem = nullptr,
                  DESearch* runSearch = nullptr)
        : data(record), status(sink), problem(runProblem), search(runSearch) {}
    /// The design input record (read by the classical and FIR designs).
    const Data& data;
    StatusSink& status;
    /// The run's filter problem and the search over its parameter vector,
    /// given by the run control; a design stepped on its own has neither.
    DEProblem* problem;
    DESearch* search;
};

/// A designed filter in the layout of the parameter vector: the gain and the
/// zero and pole blocks, the zero and pole ranges (zr, za, pr, pa, first and
/// last index each) and the degrees the hub is set to.
struct DesignLayout {
    ParamVector best{};
    PZPointers pointers{};
    int order = 0;
    int numDeg = 0;
    int denomDeg = 0;
    int linPairs = 0;
    int allpassPairs = 0;
    /// Impulse response of a linear-phase FIR design; empty for the IIR designs.
    std::vector<double> coefficients;
};

/// What one step did.
struct DesignOutcome {
    /// The run ends after this step (a closed design, a refusal, no solution,
    /// a search that met its scheme).
    bool finished = false;
    /// The status text the step leaves, if it sets one.
    std::optional<std::string> status;
    /// A layout to publish as the run's result, when this step designed one.
    std::optional<DesignLayout> layout;
    /// A refused input: the task cannot be run as given (batch exit status 2).
    bool refused = false;
    /// Lines the step prints on the console output, in order.
    std::vector<std::string> console;
};

class FilterDesign {
  public:
    virtual ~FilterDesign() = default;
    virtual DesignMethod method() const = 0;
    /// Forgets the state of an earlier run (Start).
    virtual void reset() {}
    /// True for the search: its run figures are its own (a finished search
    /// keeps them) and it reads the scheme as the problem holds it, not as a
    /// design input record; its run ends in the pass that finishes it.
    virtual bool isSearch() const { return false; }
    /// One step on the design thread.
    virtual DesignOutcome step(const DesignContext& context) = 0;
};

} // namespace dovra
