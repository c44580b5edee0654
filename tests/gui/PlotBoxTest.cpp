// The plot component on the offscreen platform: the tick and label
// arithmetic without painting, and the painted image of the frame, the
// exponent label, points, lines, marks, persistence and the zoom gesture.

#include <QPainter>
#include <QtTest>
#include <cmath>
#include <string>
#include <vector>

#include "gui/support/PinnedFonts.h"
#include "gui/support/QuietOffscreen.h"
#include "plotbox/Plot.h"
#include "screen/Constrain.h"

using namespace dovra::gui;

namespace {

const QRgb kWhite = qRgb(255, 255, 255);

/// A plot of 400 by 400 pixels, initialised and not shown.
struct TestPlot : Plot {
    TestPlot() {
        resize(400, 400);
        init();
    }
    QRgb at(int x, int y) const { return image().pixel(x, y); }
    QRgb atPoint(double x, double y) const {
        const QPoint p = pixelOfPoint(x, y);
        return at(p.x(), p.y());
    }
};

/// Pixels that differ between two images of one size.
int differences(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            n += a.pixel(x, y) != b.pixel(x, y);
        }
    }
    return n;
}

/// Non-white pixels in a rectangle of an image.
int inked(const QImage& img, const QRect& r) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            n += img.pixel(x, y) != kWhite;
        }
    }
    return n;
}

} // namespace

class PlotBoxTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        dovra::test::quietOffscreen();
        dovra::test::pinFonts();
    }

    void roundUp_data() {
        QTest::addColumn<double>("v");
        QTest::addColumn<double>("expected");
        QTest::newRow("0.3") << 0.3 << 0.5;
        QTest::newRow("3") << 3.0 << 5.0;
        QTest::newRow("7") << 7.0 << 10.0;
        QTest::newRow("1") << 1.0 << 1.0;
        QTest::newRow("0.011") << 0.011 << 0.02;
        QTest::newRow("150") << 150.0 << 200.0;
    }
    void roundUp() {
        QFETCH(double, v);
        QFETCH(double, expected);
        QCOMPARE(PlotScale::_roundUp(v), expected);
    }

    void formatNum_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("digits");
        QTest::addColumn<QString>("expected");
        QTest::newRow("2.5, 0") << 2.5 << 0 << "3";
        QTest::newRow("0.1, 2") << 0.1 << 2 << "0.10";
        QTest::newRow("-1.25, 1") << -1.25 << 1 << "-1.3";
        QTest::newRow("100, 0") << 100.0 << 0 << "100";
        QTest::newRow("0.3, 1") << 0.30000000000000004 << 1 << "0.3";
        // A tick that sums to almost zero is labelled 0, never in exponent form.
        QTest::newRow("tiny, 3") << 5.551115123125783e-17 << 3 << "0.000";
        QTest::newRow("-0.05, 2") << -0.05 << 2 << "-0.05";
    }
    void formatNum() {
        QFETCH(double, value);
        QFETCH(int, digits);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(PlotScale::_formatNum(value, digits)), expected);
    }

    void digitCounts() {
        QCOMPARE(PlotScale::_numFracDigits(0.05), 2);
        QCOMPARE(PlotScale::_numFracDigits(0.5), 1);
        QCOMPARE(PlotScale::_numFracDigits(20.0), 0);
        QCOMPARE(PlotScale::_numIntDigits(123.4), 3);
        QCOMPARE(PlotScale::_numIntDigits(-0.5), 0);
    }

    // Ranges and tick labels of the frame, without a widget.
    void ranges_data() {
        QTest::addColumn<bool>("given");
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<int>("exponent");
        QTest::addColumn<double>("labelLow");
        QTest::addColumn<double>("labelHigh");
        QTest::newRow("no data") << false << 0.0 << 0.0 << 0 << -1.1 << 1.1;
        // Plain labels wherever they fit in five characters: -150 dB reads -150.
        QTest::newRow("0 to 1000") << true << 0.0 << 1000.0 << 0 << -50.0 << 1050.0;
        QTest::newRow("-150 to 0 dB") << true << -150.0 << 0.0 << 0 << -157.5 << 7.5;
        QTest::newRow("0 to 100000") << true << 0.0 << 100000.0 << 5 << -0.05 << 1.05;
        QTest::newRow("0 to 50") << true << 0.0 << 50.0 << 0 << -2.5 << 52.5;
        QTest::newRow("equal ends") << true << 4.0 << 4.0 << 0 << 2.9 << 5.1;
        QTest::newRow("reversed") << true << 3.0 << -3.0 << 0 << -1.1 << 1.1;
        QTest::newRow("small") << true << 0.0 << 0.002 << -3 << -0.1 << 2.1;
    }
    void ranges() {
        QFETCH(bool, given);
        QFETCH(double, min);
        QFETCH(double, max);
        QFETCH(int, exponent);
        QFETCH(double, labelLow);
        QFETCH(double, labelHigh);
        PlotScale s;
        if (given) {
            s.setYRange(min, max);
        }
        s.applyDataRanges();
        QCOMPARE(s.yExp, exponent);
        QVERIFY(std::fabs(s.ytickMin - labelLow) < 1e-12);
        QVERIFY(std::fabs(s.ytickMax - labelHigh) < 1e-12);
        FontMeasure fonts;
        fonts.labelWidth = [](const std::string& t) { return 7 * static_cast<int>(t.size()); };
        const PlotFrame f = s.layout(400, 400, fonts);
        QVERIFY(f.yticks.size() >= 3);
        for (const Tick& t : f.yticks) {
            QVERIFY2(t.value >= labelLow - 1e-12 && t.value <= labelHigh + 1e-12, t.label.c_str());
            QCOMPARE(std::stod(t.label), std::round(t.value * 1e6) / 1e6);
        }
        if (!given) {
            QCOMPARE(s.xMin, -1.1);
            QCOMPARE(s.xMax, 1.1);
        }
    }

    // With no data, the painted labels run from -1 to 1 on both axes, and
    // each tick has its mark on the frame and its grid line inside.
    void emptyPlotIsPainted() {
        TestPlot p;
        p.drawPlot(true);
        const PlotFrame& f = p.frame();
        QCOMPARE(p.scale().yMin, -1.1);
        QCOMPARE(p.scale().xMax, 1.1);
        QCOMPARE(QString::fromStdString(f.yticks.front().label), QStringLiteral("-1.0"));
        QCOMPARE(QString::fromStdString(f.xticks.back().label), QStringLiteral("1.0"));
        QCOMPARE(p.at(f.ulx, f.uly + 20), qRgb(0, 0, 0));
        for (const Tick& t : f.yticks) {
            const int row = f.lry - static_cast<int>((t.value - p.scale().ytickMin) * f.ytickscale);
            QCOMPARE(p.at(f.ulx + 2, row), qRgb(0, 0, 0));
            if (row != f.uly && row != f.lry) {
                QCOMPARE(p.at(f.ulx + 40, row), PlotBox::gridColor().rgb());
            }
            // The label left of the frame.
            QVERIFY(inked(p.image(), QRect(0, row - 12, f.ulx - 3, 14)) > 0);
        }
    }

    // "x10" and the exponent 5 at the upper left for 0 to 100000; nothing
    // there for 0 to 50.
    void exponentLabel() {
        TestPlot big;
        big.setYRange(0.0, 100000.0);
        big.drawPlot(true);
        const PlotFrame& f = big.frame();
        QVERIFY(f.titleY > 0);
        QImage expected(400, 400, QImage::Format_RGB32);
        expected.fill(Qt::white);
        {
            QPainter q(&expected);
            const QFont label = makeFont("Helvetica", false, 12);
            q.setFont(label);
            q.drawText(2, f.titleY, QStringLiteral("x10"));
            q.setFont(makeFont("Helvetica", false, 9));
            q.drawText(2 + QFontMetrics(label).horizontalAdvance(QStringLiteral("x10")),
                       f.titleY - QFontMetrics(label).height() / 2, QStringLiteral("5"));
        }
        const QRect corner(0, 0, 60, f.uly - 1);
        QVERIFY(inked(expected, corner) > 10);
        QCOMPARE(big.image().copy(corner), expected.copy(corner));
        // The superscript sits right of "x10" and above its baseline.
        QVERIFY(inked(big.image(), QRect(20, 0, 20, f.titleY - 8)) > 0);

        TestPlot small;
        small.setYRange(0.0, 50.0);
        small.drawPlot(true);
        QCOMPARE(small.scale().yExp, 0);
        QCOMPARE(inked(small.image(), QRect(0, 0, 60, small.frame().uly - 1)), 0);
    }

    // Persistence n: point n + 1 erases point 0 and the line from it, and
    // the image is what a plot of the remaining points alone shows.
    void persistenceErases() {
        const std::vector<QPointF> pts = {{-0.8, 0.7}, {-0.2, -0.6}, {0.3, 0.5}, {0.9, -0.4}};
        TestPlot p;
        p.setGrid(false);
        p.setXRange(-1, 1);
        p.setYRange(-1, 1);
        p.setPointsPersistence(2, 3);
        p.drawPlot(true);
        for (std::size_t i = 0; i < pts.size(); ++i) {
            p.addPoint(2, pts[i].x(), pts[i].y(), i > 0);
        }
        QCOMPARE(p.points(2).size(), std::size_t(3));
        QCOMPARE(p.points(2).front().x, -0.2);
        QVERIFY(!p.points(2).front().connected);

        TestPlot expected;
        expected.setGrid(false);
        expected.setXRange(-1, 1);
        expected.setYRange(-1, 1);
        expected.drawPlot(true);
        for (std::size_t i = 1; i < pts.size(); ++i) {
            expected.addPoint(2, pts[i].x(), pts[i].y(), i > 1);
        }
        QCOMPARE(differences(p.image(), expected.image()), 0);
        // The points drawn at once are those a full redraw draws.
        const QImage incremental = p.image();
        p.drawPlot(true);
        QCOMPARE(differences(p.image(), incremental), 0);
    }

    // Points added before the first drawPlot are only stored.
    void pointsWaitForFirstDraw() {
        TestPlot p;
        p.setXRange(0, 1);
        p.setYRange(0, 1);
        p.addPoint(2, 0.2, 0.2, false);
        p.addPoint(2, 0.8, 0.8, true);
        QVERIFY(!p.showing());
        p.drawPlot(true);
        QCOMPARE(p.atPoint(0.5, 0.5), PlotBox::dataSetColor(2).rgb());
    }

    // A line from outside the rectangle is cut at its edge; a segment wholly
    // on one outer side is not drawn.
    void clipping() {
        TestPlot p;
        p.setGrid(false);
        p.setXRange(0, 1);
        p.setYRange(0, 1);
        p.drawPlot(true);
        const QImage empty = p.image();
        p.addPoint(2, 0.2, 1.5, false);
        p.addPoint(2, 0.4, 2.0, true);
        QCOMPARE(differences(p.image(), empty), 0);
        p.addPoint(2, 0.5, 0.5, true);
        const PlotFrame& f = p.frame();
        const QRgb blue = PlotBox::dataSetColor(2).rgb();
        // Nothing above the rectangle, the line reaches its top edge.
        QCOMPARE(differences(p.image().copy(0, 0, 400, f.uly), empty.copy(0, 0, 400, f.uly)), 0);
        int onTop = 0;
        for (int x = f.ulx; x <= f.lrx; ++x) {
            onTop += p.at(x, f.uly) == blue || p.at(x, f.uly + 1) == blue;
        }
        QVERIFY(onTop > 0);
        QCOMPARE(p.atPoint(0.5, 0.5), blue);
        // A mark outside the rectangle is not drawn.
        p.setMarksStyle("dots");
        p.drawPlot(true);
        const QImage before = p.image();
        p.addPoint(3, 0.5, 1.3, false);
        QCOMPARE(differences(p.image(), before), 0);
    }

    void marks_data() {
        QTest::addColumn<QString>("style");
        QTest::newRow("none") << "none";
        QTest::newRow("various") << "VARIOUS";
    }
    // "none" draws lines only; "various" gives each data set its own mark:
    // none for set 1, a circle for set 2, a plus for set 3.
    void marks() {
        QFETCH(QString, style);
        TestPlot p;
        p.setGrid(false);
        p.setXRange(0, 1);
        p.setYRange(0, 1);
        p.setMarksStyle(style.toStdString());
        p.drawPlot(true);
        const QImage empty = p.image();
        p.addPoint(1, 0.2, 0.5, false);
        p.addPoint(2, 0.5, 0.5, false);
        p.addPoint(3, 0.8, 0.5, false);
        if (style == "none") {
            QCOMPARE(p.marksStyle(), int(Plot::None));
            QCOMPARE(differences(p.image(), empty), 0);
            p.addPoint(3, 0.9, 0.6, true);
            QVERIFY(differences(p.image(), empty) > 0);
            return;
        }
        QCOMPARE(p.marksStyle(), int(Plot::Various));
        const QPoint one = p.pixelOfPoint(0.2, 0.5);
        QCOMPARE(inked(p.image(), QRect(one.x() - 4, one.y() - 4, 9, 9)), 0);
        const QPoint two = p.pixelOfPoint(0.5, 0.5);
        const QRgb blue = PlotBox::dataSetColor(2).rgb();
        QCOMPARE(p.at(two.x(), two.y()), kWhite);
        QCOMPARE(p.at(two.x() + 3, two.y()), blue);
        QCOMPARE(p.at(two.x(), two.y() - 3), blue);
        const QPoint three = p.pixelOfPoint(0.8, 0.5);
        const QRgb green = PlotBox::dataSetColor(3).rgb();
        QCOMPARE(p.at(three.x(), three.y()), green);
        QCOMPARE(p.at(three.x() + 3, three.y()), green);
        QCOMPARE(p.at(three.x(), three.y() + 3), green);
        QCOMPARE(p.at(three.x() + 2, three.y() + 2), kWhite);
    }

    void numSetsLimits() {
        std::ostringstream out;
        TestPlot p;
        p.setMessageStream(out);
        QVERIFY(!p.setNumSets(0));
        QVERIFY(!p.setNumSets(64));
        QCOMPARE(p.numSets(), 63);
        QCOMPARE(QString::fromStdString(out.str()),
                 QStringLiteral("Number of data sets (0) must be greater than 0.\n"
                                "Number of data sets (64) must be less than the internal limit "
                                "of 63To increase this value, edit _MAX_DATASETS and recompile\n"));
        p.addPoint(63, 0, 0, false);
        p.addPoint(-1, 0, 0, false);
        QVERIFY(p.setNumSets(15));
        QCOMPARE(p.numSets(), 15);
    }

    void drawBeforeInit() {
        std::ostringstream out;
        Plot p;
        p.resize(200, 200);
        p.setMessageStream(out);
        p.drawPlot(true);
        QCOMPARE(QString::fromStdString(out.str()),
                 QStringLiteral("PlotBox.drawPlot(): _background == null\n"
                                "Be sure to call init() before calling paint().\n"));
    }

    // A drag of more than 5 pixels both ways zooms to the rectangle; a
    // smaller one only redraws; zooming out stops at the data bounds.
    void zoom() {
        TestPlot p;
        p.setGrid(false);
        p.addPoint(2, 0.0, 0.0, false);
        p.addPoint(2, 1.0, 2.0, true);
        p.drawPlot(true);
        const QImage start = p.image();
        const PlotFrame f = p.frame();
        const double xMin = p.scale().xMin, yMax = p.scale().yMax;

        // While dragging, the rectangle is shown inverted; a release 5 pixels
        // below the start leaves the ranges and the image as they were.
        p.mouseDown(f.ulx + 50, f.uly + 50);
        p.mouseDrag(f.ulx + 120, f.uly + 55);
        QVERIFY(differences(p.image(), start) > 0);
        p.mouseUp(f.ulx + 120, f.uly + 55);
        QCOMPARE(p.scale().xMin, xMin);
        QCOMPARE(differences(p.image(), start), 0);

        p.mouseDown(f.ulx + 50, f.uly + 50);
        p.mouseDrag(f.ulx + 150, f.uly + 250);
        p.mouseUp(f.ulx + 150, f.uly + 250);
        const double x0 = xMin + 50 / f.xscale, x1 = xMin + 150 / f.xscale;
        const double y0 = yMax - 250 / f.yscale, y1 = yMax - 50 / f.yscale;
        QVERIFY(std::fabs(p.scale().xMin - (x0 - 0.05 * (x1 - x0))) < 1e-12);
        QVERIFY(std::fabs(p.scale().xMax - (x1 + 0.05 * (x1 - x0))) < 1e-12);
        QVERIFY(std::fabs(p.scale().yMin - (y0 - 0.05 * (y1 - y0))) < 1e-12);
        QVERIFY(std::fabs(p.scale().yMax - (y1 + 0.05 * (y1 - y0))) < 1e-12);
        // New data no longer moves the zoomed range.
        p.addPoint(2, 5.0, 5.0, true);
        p.drawPlot(true);
        QVERIFY(std::fabs(p.scale().xMax - (x1 + 0.05 * (x1 - x0))) < 1e-12);

        // Upwards, again and again: out to the data bounds (0 to 5 both
        // ways, padded), and no further.
        for (int i = 0; i < 4; ++i) {
            const PlotFrame g = p.frame();
            p.mouseDown(g.ulx + 100, g.lry - 10);
            p.mouseDrag(g.ulx + 101, g.lry - 11);
            p.mouseDrag(g.ulx + 300, g.uly);
            p.mouseUp(g.ulx + 300, g.uly);
            QVERIFY(p.scale().xMin >= -0.25 && p.scale().yMax <= 5.25);
        }
        QCOMPARE(p.scale().xMin, -0.25);
        QCOMPARE(p.scale().xMax, 5.25);
        QCOMPARE(p.scale().yMin, -0.25);
        QCOMPARE(p.scale().yMax, 5.25);
    }
};

QTEST_MAIN(PlotBoxTest)
#include "PlotBoxTest.moc"
