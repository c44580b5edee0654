#pragma once
// The plots of a finished run as PNG files, for a run without a window: the
// graphs of the activity page's plot windows, drawn offscreen from the
// session's published snapshot by the same classes.

#include <string>
#include <vector>

namespace dovra {
class DesignSession;
}

namespace dovra::gui {

/// File names in the plot folder.
inline constexpr const char* kMagnitudeImage = "magnitude.png";
inline constexpr const char* kGroupDelayImage = "group-delay.png";
inline constexpr const char* kPoleZeroImage = "pole-zero.png";

/// Pixel size of the response images; the pole-zero image is square.
inline constexpr int kImageWidth = 800;
inline constexpr int kImageHeight = 600;

struct PlotImagesResult {
    /// Paths of the files written, in order.
    std::vector<std::string> written;
    /// Why a file could not be written; empty when all were.
    std::string error;
};

/// Writes the magnitude with its limits, the group delay with its limits
/// shifted by the run's offset (only when the task has group-delay limits)
/// and the zeros and poles of the best filter into folder, each file whole
/// or not at all. Needs a QApplication (the offscreen platform will do).
PlotImagesResult writePlotImages(DesignSession& session, const std::string& folder);

} // namespace dovra::gui
