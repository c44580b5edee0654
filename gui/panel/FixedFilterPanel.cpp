#include "panel/FixedFilterPanel.h"

#include "screen/DovraScreen.h"

namespace dovra::gui {

FixedFilterPanel::FixedFilterPanel(DovraScreen& screen, FixedFilterDataBase& /*numerator*/,
                                   FixedFilterDataBase& /*denominator*/)
    : screen_(screen) {}

} // namespace dovra::gui

namespace dovra::gui {
void FixedFilterPanel::reshow() {}
} // namespace dovra::gui
