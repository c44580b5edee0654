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
#include "problem/Layout.h"
#include "problem/Types.h"
#include "settings/DesignMethod.h"

namespace dovra {

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
    DesignContext(const Data& record, StatusSink& sink) : data(record), status(sink) {}
    /// The design input record (read by the classical and FIR designs).
    const Data& data;
    StatusSink& status;
};

/// A designed filter in the layout of the parameter vector: the gain and the
/// zero and pole blocks, and their layout (the degrees the hub is set to, and
/// the zero and pole ranges the design wrote).
struct DesignLayout {
    ParamVector best{};
    Layout layout{};
    int order = 0;
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
