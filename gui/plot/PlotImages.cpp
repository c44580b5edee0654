#include "plot/PlotImages.h"

#include <QDir>
#include <QImage>
#include <QSaveFile>

#include "plot/AnimatedGraphs.h"
#include "plot/SnapshotFrame.h"
#include "plot/ZeroPolePlotGraph.h"
#include "session/DesignSession.h"

namespace dovra::gui {

namespace {

/// Draws the graph at the given size and saves it through a temporary file
/// that replaces the target only once the image is complete.
std::string save(PlotGraph& graph, int width, int height, const QString& path) {
    graph.resize(width, height);
    graph.refreshImage();
    const QImage image = graph.renderImage();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.errorString().toStdString();
    }
    if (!image.save(&file, "PNG")) {
        file.cancelWriting();
        return "the image could not be encoded";
    }
    if (!file.commit()) {
        return file.errorString().toStdString();
    }
    return {};
}

} // namespace

PlotImagesResult writePlotImages(DesignSession& session, const std::string& folder) {
    PlotImagesResult result;
    const QDir dir(QString::fromStdString(folder));
    // One snapshot for all three images, so that they show the same filter.
    const ResponseFrame frame = snapshotFrame(session);
    const FrameSource source = [frame] { return frame; };
    auto write = [&](PlotGraph& graph, int width, int height, const char* name) {
        if (!result.error.empty()) {
            return;
        }
        const QString path = dir.filePath(QString::fromLatin1(name));
        if (std::string why = save(graph, width, height, path); !why.empty()) {
            result.error = path.toStdString() + ": " + why;
            return;
        }
        result.written.push_back(path.toStdString());
    };

    MagAnimatedLimitPlotGraph magnitude(session, source, kImageWidth, kImageHeight);
    write(magnitude, kImageWidth, kImageHeight, kMagnitudeImage);
    if (session.getGdDbSize(session.gdUpper()) + session.getGdDbSize(session.gdLower()) > 0) {
        AnimatedGdPlotGraph delay(session, source, kImageWidth, kImageHeight);
        write(delay, kImageWidth, kImageHeight, kGroupDelayImage);
    }
    ZeroPolePlotGraph zeroPole(session, source, kImageHeight, kImageHeight);
    write(zeroPole, kImageHeight, kImageHeight, kPoleZeroImage);
    return result;
}

} // namespace dovra::gui
