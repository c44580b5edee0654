#pragma once
// The about box: one line naming the product and its version.

#include "screen/Screen.h"

class QPlainTextEdit;

namespace dovra::gui {

class DovraScreen;
class StartupPanel;

class AboutScreen : public Screen {
  public:
    AboutScreen(StartupPanel& page, DovraScreen& screen);

    QSize sizeHint() const override { return {300, 140}; }
    QSize minimumSizeHint() const override { return {300, 140}; }
    QString text() const;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    StartupPanel& page_;
    QPlainTextEdit* area_;
};

} // namespace dovra::gui
