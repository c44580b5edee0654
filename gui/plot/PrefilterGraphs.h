#pragma once
// The prefilter's magnitude (dB) and group delay (samples) against the
// tolerance scheme, computed from the prefilter tables as they stand.

#include <vector>

#include "plot/PlotGraph.h"
#include "problem/PrefilterTransform.h"

namespace dovra::gui {

class FfMagPlotGraph : public PlotGraph {
  public:
    static constexpr int kTransformSize = 1024;
    static constexpr int kTransformLog2 = 10;

    FfMagPlotGraph(DesignSession& session, int width, int height);
    void refreshImage() override;

    void getFilterData();
    void plotTolerance() { plotMagnitudeLimits(); }
    void plotMagnitude();
    /// Magnitude of the prefilter at the bins 0 .. 512 (after getFilterData).
    const std::vector<double>& magnitude() const { return magnitude_; }
    /// Frequency of bin k as plotted.
    static double binFrequency(int k);

  protected:
    /// The prefilter read now, the limits and its magnitude.
    void startAfresh() override;

  private:
    void initPointsPersistence();
    PrefilterLists lists_;
    std::vector<double> magnitude_;
};

class FfGdPlotGraph : public PlotGraph {
  public:
    static constexpr int kCoefficientLimit = 100;
    static constexpr int kPoints = 151;

    FfGdPlotGraph(DesignSession& session, int width, int height);
    void refreshImage() override;

    void getFilterData_gd();
    /// The group-delay limits shifted by the current offset.
    void plotTolerance();
    void plotGroupDelay();
    void initPointsPersistence();
    /// Frequency of point i as plotted.
    static double pointFrequency(int i);
    double groupDelayAt(double w) const;

  protected:
    /// The prefilter read now, the limits and its group delay.
    void startAfresh() override;

  private:
    PrefilterLists lists_;
};

} // namespace dovra::gui
