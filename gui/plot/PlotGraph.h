#pragma once
// What the response, tolerance and pole-zero graphs share: a data plot that
// reads its data through the design session, an init flag that makes the
// next paint start the graph afresh, and the limits of the tolerance tables
// as one red curve per table.

#include "plotbox/Plot.h"

namespace dovra {
class DesignSession;
}

namespace dovra::gui {

class PlotGraph : public Plot {
  public:
    /// Redraws the graph from the session's data now.
    virtual void refreshImage() = 0;
    /// 1: the next paint starts the graph afresh.
    void setInitFlag(int flag);
    int initFlag() const { return initFlag_; }
    /// Small enough for the 300 by 300 window; the stored size stays preferred.
    QSize minimumSizeHint() const override { return {100, 100}; }

  protected:
    PlotGraph(DesignSession& session, int width, int height);

    /// Both tables of a kind, upper then lower: a table of more than one row
    /// becomes a red line through its rows, shifted by offset.
    void plotMagnitudeLimits();
    void plotGroupDelayLimits(double offset);

    DesignSession& session_;
    int initFlag_ = 1;
};

} // namespace dovra::gui
