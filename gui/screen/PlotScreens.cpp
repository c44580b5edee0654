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

MagTsPlotScreen::MagTsPlotScreen(MagnitudePanel& owner, DesignSession& session)
    : PlotScreen(QStringLiteral("Magnitude Tolerance Scheme"), &owner,
                 [&owner] { owner.deleteMagTsScreen(); }) {
    place(new MagLimitPlotGraph(session, width(), height()));
}

MagLimitPlotGraph& MagTsPlotScreen::graph() const {
    return static_cast<MagLimitPlotGraph&>(plotGraph());
}

GdTsPlotScreen::GdTsPlotScreen(GroupDelayPanel& owner, DesignSession& session)
    : PlotScreen(QStringLiteral("Group Delay Tolerance Scheme"), &owner,
                 [&owner] { owner.deleteGdTsScreen(); }) {
    place(new GdLimitPlotGraph(session, width(), height()));
}

GdLimitPlotGraph& GdTsPlotScreen::graph() const {
    return static_cast<GdLimitPlotGraph&>(plotGraph());
}

FfMagPlotScreen::FfMagPlotScreen(FixedFilterPanel& owner, DesignSession& session)
    : PlotScreen(QStringLiteral("Magnitude Plot (prefilter)"), &owner,
                 [&owner] { owner.deleteMagTsScreen(); }) {
    place(new FfMagPlotGraph(session, width(), height()));
}

FfMagPlotGraph& FfMagPlotScreen::graph() const {
    return static_cast<FfMagPlotGraph&>(plotGraph());
}

FfGdPlotScreen::FfGdPlotScreen(FixedFilterPanel& owner, DesignSession& session)
    : PlotScreen(QStringLiteral("Group Delay Plot (prefilter)"), &owner,
                 [&owner] { owner.deleteGdScreen(); }) {
    place(new FfGdPlotGraph(session, width(), height()));
}

FfGdPlotGraph& FfGdPlotScreen::graph() const {
    return static_cast<FfGdPlotGraph&>(plotGraph());
}

MagTsAnimatedPlotScreen::MagTsAnimatedPlotScreen(ActivityPanel& owner, DesignSession& session)
    : PlotScreen(QStringLiteral("Magnitude Plot"), &owner,
                 [&owner] { owner.deleteMagTsScreen(); }) {
    place(new MagAnimatedLimitPlotGraph(session, snapshotFrameSource(session), width(), height()));
}

MagAnimatedLimitPlotGraph& MagTsAnimatedPlotScreen::graph() const {
    return static_cast<MagAnimatedLimitPlotGraph&>(plotGraph());
}

GdAnimatedPlotScreen::GdAnimatedPlotScreen(ActivityPanel& owner, DesignSession& session)
    : PlotScreen(QStringLiteral("Group Delay Plot"), &owner, [&owner] { owner.deleteGdScreen(); }) {
    place(new AnimatedGdPlotGraph(session, snapshotFrameSource(session), width(), height()));
}

AnimatedGdPlotGraph& GdAnimatedPlotScreen::graph() const {
    return static_cast<AnimatedGdPlotGraph&>(plotGraph());
}

ZpAnimatedPlotScreen::ZpAnimatedPlotScreen(ActivityPanel& owner, DesignSession& session)
    : PlotScreen(QStringLiteral("Pole Zero Plot (no quant.)"), &owner,
                 [&owner] { owner.deleteZpScreen(); }) {
    place(new ZeroPolePlotGraph(session, snapshotFrameSource(session), width(), height()));
}

ZeroPolePlotGraph& ZpAnimatedPlotScreen::graph() const {
    return static_cast<ZeroPolePlotGraph&>(plotGraph());
}

} // namespace dovra::gui
