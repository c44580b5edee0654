#pragma once
// The small top-level windows that each hold one graph: the tolerance
// schemes (opened from the tolerance scheme pages), the prefilter's
// magnitude and group delay (prefilter page) and the animated responses and
// pole-zero positions of a design run (activity page). When the user closes
// one, the window tells the page that opened it, which disposes of it and
// turns its check box off.

#include <functional>

#include "screen/Screen.h"

namespace dovra {
class DesignSession;
}

namespace dovra::gui {

class PlotGraph;
class MagLimitPlotGraph;
class GdLimitPlotGraph;
class FfMagPlotGraph;
class FfGdPlotGraph;
class MagnitudePanel;
class GroupDelayPanel;
class FixedFilterPanel;
class ActivityPanel;
class MagAnimatedLimitPlotGraph;
class AnimatedGdPlotGraph;
class ZeroPolePlotGraph;

class PlotScreen : public Screen {
  public:
    QSize sizeHint() const override { return {300, 300}; }
    QSize minimumSizeHint() const override { return {300, 300}; }
    void refreshImage();
    void setInitFlag(int flag);
    PlotGraph& plotGraph() const { return *graph_; }

  protected:
    /// title: the window title; closed: the owner's close call, made on the
    /// owner's thread after the close event (the owner deletes the window).
    PlotScreen(const QString& title, QObject* owner, std::function<void()> closed);
    /// Places the graph made for the window's size.
    void place(PlotGraph* graph);
    /// The user's close is handed to the owner, which disposes of the window.
    void closeEvent(QCloseEvent* event) override;

  private:
    QObject* owner_;
    std::function<void()> closed_;
    PlotGraph* graph_ = nullptr;
};

/// The plot window a page holds while its switch is on: created, sized to
/// its preferred size and shown by open, deleted by dispose and with the page.
template <class Window> class PlotWindowSlot {
  public:
    PlotWindowSlot() = default;
    PlotWindowSlot(const PlotWindowSlot&) = delete;
    PlotWindowSlot& operator=(const PlotWindowSlot&) = delete;
    ~PlotWindowSlot() { dispose(); }

    template <class Owner> void open(Owner& owner, DesignSession& session) {
        dispose();
        window_ = new Window(owner, session);
        window_->resize(window_->sizeHint());
        window_->show();
    }
    void dispose() {
        delete window_;
        window_ = nullptr;
    }
    void refresh() {
        if (window_) {
            window_->refreshImage();
        }
    }
    void restart() {
        if (window_) {
            window_->setInitFlag(1);
        }
    }
    Window* get() const { return window_; }

  private:
    Window* window_ = nullptr;
};

class MagTsPlotScreen : public PlotScreen {
  public:
    MagTsPlotScreen(MagnitudePanel& owner, DesignSession& session);
    MagLimitPlotGraph& graph() const;
};

class GdTsPlotScreen : public PlotScreen {
  public:
    GdTsPlotScreen(GroupDelayPanel& owner, DesignSession& session);
    GdLimitPlotGraph& graph() const;
};

class FfMagPlotScreen : public PlotScreen {
  public:
    FfMagPlotScreen(FixedFilterPanel& owner, DesignSession& session);
    FfMagPlotGraph& graph() const;
};

class FfGdPlotScreen : public PlotScreen {
  public:
    FfGdPlotScreen(FixedFilterPanel& owner, DesignSession& session);
    FfGdPlotGraph& graph() const;
};

// The animated windows of the activity page take their frames from the
// session's progress snapshot.

class MagTsAnimatedPlotScreen : public PlotScreen {
  public:
    MagTsAnimatedPlotScreen(ActivityPanel& owner, DesignSession& session);
    MagAnimatedLimitPlotGraph& graph() const;
};

class GdAnimatedPlotScreen : public PlotScreen {
  public:
    GdAnimatedPlotScreen(ActivityPanel& owner, DesignSession& session);
    AnimatedGdPlotGraph& graph() const;
};

class ZpAnimatedPlotScreen : public PlotScreen {
  public:
    ZpAnimatedPlotScreen(ActivityPanel& owner, DesignSession& session);
    ZeroPolePlotGraph& graph() const;
};

} // namespace dovra::gui
