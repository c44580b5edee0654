#include "plot/PlotGraph.h"

#include "session/DesignSession.h"

namespace dovra::gui {

namespace {

constexpr int kLimits = 1;

template <class Table, class Omega, class Limit>
void plotTable(Plot& plot, const Table& table, Omega omega, Limit limit, double offset) {
    const int n = table.getSize();
    if (n <= 1) {
        return;
    }
    for (int i = 0; i < n; ++i) {
        plot.addPoint(kLimits, omega(i), limit(i) + offset, i > 0);
    }
}

} // namespace

PlotGraph::PlotGraph(DesignSession& session, int width, int height) : session_(session) {
    setStoredSize(width, height);
    setGrid(true);
    setNumSets(15);
}

void PlotGraph::setInitFlag(int flag) {
    initFlag_ = flag;
    requestPaint();
}

void PlotGraph::plotMagnitudeLimits() {
    for (const MagConstraintsDataBase* t : {&session_.magUpper(), &session_.magLower()}) {
        plotTable(
            *this, *t, [&](int i) { return session_.getMagDbOmega(*t, i); },
            [&](int i) { return session_.getMagDbLimit(*t, i); }, 0.0);
    }
}

void PlotGraph::plotGroupDelayLimits(double offset) {
    for (const GdConstraintsDataBase* t : {&session_.gdUpper(), &session_.gdLower()}) {
        plotTable(
            *this, *t, [&](int i) { return session_.getGdDbOmega(*t, i); },
            [&](int i) { return session_.getGdDbLimit(*t, i); }, offset);
    }
}

} // namespace dovra::gui
