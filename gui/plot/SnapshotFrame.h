#pragma once
// The frame of the animated graphs taken from the design session's
// published progress snapshot, on the calling (window) thread.

#include <vector>

#include "plot/ResponseFrame.h"

namespace dovra {
class DesignSession;
class FixedFilterDataBase;
} // namespace dovra

namespace dovra::gui {

/// The best vector, its layout and offset of one snapshot, with the
/// responses of the filter that vector describes cascaded with the run's
/// prefilter.
ResponseFrame snapshotFrame(DesignSession& session);

/// A source that takes a new snapshot at every call.
FrameSource snapshotFrameSource(DesignSession& session);

/// The coefficients of a prefilter table as numbers.
std::vector<double> prefilterCoefficients(DesignSession& session, const FixedFilterDataBase& table);

} // namespace dovra::gui
