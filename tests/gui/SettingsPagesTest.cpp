// The filter realization and the optimization control pages inside a real
// main window, driven by clicks and key strokes: the field checks of the
// settings models seen in the fields and on the console, the choices and
// buttons reaching the models, the widgets each design method uses, the page
// that "Next >>" leads to, values the models rewrite off the window thread,
// and the look of both pages at the window's size.
//
// With DOVRA_SCREENSHOT_DIR set, the pages are also saved there as PNG files.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <cmath>
#include <memory>
#include <sstream>
#include <thread>

#include "gui/support/PinnedFonts.h"
#include "gui/support/QuietOffscreen.h"

#include "panel/FilterRealizationPanel.h"
#include "panel/OptimizationControlPanel.h"
#include "screen/DovraScreen.h"
#include "text/NumberText.h"

using dovra::RealizationSettings;
using dovra::gui::DovraScreen;
using dovra::gui::FilterRealizationPanel;
using dovra::gui::OptimizationControlPanel;

namespace {

using RF = RealizationSettings::Field;

// A main window with its console streams, shown at its size and active, so
// that clicks move the keyboard focus as they do for a user.
struct Window {
    std::ostringstream out;
    std::ostringstream err;
    DovraScreen screen{out, err};

    Window() {
        screen.setExitHandler([](int) {});
        screen.resize(screen.sizeHint());
        screen.show();
        screen.activateWindow();
    }
    bool ready() { return QTest::qWaitForWindowActive(&screen); }
    FilterRealizationPanel& realization() { return screen.filterRealizationPanel(); }
    OptimizationControlPanel& optimization() { return screen.optimizationControlPanel(); }
    void next(int times) {
        for (int i = 0; i < times; ++i) {
            QTest::mouseClick(screen.nextButton(), Qt::LeftButton);
        }
    }
    /// The console lines printed since the last call.
    QStringList takeLines() {
        QStringList lines = QString::fromStdString(out.str()).split(QLatin1Char('\n'));
        lines.removeAll(QString());
        out.str("");
        return lines;
    }
};

// Clicks into the field, replaces its text by typing, and ends the editing
// with the given key (Return, or Tab, which moves the focus on).
void typeInto(QLineEdit* field, const QString& text, Qt::Key finish) {
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
    if (finish != Qt::Key_unknown) {
        QTest::keyClick(field, finish);
    }
}

QLabel* labelOf(QWidget& page, const QString& text) {
    for (QLabel* l : page.findChildren<QLabel*>()) {
        if (l->text() == text) {
            return l;
        }
    }
    return nullptr;
}

// What a realization field's getter returns (the getter checks the text again).
double valueOf(DovraScreen& s, RF f) {
    switch (f) {
    case RealizationSettings::NumDegField:
        return s.session().getNumDeg();
    case RealizationSettings::DenomDegField:
        return s.session().getDenomDeg();
    case RealizationSettings::ZeroRadiusLowField:
        return s.session().getZeroRadiusRestrLow();
    case RealizationSettings::ZeroRadiusHighField:
        return s.session().getZeroRadiusRestrHigh();
    case RealizationSettings::PoleRadiusField:
        return s.session().getPoleRadiusRestr();
    case RealizationSettings::LinPairField:
        return s.session().getNZLinPair();
    default:
        return s.session().getNZPAllpPair();
    }
}

// Every visible text-bearing widget of the page lies inside the page and is
// at least as wide and as high as its content needs.
void expectNothingClipped(QWidget& page) {
    const QRect inside = page.rect();
    for (QWidget* w : page.findChildren<QWidget*>()) {
        const bool bearsText = qobject_cast<QLabel*>(w) || qobject_cast<QLineEdit*>(w) ||
                               qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractButton*>(w);
        if (!bearsText || !w->isVisibleTo(&page)) {
            continue;
        }
        const QRect r(w->mapTo(&page, QPoint(0, 0)), w->size());
        const QString what = w->metaObject()->className() + QStringLiteral(" ") +
                             (qobject_cast<QLabel*>(w) ? qobject_cast<QLabel*>(w)->text() : "");
        QVERIFY2(inside.contains(r), qPrintable(what + " lies outside the page"));
        QVERIFY2(w->width() >= w->minimumSizeHint().width(), qPrintable(what + " is too narrow"));
        QVERIFY2(w->height() >= w->minimumSizeHint().height(), qPrintable(what + " is too low"));
    }
}

// A click where a user clicks a radio button: on its circle and text, not in
// the empty room its cell gives it.
void clickRadio(QRadioButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {},
                      QPoint(button->sizeHint().width() / 2, button->height() / 2));
}

void saveShot(QWidget& w, const QString& name) {
    const QString dir = qEnvironmentVariable("DOVRA_SCREENSHOT_DIR");
    if (!dir.isEmpty()) {
        QVERIFY(w.grab().save(QDir(dir).filePath(name + QStringLiteral(".png"))));
    }
}

const QString kNumDegWarning = QStringLiteral("Warning! numerator degree out of range!");

} // namespace

class SettingsPagesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Window> w_;

  private slots:
    void initTestCase() {
        dovra::test::quietOffscreen();
        dovra::test::pinFonts();
    }

    void init() {
        w_ = std::make_unique<Window>();
        QVERIFY(w_->ready());
    }
    void cleanup() { w_.reset(); }

    // --- filter realization page ---------------------------------------------------

    void realizationFieldCheck_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("finish");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("message"); // part of the one console line; empty: none

        const int ret = Qt::Key_Return;
        const int tab = Qt::Key_Tab;
        QTest::newRow("single zeros 257")
            << int(RealizationSettings::NumDegField) << "257" << ret << "257"
            << "";
        QTest::newRow("single zeros 258")
            << int(RealizationSettings::NumDegField) << "258" << ret << "0" << kNumDegWarning;
        QTest::newRow("single zeros -1, focus out")
            << int(RealizationSettings::NumDegField) << "-1" << tab << "0" << kNumDegWarning;
        QTest::newRow("single zeros letters")
            << int(RealizationSettings::NumDegField) << "4a" << ret << "0"
            << "numerator degree (single zeros) is not a number: \"4a\"";
        QTest::newRow("single poles 100")
            << int(RealizationSettings::DenomDegField) << "100" << ret << "100"
            << "";
        QTest::newRow("single poles 101, silent")
            << int(RealizationSettings::DenomDegField) << "101" << tab << "0"
            << "";
        QTest::newRow("linear-phase pairs 101, silent")
            << int(RealizationSettings::LinPairField) << "101" << ret << "0"
            << "";
        QTest::newRow("allpass pairs empty")
            << int(RealizationSettings::AllpPairField) << "" << ret << "0"
            << "allpass pole/zero pairs is not a number: \"\"";
        QTest::newRow("zero radius low above the upper limit")
            << int(RealizationSettings::ZeroRadiusLowField) << "100" << ret << "0.0"
            << "";
        QTest::newRow("zero radius low 0.25")
            << int(RealizationSettings::ZeroRadiusLowField) << "0.25" << tab << "0.25"
            << "";
        QTest::newRow("zero radius high above 99")
            << int(RealizationSettings::ZeroRadiusHighField) << "1e3" << ret << "99.0"
            << "";
        QTest::newRow("zero radius high letters")
            << int(RealizationSettings::ZeroRadiusHighField) << "far" << tab << "99.0"
            << "zero radius upper limit is not a number: \"far\"";
        QTest::newRow("pole radius 1.0")
            << int(RealizationSettings::PoleRadiusField) << "1.0" << ret << "1.0"
            << "";
        QTest::newRow("pole radius 1.0001")
            << int(RealizationSettings::PoleRadiusField) << "1.0001" << ret << "1.0"
            << "";
        QTest::newRow("pole radius NaN, silent")
            << int(RealizationSettings::PoleRadiusField) << "NaN" << ret << "1.0"
            << "";
        QTest::newRow("pole radius comma")
            << int(RealizationSettings::PoleRadiusField) << "0,9" << tab << "1.0"
            << "pole radius limit is not a number: \"0,9\"";
    }

    void realizationFieldCheck() {
        QFETCH(int, field);
        QFETCH(QString, typed);
        QFETCH(int, finish);
        QFETCH(QString, shown);
        QFETCH(QString, message);
        const auto f = static_cast<RF>(field);

        w_->next(4);
        QCOMPARE(w_->screen.currentCard(), QStringLiteral("FilterRealization"));
        QLineEdit* edit = w_->realization().field(f);
        QVERIFY(edit != nullptr);
        QVERIFY(edit->isVisible());
        w_->takeLines();

        typeInto(edit, typed, static_cast<Qt::Key>(finish));
        QCOMPARE(edit->text(), shown);
        QCOMPARE(QString::fromStdString(w_->screen.session().realization().text(f)), shown);
        const QStringList lines = w_->takeLines();
        if (message.isEmpty()) {
            QVERIFY2(lines.isEmpty(), qPrintable(lines.join(QLatin1Char('|'))));
        } else {
            QCOMPARE(int(lines.size()), 1);
            QVERIFY2(lines[0].contains(message), qPrintable(lines[0]));
        }
        // The value the run reads is the one shown, and reading it again is quiet.
        QCOMPARE(valueOf(w_->screen, f), *dovra::text::parseDouble(shown.toStdString()));
        QVERIFY(w_->takeLines().isEmpty());
    }

    void zeroRadiusLimitsAreTheOtherStoredValue() {
        w_->next(4);
        auto& page = w_->realization();
        QLineEdit* low = page.field(RealizationSettings::ZeroRadiusLowField);
        QLineEdit* high = page.field(RealizationSettings::ZeroRadiusHighField);
        QCOMPARE(low->text(), QStringLiteral("0.0"));
        QCOMPARE(high->text(), QStringLiteral("99.0"));

        typeInto(high, QStringLiteral("0.5"), Qt::Key_Return);
        QCOMPARE(high->text(), QStringLiteral("0.5"));
        typeInto(low, QStringLiteral("0.3"), Qt::Key_Return);
        QCOMPARE(low->text(), QStringLiteral("0.3"));
        // Below the stored lower limit: the upper limit becomes 99.0.
        typeInto(high, QStringLiteral("0.2"), Qt::Key_Return);
        QCOMPARE(high->text(), QStringLiteral("99.0"));
        QCOMPARE(w_->screen.session().getZeroRadiusRestrLow(), 0.3);
        QCOMPARE(w_->screen.session().getZeroRadiusRestrHigh(), 99.0);
        // The limits are a pair: a lower limit above the upper one stands and
        // the upper one gives way, whichever field was typed last.
        typeInto(high, QStringLiteral("0.5"), Qt::Key_Return);
        typeInto(low, QStringLiteral("0.7"), Qt::Key_Return);
        QCOMPARE(low->text(), QStringLiteral("0.7"));
        QCOMPARE(high->text(), QStringLiteral("99.0"));
    }

    void typedDegreesGiveTheDimension() {
        w_->next(4);
        auto& page = w_->realization();
        typeInto(page.field(RealizationSettings::NumDegField), QStringLiteral("4"), Qt::Key_Tab);
        typeInto(page.field(RealizationSettings::DenomDegField), QStringLiteral("6"),
                 Qt::Key_Return);
        typeInto(page.field(RealizationSettings::LinPairField), QStringLiteral("1"),
                 Qt::Key_Return);
        // The last one is only typed: each key stroke reaches the model.
        typeInto(page.field(RealizationSettings::AllpPairField), QStringLiteral("2"),
                 Qt::Key_unknown);
        QCOMPARE(w_->screen.session().realization().text(RealizationSettings::AllpPairField),
                 std::string("2"));
        QCOMPARE(w_->screen.session().getDimension(), 14L);
    }

    void modelValuesAreShown() {
        // As a configuration file sets them: structure first, then the method.
        auto& s = w_->screen.session();
        auto& page = w_->realization();
        s.setNumDeg(12);
        s.setPoleRadiusRestr(0.875);
        s.setWordLength(12);
        s.setStructId(1);
        s.setDesignIdentifierIdx(2);
        QCOMPARE(page.field(RealizationSettings::NumDegField)->text(), QStringLiteral("12"));
        QCOMPARE(page.field(RealizationSettings::PoleRadiusField)->text(), QStringLiteral("0.875"));
        QCOMPARE(page.wordLengthChoice()->currentText(), QStringLiteral("12"));
        QCOMPARE(page.designMethodChoice()->currentIndex(), 2);
        QCOMPARE(page.structureChoice()->currentIndex(), 1);
        QVERIFY(page.structureChoice()->isVisibleTo(&page));
        QCOMPARE(s.getStructId(), 1);
        s.setWordLength(0);
        QCOMPARE(page.wordLengthChoice()->currentText(), QStringLiteral("inf"));
        // Remez, which a file may name, is in the list.
        s.setDesignIdentifierIdx(7);
        QCOMPARE(page.designMethodChoice()->currentIndex(), 7);
        QCOMPARE(page.designMethodChoice()->currentText(),
                 QStringLiteral("Equiripple-Remez    (FIR)  "));
        QVERIFY(!page.structureChoice()->isVisibleTo(&page));
        QCOMPARE(s.getDesignIdentifierIdx(), 7);
    }

    void wordLengthChoice_data() {
        QTest::addColumn<QList<int>>("keys"); // key strokes on the choice; empty: see index
        QTest::addColumn<int>("index");       // selected by setCurrentIndex when no keys
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("wordLength");
        QTest::addColumn<qint64>("quant");
        QTest::newRow("inf") << QList<int>{Qt::Key_End, Qt::Key_Home} << 0 << "inf" << 0
                             << qint64(-1);
        QTest::newRow("32") << QList<int>{Qt::Key_Down} << 0 << "32" << 32 << qint64(2147483648LL);
        QTest::newRow("1") << QList<int>{Qt::Key_End} << 0 << "1" << 1 << qint64(1);
        QTest::newRow("16") << QList<int>{} << 17 << "16" << 16 << qint64(32768);
    }

    void wordLengthChoice() {
        QFETCH(QList<int>, keys);
        QFETCH(int, index);
        QFETCH(QString, item);
        QFETCH(int, wordLength);
        QFETCH(qint64, quant);
        w_->next(4);
        QComboBox* choice = w_->realization().wordLengthChoice();
        QCOMPARE(choice->count(), 33);
        QCOMPARE(choice->itemText(0), QStringLiteral("inf"));
        QCOMPARE(choice->itemText(1), QStringLiteral("32"));
        QCOMPARE(choice->itemText(32), QStringLiteral("1"));
        QCOMPARE(choice->currentIndex(), 0);

        if (keys.isEmpty()) {
            choice->setCurrentIndex(index);
        } else {
            choice->setFocus();
            for (int k : keys) {
                QTest::keyClick(choice, static_cast<Qt::Key>(k));
            }
        }
        QCOMPARE(choice->currentText(), item);
        QCOMPARE(w_->screen.session().getWordLength(), wordLength);
        QCOMPARE(static_cast<qint64>(w_->screen.session().getQuant()), quant);
    }

    void structureFollowsTheDesignMethod() {
        w_->next(4);
        auto& page = w_->realization();
        auto& s = w_->screen.session();
        QComboBox* method = page.designMethodChoice();
        QComboBox* structure = page.structureChoice();

        const QStringList methods = {"Z-plane design             ", "Butterworth         (IIR)  ",
                                     "Chebychev-Type1     (IIR)  ", "Chebychev-Type2     (IIR)  ",
                                     "Elliptic            (IIR)  ", "Equiripple-linphase (FIR)  ",
                                     "MaxFlat-linphase    (FIR)  ", "Equiripple-Remez    (FIR)  "};
        QCOMPARE(method->count(), int(methods.size()));
        for (int i = 0; i < methods.size(); ++i) {
            QCOMPARE(method->itemText(i), methods[i]);
        }
        QCOMPARE(structure->count(), 2);
        QCOMPARE(structure->itemText(0), QStringLiteral("Direct Form"));
        QCOMPARE(structure->itemText(1), QStringLiteral("1st and 2nd order sections"));

        structure->setFocus();
        QTest::keyClick(structure, Qt::Key_Down);
        QCOMPARE(s.getStructId(), 1);

        // Key strokes on the method choice: five down to the equiripple design.
        method->setFocus();
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(method, Qt::Key_Down);
        }
        QCOMPARE(s.getDesignIdentifierIdx(), 5);
        QCOMPARE(QString::fromStdString(s.getDesignIdentifier()), methods[5]);
        QVERIFY(!structure->isVisibleTo(&page));
        QCOMPARE(s.getStructId(), 0);
        QTest::keyClick(method, Qt::Key_Down);
        QCOMPARE(s.getDesignIdentifierIdx(), 6);
        QCOMPARE(s.getStructId(), 0);

        // An IIR method again: the structure chosen before comes back.
        method->setCurrentIndex(1);
        QVERIFY(structure->isVisibleTo(&page));
        QCOMPARE(s.getStructId(), 1);
        QCOMPARE(structure->currentIndex(), 1);
        method->setCurrentIndex(0);
        QCOMPARE(s.getStructId(), 1);

        // A structure chosen for a classical method holds for the search too.
        method->setCurrentIndex(4);
        structure->setCurrentIndex(0);
        method->setCurrentIndex(0);
        QCOMPARE(s.getStructId(), 0);
        QCOMPARE(structure->currentIndex(), 0);
    }

    void layoutAndNextPageForEachMethod_data() {
        QTest::addColumn<int>("method");
        QTest::addColumn<bool>("fields");
        QTest::addColumn<bool>("structure");
        QTest::newRow("Z-plane") << 0 << true << true;
        for (int i = 1; i <= 4; ++i) {
            QTest::addRow("IIR %d", i) << i << false << true;
        }
        QTest::newRow("equiripple FIR") << 5 << false << false;
        QTest::newRow("maxflat FIR") << 6 << false << false;
        QTest::newRow("Remez FIR") << 7 << false << false;
    }

    void layoutAndNextPageForEachMethod() {
        QFETCH(int, method);
        QFETCH(bool, fields);
        QFETCH(bool, structure);
        w_->next(4);
        auto& page = w_->realization();
        w_->screen.session().setNumDeg(6);
        w_->screen.session().setDenomDeg(6);
        // A classical method first, so that every row also shows the way back.
        page.designMethodChoice()->setCurrentIndex(method == 1 ? 2 : 1);
        // What a classical run leaves: the degrees of its design.
        w_->screen.session().setNumDeg(14);
        page.designMethodChoice()->setCurrentIndex(method);
        QCOMPARE(w_->screen.getDesignIdentifierIdx(), method);

        QList<QWidget*> used = {page.zeroLowLabel(), page.zeroHighLabel(), page.poleLabel()};
        for (int f = RealizationSettings::NumDegField; f <= RealizationSettings::AllpPairField;
             ++f) {
            used.append(page.field(static_cast<RF>(f)));
        }
        for (QWidget* w : used) {
            QCOMPARE(w->isVisibleTo(&page), fields);
            // A hidden widget takes no room in the grid.
            QCOMPARE(dovra::gui::cellOf(w)->isVisibleTo(&page), fields);
        }
        QCOMPARE(page.structureChoice()->isVisibleTo(&page), structure);
        // A label goes with its field.
        for (const char* text : {"Single zeros:", "Single poles:", "Linear phase zero pairs:",
                                 "Allpass pole/zero pairs:"}) {
            QLabel* l = labelOf(page, QString::fromLatin1(text));
            QVERIFY2(l != nullptr && l->isVisibleTo(&page) == fields, text);
        }
        QCOMPARE(labelOf(page, QStringLiteral("Filter Structure:"))->isVisibleTo(&page), structure);
        for (const char* text : {"Coefficient Quantization (bit):", "Design method:"}) {
            QLabel* l = labelOf(page, QString::fromLatin1(text));
            QVERIFY2(l != nullptr && l->isVisibleTo(&page), text);
        }
        // The Z-plane counts are back with the Z-plane design.
        QCOMPARE(page.field(RF::NumDegField)->text(),
                 method == 0 ? QStringLiteral("6") : QStringLiteral("14"));
        QCOMPARE(page.field(RF::DenomDegField)->text(), QStringLiteral("6"));
        QVERIFY(page.wordLengthChoice()->isVisibleTo(&page));
        QVERIFY(page.designMethodChoice()->isVisibleTo(&page));
        QTRY_VERIFY(page.isVisible());
        expectNothingClipped(page);

        // The search has its settings page next; every other method is ready at once.
        QVERIFY(w_->screen.nextButton()->isEnabled());
        w_->next(1);
        if (method == 0) {
            QCOMPARE(QString::fromStdString(w_->screen.get_state()),
                     QStringLiteral("InitOptimization"));
            QCOMPARE(w_->screen.currentCard(), QStringLiteral("OptimizationControl"));
            QTest::mouseClick(w_->screen.nextButton(), Qt::LeftButton);
        } else {
            QCOMPARE(w_->screen.currentCard(), QStringLiteral("Activity"));
        }
        QCOMPARE(QString::fromStdString(w_->screen.get_state()), QStringLiteral("Ready"));
        QVERIFY(!w_->screen.nextButton()->isEnabled());
        QTest::mouseClick(w_->screen.backButton(), Qt::LeftButton);
        QCOMPARE(w_->screen.currentCard(), method == 0 ? QStringLiteral("OptimizationControl")
                                                       : QStringLiteral("FilterRealization"));
        // The page kept the method and its layout.
        QCOMPARE(page.designMethodChoice()->currentIndex(), method);
        QCOMPARE(page.structureChoice()->isVisibleTo(&page), structure);
    }

    void getterOnAnotherThreadRewritesTheField() {
        w_->next(4);
        QLineEdit* edit = w_->realization().field(RealizationSettings::NumDegField);
        typeInto(edit, QStringLiteral("300"), Qt::Key_unknown);
        int value = -1;
        std::thread reader([&] { value = w_->screen.session().getNumDeg(); });
        reader.join();
        QCOMPARE(value, 0);
        QTRY_COMPARE(edit->text(), QStringLiteral("0"));
        QCOMPARE(int(w_->takeLines().count(kNumDegWarning)), 1);
    }

    // --- optimization control page ---------------------------------------------------

    void populationFieldCheck_data() {
        QTest::addColumn<bool>("refinement");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("finish");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("message");
        const int ret = Qt::Key_Return;
        const int tab = Qt::Key_Tab;
        QTest::newRow("NP 1000") << false << "1000" << ret << "1000"
                                 << "";
        QTest::newRow("NP 1001, silent") << false << "1001" << ret << "10"
                                         << "";
        QTest::newRow("NP 9, focus out") << false << "9" << tab << "10"
                                         << "";
        QTest::newRow("NP letters") << false << "abc" << ret << "10"
                                    << "population size is not a number: \"abc\"";
        QTest::newRow("NP2 10") << true << "10" << ret << "10"
                                << "";
        QTest::newRow("NP2 0, focus out") << true << "0" << tab << "10"
                                          << "";
        QTest::newRow("NP2 decimal") << true << "12.5" << ret << "10"
                                     << "population size (refinement phase) is not a whole number";
    }

    void populationFieldCheck() {
        QFETCH(bool, refinement);
        QFETCH(QString, typed);
        QFETCH(int, finish);
        QFETCH(QString, shown);
        QFETCH(QString, message);
        w_->next(5);
        QCOMPARE(w_->screen.currentCard(), QStringLiteral("OptimizationControl"));
        auto& page = w_->optimization();
        QLineEdit* edit = refinement ? page.np2Field() : page.npField();
        QCOMPARE(page.npField()->text(), QStringLiteral("30"));
        QCOMPARE(page.np2Field()->text(), QStringLiteral("60"));
        w_->takeLines();

        typeInto(edit, typed, static_cast<Qt::Key>(finish));
        QCOMPARE(edit->text(), shown);
        const QStringList lines = w_->takeLines();
        if (message.isEmpty()) {
            QVERIFY2(lines.isEmpty(), qPrintable(lines.join(QLatin1Char('|'))));
        } else {
            QCOMPARE(int(lines.size()), 1);
            QVERIFY2(lines[0].contains(message), qPrintable(lines[0]));
        }
        auto& s = w_->screen.session();
        QCOMPARE(refinement ? s.getNP2() : s.getNP(), shown.toInt());
        // The other field is untouched.
        QCOMPARE(refinement ? s.getNP() : s.getNP2(), refinement ? 30 : 60);
    }

    // The number of searches: typed into its field, read into the run input
    // at Start; another text becomes 1, a text that is no whole number with a
    // message naming the field.
    void searchesField() {
        w_->next(5);
        auto& page = w_->optimization();
        auto& s = w_->screen.session();
        QCOMPARE(page.portfolioField()->text(), QStringLiteral("1"));
        w_->takeLines();
        typeInto(page.portfolioField(), QStringLiteral("4"), Qt::Key_Return);
        QVERIFY(w_->takeLines().isEmpty());
        QCOMPARE(s.runInput().settings.portfolio, 4);
        typeInto(page.portfolioField(), QStringLiteral("2.5"), Qt::Key_Return);
        QCOMPARE(page.portfolioField()->text(), QStringLiteral("1"));
        const QStringList lines = w_->takeLines();
        QCOMPARE(int(lines.size()), 1);
        QVERIFY2(lines[0].contains(QStringLiteral("number of searches is not a whole number")),
                 qPrintable(lines[0]));
        QCOMPARE(s.runInput().settings.portfolio, 1);
        typeInto(page.portfolioField(), QStringLiteral("65"), Qt::Key_Return);
        QCOMPARE(page.portfolioField()->text(), QStringLiteral("1"));
        w_->takeLines();
    }

    void granularityButtons() {
        w_->next(5);
        auto& page = w_->optimization();
        auto& s = w_->screen.session();
        auto checked = [&page] {
            QString on;
            for (int i = 0; i < 3; ++i) {
                if (page.granularityButton(i)->isChecked()) {
                    on += page.granularityButton(i)->text();
                }
            }
            return on;
        };
        QCOMPARE(page.granularityButton(0)->text(), QStringLiteral("coarse"));
        QCOMPARE(page.granularityButton(1)->text(), QStringLiteral("medium"));
        QCOMPARE(page.granularityButton(2)->text(), QStringLiteral("fine"));
        QCOMPARE(checked(), QStringLiteral("coarse"));
        QCOMPARE(QString::fromStdString(s.getSamplingGranularity()), QStringLiteral("coarse"));

        clickRadio(page.granularityButton(2));
        QCOMPARE(checked(), QStringLiteral("fine"));
        QCOMPARE(QString::fromStdString(s.getSamplingGranularity()), QStringLiteral("fine"));
        clickRadio(page.granularityButton(1));
        QCOMPARE(checked(), QStringLiteral("medium"));
        QCOMPARE(QString::fromStdString(s.getSamplingGranularity()), QStringLiteral("medium"));
        // The arrow keys move the choice within the group.
        QTest::keyClick(page.granularityButton(1), Qt::Key_Right);
        QCOMPARE(checked(), QStringLiteral("fine"));
        QCOMPARE(QString::fromStdString(s.getSamplingGranularity()), QStringLiteral("fine"));
        QTest::keyClick(page.granularityButton(2), Qt::Key_Left);
        QTest::keyClick(page.granularityButton(1), Qt::Key_Left);
        QCOMPARE(checked(), QStringLiteral("coarse"));
        QCOMPARE(QString::fromStdString(s.getSamplingGranularity()), QStringLiteral("coarse"));

        // As a configuration file sets it.
        s.setSamplingGranularity("fine");
        QCOMPARE(checked(), QStringLiteral("fine"));
        w_->takeLines();
        s.setSamplingGranularity("");
        QCOMPARE(w_->takeLines(), QStringList{QStringLiteral("Invalid sampling value ...")});
        QCOMPARE(checked(), QStringLiteral("coarse"));
        QCOMPARE(QString::fromStdString(s.getSamplingGranularity()), QStringLiteral("coarse"));

        QCOMPARE(s.getRange(), 2.0);
        QCOMPARE(QString::fromStdString(s.getSamplingMode()), QStringLiteral("nonlinear"));
    }

    void betweenSamplesBox() {
        w_->next(5);
        auto& page = w_->optimization();
        auto& s = w_->screen.session();
        QCheckBox* box = page.betweenSamplesBox();
        QCOMPARE(box->text(), QStringLiteral("Meet the scheme between the samples"));
        QVERIFY(box->isChecked());
        QVERIFY(s.getMeetBetweenSamples());
        QVERIFY(s.searchSettings().refine);
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(!s.getMeetBetweenSamples());
        QVERIFY(!s.searchSettings().refine);
        // Set by the session (as dovra-batch's --sampled-only does): the box follows.
        s.setMeetBetweenSamples(true);
        QVERIFY(box->isChecked());
    }

    void populationRewrittenOffTheWindowThread() {
        w_->next(5);
        QLineEdit* edit = w_->optimization().npField();
        typeInto(edit, QStringLiteral("5"), Qt::Key_unknown);
        int value = -1;
        std::thread reader([&] { value = w_->screen.session().getNP(); });
        reader.join();
        QCOMPARE(value, 10);
        QTRY_COMPARE(edit->text(), QStringLiteral("10"));
    }

    // --- look --------------------------------------------------------------------------

    void pagesFitTheWindow() {
        DovraScreen& s = w_->screen;
        w_->next(4);
        const std::pair<const char*, int> views[] = {
            {"realization-zplane", 0}, {"realization-classical", 3}, {"realization-fir", 5}};
        for (const auto& [name, method] : views) {
            w_->realization().designMethodChoice()->setCurrentIndex(method);
            QTest::qWait(50);
            saveShot(s, QString::fromLatin1(name));
            // The window keeps its height; it is as wide as the page needs.
            QCOMPARE(s.height(), 400);
            expectNothingClipped(w_->realization());
        }
        w_->realization().designMethodChoice()->setCurrentIndex(0);
        w_->next(1);
        QCOMPARE(s.currentCard(), QStringLiteral("OptimizationControl"));
        QTest::qWait(50);
        saveShot(s, QStringLiteral("optimization"));
        QCOMPARE(s.height(), 400);
        expectNothingClipped(w_->optimization());
    }
};

QTEST_MAIN(SettingsPagesTest)
#include "SettingsPagesTest.moc"
