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
    void paint() override;
    virtual void plotTolerance() = 0;

  protected:
    ToleranceSchemeGraph(DesignSession& session, int width, int height, double yMin, double yMax);
};

class MagLimitPlotGraph : public ToleranceSchemeGraph {
  public:
    MagLimitPlotGraph(DesignSession& session, int width, int height)
        : ToleranceSchemeGraph(session, width, height, -100.0, 10.0) {}
    void plotTolerance() override { plotMagnitudeLimits(); }
};

class GdLimitPlotGraph : public ToleranceSchemeGraph {
  public:
    GdLimitPlotGraph(DesignSession& session, int width, int height)
        : ToleranceSchemeGraph(session, width, height, -10.0, 10.0) {}
    /// The limits as the tables hold them, without the run's offset.
    void plotTolerance() override { plotGroupDelayLimits(0.0); }
};

} // namespace dovra::gui
