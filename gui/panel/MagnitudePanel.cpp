#include "panel/MagnitudePanel.h"

#include "screen/DovraScreen.h"

namespace dovra::gui {

MagnitudePanel::MagnitudePanel(DovraScreen& screen, MagConstraintsDataBase& /*upper*/,
                               MagConstraintsDataBase& /*lower*/)
    : screen_(screen) {}

} // namespace dovra::gui

namespace dovra::gui {
void MagnitudePanel::reshow() {}
} // namespace dovra::gui
