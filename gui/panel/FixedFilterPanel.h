#pragma once

#include "data/Tables.h"
#include "panel/MyPanel.h"

namespace dovra::gui {

class DovraScreen;

class FixedFilterPanel : public MyPanel {
  public:
    FixedFilterPanel(DovraScreen& screen, FixedFilterDataBase& numerator,
                     FixedFilterDataBase& denominator);

    void reshow();

  private:
    DovraScreen& screen_;
};

} // namespace dovra::gui
