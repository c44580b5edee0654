#pragma once
// Base of the wizard pages: a grid with the full placement form, the cut of a
// value to ten decimals before it is shown, and the means to follow a
// settings model that may be rewritten on the design thread.

#include <QString>
#include <QWidget>
#include <functional>
#include <string>

#include "screen/Constrain.h"

class QGridLayout;
class QLineEdit;

namespace dovra::gui {

class MyPanel : public QWidget {
  public:
    explicit MyPanel(QWidget* parent = nullptr);

    void constrain(QWidget* component, int gridx, int gridy, int gridwidth, int gridheight,
                   Fill fill, Anchor anchor, double weightx, double weighty, int top, int left,
                   int bottom, int right);

    /// floor(x * 1e10) * 1e-10: ten decimals, cut toward minus infinity.
    static double remove_artifact(double x);

    /// Called by the main window after every change of the wizard state.
    virtual void notify_of_state() {}

    QGridLayout& grid() { return *grid_; }

  protected:
    /// Runs f on the thread of this page: at once when called there, queued
    /// otherwise (a settings model rewritten while the design thread reads it).
    void onPageThread(std::function<void()> f);

    /// Shows text in the field unless it already shows it (keeps the cursor).
    static void showText(QLineEdit* field, const std::string& text);
    /// Makes the field at least as wide as the given number of characters.
    static void setColumns(QLineEdit* field, int columns);
    static QString qs(const std::string& s) { return QString::fromStdString(s); }

  private:
    QGridLayout* grid_;
};

} // namespace dovra::gui
