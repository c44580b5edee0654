#pragma once
// What the response, tolerance and pole-zero graphs share: a data plot that
// reads its data through the design session, an init flag that makes the
// next paint start the graph afresh, and the limits of the tolerance tables
// as one red curve per table.

#include <utility>

#include "plotbox/Plot.h"

namespace dovra {
class DesignSession;
}

namespace dovra::gui {

class PlotGraph : public Plot {
  public:
    /// Redraws the graph from the session's data now.
    virtual void refreshImage() = 0;
    /// The paint of every graph: with the init flag set the graph starts
    /// afresh and the flag is cleared, then the graph is drawn.
    void paint() final;
    /// 1: the next paint starts the graph afresh.
    void setInitFlag(int flag);
    int initFlag() const { return initFlag_; }
    /// Small enough for the 300 by 300 window; the stored size stays preferred.
    QSize minimumSizeHint() const override { return {100, 100}; }

  protected:
    PlotGraph(DesignSession& session, int width, int height);

    /// Takes the graph's data and plots it into empty data sets.
    virtual void startAfresh() = 0;
    /// Draws the axes and the data sets at the widget's size and clears the
    /// reshaped flag.
    virtual void redraw();

    /// Both tables of a kind, upper then lower: a table of more than one row
    /// becomes a red line through its rows, shifted by offset.
    void plotMagnitudeLimits();
    void plotGroupDelayLimits(double offset);
    /// The lowest and highest limit of the tables plotMagnitudeLimits or
    /// plotGroupDelayLimits draws (low above high when they draw nothing).
    std::pair<double, double> magnitudeLimitBounds() const;
    std::pair<double, double> groupDelayLimitBounds(double offset) const;
    /// Sets the y range unless the user zoomed in; true when it changed, so
    /// that what was drawn must be drawn anew.
    bool fitYRange(double low, double high);
    /// A range for data from low to high: limits of a magnitude rounded out
    /// to 10 dB, others to a round step, so that it changes only when the
    /// data moves by a visible amount.
    static std::pair<double, double> roundedRange(double low, double high, bool decibels);

    DesignSession& session_;
    int initFlag_ = 1;
    double fittedLow_ = 0.0;
    double fittedHigh_ = 0.0;
};

} // namespace dovra::gui
