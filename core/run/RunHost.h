#pragma once
// What the run control tells the hub, and the one thing it asks of it. The
// design thread calls these; the session implements them for its views.

#include <string>

#include "design/FilterDesign.h"
#include "problem/RunInput.h"
#include "text/Console.h"

namespace dovra {

class RunHost : public StatusSink {
  public:
    /// Where the run's console lines go.
    virtual Console& console() = 0;
    /// The status text of the moment.
    virtual std::string getStatus() const = 0;
    /// New progress to show (counters, best cost, status).
    virtual void updateObservers() = 0;
    /// The run has ended: the views are told and the results file written.
    virtual void done() = 0;
    /// Sets the hub's degrees (a design's result, or 0 when a design run
    /// forgets them) and returns them as the run is to take them: a designed
    /// filter's degrees as they are, whatever range the page admits for typing.
    virtual RealizationValues setDegrees(int numDeg, int denomDeg, int linPairs,
                                         int allpassPairs) = 0;

    /// A Start that cannot go: the reason as an error line and as the status,
    /// and the monitor told. Always false, for the caller to return.
    bool refuseRun(const std::string& why) {
        console().out(why, LineKind::Error);
        setStatus(why);
        updateObservers();
        return false;
    }
};

} // namespace dovra
