#include "panel/FilterRealizationPanel.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

#include "screen/DovraScreen.h"

namespace dovra::gui {

namespace {

using Field = RealizationSettings::Field;

// Selects an item without reporting it as the user's choice (the model
// already holds it). An index the choice does not offer selects nothing.
void select(QComboBox* choice, int index) {
    const QSignalBlocker blocker(choice);
    choice->setCurrentIndex(index >= 0 && index < choice->count() ? index : -1);
}

} // namespace

FilterRealizationPanel::FilterRealizationPanel(DovraScreen& screen, MagConstraintsDataBase&,
                                               MagConstraintsDataBase&)
    : model_(screen.session().realization()) {
    const QFont f1 = makeFont("Dialog", false, 12);
    const QFont f2 = makeFont("Courier", false, 12);
    const QFont f3 = makeFont("Helvetica", true, 14);

    auto place = [this](QWidget* w, int x, int y, int width) {
        constrain(w, x, y, width, 1, Fill::Horizontal, Anchor::Center, 1.0, 1.0, 5, 5, 0, 0);
    };
    auto label = [](const char* text) { return new QLabel(QString::fromLatin1(text)); };
    auto makeField = [this](Field f, int columns) {
        auto* edit = new QLineEdit(qs(model_.text(f)));
        setColumns(edit, columns);
        edit->setToolTip(fieldTip(f));
        fields_[static_cast<std::size_t>(f)] = edit;
        connect(edit, &QLineEdit::textEdited, this,
                [this, f](const QString& t) { model_.setText(f, t.toStdString()); });
        connect(edit, &QLineEdit::editingFinished, this, [this, f] { checkField(f); });
        return edit;
    };
    auto makeChoice = [](const auto& items, const QFont& font) {
        auto* choice = new QComboBox;
        choice->setFont(font);
        for (const std::string& item : items) {
            choice->addItem(qs(item));
        }
        return choice;
    };

    auto* title = label("Filter Realization");
    title->setFont(f3);
    place(title, 0, 0, 3);

    place(label("Design method:"), 0, 4, 1);
    // Blank labels give the grid its six columns. They share cells with the
    // design-method choice, which is placed after them so that it lies on top
    // and every click on it reaches it.
    for (int x = 2; x <= 5; ++x) {
        QLabel* spacer = label("      ");
        place(spacer, x, 4, 1);
        cellOf(spacer)->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    designMethod_ = makeChoice(RealizationSettings::designMethodItems(), f2);
    place(designMethod_, 1, 4, 3);

    auto fieldLabel = [this, &label](const char* text) {
        fieldLabels_.push_back(label(text));
        return fieldLabels_.back();
    };
    place(fieldLabel("Single zeros:"), 0, 5, 1);
    place(makeField(RealizationSettings::NumDegField, 10), 1, 5, 1);
    zeroLowLabel_ = label("   |Z| >");
    place(zeroLowLabel_, 2, 5, 1);
    place(makeField(RealizationSettings::ZeroRadiusLowField, 5), 3, 5, 1);
    zeroHighLabel_ = label(" |Z| <");
    place(zeroHighLabel_, 4, 5, 1);
    place(makeField(RealizationSettings::ZeroRadiusHighField, 5), 5, 5, 1);

    place(fieldLabel("Single poles:"), 0, 6, 1);
    place(makeField(RealizationSettings::DenomDegField, 5), 1, 6, 1);
    poleLabel_ = label("   |P| <");
    place(poleLabel_, 2, 6, 1);
    place(makeField(RealizationSettings::PoleRadiusField, 5), 3, 6, 1);

    place(fieldLabel("Linear phase zero pairs:"), 0, 8, 1);
    place(makeField(RealizationSettings::LinPairField, 10), 1, 8, 1);
    place(fieldLabel("Allpass pole/zero pairs:"), 0, 9, 1);
    place(makeField(RealizationSettings::AllpPairField, 10), 1, 9, 1);

    place(label("Coefficient Quantization (bit):"), 0, 10, 1);
    wordLength_ = makeChoice(RealizationSettings::wordLengthItems(), f1);
    place(wordLength_, 1, 10, 1);

    structureLabel_ = label("Filter Structure:");
    place(structureLabel_, 0, 11, 1);
    structure_ = makeChoice(RealizationSettings::structureItems(), f1);
    place(structure_, 1, 11, 3);

    select(designMethod_, model_.getDesignIdentifierIdx());
    select(wordLength_, model_.wordLengthItem());
    select(structure_, model_.getStructId());
    adaptPanelLayout();

    // A selection by the user (mouse or keyboard) is a choice for the model;
    // the model's own changes are shown with the choices' signals blocked.
    connect(designMethod_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (i >= 0) {
            model_.selectDesignMethod(i);
        }
    });
    connect(wordLength_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (i >= 0) {
            model_.selectWordLengthItem(i);
        }
    });
    connect(structure_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (i >= 0) {
            model_.selectStructure(i);
        }
    });
    // The getters run on the design thread too: what they rewrite is shown
    // on the window thread.
    model_.setListener([this](int f) { onPageThread([this, f] { showField(f); }); });
}

QString FilterRealizationPanel::fieldTip(Field f) {
    using RS = RealizationSettings;
    const QString radius = QStringLiteral("%1: a radius in the z-plane from %2 to %3");
    switch (f) {
    case RS::NumDegField:
        return QStringLiteral("Single zeros: a whole number from 0 to %1").arg(RS::kMaxNumDeg);
    case RS::DenomDegField:
        return QStringLiteral("Single poles: a whole number from 0 to %1")
            .arg(RS::kMaxPairsOrPoles);
    case RS::ZeroRadiusLowField:
        return radius.arg(QStringLiteral("Lower limit of the zeros' radius"))
            .arg(0)
            .arg(RS::kMaxZeroRadius);
    case RS::ZeroRadiusHighField:
        return radius.arg(QStringLiteral("Upper limit of the zeros' radius"))
            .arg(QStringLiteral("the lower limit"))
            .arg(RS::kMaxZeroRadius);
    case RS::PoleRadiusField:
        return radius.arg(QStringLiteral("Upper limit of the poles' radius"))
            .arg(0)
            .arg(RS::kMaxPoleRadius);
    case RS::LinPairField:
        return QStringLiteral("Linear phase zero pairs: a whole number from 0 to %1")
            .arg(RS::kMaxPairsOrPoles);
    case RS::AllpPairField:
        return QStringLiteral("Allpass pole/zero pairs: a whole number from 0 to %1")
            .arg(RS::kMaxPairsOrPoles);
    default:
        return {};
    }
}

FilterRealizationPanel::~FilterRealizationPanel() {
    model_.setListener({});
    // The widgets are deleted after this page's own part is gone: nothing
    // they signal on the way (a field losing the focus) may reach it.
    for (QLineEdit* edit : fields_) {
        edit->disconnect(this);
    }
    for (QComboBox* choice : {designMethod_, wordLength_, structure_}) {
        choice->disconnect(this);
    }
}

QLineEdit* FilterRealizationPanel::field(RealizationSettings::Field f) const {
    const auto i = static_cast<std::size_t>(f);
    return i < fields_.size() ? fields_[i] : nullptr;
}

void FilterRealizationPanel::adaptPanelLayout() {
    // Hidden widgets take no room: the grid closes up around them.
    const bool shown = model_.realizationFieldsVisible();
    for (QLineEdit* edit : fields_) {
        edit->setVisible(shown);
    }
    for (QLabel* l : {zeroLowLabel_, zeroHighLabel_, poleLabel_}) {
        l->setVisible(shown);
    }
    for (QLabel* l : fieldLabels_) {
        l->setVisible(shown);
    }
    structure_->setVisible(model_.structureVisible());
    structureLabel_->setVisible(model_.structureVisible());
}

void FilterRealizationPanel::checkField(RealizationSettings::Field f) {
    model_.setText(f, field(f)->text().toStdString());
    switch (f) {
    case RealizationSettings::NumDegField:
        model_.getNumDeg();
        break;
    case RealizationSettings::DenomDegField:
        model_.getDenomDeg();
        break;
    case RealizationSettings::ZeroRadiusLowField:
        model_.getZeroRadiusRestrLow();
        break;
    case RealizationSettings::ZeroRadiusHighField:
        model_.getZeroRadiusRestrHigh();
        break;
    case RealizationSettings::PoleRadiusField:
        model_.getPoleRadiusRestr();
        break;
    case RealizationSettings::LinPairField:
        model_.getNZLinPair();
        break;
    case RealizationSettings::AllpPairField:
        model_.getNZPAllpPair();
        break;
    default:
        break;
    }
}

void FilterRealizationPanel::showField(int f) {
    if (f >= 0 && static_cast<std::size_t>(f) < kFieldCount) {
        const auto which = static_cast<Field>(f);
        showText(field(which), model_.text(which));
        return;
    }
    switch (f) {
    case RealizationSettings::DesignMethodField:
        select(designMethod_, model_.getDesignIdentifierIdx());
        adaptPanelLayout();
        break;
    case RealizationSettings::WordLengthField:
        select(wordLength_, model_.wordLengthItem());
        break;
    case RealizationSettings::StructureField:
        select(structure_, model_.getStructId());
        adaptPanelLayout();
        break;
    default:
        break;
    }
}

} // namespace dovra::gui
