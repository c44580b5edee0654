#include "screen/Constrain.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

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

// The weights of a grid's columns and rows, from the weights of the
// components placed in it, as a grid-bag layout forms them: components are
// taken by increasing span; a component's weight beyond what its columns
// already carry is shared among them in proportion to what they carry, and
// falls to the last column when they carry nothing. Each new component can
// change earlier columns, so the weights are formed again every time.
class GridWeights : public QObject {
  public:
    struct Span {
        int start;
        int count;
        double weight;
    };

    explicit GridWeights(QObject* parent) : QObject(parent) {}

    static GridWeights& of(QGridLayout& grid) {
        auto* w = grid.findChild<GridWeights*>(QString(), Qt::FindDirectChildrenOnly);
        return w ? *w : *new GridWeights(&grid);
    }

    void add(QGridLayout& grid, Span column, Span row) {
        columns_.push_back(column);
        rows_.push_back(row);
        const std::vector<double> cw = distribute(columns_);
        for (std::size_t k = 0; k < cw.size(); ++k) {
            grid.setColumnStretch(static_cast<int>(k), stretchOf(cw[k]));
        }
        const std::vector<double> rw = distribute(rows_);
        for (std::size_t k = 0; k < rw.size(); ++k) {
            grid.setRowStretch(static_cast<int>(k), stretchOf(rw[k]));
        }
    }

  private:
    static std::vector<double> distribute(std::vector<Span> spans) {
        std::stable_sort(spans.begin(), spans.end(),
                         [](const Span& a, const Span& b) { return a.count < b.count; });
        int end = 0;
        for (const Span& s : spans) {
            end = std::max(end, s.start + s.count);
        }
        std::vector<double> w(static_cast<std::size_t>(end), 0.0);
        for (const Span& s : spans) {
            const auto first = static_cast<std::size_t>(s.start);
            const auto last = first + static_cast<std::size_t>(s.count);
            double carried = 0.0;
            for (std::size_t k = first; k < last; ++k) {
                carried += w[k];
            }
            double diff = s.weight - carried;
            if (diff <= 0.0) {
                continue;
            }
            for (std::size_t k = first; carried > 0.0 && k < last; ++k) {
                const double share = w[k] * diff / carried;
                carried -= w[k];
                w[k] += share;
                diff -= share;
            }
            w[last - 1] += diff;
        }
        return w;
    }

    std::vector<Span> columns_;
    std::vector<Span> rows_;
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
    GridWeights::of(grid).add(grid, {gridx, width, weightx}, {gridy, height, weighty});
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

QFont makeFont(const char* family, bool bold, int size) {
    QFont font(QString::fromLatin1(family));
    // Sizes are pixels: the monitor's line step of 14 is a font height of 10
    // plus 4, which a 12 point font at 96 dpi (16 pixels) would overrun.
    font.setPixelSize(size);
    font.setBold(bold);
    if (std::strcmp(family, "Courier") == 0) {
        font.setStyleHint(QFont::TypeWriter);
        font.setFixedPitch(true);
    } else {
        font.setStyleHint(QFont::SansSerif);
    }
    return font;
}

} // namespace dovra::gui
