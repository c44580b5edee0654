#pragma once
// One moment of a design run as the animated graphs draw it: the best
// parameter vector with its layout, the group-delay offset, and the
// responses of the best filter cascaded with the prefilter. A frame is
// built on the window thread from the run's published snapshot, so drawing
// it never reads what the design thread is writing.

#include <functional>

#include "problem/Layout.h"
#include "problem/Types.h"

namespace dovra::gui {

struct ResponseFrame {
    Layout layout{};
    ParamVector best{};
    double offset = 0.0;
    /// Linear magnitude of the best filter times the prefilter at a
    /// normalized frequency.
    std::function<double(double)> magnitude;
    /// Group delay in samples of the best filter plus the prefilter.
    std::function<double(double)> groupDelay;
};

/// Where an animated graph takes its frame from at each refresh.
using FrameSource = std::function<ResponseFrame()>;

} // namespace dovra::gui
