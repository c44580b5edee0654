#pragma once
// Grid placement shared by every window and page: a component goes into a
// cell of a QGridLayout with a grid position and span, a fill (how it grows
// inside its cell), an anchor (where it sits when it does not fill), weights
// (how extra space is shared among columns and rows) and insets (the space
// kept free around it inside the cell).

#include <QFont>

class QGridLayout;
class QWidget;

namespace dovra::gui {

enum class Fill { None, Horizontal, Vertical, Both };
enum class Anchor { Center, North, NorthEast, East, SouthEast, South, SouthWest, West, NorthWest };

/// A grid for a container: no spacing and no margins of its own, since the
/// insets of each component give the space between them.
QGridLayout* makeGrid(QWidget* container);

/// Full form.
void constrain(QGridLayout& grid, QWidget* component, int gridx, int gridy, int gridwidth,
               int gridheight, Fill fill, Anchor anchor, double weightx, double weighty, int top,
               int left, int bottom, int right);
/// With insets: fill none, anchor north-west, weights 0.
void constrain(QGridLayout& grid, QWidget* component, int gridx, int gridy, int gridwidth,
               int gridheight, int top, int left, int bottom, int right);
/// Short form: fill none, anchor north-west, weights 0, no insets.
void constrain(QGridLayout& grid, QWidget* component, int gridx, int gridy, int gridwidth,
               int gridheight);

/// The cell that holds a placed component (the component itself when it was
/// not placed by constrain).
QWidget* cellOf(QWidget* component);

/// A font by its family name, with the generic family it stands for as the
/// fallback ("Helvetica" and "Dialog" sans serif, "Courier" fixed pitch) and
/// its size in pixels.
QFont makeFont(const char* family, bool bold, int size);

} // namespace dovra::gui
