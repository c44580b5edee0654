#include "panel/OptimizationControlPanel.h"

#include "screen/DovraScreen.h"

namespace dovra::gui {

OptimizationControlPanel::OptimizationControlPanel(DovraScreen& screen,
                                                   MagConstraintsDataBase& /*upper*/)
    : screen_(screen) {}

} // namespace dovra::gui
