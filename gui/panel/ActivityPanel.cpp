#include "panel/ActivityPanel.h"

#include "screen/DovraScreen.h"

namespace dovra::gui {

ActivityPanel::ActivityPanel(DovraScreen& screen) : screen_(screen) {}

} // namespace dovra::gui

namespace dovra::gui {
void ActivityPanel::updateMonitor() {}
void ActivityPanel::done() {}
} // namespace dovra::gui
