#include "plotbox/PlotScale.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace dovra::gui {

void PlotScale::applyRange(double min, double max, double& vmin, double& vmax, double& tmin,
                           double& tmax, int& exp) {
    if (!(max >= min)) {
        min = -1.0;
        max = 1.0;
    } else if (min == max) {
        min -= 1.0;
        max += 1.0;
    }
    const double pad = 0.05 * (max - min);
    vmin = min - pad;
    vmax = max + pad;
    const double largest = std::max(std::fabs(vmin), std::fabs(vmax));
    const int e = static_cast<int>(std::floor(std::log10(largest)));
    // Labels stay plain numbers wherever they fit in five characters (-9999
    // to 0.005); only beyond that is the axis scaled by a power of ten.
    if (e > 3 || e < -2) {
        exp = e;
        const double f = std::pow(10.0, -e);
        tmin = vmin * f;
        tmax = vmax * f;
    } else {
        exp = 0;
        tmin = vmin;
        tmax = vmax;
    }
}

void PlotScale::_setXRange(double min, double max) {
    applyRange(min, max, xMin, xMax, xtickMin, xtickMax, xExp);
}

void PlotScale::_setYRange(double min, double max) {
    applyRange(min, max, yMin, yMax, ytickMin, ytickMax, yExp);
}

void PlotScale::setXRange(double min, double max) {
    xRangeGiven = true;
    _setXRange(min, max);
}

void PlotScale::setYRange(double min, double max) {
    yRangeGiven = true;
    _setYRange(min, max);
}

void PlotScale::widen(double x, double y) {
    if (std::isfinite(x)) {
        xBottom = std::min(xBottom, x);
        xTop = std::max(xTop, x);
    }
    if (std::isfinite(y)) {
        yBottom = std::min(yBottom, y);
        yTop = std::max(yTop, y);
    }
}

void PlotScale::resetBounds() {
    xBottom = yBottom = std::numeric_limits<double>::max();
    xTop = yTop = -std::numeric_limits<double>::max();
}

void PlotScale::applyDataRanges() {
    if (!xRangeGiven) {
        if (xBottom > xTop) {
            _setXRange(0.0, 0.0);
        } else {
            _setXRange(xBottom, xTop);
        }
    }
    if (!yRangeGiven) {
        if (yBottom > yTop) {
            _setYRange(0.0, 0.0);
        } else {
            _setYRange(yBottom, yTop);
        }
    }
}

PlotFrame PlotScale::layout(int width, int height, const FontMeasure& fonts) const {
    PlotFrame f;
    const int labelHeight = fonts.labelHeight;
    f.titleY = yExp != 0 ? fonts.titleHeight + kTopPadding : 0;
    f.bottomPadding = xExp != 0 ? (3 * labelHeight) / 2 + 5 : kBottomPadding;
    if (xTitled) {
        f.bottomPadding += labelHeight + 2;
    }
    f.uly = f.titleY + 5;
    f.lry = height - labelHeight - f.bottomPadding - 3;
    const int plotHeight = f.lry - f.uly;
    f.yscale = plotHeight / (yMax - yMin);
    f.ytickscale = plotHeight / (ytickMax - ytickMin);

    // Numbered y ticks: as many as fit with 10 pixels between labels.
    const int ny = plotHeight / (labelHeight + 10) + 2;
    const double ystep = _roundUp((ytickMax - ytickMin) / ny);
    const int yfrac = _numFracDigits(ystep);
    int widest = 0;
    int count = 0;
    for (double y = ystep * std::ceil(ytickMin / ystep); y <= ytickMax && count < ny;
         y += ystep, ++count) {
        Tick t{y, _formatNum(y, yfrac)};
        if (fonts.labelWidth) {
            widest = std::max(widest, fonts.labelWidth(t.label));
        }
        f.yticks.push_back(std::move(t));
    }

    f.ulx = kLeftPadding + widest + (yTitled ? labelHeight + 2 : 0);
    f.lrx = width - kLegendWidth - kRightPadding;
    const int plotWidth = f.lrx - f.ulx;
    f.xscale = plotWidth / (xMax - xMin);
    f.xtickscale = plotWidth / (xtickMax - xtickMin);

    // Numbered x ticks: one estimation of the label width from a first step.
    double xstep = _roundUp((xtickMax - xtickMin) / 10.0);
    int xfrac = _numFracDigits(xstep);
    const int intDigits = std::max(_numIntDigits(xtickMax), _numIntDigits(xtickMin));
    const int labelWidth = fonts.charWidth * (intDigits + xfrac + 2);
    const int nx = plotWidth / (labelWidth + 10) + 2;
    xstep = _roundUp((xtickMax - xtickMin) / nx);
    xfrac = _numFracDigits(xstep);
    // The count bound keeps a pathological range from looping for long.
    count = 0;
    for (double x = xstep * std::ceil(xtickMin / xstep); x <= xtickMax && count <= 2 * nx;
         x += xstep, ++count) {
        f.xticks.push_back({x, _formatNum(x, xfrac)});
    }
    return f;
}

bool PlotScale::zoomIn(const PlotFrame& f, int startX, int startY, int endX, int endY) {
    if (std::abs(endX - startX) <= 5 || std::abs(endY - startY) <= 5) {
        return false;
    }
    const double a = xMin + (startX - f.ulx) / f.xscale;
    const double b = xMin + (endX - f.ulx) / f.xscale;
    const double c = yMax - (startY - f.uly) / f.yscale;
    const double d = yMax - (endY - f.uly) / f.yscale;
    setXRange(std::min(a, b), std::max(a, b));
    setYRange(std::min(c, d), std::max(c, d));
    return true;
}

void PlotScale::zoomOut(int dx, int dy) {
    const double ddx = (xMax - xMin) * std::abs(dx) / 30.0;
    const double ddy = (yMax - yMin) * std::abs(dy) / 30.0;
    const double newXMax = std::min(xMax + ddx, xTop);
    const double newXMin = std::max(xMin - ddx, xBottom);
    const double newYMax = std::min(yMax + ddy, yTop);
    const double newYMin = std::max(yMin - ddy, yBottom);
    setXRange(newXMin, newXMax);
    setYRange(newYMin, newYMax);
}

double PlotScale::_roundUp(double v) {
    const int e = static_cast<int>(std::floor(std::log10(v)));
    const double p = std::pow(10.0, e);
    double m = v / p;
    if (m > 5.0) {
        m = 10.0;
    } else if (m > 2.0) {
        m = 5.0;
    } else if (m > 1.0) {
        m = 2.0;
    }
    return m * p;
}

int PlotScale::_numFracDigits(double v) {
    int n = 0;
    while (v != std::floor(v) && n < 15) {
        v *= 10.0;
        ++n;
    }
    return n;
}

int PlotScale::_numIntDigits(double v) {
    int n = 0;
    while (static_cast<long long>(v) != 0 && n < 15) {
        v *= 0.1;
        ++n;
    }
    return n;
}

std::string PlotScale::_formatNum(double value, int fracDigits) {
    const double half = 0.5 * std::pow(10.0, -fracDigits);
    value += value < 0.0 ? -half : half;
    // The shortest text that reads back, in plain decimal notation: a label
    // is cut at a digit count, which an exponent form would break.
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    std::string text = r.ec == std::errc() ? std::string(buf, r.ptr) : std::string("0");
    const std::size_t point = text.find('.');
    if (point == std::string::npos) {
        if (fracDigits <= 0) {
            return text;
        }
        return text + "." + std::string(static_cast<std::size_t>(fracDigits), '0');
    }
    const int have = static_cast<int>(text.size() - point - 1);
    const int missing = fracDigits - have;
    if (missing > 0) {
        return text + std::string(static_cast<std::size_t>(missing), '0');
    }
    return fracDigits == 0 ? text.substr(0, point)
                           : text.substr(0, point + 1 + static_cast<std::size_t>(fracDigits));
}

long long pixelOf(double v) {
    constexpr double kFar = 1.0e8;
    if (!(v > -kFar)) {
        return static_cast<long long>(-kFar);
    }
    if (!(v < kFar)) {
        return static_cast<long long>(kFar);
    }
    return static_cast<long long>(v);
}

} // namespace dovra::gui
