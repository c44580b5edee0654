// The wizard of the main window driven by clicks: every page forwards and
// back for the search and for a classical method, the navigation buttons as
// the state table sets them, the design thread made on entering "Ready" and
// ended on leaving it, and Exit during a run.

#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <sstream>

#include "gui/support/PinnedFonts.h"
#include "gui/support/QuietOffscreen.h"

#include "panel/ActivityPanel.h"
#include "panel/FilterRealizationPanel.h"
#include "panel/StartupPanel.h"
#include "run/T_DEOptimizer.h"
#include "screen/DovraScreen.h"

using dovra::gui::DovraScreen;

namespace {

struct Step {
    const char* state;
    const char* card;
    bool back;
    bool next;
};

// The search's road through the wizard, from the first page to the last.
const Step kZPlaneRoad[] = {
    {"Idle", "Startup", false, true},
    {"ConfigureMagnitude", "Magnitude", true, true},
    {"ConfigureGroupDelay", "GroupDelay", true, true},
    {"ConfigureFixedFilter", "FixedFilter", true, true},
    {"DefineFilter", "FilterRealization", true, true},
    {"InitOptimization", "OptimizationControl", true, true},
    {"Ready", "Activity", true, false},
};

} // namespace

class WizardTest : public QObject {
    Q_OBJECT

  private:
    std::ostringstream out_;
    std::ostringstream err_;

    void expectAt(DovraScreen& s, const Step& step) {
        QCOMPARE(QString::fromStdString(s.get_state()), QString::fromLatin1(step.state));
        QCOMPARE(s.currentCard(), QString::fromLatin1(step.card));
        QCOMPARE(s.backButton()->isEnabled(), step.back);
        QCOMPARE(s.nextButton()->isEnabled(), step.next);
        QVERIFY(s.exitButton()->isEnabled());
        QCOMPARE(s.session().optimizer().hasThread(), std::string(step.state) == "Ready");
    }

  private slots:
    void initTestCase() {
        dovra::test::quietOffscreen();
        dovra::test::pinFonts();
    }

    void startsIdleOnTheStartupPage() {
        std::ostringstream out;
        DovraScreen s(out, err_);
        QCOMPARE(QString::fromStdString(out.str()),
                 QStringLiteral("Please wait while Dovra is loaded ...\n"));
        QCOMPARE(s.windowTitle(), QStringLiteral("DOVRA"));
        QCOMPARE(QString::fromStdString(s.getStatus()), QStringLiteral("O.k."));
        expectAt(s, kZPlaneRoad[0]);
    }

    void searchForwardsAndBack() {
        DovraScreen s(out_, err_);
        s.show();
        expectAt(s, kZPlaneRoad[0]);
        for (std::size_t i = 1; i < std::size(kZPlaneRoad); ++i) {
            QTest::mouseClick(s.nextButton(), Qt::LeftButton);
            expectAt(s, kZPlaneRoad[i]);
        }
        // A disabled button does nothing when clicked.
        QTest::mouseClick(s.nextButton(), Qt::LeftButton);
        expectAt(s, kZPlaneRoad[std::size(kZPlaneRoad) - 1]);
        for (std::size_t i = std::size(kZPlaneRoad) - 1; i-- > 0;) {
            QTest::mouseClick(s.backButton(), Qt::LeftButton);
            expectAt(s, kZPlaneRoad[i]);
        }
        // Ready can be entered again: a new design thread is made.
        for (std::size_t i = 1; i < std::size(kZPlaneRoad); ++i) {
            QTest::mouseClick(s.nextButton(), Qt::LeftButton);
        }
        expectAt(s, kZPlaneRoad[std::size(kZPlaneRoad) - 1]);
    }

    void classicalMethodSkipsTheSearchSettings() {
        DovraScreen s(out_, err_);
        s.show();
        for (int i = 0; i < 4; ++i) {
            QTest::mouseClick(s.nextButton(), Qt::LeftButton);
        }
        expectAt(s, kZPlaneRoad[4]);
        QComboBox* method = s.filterRealizationPanel().designMethodChoice();
        QVERIFY(method != nullptr);
        method->setCurrentIndex(1);
        QCOMPARE(s.getDesignIdentifierIdx(), 1);

        QTest::mouseClick(s.nextButton(), Qt::LeftButton);
        expectAt(s, {"Ready", "Activity", true, false});
        QTest::mouseClick(s.backButton(), Qt::LeftButton);
        expectAt(s, {"DefineFilter", "FilterRealization", true, true});

        // Back to the search: the settings page is on the road again.
        method->setCurrentIndex(0);
        QTest::mouseClick(s.nextButton(), Qt::LeftButton);
        expectAt(s, kZPlaneRoad[5]);
    }

    void runningAndPausedDisableNavigation() {
        DovraScreen s(out_, err_);
        for (const char* state : {"Running", "Paused"}) {
            s.set_state(state);
            s.notify_of_state();
            s.reshow();
            QVERIFY(!s.backButton()->isEnabled());
            QVERIFY(!s.nextButton()->isEnabled());
            QVERIFY(s.exitButton()->isEnabled());
            // Nothing new is shown for these states.
            QCOMPARE(s.currentCard(), QStringLiteral("Startup"));
        }
    }

    void exitDuringARunEndsTheThreadFirst() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        DovraScreen s(out_, err_);
        int code = -1;
        bool threadGoneAtExit = false;
        s.setExitHandler([&](int c) {
            code = c;
            threadGoneAtExit = !s.session().optimizer().hasThread();
        });
        s.show();
        auto& startup = s.startupPanel();
        startup.setFileChooser(std::make_unique<dovra::gui::NamedFileChooser>(
            QStringLiteral(DOVRA_SOURCE_DIR "/examples/lowpass.cfg")));
        QTest::mouseClick(startup.loadButton(), Qt::LeftButton);
        s.session().startup().setResultsFileName(dir.filePath("exit.out").toStdString());
        // A search that cannot finish before Exit is pressed.
        s.session().optimization().setNP(1000);
        for (std::size_t i = 1; i < std::size(kZPlaneRoad); ++i) {
            QTest::mouseClick(s.nextButton(), Qt::LeftButton);
        }
        QPushButton* start = s.activityPanel().startButton();
        QVERIFY(start != nullptr);
        QTest::mouseClick(start, Qt::LeftButton);
        QCOMPARE(QString::fromStdString(s.get_state()), QStringLiteral("Running"));

        // The population size was changed: Exit asks before the change is
        // lost, and "No" keeps the window and the run.
        int asked = 0;
        bool answer = false;
        s.setQuestion([&](const QString& text) {
            ++asked;
            return text.contains(QLatin1String("Exit anyway")) && answer;
        });
        QTest::mouseClick(s.exitButton(), Qt::LeftButton);
        QCOMPARE(asked, 1);
        QCOMPARE(code, -1);
        QCOMPARE(QString::fromStdString(s.get_state()), QStringLiteral("Running"));
        answer = true;
        QTest::mouseClick(s.exitButton(), Qt::LeftButton);
        QCOMPARE(asked, 2);
        QCOMPARE(code, 0);
        QVERIFY(threadGoneAtExit);
    }
};

QTEST_MAIN(WizardTest)
#include "ThreadWizardTest.moc"
