#pragma once
// The magnitude page: the upper and lower magnitude constraint tables, edited
// row by row, the tolerance scheme plot switch and a converter between
// linear values and decibels.

#include <string>

#include "data/Tables.h"
#include "panel/TablePage.h"
#include "screen/PlotScreens.h"

class QLineEdit;
class QRadioButton;

namespace dovra::gui {

class DovraScreen;

class MagnitudeListPanel : public TableListCard {
  public:
    MagnitudeListPanel() : TableListCard({{"Omega", 0}, {"Limit in dB", 3}}) {}
};

class MagnitudeEditPanel : public ConstraintEditCard {
  public:
    MagnitudeEditPanel() : ConstraintEditCard("dB", "Limit in dB") {}
};

class MagnitudePanel : public ConstraintPage<MagConstraintsDataBase, MagnitudeListPanel,
                                             MagnitudeEditPanel, MagTsPlotScreen> {
  public:
    MagnitudePanel(DovraScreen& screen, MagConstraintsDataBase& upper,
                   MagConstraintsDataBase& lower);
    ~MagnitudePanel() override;

    /// The plot window was closed by the user.
    void deleteMagTsScreen() { plotWindowClosed(); }

    /// "x" (the field holds a linear value) or "logx" (decibels).
    const std::string& converterMode() const { return converterMode_; }
    double converterValue() const { return converterValue_; }
    QLineEdit* converterField() const { return converterField_; }
    QRadioButton* linearButton() const { return linearRadio_; }
    QRadioButton* decibelButton() const { return decibelRadio_; }

  private:
    /// A click on "x" (toLog false) or "20*log10(x)" (toLog true).
    void convert(bool toLog);

    QLineEdit* converterField_;
    QRadioButton* linearRadio_;
    QRadioButton* decibelRadio_;
    std::string converterMode_ = "x";
    double converterValue_ = 0.0;
};

} // namespace dovra::gui
