#include "panel/FixedFilterPanel.h"

#include "plot/PrefilterGraphs.h"

#include <QLabel>
#include <QLineEdit>

#include "screen/DovraScreen.h"

namespace dovra::gui {

FixedFilterEditPanel::FixedFilterEditPanel() : coefficient_(new QLineEdit(QStringLiteral("0"))) {
    setColumns(coefficient_, 10);
    auto place = [this](QWidget* w, int x, int width) {
        constrain(w, x, 1, width, 1, Fill::Horizontal, Anchor::Center, 1.0, 1.0, 5, 5, 0, 0);
    };
    place(new QLabel(QStringLiteral("Coefficient:")), 0, 1);
    place(coefficient_, 1, 2);
    placeMessage(2, 3);
}

void FixedFilterEditPanel::showSelectedRecord(int i, const FixedFilterDataBase& table) {
    rowIndex_ = i;
    if (i > -1) {
        if (const auto* row = table.getRecord(i)) {
            coefficient_->setText(qs(row->getCoeff()));
        }
    }
}

bool FixedFilterEditPanel::apply(int mode, FixedFilterDataBase& table) {
    return report(enterCoefficientRow(table, static_cast<EntryMode>(mode), rowIndex_,
                                      coefficient_->text().toStdString()));
}

FixedFilterPanel::FixedFilterPanel(DovraScreen& screen, FixedFilterDataBase& numerator,
                                   FixedFilterDataBase& denominator)
    : TwoTablePage(screen, numerator, denominator, "Prefilter Coefficients",
                   "Numerator Coefficients", "Denominator Coefficients"),
      magPlot_(QStringLiteral("Magnitude Plot")), gdPlot_(QStringLiteral("Group Delay Plot")) {
    placeTables("Coefficients:", 2, 8);
    place(magPlot_.box(), 1, 20, 1, Fill::Horizontal, false);
    place(gdPlot_.box(), 1, 21, 1, Fill::Horizontal, false);
    magPlot_.attach(*this, screen_.session(), [this] { updateList(); });
    gdPlot_.attach(*this, screen_.session(), [this] { updateList(); });
    reshow();
    updateList();
}

FixedFilterPanel::~FixedFilterPanel() = default;

void FixedFilterPanel::notify_of_state() {
    updateList();
    magPlot_.restart();
    gdPlot_.restart();
}

void FixedFilterPanel::refreshPlots() {
    magPlot_.refresh();
    gdPlot_.refresh();
}

} // namespace dovra::gui
