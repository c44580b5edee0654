#pragma once
// The animated magnitude and group delay of the best filter found so far,
// against the tolerance scheme. Each refresh adds a new curve of 1001 points;
// data set 2 keeps a fixed number of points, so the new curve pushes the
// previous one out point by point.

#include <vector>

#include "plot/PlotGraph.h"
#include "plot/ResponseFrame.h"

namespace dovra::gui {

class AnimatedResponseGraph : public PlotGraph {
  public:
    static constexpr int kCurvePoints = 1001;

    void refreshImage() override;
    /// Frequency of curve point i.
    static double curveFrequency(int i);

  protected:
    AnimatedResponseGraph(DesignSession& session, FrameSource source, int width, int height,
                          double yMin, double yMax);
    /// The frame taken now, the ranges fitted to it, the limits and the curve.
    void startAfresh() override;
    virtual void initPointsPersistence() = 0;
    virtual void plotTolerance() = 0;
    /// The curve of the frame taken last.
    virtual void plotResponse() = 0;
    /// Computes the curve of the frame taken last into curve_ and fits the
    /// y range to it and to the limits; true when the range changed.
    virtual bool fitRanges() = 0;
    /// Adds curve_ as data set 2.
    void plotCurve();

    FrameSource source_;
    ResponseFrame frame_;
    std::vector<double> curve_;
};

class MagAnimatedLimitPlotGraph : public AnimatedResponseGraph {
  public:
    MagAnimatedLimitPlotGraph(DesignSession& session, FrameSource source, int width, int height);
    void plotTolerance() override { plotMagnitudeLimits(); }
    void plotMagnitude();

  protected:
    void initPointsPersistence() override;
    void plotResponse() override { plotMagnitude(); }
    /// From 20 dB below the lowest limit to 5 dB above the highest of the
    /// limits and the curve (a resonance included), rounded out to 10 dB.
    bool fitRanges() override;
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
    /// The limits (with the offset) and the whole curve.
    bool fitRanges() override;

  private:
    int limitRows_ = 0;
};

} // namespace dovra::gui
