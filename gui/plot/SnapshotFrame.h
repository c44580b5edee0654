#pragma once
// The frame of the animated graphs taken from the design session's
// published progress snapshot, on the calling (window) thread.

#include "plot/ResponseFrame.h"

namespace dovra {
class DesignSession;
}

namespace dovra::gui {

/// The best vector, its layout and offset of one snapshot, with the
/// responses of the filter that vector describes.
ResponseFrame snapshotFrame(const DesignSession& session);

/// A source that takes a new snapshot at every call.
FrameSource snapshotFrameSource(const DesignSession& session);

} // namespace dovra::gui
