#pragma once

#include "data/Tables.h"
#include "panel/MyPanel.h"

namespace dovra::gui {

class DovraScreen;

class MagnitudePanel : public MyPanel {
  public:
    MagnitudePanel(DovraScreen& screen, MagConstraintsDataBase& upper,
                   MagConstraintsDataBase& lower);

    void reshow();

  private:
    DovraScreen& screen_;
};

} // namespace dovra::gui
