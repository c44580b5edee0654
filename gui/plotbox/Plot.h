#pragma once
// Numbered data sets of points on a plot box. A point is drawn as a mark, a
// line from the previous point of its data set, or both, in the colour of
// its data set. A data set with a persistence keeps only its last n points:
// the oldest point is erased from the image (drawn again in XOR mode) and
// dropped when a new one arrives. After the first drawPlot every added point
// is drawn at once, so an animated graph draws only what changes.

#include <array>
#include <string>
#include <vector>

#include "plotbox/PlotBox.h"

namespace dovra::gui {

struct PlotPoint {
    double x = 0.0;
    double y = 0.0;
    double yLowEB = 0.0;
    double yHighEB = 0.0;
    bool connected = false;
    bool errorBar = false;
};

class Plot : public PlotBox {
  public:
    static constexpr int kMaxDataSets = 63;
    enum Marks { None = 0, Points = 1, Dots = 2, Various = 3 };

    explicit Plot(QWidget* parent = nullptr);

    /// n empty data sets (1 to 63); outside that range a message is printed,
    /// false returned and the data sets stay as they were.
    bool setNumSets(int n);
    int numSets() const { return static_cast<int>(points_.size()); }
    /// "none", "points", "dots" or "various" (any case); other texts change
    /// nothing.
    void setMarksStyle(const std::string& style);
    int marksStyle() const { return marks_; }
    /// Keeps only the last n points of a data set (0: all of them).
    void setPointsPersistence(int dataSet, int n);
    int pointsPersistence(int dataSet) const;
    /// 63 empty data sets; the persistences and the other settings stay.
    void init() override;
    void addPoint(int dataSet, double x, double y, bool connected);
    /// Erases one point from the image and removes it.
    void erasePoint(int dataSet, int index);
    /// The axes, then every point of every data set in order.
    void drawPlot(bool clearFirst) override;

    const std::vector<PlotPoint>& points(int dataSet) const;
    bool showing() const { return showing_; }
    /// Pixel position of a point in the current frame.
    QPoint pixelOfPoint(double x, double y) const;

  private:
    struct Pixel {
        long long x = 0;
        long long y = 0;
    };
    Pixel toPixel(double x, double y) const;
    QColor colourOf(int dataSet) const;
    void _drawPlotPoint(QPainter& p, int dataSet, int index);
    void _drawPoint(QPainter& p, int dataSet, long long x, long long y, bool clip);
    /// The lines of the mark of a data set at a pixel.
    void drawMark(QPainter& p, int dataSet, int x, int y) const;
    void _drawLine(QPainter& p, long long startX, long long startY, long long endX, long long endY,
                   bool clip);
    /// The clipped segment in a fixed order of its ends; false when nothing
    /// of it is inside the plot rectangle.
    bool clipLine(long long& x0, long long& y0, long long& x1, long long& y1) const;
    void _erasePoint(int dataSet, int index);

    std::vector<std::vector<PlotPoint>> points_;
    std::vector<Pixel> previous_;
    std::array<int, kMaxDataSets> persistence_{};
    int marks_ = None;
    bool showing_ = false;
};

} // namespace dovra::gui
