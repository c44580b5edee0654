#pragma once
// The zeros and poles of the best filter found so far, where the best
// parameter vector puts them (problem/PoleZero), with the unit circle: zeros
// as blue circles, poles as green plus signs, the circle in red.

#include <vector>

#include "plot/PlotGraph.h"
#include "plot/ResponseFrame.h"
#include "problem/PoleZero.h"

namespace dovra::gui {

class ZeroPolePlotGraph : public PlotGraph {
  public:
    static constexpr int kCircleSegments = 100;

    ZeroPolePlotGraph(DesignSession& session, FrameSource source, int width, int height);
    void setPZparameters(const Layout& layout) { layout_ = layout; }
    void initPointsPersistence();
    void plotUnitCircle();
    void plotZerosAndPoles();
    void refreshImage() override;
    /// Both axes from -r to r, r the largest of 1 and every zero's and pole's
    /// coordinate, unless the user zoomed in (the scales are kept equal, so
    /// the circle stays round either way).
    void fitRanges();

  protected:
    /// The frame taken now: the unit circle, the zeros and the poles.
    void startAfresh() override;
    /// At the fitted range each time, so that the widening for equal scales
    /// never builds up over resizes.
    void redraw() override;

  private:
    FrameSource source_;
    ResponseFrame frame_;
    Layout layout_{};
};

} // namespace dovra::gui
