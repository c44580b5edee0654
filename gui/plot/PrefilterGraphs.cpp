#include "plot/PrefilterGraphs.h"

#include <cmath>

#include "plot/SnapshotFrame.h"
#include "session/DesignSession.h"

namespace dovra::gui {

namespace {

constexpr int kResponse = 2;

} // namespace

FfMagPlotGraph::FfMagPlotGraph(DesignSession& session, int width, int height)
    : PlotGraph(session, width, height) {
    setXRange(-0.000001, 0.5);
    setYRange(-100.0, 10.0);
    initPointsPersistence();
}

void FfMagPlotGraph::initPointsPersistence() {
    setPointsPersistence(1, 514);
    setPointsPersistence(2, 514);
}

double FfMagPlotGraph::binFrequency(int k) {
    return -0.000001 + k * (0.5 + 0.000001) / (kTransformSize / 2);
}

void FfMagPlotGraph::getFilterData() {
    lists_ =
        readPrefilter(prefilterCoefficients(session_, session_.ffNumerator()),
                      prefilterCoefficients(session_, session_.ffDenominator()), kTransformSize,
                      [this](const std::string& l) { session_.console().out(l); });
    magnitude_ = prefilterMagnitude(lists_, kTransformSize, kTransformLog2);
}

void FfMagPlotGraph::plotMagnitude() {
    for (int k = 0; k <= kTransformSize / 2; ++k) {
        addPoint(kResponse, binFrequency(k),
                 20.0 * std::log10(magnitude_[static_cast<std::size_t>(k)]), k > 0);
    }
}

void FfMagPlotGraph::refreshImage() {
    init();
    getFilterData();
    plotTolerance();
    drawPlot(true);
    plotMagnitude();
}

void FfMagPlotGraph::startAfresh() {
    init();
    getFilterData();
    plotTolerance();
    plotMagnitude();
}

FfGdPlotGraph::FfGdPlotGraph(DesignSession& session, int width, int height)
    : PlotGraph(session, width, height) {
    setXRange(-0.000001, 0.5);
    setYRange(-10.0, 10.0);
    initPointsPersistence();
}

void FfGdPlotGraph::initPointsPersistence() {
    setPointsPersistence(1, session_.getGdDbSize(session_.gdUpper()) +
                                session_.getGdDbSize(session_.gdLower()));
    setPointsPersistence(2, kPoints);
}

double FfGdPlotGraph::pointFrequency(int i) {
    return -0.000001 + i * (0.5 + 0.000001) / (kPoints - 1);
}

void FfGdPlotGraph::getFilterData_gd() {
    lists_ =
        readPrefilter(prefilterCoefficients(session_, session_.ffNumerator()),
                      prefilterCoefficients(session_, session_.ffDenominator()), kCoefficientLimit,
                      [this](const std::string& l) { session_.console().out(l); });
}

double FfGdPlotGraph::groupDelayAt(double w) const {
    return gdel_ab(lists_.a, lists_.b, lists_.na - 1, lists_.nb - 1, w);
}

void FfGdPlotGraph::plotTolerance() {
    plotGroupDelayLimits(session_.getOffset());
}

void FfGdPlotGraph::plotGroupDelay() {
    for (int i = 0; i < kPoints; ++i) {
        const double w = pointFrequency(i);
        addPoint(kResponse, w, groupDelayAt(w), i > 0);
    }
}

void FfGdPlotGraph::refreshImage() {
    initPointsPersistence();
    init();
    getFilterData_gd();
    plotTolerance();
    drawPlot(true);
    plotTolerance();
    plotGroupDelay();
}

void FfGdPlotGraph::startAfresh() {
    initPointsPersistence();
    init();
    getFilterData_gd();
    plotTolerance();
    plotGroupDelay();
}

} // namespace dovra::gui
