// The tolerance scheme and prefilter graphs and their windows: the prefilter
// graphs drawing the tables' coefficients where SciPy puts their responses
// (one filter of tests/core/problem/prefilter_responses.txt), the limit curves
// of the tables, and the windows opened, redrawn and closed from their pages.

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "core/problem/PrefilterReference.h"
#include "gui/support/PinnedFonts.h"
#include "gui/support/QuietOffscreen.h"
#include "panel/FixedFilterPanel.h"
#include "panel/GroupDelayPanel.h"
#include "panel/MagnitudePanel.h"
#include "plot/PrefilterGraphs.h"
#include "plot/ToleranceGraphs.h"
#include "screen/DovraScreen.h"
#include "screen/PlotScreens.h"
#include "session/DesignSession.h"

using namespace dovra;
using namespace dovra::gui;

namespace {

void setCoefficients(FixedFilterDataBase& table, const std::vector<double>& c) {
    table.clear();
    for (double v : c) {
        auto row = table.newRecord();
        std::ostringstream t;
        t.precision(17);
        t << v;
        row.setCoeff(t.str());
        table.addRecord(row);
    }
}

template <class Table> void setRows(Table& table, std::vector<std::pair<double, double>> rows) {
    table.clear();
    for (auto [omega, limit] : rows) {
        auto row = table.newRecord();
        row.setOmegaAndLimit(std::to_string(omega), std::to_string(limit));
        table.addRecord(row);
    }
}

std::vector<bool> connections(const Plot& p, int set) {
    std::vector<bool> c;
    for (const PlotPoint& pt : p.points(set)) {
        c.push_back(pt.connected);
    }
    return c;
}

} // namespace

class PlotGraphsTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        dovra::test::quietOffscreen();
        dovra::test::pinFonts();
    }

    // The graphs plot the magnitude at the bins k / 1024 and the group delay at
    // 151 points of the coefficients the tables hold, the delay in blue.
    void prefilterGraphsDrawTheTables() {
        const auto refs = dovra::testing::readPrefilterReferences();
        const auto r = std::find_if(refs.begin(), refs.end(),
                                    [](const auto& f) { return f.name == "biquad"; });
        QVERIFY(r != refs.end());
        std::ostringstream out, err;
        DesignSession session(out, err);
        setCoefficients(session.ffNumerator(), r->numerator);
        setCoefficients(session.ffDenominator(), r->denominator);

        FfMagPlotGraph mag(session, 400, 400);
        mag.resize(400, 400);
        mag.refreshImage();
        QCOMPARE(mag.points(2).size(), std::size_t(513));
        for (auto [f, db] : r->magnitude) {
            const int k = static_cast<int>(std::lround(f * 1024));
            const PlotPoint& pt = mag.points(2)[static_cast<std::size_t>(k)];
            QVERIFY(std::fabs(pt.x - f) < 2e-6);
            QVERIFY2(
                std::fabs(pt.y - db) < 1e-6,
                qPrintable(QStringLiteral("bin %1: %2 dB, expected %3").arg(k).arg(pt.y).arg(db)));
        }

        FfGdPlotGraph gd(session, 400, 400);
        gd.resize(400, 400);
        gd.refreshImage();
        QCOMPARE(gd.points(2).size(), std::size_t(151));
        for (auto [f, d] : r->delay) {
            const int i = static_cast<int>(std::lround(f * 300));
            QVERIFY(std::fabs(gd.points(2)[static_cast<std::size_t>(i)].y - d) < 1e-3);
        }
        // The response is drawn in blue inside the plot rectangle.
        const QPoint p = gd.pixelOfPoint(0.25, gd.groupDelayAt(0.25));
        if (gd.frame().contains(p.x(), p.y())) {
            QCOMPARE(gd.image().pixel(p), PlotBox::dataSetColor(2).rgb());
        }
        QVERIFY(out.str().empty());
    }

    // A list longer than a graph's transform or coefficient limit is cut to
    // the limit after a message.
    void prefilterTooLong() {
        std::ostringstream out, err;
        DesignSession session(out, err);
        setCoefficients(session.ffNumerator(), std::vector<double>(101, 0.01));
        FfGdPlotGraph gd(session, 300, 300);
        gd.resize(300, 300);
        gd.refreshImage();
        QCOMPARE(QString::fromStdString(out.str()),
                 QStringLiteral("Number of entries for a > 100\n"));
        // The first 100 equal taps: a delay of 49.5 samples.
        QVERIFY(std::fabs(gd.groupDelayAt(0.105) - 49.5) < 1e-6);
    }

    // The limit curves: a table of one row draws nothing, each longer table
    // its own line; the tolerance-only group delay is not shifted.
    void toleranceCurves() {
        std::ostringstream out, err;
        DesignSession session(out, err);
        setRows(session.magUpper(), {{0.0, 1.0}, {0.2, 1.0}, {0.3, -40.0}});
        setRows(session.magLower(), {{0.0, -1.0}});
        MagLimitPlotGraph mag(session, 400, 400);
        mag.resize(400, 400);
        mag.refreshImage();
        QCOMPARE(connections(mag, 1), (std::vector<bool>{false, true, true}));
        QCOMPARE(mag.points(1)[2].y, -40.0);
        QCOMPARE(mag.image().pixel(mag.pixelOfPoint(0.1, 1.0)), PlotBox::dataSetColor(1).rgb());
        // Fitted: 20 dB below the lowest limit, 5 dB above the highest, out
        // to 10 dB (-60 to 10), then 5 percent either side.
        QCOMPARE(mag.scale().yMin, -63.5);
        QCOMPARE(mag.scale().yMax, 13.5);

        // The lowpass example's scheme: -30 dB reads "-30", with no "x10".
        {
            DesignSession lowpass(out, err);
            setRows(lowpass.magUpper(), {{0.0, 0.5}, {0.2, 0.5}, {0.25, -30.0}, {0.5, -30.0}});
            setRows(lowpass.magLower(), {{0.0, -0.5}, {0.2, -0.5}});
            MagLimitPlotGraph scheme(lowpass, 400, 400);
            scheme.resize(400, 400);
            scheme.refreshImage();
            QCOMPARE(scheme.scale().yExp, 0);
            QStringList labels;
            for (const Tick& t : scheme.frame().yticks) {
                labels << QString::fromStdString(t.label);
            }
            QVERIFY2(labels.contains(QStringLiteral("-30")), qPrintable(labels.join(' ')));
        }

        setRows(session.gdUpper(), {{0.0, 3.0}, {0.5, 3.0}});
        setRows(session.gdLower(), {{0.0, 1.0}, {0.5, 1.0}});
        GdLimitPlotGraph gd(session, 400, 400);
        gd.resize(400, 400);
        gd.refreshImage();
        QCOMPARE(connections(gd, 1), (std::vector<bool>{false, true, false, true}));
        QCOMPARE(gd.points(1)[0].y, 3.0);
        QCOMPARE(gd.points(1)[3].y, 1.0);
    }

    // The check boxes open and close the windows; Apply redraws them;
    // closing a window by its frame turns its box off.
    void pageWindows() {
        std::ostringstream out, err;
        DovraScreen screen(out, err);
        screen.setExitHandler([](int) {});
        MagnitudePanel& page = screen.magnitudePanel();
        page.plotBox()->click();
        QVERIFY(page.plotShown());
        MagTsPlotScreen* w = page.plotWindow();
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral("Magnitude Tolerance Scheme"));
        QCOMPARE(w->size(), QSize(300, 300));
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QTRY_VERIFY(!w->graph().image().isNull());

        setRows(screen.session().magUpper(), {{0.0, 0.0}, {0.25, 0.0}});
        page.addButton()->click();
        page.editCard().frequencyField()->setText("0.5");
        page.editCard().valueField()->setText("-20");
        page.addButton()->click();
        QCOMPARE(w->graph().points(1).size(), std::size_t(3));

        w->close();
        QTRY_VERIFY(!page.plotShown());
        QVERIFY(!page.plotBox()->isChecked());
        QVERIFY(!page.plotWindow());
        page.plotBox()->click();
        QVERIFY(page.plotWindow());
        page.plotBox()->click();
        QVERIFY(!page.plotWindow());

        GroupDelayPanel& gdPage = screen.groupDelayPanel();
        gdPage.plotBox()->click();
        QCOMPARE(gdPage.plotWindow()->windowTitle(),
                 QStringLiteral("Group Delay Tolerance Scheme"));
        gdPage.plotWindow()->close();
        QTRY_VERIFY(!gdPage.plotBox()->isChecked());

        FixedFilterPanel& ff = screen.fixedFilterPanel();
        ff.magnitudePlotBox()->click();
        ff.groupDelayPlotBox()->click();
        QCOMPARE(ff.magnitudePlotWindow()->windowTitle(),
                 QStringLiteral("Magnitude Plot (prefilter)"));
        QCOMPARE(ff.groupDelayPlotWindow()->windowTitle(),
                 QStringLiteral("Group Delay Plot (prefilter)"));
        ff.magnitudePlotWindow()->graph().renderImage();
        ff.addButton()->click();
        ff.editCard().coefficientField()->setText("0.5");
        ff.addButton()->click();
        QCOMPARE(ff.magnitudePlotWindow()->graph().magnitude()[0], std::sqrt(0.25 + 1e-12));
        QCOMPARE(ff.groupDelayPlotWindow()->graph().points(2).size(), std::size_t(151));
        ff.groupDelayPlotWindow()->close();
        QTRY_VERIFY(!ff.groupDelayPlotShown());
        QVERIFY(ff.magnitudePlotShown());
    }
};

QTEST_MAIN(PlotGraphsTest)
#include "PlotGraphsTest.moc"
