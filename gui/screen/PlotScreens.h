#pragma once
// The small top-level windows that each hold one graph: the tolerance
// schemes (opened from the tolerance scheme pages), the prefilter's
// magnitude and group delay (prefilter page) and the animated responses and
// pole-zero positions of a design run (activity page). When the user closes
// one, the window tells the page that opened it, which disposes of it and
// turns its check box off.

#include <QCheckBox>
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

/// A page's plot window behind a check box: a click opens the window when
/// the switch is off and disposes of it when on. The window follows the
/// switch's flag, not the box's own state, and the box is set to the flag
/// after each click; the user's close of the window turns the switch off.
template <class Window> class PlotWindowSwitch {
  public:
    explicit PlotWindowSwitch(const QString& label) : box_(new QCheckBox(label)) {}

    /// Clicks on the box toggle owner's window; after runs after each toggle.
    template <class Owner>
    void attach(Owner& owner, DesignSession& session, std::function<void()> after) {
        QObject::connect(box_, &QCheckBox::clicked, &owner,
                         [this, &owner, &session, after = std::move(after)] {
                             if (!shown_) {
                                 window_.open(owner, session);
                             } else {
                                 window_.dispose();
                             }
                             shown_ = !shown_;
                             box_->setChecked(shown_);
                             after();
                         });
    }
    /// The user closed the window.
    void closed() {
        window_.dispose();
        shown_ = false;
        box_->setChecked(false);
    }
    /// The shown window redraws (refreshImage).
    void refresh() {
        if (shown_) {
            window_.refresh();
        }
    }
    /// The shown window starts afresh (setInitFlag(1)).
    void restart() {
        if (shown_) {
            window_.restart();
        }
    }

    QCheckBox* box() const { return box_; }
    bool shown() const { return shown_; }
    Window* window() const { return window_.get(); }

  private:
    QCheckBox* box_;
    bool shown_ = false;
    PlotWindowSlot<Window> window_;
};

/// A plot window that holds a graph of type Graph and tells a page of type
/// Owner when the user closes it. The windows differ only in their title,
/// the owner's call and the graph's data source (PlotScreens.cpp).
template <class Graph, class Owner> class GraphPlotScreen : public PlotScreen {
  public:
    GraphPlotScreen(Owner& owner, DesignSession& session);
    Graph& graph() const;
};

using MagTsPlotScreen = GraphPlotScreen<MagLimitPlotGraph, MagnitudePanel>;
using GdTsPlotScreen = GraphPlotScreen<GdLimitPlotGraph, GroupDelayPanel>;
using FfMagPlotScreen = GraphPlotScreen<FfMagPlotGraph, FixedFilterPanel>;
using FfGdPlotScreen = GraphPlotScreen<FfGdPlotGraph, FixedFilterPanel>;
// The animated windows of the activity page take their frames from the
// session's progress snapshot.
using MagTsAnimatedPlotScreen = GraphPlotScreen<MagAnimatedLimitPlotGraph, ActivityPanel>;
using GdAnimatedPlotScreen = GraphPlotScreen<AnimatedGdPlotGraph, ActivityPanel>;
using ZpAnimatedPlotScreen = GraphPlotScreen<ZeroPolePlotGraph, ActivityPanel>;

} // namespace dovra::gui
