#pragma once
// Loading an example task into a session and preparing its problem the way
// Start does, for the benchmarks.

#include <memory>
#include <ostream>
#include <sstream>
#include <string>

#include "problem/IIR.h"
#include "run/T_DEOptimizer.h"
#include "session/ConfigFile.h"
#include "session/DesignSession.h"

namespace dovra::bench {

/// A session with its console lines discarded, and a filter problem of its own.
struct QuietSession {
    std::ostringstream out, err;
    DesignSession session{out, err};
    IIR problem;
};

inline std::string examplePath(const std::string& name) {
    return std::string(DOVRA_SOURCE_DIR) + "/examples/" + name;
}

/// Loads an example; throws nothing, returns false when it did not load.
inline bool loadExample(DesignSession& s, const std::string& name) {
    return openDatabase(s, examplePath(name));
}

/// The problem preparation of Start on the session's task: tables copied,
/// prefilter loaded, layout computed, grid sampled.
inline IIR& prepare(QuietSession& q) {
    prepareProblem(q.problem, q.session.runInput(), q.session.console());
    return q.problem;
}

} // namespace dovra::bench
