// Renders every wizard page and the about box into PNG files, without a
// display: the window walks through the wizard on a sample task as a user
// would (Load, Next >>, one run with Start) and each page is grabbed as shown.
//
//   dovra-screenshots CONFIG OUTPUT_FOLDER

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "panel/ActivityPanel.h"
#include "panel/FilterRealizationPanel.h"
#include "panel/FixedFilterPanel.h"
#include "panel/GroupDelayPanel.h"
#include "panel/MagnitudePanel.h"
#include "panel/StartupPanel.h"
#include "run/T_DEOptimizer.h"
#include "screen/AboutScreen.h"
#include "screen/DovraScreen.h"
#include "screen/OffscreenMessages.h"
#include "screen/PlotScreens.h"

namespace {

using dovra::gui::DovraScreen;

bool save(QWidget& w, const QDir& dir, const QString& name) {
    QApplication::processEvents();
    const QString path = dir.filePath(name + QStringLiteral(".png"));
    if (!w.grab().save(path)) {
        std::fprintf(stderr, "dovra-screenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

void next(DovraScreen& screen) {
    QTest::mouseClick(screen.nextButton(), Qt::LeftButton);
}
void back(DovraScreen& screen) {
    QTest::mouseClick(screen.backButton(), Qt::LeftButton);
}

// A click on a check box's mark and text, wherever its cell stretches it.
void clickBox(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {},
                      QPoint(box->sizeHint().width() / 2, box->height() / 2));
}

// Waits for the state, processing the window's events; false after the limit.
bool waitForState(DovraScreen& screen, const std::string& state, int ms) {
    QElapsedTimer t;
    t.start();
    while (screen.get_state() != state) {
        if (t.elapsed() > ms) {
            return false;
        }
        QTest::qWait(20);
    }
    QTest::qWait(50);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: dovra-screenshots CONFIG OUTPUT_FOLDER [WIDTHxHEIGHT]\n");
        return 2;
    }
    // The window's size: its preferred one unless given.
    int width = 0;
    int height = 0;
    if (argc == 4 &&
        (std::sscanf(argv[3], "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0)) {
        std::fprintf(stderr, "dovra-screenshots: not a size WIDTHxHEIGHT: %s\n", argv[3]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    dovra::gui::quietOffscreenMessages();
    QApplication app(argc, argv);
    const QString config = QString::fromLocal8Bit(argv[1]);
    QDir dir(QString::fromLocal8Bit(argv[2]));
    if (!QFileInfo(config).isFile()) {
        std::fprintf(stderr, "dovra-screenshots: no such file: %s\n", argv[1]);
        return 2;
    }
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "dovra-screenshots: cannot create %s\n", argv[2]);
        return 2;
    }

    std::ostringstream out;
    std::ostringstream err;
    DovraScreen screen(out, err);
    screen.setExitHandler([](int) {});
    screen.resize(width > 0 ? QSize(width, height) : screen.sizeHint());
    screen.show();
    bool ok = true;

    // The results of the sample run go to a scratch folder, not beside the task.
    const QString results = QDir::temp().filePath(QStringLiteral("dovra-screenshots.out"));
    auto& startup = screen.startupPanel();
    startup.setFileChooser(std::make_unique<dovra::gui::NamedFileChooser>(config));
    QTest::mouseClick(startup.loadButton(), Qt::LeftButton);
    ok &= save(screen, dir, QStringLiteral("1-startup"));
    screen.session().startup().setResultsFileName(results.toStdString());
    // A fixed seed, so the pictures are the same on every run.
    screen.session().setSeed(1);

    clickBox(startup.aboutBox());
    if (dovra::gui::AboutScreen* about = startup.aboutScreen()) {
        ok &= save(*about, dir, QStringLiteral("1-about"));
        clickBox(startup.aboutBox());
    }

    // A page's plot window, opened with its check box, taken, and closed again.
    auto savePlotWindow = [&](QCheckBox* box, auto window, const char* name) {
        clickBox(box);
        if (QWidget* w = window()) {
            ok &= save(*w, dir, QString::fromLatin1(name));
        } else {
            std::fprintf(stderr, "dovra-screenshots: the %s window did not open\n", name);
            ok = false;
        }
        clickBox(box);
    };

    next(screen);
    ok &= save(screen, dir, QStringLiteral("2-magnitude"));
    auto& magnitude = screen.magnitudePanel();
    savePlotWindow(
        magnitude.plotBox(), [&] { return magnitude.plotWindow(); }, "2-magnitude-scheme");
    next(screen);
    ok &= save(screen, dir, QStringLiteral("3-group-delay"));
    auto& delay = screen.groupDelayPanel();
    savePlotWindow(
        delay.plotBox(), [&] { return delay.plotWindow(); }, "3-group-delay-scheme");
    next(screen);
    ok &= save(screen, dir, QStringLiteral("4-prefilter"));
    auto& prefilter = screen.fixedFilterPanel();
    savePlotWindow(
        prefilter.magnitudePlotBox(), [&] { return prefilter.magnitudePlotWindow(); },
        "4-prefilter-magnitude");
    savePlotWindow(
        prefilter.groupDelayPlotBox(), [&] { return prefilter.groupDelayPlotWindow(); },
        "4-prefilter-group-delay");
    next(screen);
    ok &= save(screen, dir, QStringLiteral("5-realization"));

    // The same page with a classical method chosen, then back to the search.
    if (QComboBox* c = screen.filterRealizationPanel().designMethodChoice()) {
        const int was = c->currentIndex();
        c->setCurrentIndex(3);
        ok &= save(screen, dir, QStringLiteral("5-realization-classical"));
        c->setCurrentIndex(was);
    }

    next(screen);
    ok &= save(screen, dir, QStringLiteral("6-optimization"));
    next(screen);
    ok &= save(screen, dir, QStringLiteral("7-activity"));

    // One run of the sample task, so the monitor shows its figures, with the
    // three animated plot windows open: each taken during and after the run.
    using PlotWindow = dovra::gui::ActivityPanel::PlotWindow;
    const std::array<std::pair<PlotWindow, const char*>, 3> plots = {
        {{PlotWindow::Magnitude, "8-magnitude"},
         {PlotWindow::ZeroesAndPoles, "8-pole-zero"},
         {PlotWindow::GroupDelay, "8-group-delay"}}};
    auto savePlots = [&](const char* when) {
        for (auto [w, name] : plots) {
            if (QWidget* window = screen.activityPanel().plotWindow(w)) {
                ok &= save(*window, dir, QString::fromLatin1(name) + QLatin1String(when));
            }
        }
    };
    for (auto [w, name] : plots) {
        clickBox(screen.activityPanel().plotBox(w));
    }
    if (QPushButton* start = screen.activityPanel().startButton()) {
        QTest::mouseClick(start, Qt::LeftButton);
        QElapsedTimer running;
        running.start();
        while (screen.get_state() != "Ready" && screen.session().snapshot().generation < 20 &&
               running.elapsed() < 20000) {
            QTest::qWait(1);
        }
        savePlots("-running");
        if (waitForState(screen, "Ready", 60000)) {
            ok &= save(screen, dir, QStringLiteral("7-activity-done"));
            screen.activityPanel().updateMonitor();
            savePlots("-done");
        } else {
            std::fprintf(stderr, "dovra-screenshots: the sample run did not end in time\n");
            // The start button reads "Stop" during a run.
            QTest::mouseClick(screen.activityPanel().startButton(), Qt::LeftButton);
            waitForState(screen, "Ready", 10000);
            ok = false;
        }
    }
    back(screen);
    QFile::remove(results);
    return ok ? 0 : 1;
}
