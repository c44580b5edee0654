#include "plot/AnimatedGraphs.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

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
    curve_.assign(kCurvePoints, 0.0);
    setAxisTitles(QStringLiteral("normalized frequency"), QString());
}

double AnimatedResponseGraph::curveFrequency(int i) {
    return -0.000001 + i * (0.5 + 0.000001) / (kCurvePoints - 1);
}

void AnimatedResponseGraph::refreshImage() {
    frame_ = source_();
    if (fitRanges()) {
        // The old curves were drawn at the old scale: start afresh.
        initFlag_ = 1;
    }
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

void AnimatedResponseGraph::startAfresh() {
    frame_ = source_();
    fitRanges();
    initPointsPersistence();
    init();
    plotTolerance();
    plotResponse();
}

MagAnimatedLimitPlotGraph::MagAnimatedLimitPlotGraph(DesignSession& session, FrameSource source,
                                                     int width, int height)
    : AnimatedResponseGraph(session, std::move(source), width, height, -100.0, 10.0) {
    setAxisTitles(QStringLiteral("normalized frequency"), QStringLiteral("magnitude in dB"));
    initPointsPersistence();
}

void MagAnimatedLimitPlotGraph::initPointsPersistence() {
    setPointsPersistence(1, kCurvePoints);
    setPointsPersistence(2, kCurvePoints);
}

void AnimatedResponseGraph::plotCurve() {
    for (int i = 0; i < kCurvePoints; ++i) {
        addPoint(kResponse, curveFrequency(i), curve_[static_cast<std::size_t>(i)], i > 0);
    }
}

namespace {

/// The smallest and largest finite value.
std::pair<double, double> finiteBounds(const std::vector<double>& v) {
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (double x : v) {
        if (std::isfinite(x)) {
            low = std::min(low, x);
            high = std::max(high, x);
        }
    }
    return {low, high};
}

} // namespace

bool MagAnimatedLimitPlotGraph::fitRanges() {
    if (!frame_.magnitude) {
        return false;
    }
    for (int i = 0; i < kCurvePoints; ++i) {
        curve_[static_cast<std::size_t>(i)] =
            20.0 * std::log10(frame_.magnitude(curveFrequency(i)));
    }
    auto [low, high] = magnitudeLimitBounds();
    const auto [curveLow, curveHigh] = finiteBounds(curve_);
    if (low <= high) {
        // A floor below the lowest limit: the curve's nulls do not pull the
        // axis down to -300 dB.
        low -= 20.0;
        high = std::max(high, curveHigh) + 5.0;
    } else if (curveLow <= curveHigh) {
        high = curveHigh + 5.0;
        low = std::max(curveLow, curveHigh - 120.0);
    }
    const auto [l, h] = roundedRange(low, high, true);
    return fitYRange(l, h);
}

void MagAnimatedLimitPlotGraph::plotMagnitude() {
    if (frame_.magnitude) {
        plotCurve();
    }
}

AnimatedGdPlotGraph::AnimatedGdPlotGraph(DesignSession& session, FrameSource source, int width,
                                         int height)
    : AnimatedResponseGraph(session, std::move(source), width, height, -10.0, 10.0) {
    // The row counts of the moment the window opens.
    limitRows_ = session.getGdDbSize(session.gdUpper()) + session.getGdDbSize(session.gdLower());
    setAxisTitles(QStringLiteral("normalized frequency"), QStringLiteral("group delay in samples"));
    initPointsPersistence();
}

void AnimatedGdPlotGraph::initPointsPersistence() {
    setPointsPersistence(1, limitRows_);
    setPointsPersistence(2, kCurvePoints - 1);
}

void AnimatedGdPlotGraph::plotTolerance() {
    plotGroupDelayLimits(frame_.offset);
}

bool AnimatedGdPlotGraph::fitRanges() {
    if (!frame_.groupDelay) {
        return false;
    }
    for (int i = 0; i < kCurvePoints; ++i) {
        curve_[static_cast<std::size_t>(i)] = frame_.groupDelay(curveFrequency(i));
    }
    auto [low, high] = groupDelayLimitBounds(frame_.offset);
    const auto [curveLow, curveHigh] = finiteBounds(curve_);
    low = std::min(low, curveLow);
    high = std::max(high, curveHigh);
    const auto [l, h] = roundedRange(low, high, false);
    return fitYRange(l, h);
}

void AnimatedGdPlotGraph::plotGroupDelay() {
    if (frame_.groupDelay) {
        plotCurve();
    }
}

} // namespace dovra::gui
