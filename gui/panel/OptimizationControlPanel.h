#pragma once

#include "data/Tables.h"
#include "panel/MyPanel.h"

namespace dovra::gui {

class DovraScreen;

class OptimizationControlPanel : public MyPanel {
  public:
    OptimizationControlPanel(DovraScreen& screen, MagConstraintsDataBase& upper);

  private:
    DovraScreen& screen_;
};

} // namespace dovra::gui
