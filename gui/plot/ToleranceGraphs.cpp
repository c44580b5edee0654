#include "plot/ToleranceGraphs.h"

namespace dovra::gui {

ToleranceSchemeGraph::ToleranceSchemeGraph(DesignSession& session, int width, int height,
                                           double yMin, double yMax)
    : PlotGraph(session, width, height) {
    setXRange(0.0, 0.5);
    setYRange(yMin, yMax);
}

void ToleranceSchemeGraph::refreshImage() {
    fitRanges();
    init();
    plotTolerance();
    drawPlot(true);
}

void ToleranceSchemeGraph::redraw() {
    if (reshaped()) {
        fitRanges();
        drawPlot(true);
        clearReshaped();
    }
}

} // namespace dovra::gui
