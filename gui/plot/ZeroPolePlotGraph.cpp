#include "plot/ZeroPolePlotGraph.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace dovra::gui {

namespace {

constexpr int kCircle = 1;
constexpr int kZeros = 2;
constexpr int kPoles = 3;
constexpr double kFarthestShown = 1000.0;

} // namespace

ZeroPolePlotGraph::ZeroPolePlotGraph(DesignSession& session, FrameSource source, int width,
                                     int height)
    : PlotGraph(session, width, height), source_(std::move(source)) {
    setXRange(-1.5, 1.5);
    setYRange(-1.5, 1.5);
    setEqualScales(true);
    setAxisTitles(QStringLiteral("real part"), QStringLiteral("imaginary part"));
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

void ZeroPolePlotGraph::fitRanges() {
    if (userZoomed()) {
        return;
    }
    double r = 1.0;
    const PoleZeroPositions p = poleZeroPositions(layout_, frame_.best);
    for (const auto* points : {&p.zeros, &p.poles}) {
        for (const PlanePoint& z : *points) {
            for (double c : {z.x, z.y}) {
                // A zero at infinity (an allpass pair of radius 0) cannot be
                // shown at any scale that still shows the others.
                if (std::fabs(c) <= kFarthestShown) {
                    r = std::max(r, std::fabs(c));
                }
            }
        }
    }
    setXRange(-r, r);
    setYRange(-r, r);
}

void ZeroPolePlotGraph::refreshImage() {
    frame_ = source_();
    layout_ = frame_.layout;
    fitRanges();
    initPointsPersistence();
    init();
    plotUnitCircle();
    drawPlot(true);
    initFlag_ = 0;
    plotZerosAndPoles();
    requestPaint();
}

void ZeroPolePlotGraph::startAfresh() {
    frame_ = source_();
    layout_ = frame_.layout;
    initPointsPersistence();
    init();
    plotUnitCircle();
    plotZerosAndPoles();
}

void ZeroPolePlotGraph::redraw() {
    clearReshaped();
    fitRanges();
    drawPlot(true);
}

} // namespace dovra::gui
