#include "panel/TablePage.h"

#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QStackedWidget>
#include <algorithm>

#include "screen/DovraScreen.h"

namespace dovra::gui {

LinesListBox::LinesListBox(int visibleLines) : visibleLines_(visibleLines) {
    setFont(makeFont("Courier", false, 13));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
}

QSize LinesListBox::sizeHint() const {
    const QFontMetrics fm(font());
    const int frame = 2 * frameWidth();
    // Room for a line of the widest display form (8 + 4 characters and a value).
    return {fm.horizontalAdvance(QLatin1Char('0')) * 22 + frame,
            fm.lineSpacing() * visibleLines_ + frame + 4};
}

QSize LinesListBox::minimumSizeHint() const {
    return sizeHint();
}

void LinesListBox::showLines(const ListLines& lines) {
    clear();
    for (const auto& line : lines) {
        addItem(QString::fromStdString(line));
    }
}

int LinesListBox::selectedIndex() const {
    const QList<QListWidgetItem*> items = selectedItems();
    return items.isEmpty() ? -1 : row(items.constFirst());
}

TableListCard::TableListCard(std::initializer_list<Heading> headings) : list_(new LinesListBox(4)) {
    for (const Heading& h : headings) {
        constrain(new QLabel(QString::fromLatin1(h.text)), h.gridx, 0, 1, 1, Fill::Both,
                  Anchor::Center, 1.0, 1.0, 5, 5, 5, 5);
    }
    constrain(list_, 0, 1, 12, 12, Fill::Both, Anchor::Center, 1.0, 1.0, 5, 5, 5, 5);
}

TableEditCard::TableEditCard() : message_(new QLabel) {
    message_->setObjectName("entryMessage");
    message_->setWordWrap(true);
    QPalette p = message_->palette();
    p.setColor(QPalette::WindowText, QColor(0xa0, 0x10, 0x10));
    message_->setPalette(p);
    message_->hide();
}

void TableEditCard::placeMessage(int gridy, int gridwidth) {
    constrain(message_, 0, gridy, gridwidth, 1, Fill::Horizontal, Anchor::North, 1.0, 1.0, 5, 5, 0,
              0);
}

void TableEditCard::showMessage(const std::string& message) {
    message_->setText(QString::fromStdString(message));
    message_->setVisible(!message.empty());
}

bool TableEditCard::report(const EntryResult& result) {
    showMessage(result.message);
    return result.stored;
}

ConstraintEditCard::ConstraintEditCard(const char* unit, const char* valueName)
    : frequency_(new QLineEdit(QStringLiteral("0"))), value_(new QLineEdit(QStringLiteral("0"))),
      valueName_(valueName) {
    setColumns(frequency_, 4);
    setColumns(value_, 4);
    auto place = [this](QWidget* w, int x, int width) {
        constrain(w, x, 1, width, 1, Fill::Horizontal, Anchor::Center, 1.0, 1.0, 5, 5, 0, 0);
    };
    place(new QLabel(QStringLiteral("Omega:")), 0, 1);
    place(frequency_, 1, 2);
    place(new QLabel(QString::fromLatin1(unit)), 3, 1);
    place(value_, 4, 2);
    placeMessage(2, 6);
}

void ConstraintEditCard::showRow(const std::string& omega, const std::string& limit) {
    frequency_->setText(qs(omega));
    value_->setText(qs(limit));
}

std::string ConstraintEditCard::text(int field) const {
    return (field == 0 ? frequency_ : value_)->text().toStdString();
}

TablePage::TablePage(DovraScreen& screen)
    : screen_(screen), cards_(new QStackedWidget), first_(new QPushButton(QStringLiteral("Add"))),
      second_(new QPushButton(QStringLiteral("Edit"))),
      third_(new QPushButton(QStringLiteral("Delete"))) {
    connect(first_, &QPushButton::clicked, this, [this] { firstButton(); });
    connect(second_, &QPushButton::clicked, this, [this] { editButtonClicked(); });
    connect(third_, &QPushButton::clicked, this, [this] { thirdButton(); });
}

void TablePage::placeCards(int row) {
    constrain(cards_, 1, row, 11, 11, Fill::Both, Anchor::Center, 1.0, 1.0, 5, 5, 5, 5);
    // The buttons need no more room than their longest label, so that the
    // page fits the window beside the card area.
    const QFontMetrics fm(first_->font());
    int labelWidth = 0;
    for (const char* label : {"Add", "Apply", "Edit", "Delete", "Close"}) {
        labelWidth = std::max(labelWidth, fm.horizontalAdvance(QString::fromLatin1(label)));
    }
    int y = row + 1;
    for (QPushButton* b : {first_, second_, third_}) {
        b->setMinimumWidth(labelWidth + 24);
        constrain(b, 13, y++, 1, 1, Fill::Horizontal, Anchor::Center, 1.0, 1.0, 5, 5, 5, 5);
    }
}

void TablePage::setCards(QWidget* list, QWidget* edit) {
    list->setObjectName("ParameterList");
    edit->setObjectName("ParameterEdit");
    cards_->addWidget(list);
    cards_->addWidget(edit);
}

void TablePage::reshow() {
    cards_->setCurrentIndex(mode_ == 0 ? 0 : 1);
}

QString TablePage::currentCardName() const {
    const QWidget* w = cards_->currentWidget();
    return w ? w->objectName() : QString();
}

void TablePage::firstButton() {
    if (mode_ == 0) {
        startEditing(1);
        return;
    }
    // A refused row keeps the edit card with the typed texts and the reason.
    if (!applyRecord(mode_)) {
        return;
    }
    endEditing();
    updateList();
    refreshPlots();
}

void TablePage::editButtonClicked() {
    if (mode_ == 0) {
        startEditing(2);
    }
}

void TablePage::thirdButton() {
    if (mode_ != 0) {
        endEditing(); // "Close": nothing is stored
        return;
    }
    const int i = selectedLine();
    if (i < 0) {
        return;
    }
    // A row deleted by a slip would be lost: Delete asks first.
    if (!screen_.ask(QStringLiteral("Delete row"),
                     QStringLiteral("Delete row %1 of the table?").arg(i + 1))) {
        return;
    }
    removeSelectedRecord(i);
    updateList();
    refreshPlots();
}

void TablePage::startEditing(int mode) {
    mode_ = mode;
    first_->setText(QStringLiteral("Apply"));
    third_->setText(QStringLiteral("Close"));
    second_->hide();
    clearMessage();
    const int i = selectedLine();
    if (i > -1) {
        showSelectedRecord(i);
    }
    reshow();
}

void TablePage::endEditing() {
    mode_ = 0;
    first_->setText(QStringLiteral("Add"));
    third_->setText(QStringLiteral("Delete"));
    second_->show();
    clearMessage();
    reshow();
}

} // namespace dovra::gui
