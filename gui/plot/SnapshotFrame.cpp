#include "plot/SnapshotFrame.h"

#include <memory>

#include "DesignSession.h"

namespace dovra::gui {

ResponseFrame snapshotFrame(const DesignSession& session) {
    const ProgressSnapshot snap = session.snapshot();
    ResponseFrame f;
    f.best = snap.best;
    f.offset = snap.offset;
    f.layout = session.getPZparameters();
    struct Filter {
        Coefficients a{};
        Coefficients b{};
        int na = 0;
        int nb = 0;
    };
    auto filter = std::make_shared<Filter>();
    filter->a = session.coeffi_a(f.best, session.getQuant(), session.getStructId());
    filter->b = session.coeffi_b(f.best, session.getQuant(), session.getStructId());
    filter->na = session.get_a_degree();
    filter->nb = session.get_b_degree();
    const DesignSession* s = &session;
    f.magnitude = [s, filter](double w) {
        return s->amag_ab(filter->a, filter->b, filter->na, filter->nb, w) * s->amag_ff(w);
    };
    f.groupDelay = [s, filter](double w) {
        return s->gdel_ab(filter->a, filter->b, filter->na, filter->nb, w) + s->gdel_ff(w);
    };
    return f;
}

FrameSource snapshotFrameSource(const DesignSession& session) {
    return [&session] { return snapshotFrame(session); };
}

} // namespace dovra::gui
