#include "plot/AnimatedGraphs.h"

#include <cmath>

#include "session/DesignSession.h"

namespace dovra::gui {

namespace {

constexpr int kResponse = 2;

} // namespace

AnimatedResponseGraph::AnimatedResponseGraph(DesignSession& session, FrameSource source, int width,
                                             int height, double yMin, double yMax)
    : PlotGraph(session, width, height), source_(std::move(source)) {
    setXRange(-0.000001, 0.5);
    setYRange(yMin, yMax);
}

double AnimatedResponseGraph::curveFrequency(int i) {
    return -0.000001 + i * (0.5 + 0.000001) / (kCurvePoints - 1);
}

void AnimatedResponseGraph::refreshImage() {
    frame_ = source_();
    if (initFlag_ == 1) {
        initPointsPersistence();
        init();
        drawPlot(true);
        initFlag_ = 0;
    }
    plotTolerance();
    plotResponse();
    requestPaint();
}

void AnimatedResponseGraph::paint() {
    if (initFlag_ == 1) {
        frame_ = source_();
        initPointsPersistence();
        init();
        plotTolerance();
        initFlag_ = 0;
        plotResponse();
    }
    if (reshaped()) {
        clearReshaped();
    }
    drawPlot(true);
}

MagAnimatedLimitPlotGraph::MagAnimatedLimitPlotGraph(DesignSession& session, FrameSource source,
                                                     int width, int height)
    : AnimatedResponseGraph(session, std::move(source), width, height, -100.0, 10.0) {
    initPointsPersistence();
}

void MagAnimatedLimitPlotGraph::initPointsPersistence() {
    setPointsPersistence(1, kCurvePoints);
    setPointsPersistence(2, kCurvePoints);
}

void MagAnimatedLimitPlotGraph::plotMagnitude() {
    if (!frame_.magnitude) {
        return;
    }
    for (int i = 0; i < kCurvePoints; ++i) {
        const double w = curveFrequency(i);
        addPoint(kResponse, w, 20.0 * std::log10(frame_.magnitude(w)), i > 0);
    }
}

AnimatedGdPlotGraph::AnimatedGdPlotGraph(DesignSession& session, FrameSource source, int width,
                                         int height)
    : AnimatedResponseGraph(session, std::move(source), width, height, -10.0, 10.0) {
    // The row counts of the moment the window opens.
    limitRows_ = session.getGdDbSize(session.gdUpper()) + session.getGdDbSize(session.gdLower());
    initPointsPersistence();
}

void AnimatedGdPlotGraph::initPointsPersistence() {
    setPointsPersistence(1, limitRows_);
    setPointsPersistence(2, kCurvePoints - 1);
}

void AnimatedGdPlotGraph::plotTolerance() {
    plotGroupDelayLimits(frame_.offset);
}

void AnimatedGdPlotGraph::plotGroupDelay() {
    if (!frame_.groupDelay) {
        return;
    }
    for (int i = 0; i < kCurvePoints; ++i) {
        const double w = curveFrequency(i);
        addPoint(kResponse, w, frame_.groupDelay(w), i > 0);
    }
}

} // namespace dovra::gui
