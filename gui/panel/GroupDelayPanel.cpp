#include "panel/GroupDelayPanel.h"

#include <QCheckBox>

#include "plot/ToleranceGraphs.h"
#include "screen/DovraScreen.h"

namespace dovra::gui {

GroupDelayPanel::GroupDelayPanel(DovraScreen& screen, GdConstraintsDataBase& upper,
                                 GdConstraintsDataBase& lower)
    : ConstraintPage(screen, upper, lower, "GroupDelay/Phase Specifications"),
      freezeBox_(new QCheckBox(QStringLiteral("freeze constraints"))) {
    placeShared(*this, 3, 9, 22);
    place(freezeBox_, 1, 1, 1, Fill::Both, false);

    GroupDelaySettings& model = screen_.session().groupDelay();
    freezeBox_->setChecked(model.getFreezingStateOfGdConstraints());
    connect(freezeBox_, &QCheckBox::clicked, this, [this, &model] {
        model.toggleFreeze();
        updateList();
    });
    // The flag may be set elsewhere (a configuration file, the window's
    // forwarder): the box shows what the model holds.
    model.setListener([this, &model](int) {
        onPageThread(
            [this, &model] { freezeBox_->setChecked(model.getFreezingStateOfGdConstraints()); });
    });
    reshow();
}

GroupDelayPanel::~GroupDelayPanel() {
    screen_.session().groupDelay().setListener({});
}

bool GroupDelayPanel::getFreezingStateOfGdConstraints() const {
    return screen_.session().getFreezingStateOfGdConstraints();
}

void GroupDelayPanel::setFreezingStateOfGdConstraints(bool on) {
    screen_.session().setFreezingStateOfGdConstraints(on);
}

} // namespace dovra::gui
