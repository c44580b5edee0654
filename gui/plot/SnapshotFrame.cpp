#include "plot/SnapshotFrame.h"

#include <memory>

#include "problem/FilterResponse.h"
#include "session/DesignSession.h"

namespace dovra::gui {

std::vector<double> prefilterCoefficients(DesignSession& session,
                                          const FixedFilterDataBase& table) {
    std::vector<double> c;
    const int n = session.getFfDbSize(table);
    c.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        c.push_back(session.getFfDbCoeffi(table, i));
    }
    return c;
}

ResponseFrame snapshotFrame(DesignSession& session) {
    // One snapshot: the vector, its layout and the run's fixed settings
    // belong together, and the response value owns its coefficients, so
    // nothing the design thread writes is read.
    const ProgressSnapshot snap = session.snapshot();
    ResponseFrame f;
    f.best = snap.best;
    f.offset = snap.offset;
    f.layout = snap.layout;
    auto filter = std::make_shared<const FilterResponse>(snap.bestFilter());
    f.magnitude = [filter](double w) { return filter->amag(w) * filter->amag_ff(w); };
    f.groupDelay = [filter](double w) { return filter->gdel(w) + filter->gdel_ff(w); };
    return f;
}

FrameSource snapshotFrameSource(DesignSession& session) {
    return [&session] { return snapshotFrame(session); };
}

} // namespace dovra::gui
