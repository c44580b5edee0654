#pragma once
// The animated magnitude and group delay of the best filter found so far,
// against the tolerance scheme. Each refresh adds a new curve of 1001 points;
// data set 2 keeps a fixed number of points, so the new curve pushes the
// previous one out point by point.

#include "plot/PlotGraph.h"
#include "plot/ResponseFrame.h"

namespace dovra::gui {

class AnimatedResponseGraph : public PlotGraph {
  public:
    static constexpr int kCurvePoints = 1001;

    void refreshImage() override;
    void paint() override;
    /// Frequency of curve point i.
    static double curveFrequency(int i);

  protected:
    AnimatedResponseGraph(DesignSession& session, FrameSource source, int width, int height,
                          double yMin, double yMax);
    virtual void initPointsPersistence() = 0;
    virtual void plotTolerance() = 0;
    /// The curve of the frame taken last.
    virtual void plotResponse() = 0;

    FrameSource source_;
    ResponseFrame frame_;
};

class MagAnimatedLimitPlotGraph : public AnimatedResponseGraph {
  public:
    MagAnimatedLimitPlotGraph(DesignSession& session, FrameSource source, int width, int height);
    void plotTolerance() override { plotMagnitudeLimits(); }
    void plotMagnitude();

  protected:
    void initPointsPersistence() override;
    void plotResponse() override { plotMagnitude(); }
};

class AnimatedGdPlotGraph : public AnimatedResponseGraph {
  public:
    AnimatedGdPlotGraph(DesignSession& session, FrameSource source, int width, int height);
    /// The limits shifted by the frame's offset.
    void plotTolerance() override;
    void plotGroupDelay();

  protected:
    void initPointsPersistence() override;
    void plotResponse() override { plotGroupDelay(); }

  private:
    int limitRows_ = 0;
};

} // namespace dovra::gui
