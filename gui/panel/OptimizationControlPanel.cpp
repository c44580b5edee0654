#include "panel/OptimizationControlPanel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "screen/DovraScreen.h"

namespace dovra::gui {

namespace {

using Field = OptimizationSettings::Field;

constexpr std::array<const char*, 3> kGranularities = {"coarse", "medium", "fine"};

} // namespace

OptimizationControlPanel::OptimizationControlPanel(DovraScreen& screen, MagConstraintsDataBase&)
    : model_(screen.session().optimization()) {
    auto place = [this](QWidget* w, int x, int y, int width) {
        constrain(w, x, y, width, 1, Fill::Horizontal, Anchor::Center, 1.0, 1.0, 5, 5, 0, 0);
    };
    auto label = [](const char* text) { return new QLabel(QString::fromLatin1(text)); };
    auto makeField = [this](Field f) {
        auto* edit = new QLineEdit(qs(model_.text(f)));
        setColumns(edit, 10);
        if (f == OptimizationSettings::PortfolioField) {
            edit->setToolTip(QStringLiteral("Independent searches of the Z-plane design, from 1 "
                                            "to %1: they advance side by side from seeds derived "
                                            "from the run's seed, and the first to succeed wins")
                                 .arg(OptimizationSettings::kMaxSearches));
        } else {
            edit->setToolTip(
                QStringLiteral("%1: a whole number of members from %2 to %3")
                    .arg(f == OptimizationSettings::NPField
                             ? QStringLiteral("Population size")
                             : QStringLiteral("Population size in the refinement phase"))
                    .arg(OptimizationSettings::kMinPopulation)
                    .arg(OptimizationSettings::kMaxPopulation));
        }
        connect(edit, &QLineEdit::textEdited, this,
                [this, f](const QString& t) { model_.setText(f, t.toStdString()); });
        connect(edit, &QLineEdit::editingFinished, this, [this, f, edit] {
            model_.setText(f, edit->text().toStdString());
            if (f == OptimizationSettings::NPField) {
                model_.getNP();
            } else if (f == OptimizationSettings::NP2Field) {
                model_.getNP2();
            } else {
                model_.getPortfolio();
            }
        });
        return edit;
    };

    auto* title = label("Design Control");
    title->setFont(makeFont("Helvetica", true, 14));
    place(title, 0, 0, 3);

    place(label("No. of population vectors:"), 0, 3, 1);
    np_ = makeField(OptimizationSettings::NPField);
    place(np_, 1, 3, 2);
    place(label("dto. (refinement phase):"), 0, 4, 1);
    np2_ = makeField(OptimizationSettings::NP2Field);
    place(np2_, 1, 4, 2);
    place(label("Independent searches:"), 0, 5, 1);
    portfolio_ = makeField(OptimizationSettings::PortfolioField);
    place(portfolio_, 1, 5, 2);

    place(label("Sampling Granularity"), 0, 8, 1);
    group_ = new QButtonGroup(this);
    group_->setExclusive(true);
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        auto* button = new QRadioButton(QString::fromLatin1(kGranularities[i]));
        buttons_[i] = button;
        group_->addButton(button, static_cast<int>(i));
        place(button, static_cast<int>(i) + 1, 8, 1);
        connect(button, &QRadioButton::clicked, this,
                [this, i] { model_.setSamplingGranularity(kGranularities[i]); });
    }
    showField(OptimizationSettings::GranularityField);

    betweenSamples_ = new QCheckBox(QStringLiteral("Meet the scheme between the samples"));
    betweenSamples_->setToolTip(
        QStringLiteral("On: the search succeeds only when the filter meets the scheme between "
                       "the samples too, adding samples where it does not.\nOff: it succeeds "
                       "as soon as the samples are met (the check after the run still says "
                       "whether the scheme holds between them)."));
    place(betweenSamples_, 0, 9, 3);
    connect(betweenSamples_, &QCheckBox::toggled, this,
            [this](bool on) { model_.setMeetBetweenSamples(on); });
    showField(OptimizationSettings::BetweenSamplesField);

    // The getters run on the design thread too: what they rewrite is shown
    // on the window thread.
    model_.setListener([this](int f) { onPageThread([this, f] { showField(f); }); });
}

OptimizationControlPanel::~OptimizationControlPanel() {
    model_.setListener({});
    // The widgets are deleted after this page's own part is gone: nothing
    // they signal on the way (a field losing the focus) may reach it.
    for (QWidget* w : {static_cast<QWidget*>(np_), static_cast<QWidget*>(np2_),
                       static_cast<QWidget*>(portfolio_)}) {
        w->disconnect(this);
    }
    for (QRadioButton* b : buttons_) {
        b->disconnect(this);
    }
    betweenSamples_->disconnect(this);
}

void OptimizationControlPanel::showField(int f) {
    switch (f) {
    case OptimizationSettings::NPField:
        showText(np_, model_.text(OptimizationSettings::NPField));
        break;
    case OptimizationSettings::NP2Field:
        showText(np2_, model_.text(OptimizationSettings::NP2Field));
        break;
    case OptimizationSettings::GranularityField: {
        // The model holds one of the three texts (any other becomes "coarse").
        const std::string g = model_.getSamplingGranularity();
        for (std::size_t i = 0; i < buttons_.size(); ++i) {
            if (g == kGranularities[i]) {
                buttons_[i]->setChecked(true);
            }
        }
        break;
    }
    case OptimizationSettings::BetweenSamplesField:
        betweenSamples_->setChecked(model_.getMeetBetweenSamples());
        break;
    case OptimizationSettings::PortfolioField:
        showText(portfolio_, model_.text(OptimizationSettings::PortfolioField));
        break;
    default:
        break;
    }
}

} // namespace dovra::gui
