#include "panel/FixedFilterPanel.h"

#include "plot/PrefilterGraphs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

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
    : TablePage(screen), numerator_(numerator), denominator_(denominator), current_(&numerator),
      listCard_(new FixedFilterListPanel), editCard_(new FixedFilterEditPanel),
      numeratorRadio_(new QRadioButton(QStringLiteral("Numerator Coefficients"))),
      denominatorRadio_(new QRadioButton(QStringLiteral("Denominator Coefficients"))),
      magBox_(new QCheckBox(QStringLiteral("Magnitude Plot"))),
      gdBox_(new QCheckBox(QStringLiteral("Group Delay Plot"))) {
    auto* title = new QLabel(QStringLiteral("Prefilter Coefficients"));
    title->setFont(makeFont("Helvetica", true, 14));
    numeratorRadio_->setChecked(true);
    auto* tables = new QButtonGroup(this);
    tables->addButton(numeratorRadio_);
    tables->addButton(denominatorRadio_);
    setCards(listCard_, editCard_);

    auto place = [this](QWidget* w, int x, int y, int width, Fill fill, bool allInsets) {
        const int far = allInsets ? 5 : 0;
        constrain(w, x, y, width, 1, fill, Anchor::Center, 1.0, 1.0, 5, 5, far, far);
    };
    place(title, 0, 0, 3, Fill::Horizontal, false);
    place(new QLabel(QStringLiteral("Coefficients:")), 0, 1, 1, Fill::Both, true);
    place(numeratorRadio_, 1, 2, 1, Fill::Horizontal, false);
    place(denominatorRadio_, 1, 3, 1, Fill::Horizontal, false);
    placeCards(8);
    place(magBox_, 1, 20, 1, Fill::Horizontal, false);
    place(gdBox_, 1, 21, 1, Fill::Horizontal, false);

    connect(numeratorRadio_, &QRadioButton::clicked, this, [this] { selectTable(numerator_); });
    connect(denominatorRadio_, &QRadioButton::clicked, this, [this] { selectTable(denominator_); });
    connect(magBox_, &QCheckBox::clicked, this, [this] { toggleMagnitudePlot(); });
    connect(gdBox_, &QCheckBox::clicked, this, [this] { toggleGroupDelayPlot(); });
    reshow();
    updateList();
}

FixedFilterPanel::~FixedFilterPanel() = default;

void FixedFilterPanel::showMagnitudePlotWindow() {
    magWindow_.open(*this, screen_.session());
}

void FixedFilterPanel::showGroupDelayPlotWindow() {
    gdWindow_.open(*this, screen_.session());
}

void FixedFilterPanel::disposeMagnitudePlotWindow() {
    magWindow_.dispose();
}

void FixedFilterPanel::refreshMagnitudePlotWindow() {
    magWindow_.refresh();
}

void FixedFilterPanel::initMagnitudePlotWindow() {
    magWindow_.restart();
}

void FixedFilterPanel::disposeGroupDelayPlotWindow() {
    gdWindow_.dispose();
}

void FixedFilterPanel::refreshGroupDelayPlotWindow() {
    gdWindow_.refresh();
}

void FixedFilterPanel::initGroupDelayPlotWindow() {
    gdWindow_.restart();
}

void FixedFilterPanel::notify_of_state() {
    updateList();
    if (magShown_) {
        initMagnitudePlotWindow();
    }
    if (gdShown_) {
        initGroupDelayPlotWindow();
    }
}

void FixedFilterPanel::addRecord(const FixedFilterDataBaseRecord& row) {
    if (auto* table = row.getDataBase()) {
        table->addRecord(row);
    }
}

void FixedFilterPanel::insertRecord(const FixedFilterDataBaseRecord& row, int i) {
    auto* table = row.getDataBase();
    if (table && table->getSize() > 0 && i >= 0 && i < table->getSize()) {
        table->insertRecord(row, i);
    }
}

void FixedFilterPanel::setRecord(const FixedFilterDataBaseRecord& row, int i) {
    auto* table = row.getDataBase();
    if (table && table->getSize() > 0 && i >= 0 && i < table->getSize()) {
        table->setRecord(row, i);
    }
}

int FixedFilterPanel::selectedLine() const {
    return listCard_->listBox()->selectedIndex();
}

void FixedFilterPanel::showSelectedRecord(int i) {
    editCard_->showSelectedRecord(i, *current_);
}

bool FixedFilterPanel::applyRecord(int mode) {
    return editCard_->apply(mode, *current_);
}

void FixedFilterPanel::removeSelectedRecord(int i) {
    removeRecord(*current_, i);
    editCard_->forgetRow();
}

void FixedFilterPanel::updateList() {
    listCard_->updateList(*current_);
}

void FixedFilterPanel::refreshPlots() {
    if (magShown_) {
        refreshMagnitudePlotWindow();
    }
    if (gdShown_) {
        refreshGroupDelayPlotWindow();
    }
}

void FixedFilterPanel::clearMessage() {
    editCard_->showMessage({});
}

void FixedFilterPanel::selectTable(FixedFilterDataBase& table) {
    if (current_ != &table) {
        current_ = &table;
        editCard_->forgetRow();
    }
    updateList();
}

// Each window follows the page's flag, not the state of its box.
void FixedFilterPanel::toggleMagnitudePlot() {
    if (!magShown_) {
        showMagnitudePlotWindow();
    } else {
        disposeMagnitudePlotWindow();
    }
    magShown_ = !magShown_;
    magBox_->setChecked(magShown_);
    updateList();
}

void FixedFilterPanel::toggleGroupDelayPlot() {
    if (!gdShown_) {
        showGroupDelayPlotWindow();
    } else {
        disposeGroupDelayPlotWindow();
    }
    gdShown_ = !gdShown_;
    gdBox_->setChecked(gdShown_);
    updateList();
}

void FixedFilterPanel::deleteMagTsScreen() {
    disposeMagnitudePlotWindow();
    magShown_ = false;
    magBox_->setChecked(false);
}

void FixedFilterPanel::deleteGdScreen() {
    disposeGroupDelayPlotWindow();
    gdShown_ = false;
    gdBox_->setChecked(false);
}

} // namespace dovra::gui
