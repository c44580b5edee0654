#pragma once
// The magnitude and group-delay tolerance schemes alone, as the tolerance
// scheme pages show them: the limits of the upper and lower tables in red
// over the normalized frequency 0 to 0.5.

#include "plot/PlotGraph.h"

namespace dovra::gui {

/// Limits only: redrawn whole from the tables on every refresh.
class ToleranceSchemeGraph : public PlotGraph {
  public:
    void refreshImage() override;
    virtual void plotTolerance() = 0;
    /// Fits the y range to the limits.
    virtual void fitRanges() = 0;

  protected:
    ToleranceSchemeGraph(DesignSession& session, int width, int height, double yMin, double yMax);
    /// The limits drawn whole (refreshImage).
    void startAfresh() override { refreshImage(); }
    /// What was drawn stays until the widget is resized.
    void redraw() override;
};

class MagLimitPlotGraph : public ToleranceSchemeGraph {
  public:
    MagLimitPlotGraph(DesignSession& session, int width, int height)
        : ToleranceSchemeGraph(session, width, height, -100.0, 10.0) {
        setAxisTitles(QStringLiteral("normalized frequency"), QStringLiteral("magnitude in dB"));
    }
    void plotTolerance() override { plotMagnitudeLimits(); }
    /// From 20 dB below the lowest limit to 5 dB above the highest.
    void fitRanges() override {
        const auto [low, high] = magnitudeLimitBounds();
        const auto [l, h] =
            low <= high ? roundedRange(low - 20.0, high + 5.0, true) : roundedRange(1.0, 0.0, true);
        fitYRange(l, h);
    }
};

class GdLimitPlotGraph : public ToleranceSchemeGraph {
  public:
    GdLimitPlotGraph(DesignSession& session, int width, int height)
        : ToleranceSchemeGraph(session, width, height, -10.0, 10.0) {
        setAxisTitles(QStringLiteral("normalized frequency"),
                      QStringLiteral("group delay in samples"));
    }
    /// The limits as the tables hold them, without the run's offset.
    void plotTolerance() override { plotGroupDelayLimits(0.0); }
    void fitRanges() override {
        const auto [low, high] = groupDelayLimitBounds(0.0);
        const auto [l, h] = roundedRange(low, high, false);
        fitYRange(l, h);
    }
};

} // namespace dovra::gui
