#pragma once
// The page of the design method and the form of the filter: single zeros and
// single poles with their radius limits, linear-phase zero pairs, allpass
// pole/zero pairs, coefficient word length and filter structure.
//
// The values and their rules belong to the session's RealizationSettings. The
// page pushes what the user types or chooses into that model, has the model
// check a field when its editing ends, and shows whatever the model writes
// back (a replaced value, a value read from a configuration file, the fields a
// design method uses).

#include <array>
#include <vector>

#include "data/Tables.h"
#include "panel/MyPanel.h"
#include "settings/RealizationSettings.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace dovra::gui {

class DovraScreen;

class FilterRealizationPanel : public MyPanel {
  public:
    /// The tables are not used by this page.
    FilterRealizationPanel(DovraScreen& screen, MagConstraintsDataBase& upper,
                           MagConstraintsDataBase& lower);
    ~FilterRealizationPanel() override;

    /// Shows the widgets the model's design method uses: the degree, radius
    /// and pair fields with the three radius labels for the Z-plane design
    /// only, the structure choice for every method but the linear-phase FIR
    /// designs. The model decides (and sets the structure); the page follows.
    void adaptPanelLayout();

    /// The text field of a numeric value (NumDegField ... AllpPairField).
    QLineEdit* field(RealizationSettings::Field f) const;
    QComboBox* designMethodChoice() const { return designMethod_; }
    /// The tooltip of a field: what it holds and its range.
    static QString fieldTip(RealizationSettings::Field f);
    QComboBox* wordLengthChoice() const { return wordLength_; }
    QComboBox* structureChoice() const { return structure_; }
    /// "   |Z| >", " |Z| <" and "   |P| <".
    QLabel* zeroLowLabel() const { return zeroLowLabel_; }
    QLabel* zeroHighLabel() const { return zeroHighLabel_; }
    QLabel* poleLabel() const { return poleLabel_; }

  private:
    static constexpr std::size_t kFieldCount = RealizationSettings::AllpPairField + 1;

    /// Has the model check the field's text (the getter of the value).
    void checkField(RealizationSettings::Field f);
    /// Shows what the model holds for one of its fields.
    void showField(int f);

    RealizationSettings& model_;
    std::array<QLineEdit*, kFieldCount> fields_{};
    QComboBox* designMethod_ = nullptr;
    QComboBox* wordLength_ = nullptr;
    QComboBox* structure_ = nullptr;
    QLabel* zeroLowLabel_ = nullptr;
    QLabel* zeroHighLabel_ = nullptr;
    QLabel* poleLabel_ = nullptr;
    // The labels in front of the count fields and of the structure choice,
    // hidden with them.
    std::vector<QLabel*> fieldLabels_;
    QLabel* structureLabel_ = nullptr;
};

} // namespace dovra::gui
