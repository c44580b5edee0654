#include "panel/GroupDelayPanel.h"

#include "screen/DovraScreen.h"

namespace dovra::gui {

GroupDelayPanel::GroupDelayPanel(DovraScreen& screen, GdConstraintsDataBase& /*upper*/,
                                 GdConstraintsDataBase& /*lower*/)
    : screen_(screen) {}

} // namespace dovra::gui

namespace dovra::gui {
void GroupDelayPanel::reshow() {}
} // namespace dovra::gui
