#pragma once

#include "data/Tables.h"
#include "panel/MyPanel.h"

namespace dovra::gui {

class DovraScreen;

class FilterRealizationPanel : public MyPanel {
  public:
    FilterRealizationPanel(DovraScreen& screen, MagConstraintsDataBase& upper,
                           MagConstraintsDataBase& lower);

  private:
    DovraScreen& screen_;
};

} // namespace dovra::gui
