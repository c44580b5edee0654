#include "screen/Screen.h"

#include <QGridLayout>
#include <QPalette>

namespace dovra::gui {

Screen::Screen(const QString& title, QWidget* parent) : QWidget(parent), grid_(makeGrid(this)) {
    setWindowTitle(title);
    QPalette p = palette();
    p.setColor(QPalette::Window, lightGrey());
    setPalette(p);
    setAutoFillBackground(true);
}

QColor Screen::lightGrey() {
    return QColor(192, 192, 192);
}

void Screen::constrain(QWidget* component, int gridx, int gridy, int gridwidth, int gridheight,
                       Fill fill, Anchor anchor, double weightx, double weighty, int top, int left,
                       int bottom, int right) {
    gui::constrain(*grid_, component, gridx, gridy, gridwidth, gridheight, fill, anchor, weightx,
                   weighty, top, left, bottom, right);
}

void Screen::constrain(QWidget* component, int gridx, int gridy, int gridwidth, int gridheight,
                       int top, int left, int bottom, int right) {
    gui::constrain(*grid_, component, gridx, gridy, gridwidth, gridheight, top, left, bottom,
                   right);
}

void Screen::constrain(QWidget* component, int gridx, int gridy, int gridwidth, int gridheight) {
    gui::constrain(*grid_, component, gridx, gridy, gridwidth, gridheight);
}

} // namespace dovra::gui
