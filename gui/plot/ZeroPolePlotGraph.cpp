#include "plot/ZeroPolePlotGraph.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace dovra::gui {

namespace {

constexpr int kCircle = 1;
constexpr int kZeros = 2;
constexpr int kPoles = 3;

/// 1/r, kept finite for a radius of zero.
double guardedReciprocal(double r) {
    if (std::fabs(r) > 1e-16) {
        return 1.0 / r;
    }
    return r > 0 ? 1.0 / (r + 1e-16) : 1.0 / (r - 1e-16);
}

} // namespace

ZeroPolePositions zeroPolePositions(const LayoutRecord& l, const ParamVector& x) {
    ZeroPolePositions out;
    auto at = [&x](int i) {
        return x[static_cast<std::size_t>(std::clamp(i, 0, kVectorCapacity - 1))];
    };
    auto conjugates = [](std::vector<ZeroPolePoint>& to, double r, double theta) {
        const double a = 2.0 * std::numbers::pi * theta;
        to.push_back({r * std::cos(a), r * std::sin(a)});
        to.push_back({r * std::cos(a), -r * std::sin(a)});
    };
    const int nZR = l[4], nZA = l[5], nPR = l[6], nPA = l[7], nLR = l[8], nLA = l[9], nZAR = l[10],
              nZAA = l[11];
    const int zrFirst = l[12], zrLast = l[13], zaFirst = l[14];
    const int prFirst = l[16], prLast = l[17], paFirst = l[18];
    const int lrFirst = l[20], lrLast = l[21], laFirst = l[22];
    const int zarFirst = l[24], zarLast = l[25], zaaFirst = l[26];

    for (int k = 0; k < nZA; ++k) {
        conjugates(out.zeros, at(zrFirst + k), at(zaFirst + k));
    }
    for (int i = 0; i < nZR - nZA; ++i) {
        out.zeros.push_back({at(zrLast - i), 0.0});
    }
    for (int k = 0; k < nLA; ++k) {
        const double r = at(lrFirst + k);
        conjugates(out.zeros, r, at(laFirst + k));
        conjugates(out.zeros, guardedReciprocal(r), at(laFirst + k));
    }
    if (nLR > nLA) {
        const double r = at(lrLast);
        out.zeros.push_back({r, 0.0});
        out.zeros.push_back({guardedReciprocal(r), 0.0});
    }
    for (int k = 0; k < nPA; ++k) {
        conjugates(out.poles, at(prFirst + k), at(paFirst + k));
    }
    for (int i = 0; i < nPR - nPA; ++i) {
        out.poles.push_back({at(prLast - i), 0.0});
    }
    for (int k = 0; k < nZAA; ++k) {
        const double r = at(zarFirst + k);
        conjugates(out.poles, r, at(zaaFirst + k));
        conjugates(out.zeros, guardedReciprocal(r), at(zaaFirst + k));
    }
    if (nZAR > nZAA) {
        const double r = at(zarLast);
        out.poles.push_back({r, 0.0});
        out.zeros.push_back({guardedReciprocal(r), 0.0});
    }
    return out;
}

ZeroPolePlotGraph::ZeroPolePlotGraph(DesignSession& session, FrameSource source, int width,
                                     int height)
    : PlotGraph(session, width, height), source_(std::move(source)) {
    setXRange(-1.5, 1.5);
    setYRange(-1.5, 1.5);
    setMarksStyle("various");
    initPointsPersistence();
}

void ZeroPolePlotGraph::initPointsPersistence() {
    const int N = layout_[0], M = layout_[1], L = layout_[2], A = layout_[3];
    setPointsPersistence(kCircle, kCircleSegments + 1);
    setPointsPersistence(kZeros, N + 2 * L + A);
    setPointsPersistence(kPoles, M + A);
}

void ZeroPolePlotGraph::plotUnitCircle() {
    for (int i = 0; i <= kCircleSegments; ++i) {
        const double phi = i * 2.0 * std::numbers::pi / kCircleSegments;
        addPoint(kCircle, std::cos(phi), std::sin(phi), i > 0);
    }
}

void ZeroPolePlotGraph::plotZerosAndPoles() {
    const ZeroPolePositions p = zeroPolePositions(layout_, frame_.best);
    for (const ZeroPolePoint& z : p.zeros) {
        addPoint(kZeros, z.x, z.y, false);
    }
    for (const ZeroPolePoint& z : p.poles) {
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
