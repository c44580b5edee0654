#include "screen/Constrain.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace dovra::gui {

namespace {

constexpr const char* kCellName = "constrainCell";

// Qt's stretch factors are integers; weights are kept to two decimals.
int stretchOf(double weight) {
    return weight > 0.0 ? std::max(1, static_cast<int>(std::lround(weight * 100.0))) : 0;
}

Qt::Alignment horizontalOf(Anchor a) {
    switch (a) {
    case Anchor::NorthWest:
    case Anchor::West:
    case Anchor::SouthWest:
        return Qt::AlignLeft;
    case Anchor::NorthEast:
    case Anchor::East:
    case Anchor::SouthEast:
        return Qt::AlignRight;
    default:
        return Qt::AlignHCenter;
    }
}

Qt::Alignment verticalOf(Anchor a) {
    switch (a) {
    case Anchor::NorthWest:
    case Anchor::North:
    case Anchor::NorthEast:
        return Qt::AlignTop;
    case Anchor::SouthWest:
    case Anchor::South:
    case Anchor::SouthEast:
        return Qt::AlignBottom;
    default:
        return Qt::AlignVCenter;
    }
}

// A hidden component takes no room, not even its insets: its cell follows
// its visibility.
class CellVisibility : public QObject {
  public:
    CellVisibility(QWidget* cell, QObject* parent) : QObject(parent), cell_(cell) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ShowToParent) {
            cell_->setVisible(true);
        } else if (event->type() == QEvent::HideToParent) {
            cell_->setVisible(false);
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QWidget* cell_;
};

} // namespace

QGridLayout* makeGrid(QWidget* container) {
    auto* grid = new QGridLayout(container);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    return grid;
}

void constrain(QGridLayout& grid, QWidget* component, int gridx, int gridy, int gridwidth,
               int gridheight, Fill fill, Anchor anchor, double weightx, double weighty, int top,
               int left, int bottom, int right) {
    auto* cell = new QWidget;
    cell->setObjectName(kCellName);
    auto* box = new QHBoxLayout(cell);
    box->setContentsMargins(left, top, right, bottom);
    box->setSpacing(0);
    Qt::Alignment align;
    if (fill == Fill::None || fill == Fill::Vertical) {
        align |= horizontalOf(anchor);
    }
    if (fill == Fill::None || fill == Fill::Horizontal) {
        align |= verticalOf(anchor);
    }
    QSizePolicy policy = component->sizePolicy();
    if (fill == Fill::Horizontal || fill == Fill::Both) {
        policy.setHorizontalPolicy(QSizePolicy::Expanding);
    }
    if (fill == Fill::Vertical || fill == Fill::Both) {
        policy.setVerticalPolicy(QSizePolicy::Expanding);
    }
    component->setSizePolicy(policy);
    box->addWidget(component, 0, align);
    cell->setVisible(!component->isHidden());
    component->installEventFilter(new CellVisibility(cell, component));

    const int width = std::max(gridwidth, 1);
    const int height = std::max(gridheight, 1);
    const int lastColumn = gridx + width - 1;
    const int lastRow = gridy + height - 1;
    grid.setColumnStretch(lastColumn, std::max(grid.columnStretch(lastColumn), stretchOf(weightx)));
    grid.setRowStretch(lastRow, std::max(grid.rowStretch(lastRow), stretchOf(weighty)));
    grid.addWidget(cell, gridy, gridx, height, width);
}

void constrain(QGridLayout& grid, QWidget* component, int gridx, int gridy, int gridwidth,
               int gridheight, int top, int left, int bottom, int right) {
    constrain(grid, component, gridx, gridy, gridwidth, gridheight, Fill::None, Anchor::NorthWest,
              0.0, 0.0, top, left, bottom, right);
}

void constrain(QGridLayout& grid, QWidget* component, int gridx, int gridy, int gridwidth,
               int gridheight) {
    constrain(grid, component, gridx, gridy, gridwidth, gridheight, 0, 0, 0, 0);
}

QWidget* cellOf(QWidget* component) {
    QWidget* parent = component ? component->parentWidget() : nullptr;
    if (parent && parent->objectName() == QLatin1String(kCellName)) {
        return parent;
    }
    return component;
}

QFont makeFont(const char* family, bool bold, int pointSize) {
    QFont font(QString::fromLatin1(family), pointSize, bold ? QFont::Bold : QFont::Normal);
    if (std::strcmp(family, "Courier") == 0) {
        font.setStyleHint(QFont::TypeWriter);
        font.setFixedPitch(true);
    } else {
        font.setStyleHint(QFont::SansSerif);
    }
    return font;
}

} // namespace dovra::gui
