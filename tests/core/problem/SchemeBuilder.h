#pragma once
// Filling a session's tables and preparing a problem for a run, as the run
// control does before the first evaluation.

#include <initializer_list>
#include <sstream>
#include <utility>
#include <vector>

#include "problem/IIR.h"
#include "run/T_DEOptimizer.h"
#include "session/DesignSession.h"
#include "text/NumberText.h"

namespace dovra::testing {

using Rows = std::vector<std::pair<double, double>>;

template <class Table> void setRows(Table& table, const Rows& rows) {
    table.clear();
    for (const auto& [w, limit] : rows) {
        typename Table::RecordType r;
        r.setOmegaAndLimit(text::formatDouble(w), text::formatDouble(limit));
        table.addRecord(r);
    }
}

template <class Table> void setConstantRows(Table& table, int n, double limit) {
    table.clear();
    for (int i = 0; i < n; ++i) {
        typename Table::RecordType r;
        r.setOmegaAndLimit(text::formatDouble(0.5 * i / (n - 1)), text::formatDouble(limit));
        table.addRecord(r);
    }
}

inline void setCoefficients(FixedFilterDataBase& table, std::initializer_list<double> c) {
    table.clear();
    for (double v : c) {
        FixedFilterDataBaseRecord r;
        r.setCoeff(text::formatDouble(v));
        table.addRecord(r);
    }
}

struct Realization {
    int N = 0, M = 0, L = 0, A = 0;
    int wordLength = 0; // 0 is "inf"
    int structure = 0;
    bool freeze = false;
    const char* granularity = "coarse";
};

inline void configure(DesignSession& s, const Realization& r) {
    s.setNumDeg(r.N);
    s.setDenomDeg(r.M);
    s.setNZlinPair(r.L);
    s.setNZPAllpPair(r.A);
    s.setWordLength(r.wordLength);
    s.setStructId(r.structure);
    s.setFreezingStateOfGdConstraints(r.freeze);
    s.setSamplingGranularity(r.granularity);
}

/// The run control's preparation of a Z-plane search.
inline void prepare(DesignSession& s, DEProblem& p, bool withPrefilter = true) {
    const RunInput in = s.runInput();
    prepareProblem(p, in, s.console());
    if (!withPrefilter) {
        p.load_fixed_filter(in, s.console(), 1);
    }
}

/// A session with captured console streams.
struct SessionFixture {
    std::ostringstream out, err;
    DesignSession session{out, err};
};

} // namespace dovra::testing
