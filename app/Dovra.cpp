// Entry point of the desktop application: the main window at its preferred
// size.

#include <QApplication>

#include "screen/DovraScreen.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dovra"));
    dovra::gui::DovraScreen screen;
    screen.resize(screen.sizeHint());
    screen.show();
    return QApplication::exec();
}
