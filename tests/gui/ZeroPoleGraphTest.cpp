// The pole-zero graph: where the layout puts the zeros and poles of a
// parameter vector, and how the graph paints them (zeros blue circles, poles
// green plus signs, the unit circle red), one drawing replacing the last.

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <sstream>

#include "BatchRunner.h"

#include "gui/support/PinnedFonts.h"
#include "gui/support/QuietOffscreen.h"
#include "plot/SnapshotFrame.h"
#include "plot/ZeroPolePlotGraph.h"
#include "session/DesignSession.h"

using namespace dovra;
using namespace dovra::gui;

namespace {

using Points = std::vector<PlanePoint>;

struct Case {
    Layout layout;
    std::vector<std::pair<int, double>> values;
    Points zeros;
    Points poles;
};

ResponseFrame frameOf(const Case& c) {
    ResponseFrame f;
    f.layout = c.layout;
    for (auto [i, v] : c.values) {
        f.best[static_cast<std::size_t>(i)] = v;
    }
    return f;
}

const double kC = 0.9 * std::cos(0.2 * M_PI);
const double kS = 0.9 * std::sin(0.2 * M_PI);

} // namespace

Q_DECLARE_METATYPE(Case)

class ZeroPoleGraphTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        dovra::test::quietOffscreen();
        dovra::test::pinFonts();
    }

    void positions_data() {
        QTest::addColumn<Case>("c");
        // Degrees N, M, L, A; counts zr za pr pa lr la zar zaa; first/last of each.
        QTest::newRow("N 4, M 2") << Case{
            Layout::fromRecord({4, 2, 0, 0, 2, 2, 1, 1, 0, 0, 0, 0, 1, 2,
                                3, 4, 5, 5, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6}),
            {{1, 0.9}, {2, 1.0}, {3, 0.1}, {4, 0.25}, {5, 0.5}, {6, 0.0}},
            {{kC, kS}, {kC, -kS}, {std::cos(M_PI / 2), 1.0}, {std::cos(M_PI / 2), -1.0}},
            {{0.5, 0.0}, {0.5, 0.0}}};
        QTest::newRow("N 1") << Case{Layout::fromRecord({1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 1,
                                                         1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}),
                                     {{1, 0.3}},
                                     {{0.3, 0.0}},
                                     {}};
        QTest::newRow("N 3: a pair and a real zero")
            << Case{Layout::fromRecord({3, 0, 0, 0, 2, 1, 0, 0, 0, 0, 0, 0, 1, 2,
                                        3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3}),
                    {{1, 0.5}, {2, -0.7}, {3, 0.5}},
                    {{-0.5, 0.5 * std::sin(M_PI)}, {-0.5, -0.5 * std::sin(M_PI)}, {-0.7, 0.0}},
                    {}};
        QTest::newRow("linear-phase pair")
            << Case{Layout::fromRecord({0, 0, 2, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0,
                                        0, 0, 0, 0, 0, 0, 1, 1, 2, 2, 2, 2, 2, 2}),
                    {{1, 0.5}, {2, 0.25}},
                    {{0.5 * std::cos(M_PI / 2), 0.5},
                     {0.5 * std::cos(M_PI / 2), -0.5},
                     {2 * std::cos(M_PI / 2), 2.0},
                     {2 * std::cos(M_PI / 2), -2.0}},
                    {}};
        QTest::newRow("allpass pair at radius 0")
            << Case{Layout::fromRecord({0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0,
                                        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 2, 2}),
                    {{1, 0.0}, {2, 0.1}},
                    {{-1e16 * std::cos(0.2 * M_PI), -1e16 * std::sin(0.2 * M_PI)},
                     {-1e16 * std::cos(0.2 * M_PI), 1e16 * std::sin(0.2 * M_PI)}},
                    {{0.0, 0.0}, {0.0, -0.0}}};
        QTest::newRow("no zeros or poles") << Case{Layout{}, {}, {}, {}};
    }
    void positions() {
        QFETCH(Case, c);
        const ResponseFrame f = frameOf(c);
        // Where the points lie is the core's (PoleZeroTest); here they are painted.
        const PoleZeroPositions p = poleZeroPositions(f.layout, f.best);
        QVERIFY(p.zeros.size() == c.zeros.size() && p.poles.size() == c.poles.size());

        // Painted: each mark where the point is, in its colour, and a second
        // drawing replaces the first.
        std::ostringstream out, err;
        DesignSession session(out, err);
        ZeroPolePlotGraph g(
            session, [f] { return f; }, 400, 400);
        g.resize(400, 400);
        g.refreshImage();
        g.refreshImage();
        const QImage img = g.renderImage();
        QCOMPARE(g.points(2).size(), c.zeros.size());
        QCOMPARE(g.points(3).size(), c.poles.size());
        QCOMPARE(g.points(1).size(), std::size_t(101));
        const QRgb red = PlotBox::dataSetColor(1).rgb();
        const QRgb blue = PlotBox::dataSetColor(2).rgb();
        const QRgb green = PlotBox::dataSetColor(3).rgb();
        QCOMPARE(img.pixel(g.pixelOfPoint(-1.0, 0.0)), red);
        for (const PlanePoint& z : c.zeros) {
            const QPoint q = g.pixelOfPoint(z.x, z.y);
            if (g.frame().contains(q.x(), q.y())) {
                QCOMPARE(img.pixel(q + QPoint(0, -3)), blue);
                QCOMPARE(img.pixel(q + QPoint(-3, 0)), blue);
            }
        }
        for (const PlanePoint& z : c.poles) {
            const QPoint q = g.pixelOfPoint(z.x, z.y);
            QCOMPARE(img.pixel(q), green);
            QCOMPARE(img.pixel(q + QPoint(0, 3)), green);
            QCOMPARE(img.pixel(q + QPoint(2, 2)), qRgb(255, 255, 255));
        }
    }

    // A zoom of the user's is kept while the run goes on refreshing the
    // graph, also when a zero moves out of it; zooming out fits the data again.
    void userZoomIsKeptDuringARun() {
        Case c{Layout::fromRecord({1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 1,
                                   1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}),
               {{1, 0.3}},
               {},
               {}};
        std::ostringstream out, err;
        DesignSession session(out, err);
        ResponseFrame frame = frameOf(c);
        ZeroPolePlotGraph g(
            session, [&frame] { return frame; }, 400, 400);
        g.resize(400, 400);
        g.refreshImage();
        g.renderImage();
        const double fitted = g.scale().xMax;
        const PlotFrame f = g.frame();
        g.mouseDown(f.ulx + 100, f.uly + 100);
        g.mouseDrag(f.ulx + 200, f.uly + 200);
        g.mouseUp(f.ulx + 200, f.uly + 200);
        QVERIFY(g.userZoomed());
        const double zoomed = g.scale().xMax;
        QVERIFY(zoomed < fitted);
        frame.best[1] = 3.0; // the zero moves far out
        g.refreshImage();
        g.renderImage();
        QCOMPARE(g.scale().xMax, zoomed);
        g.mouseDown(f.ulx + 150, f.uly + 150);
        g.mouseDrag(f.ulx + 150, f.uly + 100);
        g.mouseUp(f.ulx + 150, f.uly + 100);
        QVERIFY(!g.userZoomed());
        g.refreshImage();
        g.renderImage();
        QVERIFY(g.scale().xMax >= 3.0);
    }

    // Every zero and pole of every example's design lies inside the plot
    // rectangle, and the unit circle is round (one data unit the same number
    // of pixels on both axes).
    void everyExampleShowsAllItsZerosAndPoles() {
        const QDir examples(QStringLiteral(DOVRA_SOURCE_DIR "/examples"));
        QTemporaryDir tmp;
        for (const QString& name : examples.entryList({QStringLiteral("*.cfg")})) {
            batch::BatchOptions options;
            options.config = examples.filePath(name).toStdString();
            options.results = tmp.filePath(QStringLiteral("run.out")).toStdString();
            options.plots = tmp.path().toStdString();
            options.seed = 1;
            options.quiet = true;
            int shown = 0;
            std::ostringstream out, err;
            batch::runBatch(options, out, err, [&](DesignSession& session, const std::string&) {
                ZeroPolePlotGraph g(session, snapshotFrameSource(session), 400, 300);
                g.resize(400, 300);
                g.refreshImage();
                g.renderImage();
                const PlotFrame& f = g.frame();
                for (int set : {2, 3}) {
                    for (const PlotPoint& p : g.points(set)) {
                        const QPoint q = g.pixelOfPoint(p.x, p.y);
                        if (!f.contains(q.x(), q.y())) {
                            return "outside: " + std::to_string(p.x) + ", " + std::to_string(p.y);
                        }
                        ++shown;
                    }
                }
                const PlotScale& s = g.scale();
                const double ux = (s.xMax - s.xMin) / (f.lrx - f.ulx);
                const double uy = (s.yMax - s.yMin) / (f.lry - f.uly);
                if (std::fabs(ux - uy) > 1e-9 * ux) {
                    return std::string("unequal scales");
                }
                return std::string();
            });
            QVERIFY2(err.str().find("outside") == std::string::npos &&
                         err.str().find("unequal") == std::string::npos,
                     qPrintable(name + QStringLiteral(": ") + QString::fromStdString(err.str())));
            QVERIFY2(shown > 0, qPrintable(name));
        }
    }
};

QTEST_MAIN(ZeroPoleGraphTest)
#include "ZeroPoleGraphTest.moc"
