#include "screen/AboutScreen.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QShortcut>

#include "panel/StartupPanel.h"
#include "screen/DovraScreen.h"

namespace dovra::gui {

AboutScreen::AboutScreen(StartupPanel& page, DovraScreen& screen)
    : Screen(QStringLiteral("About"), &screen), page_(page) {
    // A window of its own, kept above the main window.
    setWindowFlag(Qt::Window);
    setWindowTitle(QStringLiteral("About Dovra"));
    resize(400, 400);
    area_ = new QPlainTextEdit;
    constrain(area_, 0, 0, 1, 1, Fill::Both, Anchor::Center, 1.0, 1.0, 10, 10, 10, 10);
    area_->setPlainText(QStringLiteral("Dovra (Dovra) Version 2.4\n"));
    // Read-only rather than disabled: it cannot be edited, and its text is
    // black and can be selected and copied.
    area_->setReadOnly(true);
    area_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // Escape closes it as its frame's close button does.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] { close(); });
}

QString AboutScreen::text() const {
    return area_->toPlainText();
}

void AboutScreen::closeEvent(QCloseEvent* event) {
    event->accept();
    page_.deleteAboutScreen();
}

} // namespace dovra::gui
