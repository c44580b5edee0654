#pragma once
// The page of the search settings: the population sizes of the main and the
// refinement phase, the sampling granularity of the tolerance scheme and
// whether a success must meet the scheme between the samples too. The
// values and their rules belong to the session's OptimizationSettings; the
// page pushes what the user types or clicks into that model, has the model
// check a field when its editing ends, and shows what the model writes back.

#include <array>

#include "data/Tables.h"
#include "panel/MyPanel.h"
#include "settings/RunSettings.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace dovra::gui {

class DovraScreen;

class OptimizationControlPanel : public MyPanel {
  public:
    /// The table is not used by this page.
    OptimizationControlPanel(DovraScreen& screen, MagConstraintsDataBase& upper);
    ~OptimizationControlPanel() override;

    QLineEdit* npField() const { return np_; }
    QLineEdit* np2Field() const { return np2_; }
    QLineEdit* portfolioField() const { return portfolio_; }
    /// The granularity buttons in the order "coarse", "medium", "fine".
    QRadioButton* granularityButton(int i) const {
        return buttons_.at(static_cast<std::size_t>(i));
    }
    /// "Meet the scheme between the samples".
    QCheckBox* betweenSamplesBox() const { return betweenSamples_; }

  private:
    /// Shows what the model holds for one of its fields.
    void showField(int f);

    OptimizationSettings& model_;
    QLineEdit* np_ = nullptr;
    QLineEdit* np2_ = nullptr;
    QLineEdit* portfolio_ = nullptr;
    std::array<QRadioButton*, 3> buttons_{};
    QButtonGroup* group_ = nullptr;
    QCheckBox* betweenSamples_ = nullptr;
};

} // namespace dovra::gui
