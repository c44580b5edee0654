// dovra-batch --plots on every example: the images are written, and in the
// magnitude image the blue response lies on the right side of the red limits
// at sample frequencies of the scheme, read from the pixels alone (the plot
// frame found as the black rectangle, the ranges padded by 5% as the plot
// box pads them). A folder that cannot be written stops the run before any
// design.

#include <QImage>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <numbers>

#include "core/batch/BatchSupport.h"
#include "gui/support/PinnedFonts.h"
#include "gui/support/QuietOffscreen.h"

using namespace dovra::test;

namespace {

constexpr QRgb kRed = 0xffff0000;
constexpr QRgb kBlue = 0xff0000ff;
constexpr QRgb kBlack = 0xff000000;

struct Frame {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The plot frame: the outermost columns and rows that are black over more
// than half of the image.
Frame frameOf(const QImage& img) {
    Frame f{-1, -1, -1, -1};
    for (int x = 0; x < img.width(); ++x) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y) {
            n += img.pixel(x, y) == kBlack;
        }
        if (n > img.height() / 2) {
            f.right = x;
            if (f.left < 0) {
                f.left = x;
            }
        }
    }
    for (int y = 0; y < img.height(); ++y) {
        int n = 0;
        for (int x = 0; x < img.width(); ++x) {
            n += img.pixel(x, y) == kBlack;
        }
        if (n > img.width() / 2) {
            f.bottom = y;
            if (f.top < 0) {
                f.top = y;
            }
        }
    }
    return f;
}

// A range as the plot box shows it: widened by 5% of its span on each side.
struct Axis {
    double min, max;
    Axis(double lo, double hi) : min(lo - 0.05 * (hi - lo)), max(hi + 0.05 * (hi - lo)) {}
    double at(double v, int from, int to) const {
        return from + (v - min) / (max - min) * (to - from);
    }
};

// Where the response touches a limit its blue covers the red, so a limit
// line is looked for along a stretch of its row (and a response lying on it
// all along, as a maximally flat passband does, stands for it).
bool colourNear(const QImage& img, QRgb c, int x, int y, int columns, int rows) {
    for (int dx = -columns; dx <= columns; ++dx) {
        for (int dy = -rows; dy <= rows; ++dy) {
            if (QRect(0, 0, img.width(), img.height()).contains(x + dx, y + dy) &&
                img.pixel(x + dx, y + dy) == c) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

class BatchPlotsTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        quietOffscreen();
        dovra::test::pinFonts();
    }

    void examples_data() {
        QTest::addColumn<QString>("example");
        for (const char* e :
             {"lowpass.cfg", "lowpass-group-delay.cfg", "lowpass-quantized-12bit.cfg",
              "allpass-equaliser.cfg", "butterworth-lowpass.cfg", "chebyshev1-highpass.cfg",
              "chebyshev2-bandpass.cfg", "elliptic-bandstop.cfg", "lowpass-fir.cfg",
              "bandpass-fir-flat.cfg", "lowpass-remez.cfg"}) {
            QTest::newRow(e) << QString::fromLatin1(e);
        }
    }
    void examples() {
        QFETCH(QString, example);
        QTemporaryDir tmp;
        const fs::path dir = fs::path(tmp.path().toStdString()) / "plots";
        const fs::path task = fs::path(DOVRA_SOURCE_DIR) / "examples" / example.toStdString();
        QCOMPARE(runBatch("--quiet --seed 1 --plots " + dir.string() + " -o " +
                          (dir / "run.out").string() + " " + task.string() + " > /dev/null 2>&1"),
                 0);
        const Task t = readTask(task);
        QImage gd((dir / "group-delay.png").c_str());
        QCOMPARE(gd.isNull(), t.gdUpper.empty() && t.gdLower.empty());
        QImage zp((dir / "pole-zero.png").c_str());
        QCOMPARE(zp.size(), QSize(600, 600));

        QImage img((dir / "magnitude.png").c_str());
        QCOMPARE(img.size(), QSize(800, 600));
        img = img.convertToFormat(QImage::Format_RGB32);
        const Frame f = frameOf(img);
        QVERIFY(f.left >= 0 && f.right - f.left > 500 && f.bottom - f.top > 300);
        // The magnitude axis fits the scheme: from 20 dB below its lowest
        // limit to 5 dB above its highest (which a design that meets it does
        // not pass), each rounded out to 10 dB.
        double lowest = 1e300, highest = -1e300;
        for (const auto* rows : {&t.magUpper, &t.magLower}) {
            for (const Row& r : *rows) {
                lowest = rows->size() > 1 ? std::min(lowest, r.limit) : lowest;
                highest = rows->size() > 1 ? std::max(highest, r.limit) : highest;
            }
        }
        const Axis xAxis(-0.000001, 0.5), yAxis(10.0 * std::floor((lowest - 20.0) / 10.0),
                                                10.0 * std::ceil((highest + 5.0) / 10.0));

        // A sample of every grid: point 28 of 63 of the cosine spacing, in
        // the bands (rows of equal limits). The classical and FIR designs
        // read the scheme as band edges and limits, so the sloped rows of a
        // transition band are not theirs to meet.
        const double frac = (1.0 - std::cos(std::numbers::pi * 28.0 / 63.0)) / 2.0;
        int checked = 0;
        auto check = [&](const std::vector<Row>& rows, bool upper) {
            for (std::size_t k = 0; k + 1 < rows.size(); ++k) {
                const double w = rows[k].w + (rows[k + 1].w - rows[k].w) * frac;
                const double limit = rows[k].limit + (rows[k + 1].limit - rows[k].limit) * frac;
                if (!(rows[k + 1].w > rows[k].w) || rows[k + 1].limit != rows[k].limit ||
                    limit < yAxis.min || limit > yAxis.max) {
                    continue;
                }
                const int x = static_cast<int>(std::lround(xAxis.at(w, f.left, f.right)));
                const int y = static_cast<int>(std::lround(yAxis.at(limit, f.bottom, f.top)));
                QVERIFY2(colourNear(img, kRed, x, y, 40, 1) || colourNear(img, kBlue, x, y, 0, 1),
                         qPrintable(QStringLiteral("no red limit at %1, %2 dB").arg(w).arg(limit)));
                int top = f.bottom, bottom = f.top;
                for (int r = f.top + 1; r < f.bottom; ++r) {
                    if (img.pixel(x, r) == kBlue) {
                        top = std::min(top, r);
                        bottom = std::max(bottom, r);
                    }
                }
                if (top > bottom) {
                    continue; // the response is outside the range here
                }
                ++checked;
                const QString where = QStringLiteral("%1 limit at %2 (%3 dB)")
                                          .arg(upper ? "upper" : "lower")
                                          .arg(w)
                                          .arg(limit);
                if (upper) {
                    QVERIFY2(top >= y - 2, qPrintable(where));
                } else {
                    QVERIFY2(bottom <= y + 2, qPrintable(where));
                }
            }
        };
        check(t.magUpper, true);
        check(t.magLower, false);
        QVERIFY(checked >= 2);
    }

    void unwritableFolderStopsBeforeTheDesign() {
        QTemporaryDir tmp;
        const fs::path file = fs::path(tmp.path().toStdString()) / "a-file";
        std::ofstream(file) << "x";
        const fs::path results = fs::path(tmp.path().toStdString()) / "run.out";
        const fs::path log = fs::path(tmp.path().toStdString()) / "log";
        const fs::path task = fs::path(DOVRA_SOURCE_DIR) / "examples" / "lowpass.cfg";
        QCOMPARE(runBatch("--quiet --plots " + (file / "plots").string() + " -o " +
                          results.string() + " " + task.string() + " > " + log.string() + " 2>&1"),
                 2);
        QVERIFY(!fs::exists(results));
        const auto lines = readLines(log);
        QCOMPARE(lines.size(), std::size_t(1));
        QVERIFY(lines[0].starts_with("dovra-batch: the plot folder " + (file / "plots").string() +
                                     " cannot be written: "));
    }
};

QTEST_MAIN(BatchPlotsTest)
#include "BatchPlotsTest.moc"
