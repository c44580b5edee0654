#pragma once
// What the three table pages share: a card area that switches between the
// list of the table being edited and an edit card for one row, and the three
// buttons that drive it ("Add"/"Apply", "Edit", "Delete"/"Close").
//
// The rows are entered by the rules of data/TableEntry.h and shown by the
// tables' own display forms; the page only moves texts between them and the
// widgets.

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <initializer_list>
#include <string>

#include "data/TableEntry.h"
#include "data/Tables.h"
#include "panel/MyPanel.h"
#include "screen/PlotScreens.h"

class QLineEdit;
class QPushButton;
class QStackedWidget;

namespace dovra::gui {

class DovraScreen;

/// A list box of a given number of visible lines, single selection, in
/// "Courier" plain 13 so that the blanks of the list lines form columns.
class LinesListBox : public QListWidget {
  public:
    explicit LinesListBox(int visibleLines);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    void showLines(const ListLines& lines);
    /// The selected line, -1 when none is.
    int selectedIndex() const;

  private:
    int visibleLines_;
};

/// A list card: headings above a list box that shows a table's lines.
class TableListCard : public MyPanel {
  public:
    struct Heading {
        const char* text;
        int gridx;
    };
    explicit TableListCard(std::initializer_list<Heading> headings);

    LinesListBox* listBox() const { return list_; }
    template <class Table> void updateList(const Table& table) {
        ListLines lines;
        table.display(lines);
        list_->showLines(lines);
    }

  private:
    LinesListBox* list_;
};

/// An edit card: the fields of one row, the index of the row last shown and
/// a line that says why Apply refused a row.
class TableEditCard : public MyPanel {
  public:
    /// The row last shown by showSelectedRecord; -1 when there is none.
    int rowIndex() const { return rowIndex_; }
    /// The stored index no longer names the row the user chose (the table was
    /// switched or a row deleted).
    void forgetRow() { rowIndex_ = -1; }
    QLabel* messageLabel() const { return message_; }
    /// Shows the message; an empty one hides the line.
    void showMessage(const std::string& message);

  protected:
    TableEditCard();
    /// Places the message line below the fields.
    void placeMessage(int gridy, int gridwidth);
    bool report(const EntryResult& result);

    int rowIndex_ = -1;

  private:
    QLabel* message_;
};

/// The edit card of the magnitude and group-delay pages: "Omega:", the
/// frequency field, the unit label and the value field.
class ConstraintEditCard : public TableEditCard {
  public:
    QLineEdit* frequencyField() const { return frequency_; }
    QLineEdit* valueField() const { return value_; }

    template <class Table> void showSelectedRecord(int i, const Table& table) {
        rowIndex_ = i;
        if (i > -1) {
            if (const auto* row = table.getRecord(i)) {
                showRow(row->getOmega(), row->getLimit());
            }
        }
    }
    /// Stores the row as the fields give it; false (with the message shown)
    /// when the row is refused.
    template <class Table> bool apply(int mode, Table& table) {
        return report(enterConstraintRow(table, static_cast<EntryMode>(mode), rowIndex_, text(0),
                                         text(1), valueName_));
    }

  protected:
    /// unit: the label between the fields; valueName: the value in messages.
    ConstraintEditCard(const char* unit, const char* valueName);

  private:
    void showRow(const std::string& omega, const std::string& limit);
    std::string text(int field) const;

    QLineEdit* frequency_;
    QLineEdit* value_;
    std::string valueName_;
};

/// The page frame: card area, buttons and mode.
class TablePage : public MyPanel {
  public:
    /// The list card in mode 0, the edit card in modes 1 and 2.
    void reshow();
    /// 0: list card shown, 1: adding a row, 2: editing a row.
    int getMode() const { return mode_; }
    /// "ParameterList" or "ParameterEdit".
    QString currentCardName() const;

    QPushButton* addButton() const { return first_; }
    QPushButton* editButton() const { return second_; }
    QPushButton* deleteButton() const { return third_; }

  protected:
    explicit TablePage(DovraScreen& screen);
    /// Places the card area at (1, row) and the three buttons below its top.
    void placeCards(int row);
    void setCards(QWidget* list, QWidget* edit);

    /// The selected line of the list box, -1 when none is.
    virtual int selectedLine() const = 0;
    virtual void showSelectedRecord(int i) = 0;
    /// apply (mode, current table); false when the row was refused.
    virtual bool applyRecord(int mode) = 0;
    virtual void removeSelectedRecord(int i) = 0;
    /// The list card redisplays the current table.
    virtual void updateList() = 0;
    /// Each plot window of the page that is shown redraws.
    virtual void refreshPlots() {}
    virtual void clearMessage() = 0;

    DovraScreen& screen_;

  private:
    void firstButton();
    void editButtonClicked();
    void thirdButton();
    void startEditing(int mode);
    void endEditing();

    QStackedWidget* cards_;
    QPushButton* first_;
    QPushButton* second_;
    QPushButton* third_;
    int mode_ = 0;
};

/// The pages of two tables of one kind (the upper and lower constraints, the
/// prefilter's numerator and denominator): a title, two radio buttons that
/// choose the table shown and edited, and the list and edit cards of that
/// table.
template <class Table, class ListCard, class EditCard> class TwoTablePage : public TablePage {
  public:
    using Record = typename Table::RecordType;

    // The table operations of the page.
    int getSize(const Table& table) const { return table.getSize(); }
    void removeRecord(Table& table, int i) { table.removeRecord(i); }
    void displayDatabase(const Table& table, ListLines& list) const { table.display(list); }
    /// Appends the row to the table it belongs to.
    void addRecord(const Record& row) {
        if (auto* table = row.getDataBase()) {
            table->addRecord(row);
        }
    }
    /// Only for a row i of the row's table.
    void insertRecord(const Record& row, int i) {
        if (auto* table = holding(row, i)) {
            table->insertRecord(row, i);
        }
    }
    void setRecord(const Record& row, int i) {
        if (auto* table = holding(row, i)) {
            table->setRecord(row, i);
        }
    }
    const Record* getRecord(const Table& table, int i) const { return table.getRecord(i); }

    Table& currentTable() const { return *current_; }
    ListCard& listCard() const { return *listCard_; }
    EditCard& editCard() const { return *editCard_; }

  protected:
    /// firstName, secondName: the radio buttons of the two tables; the first
    /// table is shown.
    TwoTablePage(DovraScreen& screen, Table& first, Table& second, const char* title,
                 const char* firstName, const char* secondName)
        : TablePage(screen), first_(first), second_(second), current_(&first),
          listCard_(new ListCard), editCard_(new EditCard), title_(new QLabel(title)),
          firstRadio_(new QRadioButton(QString::fromLatin1(firstName))),
          secondRadio_(new QRadioButton(QString::fromLatin1(secondName))) {
        title_->setFont(makeFont("Helvetica", true, 14));
        firstRadio_->setChecked(true);
        auto* tables = new QButtonGroup(this);
        tables->addButton(firstRadio_);
        tables->addButton(secondRadio_);
        setCards(listCard_, editCard_);
        connect(firstRadio_, &QRadioButton::clicked, this, [this] { selectTable(first_); });
        connect(secondRadio_, &QRadioButton::clicked, this, [this] { selectTable(second_); });
        listCard_->updateList(*current_);
    }

    QRadioButton* firstTableButton() const { return firstRadio_; }
    QRadioButton* secondTableButton() const { return secondRadio_; }

    /// Anchor centre, weights 1; insets 5 5 5 5 or 5 5 0 0.
    void place(QWidget* w, int x, int y, int width, Fill fill, bool allInsets) {
        const int far = allInsets ? 5 : 0;
        constrain(w, x, y, width, 1, fill, Anchor::Center, 1.0, 1.0, 5, 5, far, far);
    }
    /// The title, the label of the radio buttons, the buttons at firstRow
    /// and below, and the cards at cardsRow.
    void placeTables(const char* label, int firstRow, int cardsRow) {
        place(title_, 0, 0, 3, Fill::Horizontal, false);
        place(new QLabel(QString::fromLatin1(label)), 0, 1, 1, Fill::Both, true);
        place(firstRadio_, 1, firstRow, 1, Fill::Horizontal, false);
        place(secondRadio_, 1, firstRow + 1, 1, Fill::Horizontal, false);
        placeCards(cardsRow);
    }

    int selectedLine() const override { return listCard_->listBox()->selectedIndex(); }
    void showSelectedRecord(int i) override { editCard_->showSelectedRecord(i, *current_); }
    bool applyRecord(int mode) override { return editCard_->apply(mode, *current_); }
    void removeSelectedRecord(int i) override {
        removeRecord(*current_, i);
        editCard_->forgetRow();
    }
    void updateList() override { listCard_->updateList(*current_); }
    void clearMessage() override { editCard_->showMessage({}); }

  private:
    Table* holding(const Record& row, int i) const {
        Table* table = row.getDataBase();
        return table && table->getSize() > 0 && i >= 0 && i < table->getSize() ? table : nullptr;
    }
    void selectTable(Table& table) {
        if (current_ != &table) {
            current_ = &table;
            editCard_->forgetRow();
        }
        updateList();
    }

    Table& first_;
    Table& second_;
    Table* current_;
    ListCard* listCard_;
    EditCard* editCard_;
    QLabel* title_;
    QRadioButton* firstRadio_;
    QRadioButton* secondRadio_;
};

/// The magnitude and group-delay pages: an upper and a lower constraint
/// table, "Upper Constraints" and "Lower Constraints" to choose the one shown
/// and edited, and "Tolerance Scheme Plot", which opens a Window.
template <class Table, class ListCard, class EditCard, class Window>
class ConstraintPage : public TwoTablePage<Table, ListCard, EditCard> {
    using Base = TwoTablePage<Table, ListCard, EditCard>;

  public:
    void notify_of_state() override { this->updateList(); }

    bool plotShown() const { return plot_.shown(); }
    Window* plotWindow() const { return plot_.window(); }
    QRadioButton* upperButton() const { return this->firstTableButton(); }
    QRadioButton* lowerButton() const { return this->secondTableButton(); }
    QCheckBox* plotBox() const { return plot_.box(); }

  protected:
    ConstraintPage(DovraScreen& screen, Table& upper, Table& lower, const char* title)
        : Base(screen, upper, lower, title, "Upper Constraints", "Lower Constraints"),
          plot_(QStringLiteral("Tolerance Scheme Plot")) {}

    /// The widgets both pages have, at the rows where the page has them;
    /// owner: the page, which the plot window tells when the user closes it.
    template <class Owner> void placeShared(Owner& owner, int upperRow, int cardsRow, int plotRow) {
        this->placeTables("Constraints:", upperRow, cardsRow);
        this->place(plot_.box(), 1, plotRow, 1, Fill::Both, false);
        plot_.attach(owner, this->screen_.session(), [this] { this->updateList(); });
    }

    /// The plot window was closed by the user.
    void plotWindowClosed() { plot_.closed(); }
    void refreshPlots() override { plot_.refresh(); }

  private:
    PlotWindowSwitch<Window> plot_;
};

} // namespace dovra::gui
