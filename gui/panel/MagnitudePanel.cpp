#include "panel/MagnitudePanel.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <cmath>
#include <optional>

#include "plot/ToleranceGraphs.h"
#include "screen/DovraScreen.h"
#include "text/NumberText.h"

namespace dovra::gui {

MagnitudePanel::MagnitudePanel(DovraScreen& screen, MagConstraintsDataBase& upper,
                               MagConstraintsDataBase& lower)
    : ConstraintPage(screen, upper, lower, "Magnitude Specifications"),
      converterField_(new QLineEdit(QStringLiteral("1"))),
      linearRadio_(new QRadioButton(QStringLiteral("x"))),
      decibelRadio_(new QRadioButton(QStringLiteral("20*log10(x)"))) {
    setColumns(converterField_, 10);
    linearRadio_->setChecked(true);
    auto* units = new QButtonGroup(this);
    units->addButton(linearRadio_);
    units->addButton(decibelRadio_);

    placeShared(*this, 2, 8, 21);
    place(new QLabel(QStringLiteral("dB Calculator:")), 0, 25, 1, Fill::Both, false);
    place(converterField_, 1, 26, 1, Fill::Both, false);
    place(linearRadio_, 1, 27, 1, Fill::Both, false);
    place(decibelRadio_, 2, 27, 1, Fill::Both, false);

    // As after every radio button event, the list shows the current table.
    connect(linearRadio_, &QRadioButton::clicked, this, [this] {
        convert(false);
        updateList();
    });
    connect(decibelRadio_, &QRadioButton::clicked, this, [this] {
        convert(true);
        updateList();
    });
    reshow();
}

void MagnitudePanel::convert(bool toLog) {
    const std::string wanted = toLog ? "logx" : "x";
    if (converterMode_ == wanted) {
        return;
    }
    // A text that is no number, or a logarithm of a value that is not
    // positive, converts nothing: the field says so and the mode stays, so
    // that the field and the mode never disagree about the unit.
    auto keepMode = [this] {
        (converterMode_ == "x" ? linearRadio_ : decibelRadio_)->setChecked(true);
    };
    const std::optional<double> parsed = text::parseDouble(converterField_->text().toStdString());
    if (!parsed || !std::isfinite(*parsed)) {
        converterField_->setText(QStringLiteral("Invalid Entry!"));
        keepMode();
        return;
    }
    double value = *parsed;
    if (toLog) {
        if (!(value > 0.0)) {
            converterValue_ = value;
            converterField_->setText(QStringLiteral("Error!"));
            keepMode();
            return;
        }
        value = 20.0 * std::log10(value);
    } else {
        value = std::pow(10.0, value / 20.0);
    }
    converterValue_ = value;
    converterMode_ = wanted;
    converterField_->setText(qs(text::formatDouble(value)));
}

MagnitudePanel::~MagnitudePanel() = default;

} // namespace dovra::gui
