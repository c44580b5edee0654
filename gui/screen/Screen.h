#pragma once
// Base of the top-level windows: a title, a grid for the contents and the
// three placement forms.

#include <QString>
#include <QWidget>

#include "screen/Constrain.h"

class QGridLayout;

namespace dovra::gui {

class Screen : public QWidget {
  public:
    explicit Screen(const QString& title, QWidget* parent = nullptr);

    void constrain(QWidget* component, int gridx, int gridy, int gridwidth, int gridheight,
                   Fill fill, Anchor anchor, double weightx, double weighty, int top, int left,
                   int bottom, int right);
    void constrain(QWidget* component, int gridx, int gridy, int gridwidth, int gridheight, int top,
                   int left, int bottom, int right);
    void constrain(QWidget* component, int gridx, int gridy, int gridwidth, int gridheight);

    QGridLayout& grid() { return *grid_; }

    /// The light grey of every window and page.
    static QColor lightGrey();

  private:
    QGridLayout* grid_;
};

} // namespace dovra::gui
