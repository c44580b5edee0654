#pragma once

#include "data/Tables.h"
#include "panel/MyPanel.h"

namespace dovra::gui {

class DovraScreen;

class ActivityPanel : public MyPanel {
  public:
    explicit ActivityPanel(DovraScreen& screen);

    /// Repaints the monitor (and the shown plot windows); window thread.
    void updateMonitor();
    /// End of a run: back to "Ready"; window thread.
    void done();

  private:
    DovraScreen& screen_;
};

} // namespace dovra::gui
