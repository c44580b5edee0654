#pragma once
// The prefilter page: the numerator and denominator coefficients of the
// fixed prefilter the designed filter is cascaded with, edited row by row,
// and the switches of its magnitude and group delay plots.

#include "data/Tables.h"
#include "panel/TablePage.h"
#include "screen/PlotScreens.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace dovra::gui {

class DovraScreen;

class FixedFilterListPanel : public TableListCard {
  public:
    FixedFilterListPanel() : TableListCard({{"Coefficients", 0}}) {}
};

class FixedFilterEditPanel : public TableEditCard {
  public:
    FixedFilterEditPanel();

    QLineEdit* coefficientField() const { return coefficient_; }
    void showSelectedRecord(int i, const FixedFilterDataBase& table);
    /// Stores the coefficient; false (with the message shown) when refused.
    bool apply(int mode, FixedFilterDataBase& table);

  private:
    QLineEdit* coefficient_;
};

class FixedFilterPanel
    : public TwoTablePage<FixedFilterDataBase, FixedFilterListPanel, FixedFilterEditPanel> {
  public:
    FixedFilterPanel(DovraScreen& screen, FixedFilterDataBase& numerator,
                     FixedFilterDataBase& denominator);
    ~FixedFilterPanel() override;

    /// The list shows the current table; each shown plot window starts afresh.
    void notify_of_state() override;

    /// The magnitude window was closed by the user.
    void deleteMagTsScreen() { magPlot_.closed(); }
    /// The group delay window was closed by the user.
    void deleteGdScreen() { gdPlot_.closed(); }
    bool magnitudePlotShown() const { return magPlot_.shown(); }
    bool groupDelayPlotShown() const { return gdPlot_.shown(); }
    FfMagPlotScreen* magnitudePlotWindow() const { return magPlot_.window(); }
    FfGdPlotScreen* groupDelayPlotWindow() const { return gdPlot_.window(); }

    QRadioButton* numeratorButton() const { return firstTableButton(); }
    QRadioButton* denominatorButton() const { return secondTableButton(); }
    QCheckBox* magnitudePlotBox() const { return magPlot_.box(); }
    QCheckBox* groupDelayPlotBox() const { return gdPlot_.box(); }

  protected:
    void refreshPlots() override;

  private:
    PlotWindowSwitch<FfMagPlotScreen> magPlot_;
    PlotWindowSwitch<FfGdPlotScreen> gdPlot_;
};

} // namespace dovra::gui
