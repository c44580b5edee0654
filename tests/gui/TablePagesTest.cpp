// The magnitude, group-delay and prefilter pages inside a real main window,
// driven by clicks and key strokes: rows are added, edited and deleted, the
// list lines are the tables' display forms, refused input says why and leaves
// the table as it was, the dB calculator converts both ways, and the pages
// fit the window without clipped texts.

#include <QCheckBox>
#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QtTest>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "gui/support/PinnedFonts.h"
#include "gui/support/QuietOffscreen.h"
#include "panel/FixedFilterPanel.h"
#include "panel/GroupDelayPanel.h"
#include "panel/MagnitudePanel.h"
#include "panel/StartupPanel.h"
#include "screen/DovraScreen.h"

using namespace dovra;
using namespace dovra::gui;

namespace {

using Rows = std::vector<std::vector<std::string>>;

template <class Table> Rows rowsOf(const Table& table) {
    Rows rows;
    for (int i = 0; i < table.getSize(); ++i) {
        std::vector<std::string> row;
        for (int e = 0; e < table.getRecord(i)->getSize(); ++e) {
            row.push_back(table.getRecord(i)->getElement(e));
        }
        rows.push_back(row);
    }
    return rows;
}

template <class Table> QStringList displayOf(const Table& table) {
    ListLines lines;
    table.display(lines);
    QStringList out;
    for (const auto& l : lines) {
        out << QString::fromStdString(l);
    }
    return out;
}

QStringList shownLines(const LinesListBox* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) {
        out << list->item(i)->text();
    }
    return out;
}

void click(QAbstractButton* b) {
    QVERIFY2(b->isVisible() && b->isEnabled(), qPrintable(b->text()));
    // A radio button or check box takes clicks on its indicator and text only,
    // and may be wider than both: click its indicator.
    QStyleOptionButton option;
    option.initFrom(b);
    QPoint at = b->rect().center();
    if (qobject_cast<QRadioButton*>(b)) {
        at = b->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, b).center();
    } else if (qobject_cast<QCheckBox*>(b)) {
        at = b->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, b).center();
    }
    QTest::mouseClick(b, Qt::LeftButton, {}, at);
}

/// Replaces the field's text by typing.
void type(QLineEdit* field, const QString& text) {
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
    QCOMPARE(field->text(), text);
}

void selectLine(LinesListBox* list, int i) {
    QVERIFY(list->isVisible());
    QListWidgetItem* item = list->item(i);
    QVERIFY(item);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    QCOMPARE(list->selectedIndex(), i);
}

bool hasLabel(QWidget* w, const QString& text) {
    for (const QLabel* l : w->findChildren<QLabel*>()) {
        if (l->text() == text && l->isVisible()) {
            return true;
        }
    }
    return false;
}

// A constraint line as the list shows it: Omega padded to 8, 4 blanks, Limit.
QString line(const char* omega, const char* limit) {
    return QString::fromLatin1(omega).leftJustified(8, ' ') + QStringLiteral("    ") +
           QString::fromLatin1(limit);
}

/// The main window on its own streams, shown at its size.
struct Window {
    std::ostringstream out;
    std::ostringstream err;
    DovraScreen screen{out, err};

    /// How often a question was put, and the answer given.
    int asked = 0;
    bool answer = true;

    Window() {
        screen.setExitHandler([](int) {});
        screen.setQuestion([this](const QString&) {
            ++asked;
            return answer;
        });
        screen.resize(450, 400);
        screen.show();
    }
    /// "Next >>" clicked n times from "Idle".
    void next(int n) {
        for (int i = 0; i < n; ++i) {
            click(screen.nextButton());
        }
    }
};

/// What the tests need to drive any of the three pages the same way.
struct Driver {
    TablePage* page = nullptr;
    LinesListBox* list = nullptr;
    QLineEdit* first = nullptr;
    QLineEdit* second = nullptr; // none on the prefilter page
    QLabel* message = nullptr;
    std::function<Rows()> rows;
    std::function<QStringList()> display;
    /// Puts rows with these frequencies (or coefficients) into the current table.
    std::function<void(std::vector<const char*>)> fill;

    void enter(const QString& a, const QString& b = {}) {
        type(first, a);
        if (second) {
            type(second, b);
        }
    }
    /// "Add", the texts, "Apply".
    void add(const QString& a, const QString& b = {}) {
        click(page->addButton());
        enter(a, b);
        click(page->addButton());
    }
};

template <class Page> Driver constraintDriver(Window& w, Page& page) {
    Driver d;
    d.page = &page;
    d.list = page.listCard().listBox();
    d.first = page.editCard().frequencyField();
    d.second = page.editCard().valueField();
    d.message = page.editCard().messageLabel();
    d.rows = [&page] { return rowsOf(page.currentTable()); };
    d.display = [&page] { return displayOf(page.currentTable()); };
    d.fill = [&page, &w](std::vector<const char*> omegas) {
        auto& table = page.currentTable();
        for (const char* o : omegas) {
            auto row = table.newRecord();
            row.setOmegaAndLimit(o, "-1");
            table.addRecord(row);
        }
        w.screen.notify_of_state();
    };
    return d;
}

Driver prefilterDriver(Window& w) {
    FixedFilterPanel& page = w.screen.fixedFilterPanel();
    Driver d;
    d.page = &page;
    d.list = page.listCard().listBox();
    d.first = page.editCard().coefficientField();
    d.message = page.editCard().messageLabel();
    d.rows = [&page] { return rowsOf(page.currentTable()); };
    d.display = [&page] { return displayOf(page.currentTable()); };
    d.fill = [&page, &w](std::vector<const char*> coeffs) {
        auto& table = page.currentTable();
        for (const char* c : coeffs) {
            auto row = table.newRecord();
            row.setCoeff(c);
            table.addRecord(row);
        }
        w.screen.notify_of_state();
    };
    return d;
}

/// The page with number `page` (1 magnitude, 2 group delay, 3 prefilter), shown.
Driver driverFor(Window& w, int page) {
    w.next(page);
    if (page == 1) {
        return constraintDriver(w, w.screen.magnitudePanel());
    }
    if (page == 2) {
        return constraintDriver(w, w.screen.groupDelayPanel());
    }
    return prefilterDriver(w);
}

void checkListMode(const TablePage& page) {
    QCOMPARE(page.getMode(), 0);
    QCOMPARE(page.currentCardName(), QStringLiteral("ParameterList"));
    QCOMPARE(page.addButton()->text(), QStringLiteral("Add"));
    QCOMPARE(page.deleteButton()->text(), QStringLiteral("Delete"));
    QVERIFY(page.editButton()->isVisible());
}

void checkEditMode(const TablePage& page, int mode) {
    QCOMPARE(page.getMode(), mode);
    QCOMPARE(page.currentCardName(), QStringLiteral("ParameterEdit"));
    QCOMPARE(page.addButton()->text(), QStringLiteral("Apply"));
    QCOMPARE(page.deleteButton()->text(), QStringLiteral("Close"));
    QVERIFY(!page.editButton()->isVisible());
}

} // namespace

class TablePagesTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void magnitudeRowsByClicking();
    void groupDelayRowsAndFreeze();
    void prefilterRowsByClicking();
    void refusedInputChangesNothing_data();
    void refusedInputChangesNothing();
    void dbCalculator();
    void plotSwitchesFollowTheirWindows();
    void pagesFitTheWindow_data();
    void pagesFitTheWindow();
};

void TablePagesTest::initTestCase() {
    dovra::test::quietOffscreen();
    dovra::test::pinFonts();
}

void TablePagesTest::magnitudeRowsByClicking() {
    Window w;
    Driver d = driverFor(w, 1);
    MagnitudePanel& page = w.screen.magnitudePanel();
    MagConstraintsDataBase& upper = w.screen.session().magUpper();
    QCOMPARE(w.screen.currentCard(), QStringLiteral("Magnitude"));
    QVERIFY(hasLabel(&page, "Omega") && hasLabel(&page, "Limit in dB"));
    checkListMode(page);
    // The list shows at least four rows at the window's size.
    QVERIFY(d.list->viewport()->height() >= 4 * QFontMetrics(d.list->font()).lineSpacing());

    // Added out of order, kept in order of frequency; ".2" is stored as 0.2.
    d.add("0.3", "-3");
    checkListMode(page);
    d.add("0.1", "-1");
    d.add(".2", "-2");
    QCOMPARE(upper.getSize(), 3);
    QCOMPARE(shownLines(d.list), displayOf(upper));
    QCOMPARE(shownLines(d.list),
             (QStringList{line("0.1", "-1.0"), line("0.2", "-2.0"), line("0.3", "-3.0")}));

    // Edit shows the selected row; the elements the page does not show stay.
    upper.getRecord(1)->setMinMax("-7", "-5");
    selectLine(d.list, 1);
    click(page.editButton());
    checkEditMode(page, 2);
    QCOMPARE(d.first->text(), QStringLiteral("0.2"));
    QCOMPARE(d.second->text(), QStringLiteral("-2.0"));
    type(d.second, "-6");
    click(page.addButton());
    checkListMode(page);
    QCOMPARE(upper.getRecord(1)->getLimit(), std::string("-6.0"));
    QCOMPARE(upper.getRecord(1)->getMin(), std::string("-7"));
    QCOMPARE(upper.getRecord(1)->getMax(), std::string("-5"));

    // An edited frequency below its predecessor's is stored as typed.
    selectLine(d.list, 2);
    click(page.editButton());
    type(d.first, "0.05");
    click(page.addButton());
    QCOMPARE(shownLines(d.list),
             (QStringList{line("0.1", "-1.0"), line("0.2", "-6.0"), line("0.05", "-3.0")}));

    // Add starts from the selected row; Close stores nothing.
    selectLine(d.list, 0);
    click(page.addButton());
    checkEditMode(page, 1);
    QCOMPARE(d.first->text(), QStringLiteral("0.1"));
    QCOMPARE(d.second->text(), QStringLiteral("-1.0"));
    type(d.first, "0.4");
    click(page.deleteButton());
    checkListMode(page);
    QCOMPARE(upper.getSize(), 3);

    // Delete asks first: "No" keeps the row.
    selectLine(d.list, 0);
    w.answer = false;
    const int asked = w.asked;
    click(page.deleteButton());
    QCOMPARE(w.asked, asked + 1);
    QCOMPARE(upper.getSize(), 3);
    w.answer = true;

    // Delete removes the selected row; with none selected it does nothing.
    selectLine(d.list, 0);
    click(page.deleteButton());
    QCOMPARE(shownLines(d.list), (QStringList{line("0.2", "-6.0"), line("0.05", "-3.0")}));
    QCOMPARE(d.list->selectedIndex(), -1);
    click(page.deleteButton());
    QCOMPARE(upper.getSize(), 2);

    // "Lower Constraints" shows and edits the lower table.
    click(page.lowerButton());
    QCOMPARE(&page.currentTable(), &w.screen.session().magLower());
    QCOMPARE(d.list->count(), 0);
    d.add("0.25", "-40");
    QCOMPARE(shownLines(d.list), QStringList{line("0.25", "-40.0")});
    QCOMPARE(upper.getSize(), 2);
    click(page.upperButton());
    QCOMPARE(shownLines(d.list), displayOf(upper));
}

void TablePagesTest::groupDelayRowsAndFreeze() {
    Window w;
    Driver d = driverFor(w, 2);
    GroupDelayPanel& page = w.screen.groupDelayPanel();
    GdConstraintsDataBase& upper = w.screen.session().gdUpper();
    QCOMPARE(w.screen.currentCard(), QStringLiteral("GroupDelay"));
    QVERIFY(hasLabel(&page, "Omega") && hasLabel(&page, "normalized time"));

    d.add("0.2", "10");
    d.add("0.1", "12.5");
    d.add("0.5", "1e-4");
    QCOMPARE(shownLines(d.list), displayOf(upper));
    QCOMPARE(shownLines(d.list),
             (QStringList{line("0.1", "12.5"), line("0.2", "10.0"), line("0.5", "1.0E-4")}));
    selectLine(d.list, 2);
    click(page.editButton());
    type(d.first, "0.45");
    click(page.addButton());
    selectLine(d.list, 0);
    click(page.deleteButton());
    QCOMPARE(shownLines(d.list), (QStringList{line("0.2", "10.0"), line("0.45", "1.0E-4")}));

    click(page.lowerButton());
    d.add("0", "-2");
    QCOMPARE(rowsOf(w.screen.session().gdLower()), (Rows{{"0.0", "-2.0", "", "", ""}}));

    // "freeze constraints": each click toggles the session's flag; a flag set
    // elsewhere shows in the box.
    QVERIFY(!page.freezeBox()->isChecked());
    click(page.freezeBox());
    QVERIFY(w.screen.session().getFreezingStateOfGdConstraints());
    QVERIFY(page.freezeBox()->isChecked());
    click(page.freezeBox());
    QVERIFY(!w.screen.session().getFreezingStateOfGdConstraints());
    QVERIFY(!page.freezeBox()->isChecked());
    page.setFreezingStateOfGdConstraints(true);
    QVERIFY(page.freezeBox()->isChecked());
    QVERIFY(page.getFreezingStateOfGdConstraints());
    w.screen.session().setFreezingStateOfGdConstraints(false);
    QVERIFY(!page.freezeBox()->isChecked());
}

void TablePagesTest::prefilterRowsByClicking() {
    Window w;
    Driver d = driverFor(w, 3);
    FixedFilterPanel& page = w.screen.fixedFilterPanel();
    FixedFilterDataBase& numerator = w.screen.session().ffNumerator();
    FixedFilterDataBase& denominator = w.screen.session().ffDenominator();
    QCOMPARE(w.screen.currentCard(), QStringLiteral("FixedFilter"));
    QVERIFY(hasLabel(&page, "Coefficients"));

    // Appended in the order entered, padded to 8 in the list.
    d.add("1");
    d.add("0.5");
    d.add(".25");
    QCOMPARE(shownLines(d.list), displayOf(numerator));
    QCOMPARE(shownLines(d.list), (QStringList{"1.0     ", "0.5     ", "0.25    "}));

    click(page.denominatorButton());
    QCOMPARE(d.list->count(), 0);
    d.add("-0.9");
    QCOMPARE(rowsOf(denominator), (Rows{{"-0.9", "", "", "", ""}}));
    QCOMPARE(numerator.getSize(), 3);
    click(page.numeratorButton());
    QCOMPARE(shownLines(d.list), displayOf(numerator));

    selectLine(d.list, 1);
    click(page.editButton());
    checkEditMode(page, 2);
    QCOMPARE(d.first->text(), QStringLiteral("0.5"));
    type(d.first, "-0.125");
    click(page.addButton());
    checkListMode(page);
    QCOMPARE(numerator.getRecord(1)->getCoeff(), std::string("-0.125"));

    click(page.deleteButton()); // nothing selected
    QCOMPARE(numerator.getSize(), 3);
    selectLine(d.list, 0);
    click(page.deleteButton());
    QCOMPARE(shownLines(d.list), (QStringList{"-0.125  ", "0.25    "}));
}

void TablePagesTest::refusedInputChangesNothing_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("edit");
    QTest::addColumn<bool>("select");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("message");

    // The tables hold 0.1 and 0.3 (coefficients 0.1 and 0.3).
    QTest::newRow("magnitude omega not a number") << 1 << false << false << "abc"
                                                  << "-3"
                                                  << R"(Omega: "abc" is not a number)";
    QTest::newRow("magnitude omega empty") << 1 << false << false << ""
                                           << "-3"
                                           << "Omega: enter a number";
    QTest::newRow("magnitude limit with a comma") << 1 << false << false << "0.2"
                                                  << "1,5"
                                                  << R"(Limit in dB: "1,5" is not a number)";
    QTest::newRow("magnitude limit NaN") << 1 << false << false << "0.2"
                                         << "NaN"
                                         << R"(Limit in dB: "NaN" is not a finite number)";
    QTest::newRow("magnitude omega above 0.5") << 1 << false << false << "0.6"
                                               << "-3"
                                               << "Omega: 0.6 is outside 0 to 0.5";
    QTest::newRow("magnitude omega below 0") << 1 << false << false << "-0.1"
                                             << "-3"
                                             << "Omega: -0.1 is outside 0 to 0.5";
    QTest::newRow("magnitude omega of the last row")
        << 1 << false << false << "0.30"
        << "-3"
        << "Omega: a row with the frequency 0.3 exists already";
    QTest::newRow("magnitude omega of the first row")
        << 1 << false << false << "0.1"
        << "-3"
        << "Omega: a row with the frequency 0.1 exists already";
    QTest::newRow("magnitude edit with no row ever selected") << 1 << true << false << "0.2"
                                                              << "-3"
                                                              << "Select a row in the list to edit";
    QTest::newRow("magnitude edit to omega above 0.5") << 1 << true << true << "0.7"
                                                       << "-3"
                                                       << "Omega: 0.7 is outside 0 to 0.5";
    QTest::newRow("group delay time not a number") << 2 << false << false << "0.2"
                                                   << "ten"
                                                   << R"(Normalized time: "ten" is not a number)";
    QTest::newRow("group delay omega just above 0.5") << 2 << true << true << "0.5000001"
                                                      << "1"
                                                      << "Omega: 0.5000001 is outside 0 to 0.5";
    QTest::newRow("prefilter coefficient not a number") << 3 << false << false << "1/2"
                                                        << ""
                                                        << R"(Coefficient: "1/2" is not a number)";
    QTest::newRow("prefilter coefficient empty") << 3 << false << false << " "
                                                 << ""
                                                 << "Coefficient: enter a number";
    QTest::newRow("prefilter coefficient infinite")
        << 3 << true << true << "Infinity"
        << ""
        << R"(Coefficient: "Infinity" is not a finite number)";
    QTest::newRow("prefilter edit with no row ever selected") << 3 << true << false << "2"
                                                              << ""
                                                              << "Select a row in the list to edit";
}

void TablePagesTest::refusedInputChangesNothing() {
    QFETCH(int, page);
    QFETCH(bool, edit);
    QFETCH(bool, select);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, message);

    Window w;
    Driver d = driverFor(w, page);
    d.fill({"0.1", "0.3"});
    QCOMPARE(shownLines(d.list), d.display()); // notify_of_state redisplays
    const Rows before = d.rows();

    if (select) {
        selectLine(d.list, 0);
    }
    click(edit ? d.page->editButton() : d.page->addButton());
    const int mode = edit ? 2 : 1;
    d.enter(first, second);
    click(d.page->addButton());

    QCOMPARE(d.rows(), before);
    checkEditMode(*d.page, mode);
    QVERIFY(d.message->isVisible());
    QCOMPARE(d.message->text(), message);
    QCOMPARE(d.first->text(), first); // the typed texts stay for correcting

    click(d.page->deleteButton()); // "Close"
    checkListMode(*d.page);
    QVERIFY(!d.message->isVisible());
    QCOMPARE(d.rows(), before);
    QCOMPARE(shownLines(d.list), d.display());
}

void TablePagesTest::dbCalculator() {
    Window w;
    w.next(1);
    MagnitudePanel& page = w.screen.magnitudePanel();
    QLineEdit* field = page.converterField();
    QCOMPARE(field->text(), QStringLiteral("1"));
    QCOMPARE(page.converterMode(), std::string("x"));
    QVERIFY(page.linearButton()->isChecked());

    type(field, "10");
    click(page.decibelButton());
    QCOMPARE(field->text(), QStringLiteral("20.0"));
    QCOMPARE(page.converterMode(), std::string("logx"));
    click(page.decibelButton()); // the mode in force: nothing happens
    QCOMPARE(field->text(), QStringLiteral("20.0"));
    click(page.linearButton());
    QCOMPARE(field->text(), QStringLiteral("10.0"));
    QCOMPARE(page.converterMode(), std::string("x"));

    type(field, "-40");
    click(page.decibelButton());
    QCOMPARE(field->text(), QStringLiteral("Error!"));

    // Refused input converts nothing and leaves the mode, and its button, as
    // they were.
    type(field, "0");
    click(page.decibelButton());
    QCOMPARE(field->text(), QStringLiteral("Error!"));
    QCOMPARE(page.converterMode(), std::string("x"));
    QVERIFY(page.linearButton()->isChecked());
    type(field, "ten");
    click(page.decibelButton());
    QCOMPARE(field->text(), QStringLiteral("Invalid Entry!"));
    QCOMPARE(page.converterMode(), std::string("x"));
    QVERIFY(page.linearButton()->isChecked());

    type(field, "0.01");
    click(page.decibelButton());
    QCOMPARE(field->text(), QStringLiteral("-40.0"));
    type(field, "-6 dB");
    click(page.linearButton());
    QCOMPARE(field->text(), QStringLiteral("Invalid Entry!"));
    QCOMPARE(page.converterMode(), std::string("logx"));
    QVERIFY(page.decibelButton()->isChecked());
    QCOMPARE(page.converterValue(), -40.0);
}

void TablePagesTest::plotSwitchesFollowTheirWindows() {
    Window w;
    w.next(1);
    MagnitudePanel& mag = w.screen.magnitudePanel();
    click(mag.plotBox());
    QVERIFY(mag.plotShown() && mag.plotBox()->isChecked());
    mag.deleteMagTsScreen(); // closed by its frame
    QVERIFY(!mag.plotShown() && !mag.plotBox()->isChecked());
    click(mag.plotBox());
    QVERIFY(mag.plotShown() && mag.plotBox()->isChecked());
    click(mag.plotBox());
    QVERIFY(!mag.plotShown() && !mag.plotBox()->isChecked());

    w.next(1);
    GroupDelayPanel& gd = w.screen.groupDelayPanel();
    click(gd.plotBox());
    QVERIFY(gd.plotShown() && gd.plotBox()->isChecked());
    gd.deleteGdTsScreen();
    QVERIFY(!gd.plotShown() && !gd.plotBox()->isChecked());

    w.next(1);
    FixedFilterPanel& ff = w.screen.fixedFilterPanel();
    click(ff.magnitudePlotBox());
    click(ff.groupDelayPlotBox());
    QVERIFY(ff.magnitudePlotShown() && ff.groupDelayPlotShown());
    ff.deleteGdScreen();
    QVERIFY(ff.magnitudePlotShown() && ff.magnitudePlotBox()->isChecked());
    QVERIFY(!ff.groupDelayPlotShown() && !ff.groupDelayPlotBox()->isChecked());
    ff.deleteMagTsScreen();
    QVERIFY(!ff.magnitudePlotShown() && !ff.magnitudePlotBox()->isChecked());
}

void TablePagesTest::pagesFitTheWindow_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("editCard");
    QTest::addColumn<QString>("name");
    QTest::newRow("magnitude list") << 1 << false << "magnitude-list";
    QTest::newRow("magnitude edit") << 1 << true << "magnitude-edit";
    QTest::newRow("group delay list") << 2 << false << "groupdelay-list";
    QTest::newRow("group delay edit") << 2 << true << "groupdelay-edit";
    QTest::newRow("prefilter list") << 3 << false << "prefilter-list";
    QTest::newRow("prefilter edit") << 3 << true << "prefilter-edit";
}

void TablePagesTest::pagesFitTheWindow() {
    QFETCH(int, page);
    QFETCH(bool, editCard);
    QFETCH(QString, name);

    Window w;
    Driver d = driverFor(w, page);
    if (page == 3) {
        d.fill({"1.0", "-0.123456789", "0.25", "3.0E-5", "0.5"});
    } else {
        d.fill({"0.0", "0.123456789", "0.25", "0.3", "0.5"});
    }
    if (editCard) {
        selectLine(d.list, 1);
        click(d.page->editButton());
        d.enter(page == 3 ? "1/2" : "0.5000001", "-3");
        click(d.page->addButton()); // refused: the message line shows
        QVERIFY(d.message->isVisible());
    }
    QTest::qWait(20);

    const QImage image = w.screen.grab().toImage();
    QVERIFY(!image.isNull());
    const QString dir = qEnvironmentVariable("DOVRA_SHOT_DIR", QDir::tempPath());
    QVERIFY(image.save(dir + "/dovra-" + name + ".png"));
    // The page fits the card area of a window of 450 x 400.
    const QSize room(450 - 10, 400 - 10 - 5 - w.screen.exitButton()->sizeHint().height());
    QVERIFY2(d.page->minimumSizeHint().width() <= room.width(),
             qPrintable(QString::number(d.page->minimumSizeHint().width())));
    QVERIFY2(d.page->minimumSizeHint().height() <= room.height(),
             qPrintable(QString::number(d.page->minimumSizeHint().height())));

    // No text is cut: every visible label, button and field has at least the
    // room its text needs, and the list shows its widest line whole.
    for (QWidget* c : d.page->findChildren<QWidget*>()) {
        if (!c->isVisible()) {
            continue;
        }
        if (auto* l = qobject_cast<QLabel*>(c); l && !l->wordWrap()) {
            QVERIFY2(l->width() >= l->sizeHint().width(), qPrintable(l->text()));
            QVERIFY2(l->height() >= l->sizeHint().height(), qPrintable(l->text()));
        } else if (auto* b = qobject_cast<QPushButton*>(c)) {
            QVERIFY2(b->width() >= b->fontMetrics().horizontalAdvance(b->text()) + 12,
                     qPrintable(b->text()));
        } else if (auto* b = qobject_cast<QAbstractButton*>(c)) {
            QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->text()));
        } else if (auto* f = qobject_cast<QLineEdit*>(c)) {
            QVERIFY(f->width() >= f->minimumWidth());
        }
    }
    if (!editCard) {
        QVERIFY(d.list->height() >= d.list->minimumSizeHint().height());
        const QFontMetrics fm(d.list->font());
        for (int i = 0; i < d.list->count(); ++i) {
            QVERIFY2(d.list->viewport()->width() > fm.horizontalAdvance(d.list->item(i)->text()),
                     qPrintable(d.list->item(i)->text()));
        }
    }
}

QTEST_MAIN(TablePagesTest)
#include "TablePagesTest.moc"
