#pragma once
// The group-delay page: the upper and lower group-delay constraint tables,
// edited row by row, the tolerance scheme plot switch and "freeze
// constraints", which the design run reads.

#include "data/Tables.h"
#include "panel/TablePage.h"
#include "screen/PlotScreens.h"

class QCheckBox;

namespace dovra::gui {

class DovraScreen;

class GroupDelayListPanel : public TableListCard {
  public:
    GroupDelayListPanel() : TableListCard({{"Omega", 0}, {"normalized time", 3}}) {}
};

class GroupDelayEditPanel : public ConstraintEditCard {
  public:
    GroupDelayEditPanel() : ConstraintEditCard("Time", "Normalized time") {}
};

class GroupDelayPanel : public ConstraintPage<GdConstraintsDataBase, GroupDelayListPanel,
                                              GroupDelayEditPanel, GdTsPlotScreen> {
  public:
    GroupDelayPanel(DovraScreen& screen, GdConstraintsDataBase& upper,
                    GdConstraintsDataBase& lower);
    ~GroupDelayPanel() override;

    /// The plot window was closed by the user.
    void deleteGdTsScreen() { plotWindowClosed(); }

    /// The freeze flag, kept by the session's group-delay settings.
    bool getFreezingStateOfGdConstraints() const;
    /// Sets the flag; the check box follows.
    void setFreezingStateOfGdConstraints(bool on);

    QCheckBox* freezeBox() const { return freezeBox_; }

  private:
    QCheckBox* freezeBox_;
};

} // namespace dovra::gui
