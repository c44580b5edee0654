#include "panel/FilterRealizationPanel.h"

#include "screen/DovraScreen.h"

namespace dovra::gui {

FilterRealizationPanel::FilterRealizationPanel(DovraScreen& screen,
                                               MagConstraintsDataBase& /*upper*/,
                                               MagConstraintsDataBase& /*lower*/)
    : screen_(screen) {}

} // namespace dovra::gui
