#pragma once
// Loading an example task into a session and preparing its problem the way
// Start does, for the benchmarks.

#include <memory>
#include <ostream>
#include <sstream>
#include <string>

#include "DesignSession.h"
#include "data/ConfigFile.h"
#include "de/T_DEOptimizer.h"
#include "problem/DEProblem.h"

namespace dovra::bench {

/// A session with its console lines discarded.
struct QuietSession {
    std::ostringstream out, err;
    DesignSession session{out, err};
};

inline std::string examplePath(const std::string& name) {
    return std::string(DOVRA_SOURCE_DIR) + "/examples/" + name;
}

/// Loads an example; throws nothing, returns false when it did not load.
inline bool loadExample(DesignSession& s, const std::string& name) {
    return openDatabase(s, examplePath(name));
}

/// The problem preparation of Start: tables copied, prefilter loaded, layout
/// computed, grid sampled.
inline DEProblem& prepare(DesignSession& s) {
    DEProblem& p = *s.optimizer().currentProblem();
    prepareProblem(p, s.runInput(), s.console());
    return p;
}

} // namespace dovra::bench
