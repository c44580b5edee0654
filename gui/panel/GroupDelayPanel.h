#pragma once

#include "data/Tables.h"
#include "panel/MyPanel.h"

namespace dovra::gui {

class DovraScreen;

class GroupDelayPanel : public MyPanel {
  public:
    GroupDelayPanel(DovraScreen& screen, GdConstraintsDataBase& upper,
                    GdConstraintsDataBase& lower);

    void reshow();

  private:
    DovraScreen& screen_;
};

} // namespace dovra::gui
