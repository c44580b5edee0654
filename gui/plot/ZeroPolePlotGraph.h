#pragma once
// The zeros and poles of the best filter found so far, taken directly from
// the best parameter vector (before coefficient quantization), with the unit
// circle: zeros as blue circles, poles as green plus signs, the circle in red.

#include <vector>

#include "plot/PlotGraph.h"
#include "plot/ResponseFrame.h"

namespace dovra::gui {

struct ZeroPolePoint {
    double x = 0.0;
    double y = 0.0;
    bool operator==(const ZeroPolePoint&) const = default;
};

struct ZeroPolePositions {
    std::vector<ZeroPolePoint> zeros;
    std::vector<ZeroPolePoint> poles;
};

/// The positions the layout gives the vector's radii and angles (angles in
/// cycles per sample): conjugate pairs, real roots, linear-phase quadruples
/// and allpass pole/zero pairs at reciprocal radii. Indices outside the
/// vector are not read.
ZeroPolePositions zeroPolePositions(const LayoutRecord& layout, const ParamVector& best);

class ZeroPolePlotGraph : public PlotGraph {
  public:
    static constexpr int kCircleSegments = 100;

    ZeroPolePlotGraph(DesignSession& session, FrameSource source, int width, int height);
    void setPZparameters(const LayoutRecord& layout) { layout_ = layout; }
    void initPointsPersistence();
    void plotUnitCircle();
    void plotZerosAndPoles();
    void refreshImage() override;
    void paint() override;

  private:
    FrameSource source_;
    ResponseFrame frame_;
    LayoutRecord layout_{};
};

} // namespace dovra::gui
