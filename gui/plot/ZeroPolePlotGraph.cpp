#include "plot/ZeroPolePlotGraph.h"

#include <cmath>
#include <numbers>

namespace dovra::gui {

namespace {

constexpr int kCircle = 1;
constexpr int kZeros = 2;
constexpr int kPoles = 3;

} // namespace

ZeroPolePlotGraph::ZeroPolePlotGraph(DesignSession& session, FrameSource source, int width,
                                     int height)
    : PlotGraph(session, width, height), source_(std::move(source)) {
    setXRange(-1.5, 1.5);
    setYRange(-1.5, 1.5);
    setMarksStyle("various");
    initPointsPersistence();
}

void ZeroPolePlotGraph::initPointsPersistence() {
    setPointsPersistence(kCircle, kCircleSegments + 1);
    setPointsPersistence(kZeros, layout_.numeratorDegree());
    setPointsPersistence(kPoles, layout_.denominatorDegree());
}

void ZeroPolePlotGraph::plotUnitCircle() {
    for (int i = 0; i <= kCircleSegments; ++i) {
        const double phi = i * 2.0 * std::numbers::pi / kCircleSegments;
        addPoint(kCircle, std::cos(phi), std::sin(phi), i > 0);
    }
}

void ZeroPolePlotGraph::plotZerosAndPoles() {
    const PoleZeroPositions p = poleZeroPositions(layout_, frame_.best);
    for (const PlanePoint& z : p.zeros) {
        addPoint(kZeros, z.x, z.y, false);
    }
    for (const PlanePoint& z : p.poles) {
        addPoint(kPoles, z.x, z.y, false);
    }
}

void ZeroPolePlotGraph::refreshImage() {
    frame_ = source_();
    layout_ = frame_.layout;
    initPointsPersistence();
    init();
    plotUnitCircle();
    drawPlot(true);
    initFlag_ = 0;
    plotZerosAndPoles();
    requestPaint();
}

void ZeroPolePlotGraph::paint() {
    if (initFlag_ == 1) {
        frame_ = source_();
        layout_ = frame_.layout;
        initPointsPersistence();
        init();
        plotUnitCircle();
        initFlag_ = 0;
        plotZerosAndPoles();
    }
    if (reshaped()) {
        clearReshaped();
    }
    drawPlot(true);
}

} // namespace dovra::gui
