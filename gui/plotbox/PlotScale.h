#pragma once
// The arithmetic of a plot frame, with no widget: data bounds, the visible
// ranges padded by 5 percent, the "x10" exponents, the plot rectangle in
// pixels for a component size and a font, round tick steps and their label
// texts, and the ranges a zoom gesture leads to. The plot box draws what this
// class computes; tests check it without painting.

#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace dovra::gui {

/// One numbered tick: its value in tick space and its label text.
struct Tick {
    double value = 0.0;
    std::string label;
};

/// What the frame layout needs to know about the fonts, in pixels.
struct FontMeasure {
    int labelHeight = 15;
    int titleHeight = 17;
    /// Width of "8" in the label font.
    int charWidth = 7;
    std::function<int(const std::string&)> labelWidth;
};

/// The plot rectangle and scales for one component size, with its ticks.
struct PlotFrame {
    int ulx = 1, uly = 1, lrx = 100, lry = 100;
    double xscale = 1.0, yscale = 1.0;
    double xtickscale = 1.0, ytickscale = 1.0;
    int titleY = 0;
    int bottomPadding = 5;
    std::vector<Tick> yticks;
    std::vector<Tick> xticks;

    bool contains(long long x, long long y) const {
        return x >= ulx && x <= lrx && y >= uly && y <= lry;
    }
};

class PlotScale {
  public:
    static constexpr int kTopPadding = 10;
    static constexpr int kRightPadding = 10;
    static constexpr int kLeftPadding = 10;
    static constexpr int kBottomPadding = 5;
    /// The legend area right of the plot rectangle (no legend texts here).
    static constexpr int kLegendWidth = 22;

    // Data bounds: bottom greater than top means there is no data yet.
    double xBottom = std::numeric_limits<double>::max();
    double xTop = -std::numeric_limits<double>::max();
    double yBottom = std::numeric_limits<double>::max();
    double yTop = -std::numeric_limits<double>::max();
    bool xRangeGiven = false;
    bool yRangeGiven = false;
    // Room for an axis title: below the x tick labels, left of the y ones.
    bool xTitled = false;
    bool yTitled = false;
    // Visible range (data units) and tick range (divided by 10^exp).
    double xMin = 0.0, xMax = 0.0, yMin = 0.0, yMax = 0.0;
    double xtickMin = 0.0, xtickMax = 0.0, ytickMin = 0.0, ytickMax = 0.0;
    int xExp = 0, yExp = 0;

    /// The caller's range: kept until the next call or zoom.
    void setXRange(double min, double max);
    void setYRange(double min, double max);
    /// Applies a range: degenerate ones widened, 5 percent padding, exponent.
    void _setXRange(double min, double max);
    void _setYRange(double min, double max);
    /// Widens the data bounds with a point (non-finite values are skipped).
    void widen(double x, double y);
    void resetBounds();
    /// Before drawing: an axis without a given range shows the data bounds,
    /// or -1.1 to 1.1 when there is no data.
    void applyDataRanges();

    /// The rectangle, scales and ticks for a component of this size.
    PlotFrame layout(int width, int height, const FontMeasure& fonts) const;

    /// Zoom in to the rectangle from the start to the release corner (pixels,
    /// already inside the frame). False, and nothing changed, when the
    /// rectangle is 5 pixels or less in either direction.
    bool zoomIn(const PlotFrame& f, int startX, int startY, int endX, int endY);
    /// Zoom out by the drag distances in pixels, never beyond the data bounds.
    void zoomOut(int dx, int dy);

    /// 1, 2 or 5 times a power of ten, at least v (v > 0).
    static double _roundUp(double v);
    static int _numFracDigits(double v);
    static int _numIntDigits(double v);
    /// Tick label text of a value with a given number of fraction digits.
    static std::string _formatNum(double value, int fracDigits);

  private:
    static void applyRange(double min, double max, double& vmin, double& vmax, double& tmin,
                           double& tmax, int& exp);
};

/// Pixel from a data value, truncated toward zero and kept within a range a
/// 64-bit coordinate and the painter handle (infinite and not-a-number values
/// land far outside the plot rectangle).
long long pixelOf(double v);

} // namespace dovra::gui
