#include "screen/PlotScreens.h"

#include <QCloseEvent>
#include <QMetaObject>

#include "panel/ActivityPanel.h"
#include "panel/FixedFilterPanel.h"
#include "panel/GroupDelayPanel.h"
#include "panel/MagnitudePanel.h"
#include "plot/AnimatedGraphs.h"
#include "plot/PrefilterGraphs.h"
#include "plot/SnapshotFrame.h"
#include "plot/ToleranceGraphs.h"
#include "plot/ZeroPolePlotGraph.h"

namespace dovra::gui {

PlotScreen::PlotScreen(const QString& title, QObject* owner, std::function<void()> closed)
    : Screen(QStringLiteral("Plot")), owner_(owner), closed_(std::move(closed)) {
    setWindowTitle(title);
    resize(400, 400);
}

void PlotScreen::place(PlotGraph* graph) {
    graph_ = graph;
    constrain(graph, 0, 0, 1, 1, Fill::Both, Anchor::Center, 1.0, 1.0, 10, 10, 10, 10);
}

void PlotScreen::refreshImage() {
    graph_->refreshImage();
}

void PlotScreen::setInitFlag(int flag) {
    graph_->setInitFlag(flag);
}

void PlotScreen::closeEvent(QCloseEvent* event) {
    // The owner disposes of the window, which must not be deleted inside
    // its own event handler: the call waits for the event loop. A window
    // whose owner is gone by then is no one's to dispose of.
    event->ignore();
    if (closed_) {
        QMetaObject::invokeMethod(owner_, closed_, Qt::QueuedConnection);
    }
}

namespace {

/// What sets a plot window apart: its title, the owner's call when the user
/// closes it, and whether its graph animates the session's progress
/// snapshot (given as the graph's frame source).
template <class Owner> struct WindowKind {
    const char* title;
    void (Owner::*closed)();
    bool animated;
};

template <class Graph, class Owner> constexpr WindowKind<Owner> kWindow{};
template <>
constexpr WindowKind<MagnitudePanel> kWindow<MagLimitPlotGraph, MagnitudePanel>{
    "Magnitude Tolerance Scheme", &MagnitudePanel::deleteMagTsScreen, false};
template <>
constexpr WindowKind<GroupDelayPanel> kWindow<GdLimitPlotGraph, GroupDelayPanel>{
    "Group Delay Tolerance Scheme", &GroupDelayPanel::deleteGdTsScreen, false};
template <>
constexpr WindowKind<FixedFilterPanel> kWindow<FfMagPlotGraph, FixedFilterPanel>{
    "Magnitude Plot (prefilter)", &FixedFilterPanel::deleteMagTsScreen, false};
template <>
constexpr WindowKind<FixedFilterPanel> kWindow<FfGdPlotGraph, FixedFilterPanel>{
    "Group Delay Plot (prefilter)", &FixedFilterPanel::deleteGdScreen, false};
template <>
constexpr WindowKind<ActivityPanel> kWindow<MagAnimatedLimitPlotGraph, ActivityPanel>{
    "Magnitude Plot", &ActivityPanel::deleteMagTsScreen, true};
template <>
constexpr WindowKind<ActivityPanel> kWindow<AnimatedGdPlotGraph, ActivityPanel>{
    "Group Delay Plot", &ActivityPanel::deleteGdScreen, true};
template <>
constexpr WindowKind<ActivityPanel> kWindow<ZeroPolePlotGraph, ActivityPanel>{
    "Pole Zero Plot (no quant.)", &ActivityPanel::deleteZpScreen, true};

} // namespace

template <class Graph, class Owner>
GraphPlotScreen<Graph, Owner>::GraphPlotScreen(Owner& owner, DesignSession& session)
    : PlotScreen(QString::fromLatin1(kWindow<Graph, Owner>.title), &owner,
                 [&owner] { (owner.*kWindow<Graph, Owner>.closed)(); }) {
    static_assert(kWindow<Graph, Owner>.title != nullptr, "a plot window without its kind");
    // The graph is made for the window's size.
    if constexpr (kWindow<Graph, Owner>.animated) {
        place(new Graph(session, snapshotFrameSource(session), width(), height()));
    } else {
        place(new Graph(session, width(), height()));
    }
}

template <class Graph, class Owner> Graph& GraphPlotScreen<Graph, Owner>::graph() const {
    return static_cast<Graph&>(plotGraph());
}

template class GraphPlotScreen<MagLimitPlotGraph, MagnitudePanel>;
template class GraphPlotScreen<GdLimitPlotGraph, GroupDelayPanel>;
template class GraphPlotScreen<FfMagPlotGraph, FixedFilterPanel>;
template class GraphPlotScreen<FfGdPlotGraph, FixedFilterPanel>;
template class GraphPlotScreen<MagAnimatedLimitPlotGraph, ActivityPanel>;
template class GraphPlotScreen<AnimatedGdPlotGraph, ActivityPanel>;
template class GraphPlotScreen<ZeroPolePlotGraph, ActivityPanel>;

} // namespace dovra::gui
