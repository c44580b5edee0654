#include "plot/PlotGraph.h"

#include <algorithm>
#include <cmath>
#include <limits>

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

std::pair<double, double> PlotGraph::magnitudeLimitBounds() const {
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (const MagConstraintsDataBase* t : {&session_.magUpper(), &session_.magLower()}) {
        for (int i = 0; t->getSize() > 1 && i < t->getSize(); ++i) {
            const double v = session_.getMagDbLimit(*t, i);
            if (std::isfinite(v)) {
                low = std::min(low, v);
                high = std::max(high, v);
            }
        }
    }
    return {low, high};
}

std::pair<double, double> PlotGraph::groupDelayLimitBounds(double offset) const {
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (const GdConstraintsDataBase* t : {&session_.gdUpper(), &session_.gdLower()}) {
        for (int i = 0; t->getSize() > 1 && i < t->getSize(); ++i) {
            const double v = session_.getGdDbLimit(*t, i) + offset;
            if (std::isfinite(v)) {
                low = std::min(low, v);
                high = std::max(high, v);
            }
        }
    }
    return {low, high};
}

std::pair<double, double> PlotGraph::roundedRange(double low, double high, bool decibels) {
    if (!(low <= high)) {
        return decibels ? std::pair{-100.0, 10.0} : std::pair{-10.0, 10.0};
    }
    double step = 10.0;
    if (!decibels) {
        step = high > low ? PlotScale::_roundUp((high - low) / 5.0) : 1.0;
    }
    return {step * std::floor(low / step), step * std::ceil(high / step)};
}

bool PlotGraph::fitYRange(double low, double high) {
    if (userZoomed() || (low == fittedLow_ && high == fittedHigh_)) {
        return false;
    }
    fittedLow_ = low;
    fittedHigh_ = high;
    setYRange(low, high);
    return true;
}

void PlotGraph::paint() {
    if (initFlag_ == 1) {
        startAfresh();
        initFlag_ = 0;
    }
    redraw();
}

void PlotGraph::redraw() {
    clearReshaped();
    drawPlot(true);
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
