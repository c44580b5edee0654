#pragma once
// A framed coordinate system for two-dimensional data: a white plot rectangle
// with a black frame, numbered ticks on all four sides, light-grey grid lines
// and "x10" exponent labels, drawn into a backing image that the widget
// copies to the screen. Drawing into the image (not into a paint event) is
// what lets the data plot add a point at once and erase the oldest one by
// drawing it again in XOR mode. The user zooms in by dragging a rectangle
// downwards and out by dragging upwards.
//
// drawPlot and the zoom gesture hold the component's lock, which the data
// plot's drawing and point operations share, so that a redraw and a zoom
// never interleave.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QWidget>
#include <functional>
#include <iosfwd>
#include <mutex>

#include "plotbox/PlotScale.h"

class QPainter;

namespace dovra::gui {

class PlotBox : public QWidget {
  public:
    explicit PlotBox(QWidget* parent = nullptr);

    void setXRange(double min, double max);
    void setYRange(double min, double max);
    void setGrid(bool on) { grid_ = on; }
    /// Titles of the axes (empty: none), drawn below the x tick labels and
    /// upright left of the y ones.
    void setAxisTitles(const QString& x, const QString& y);
    /// One data unit the same number of pixels on both axes (a circle stays
    /// round): the range of the axis with more room is widened about its
    /// middle at every draw.
    void setEqualScales(bool on) { equalScales_ = on; }
    /// The user zoomed in by a gesture and has not zoomed out since: the
    /// graphs then keep the user's ranges instead of fitting their data.
    bool userZoomed() const { return userZoomed_; }
    /// Colours black on white; must run before the first drawPlot.
    virtual void init();
    /// Draws the axes into the backing image.
    virtual void drawPlot(bool clearFirst);
    /// The redraw protocol of the component, run by the next paint event
    /// after requestPaint (and when the widget is shown or resized).
    virtual void paint() { drawPlot(true); }
    /// Has the next paint event run paint() before it shows the image.
    void requestPaint();
    /// Runs paint() now and returns the image (offscreen rendering).
    QImage renderImage();

    /// Set to 1 whenever the component is moved or resized; the graphs read
    /// it in their paint, redraw and set it back to 0.
    int reshaped() const { return reshaped_; }
    void clearReshaped() { reshaped_ = 0; }

    QSize sizeHint() const override { return {storedWidth_, storedHeight_}; }
    QSize minimumSizeHint() const override { return {storedWidth_, storedHeight_}; }
    void setStoredSize(int width, int height);

    /// Where console messages of the component go (standard output).
    void setMessageStream(std::ostream& out) { out_ = &out; }

    // Read-only views for the owners, the tests and the offscreen renderer.
    const QImage& image() const { return image_; }
    const PlotScale& scale() const { return scale_; }
    const PlotFrame& frame() const { return frame_; }
    QColor background() const { return background_; }
    QColor foreground() const { return foreground_; }
    /// Colour of data set i (i modulo 12) in the colour table.
    static QColor dataSetColor(int i);
    static QColor gridColor();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  public:
    // The zoom gesture in pixels (called by the mouse events; public so that
    // tests can drive it exactly).
    void mouseDown(int x, int y);
    void mouseDrag(int x, int y);
    void mouseUp(int x, int y);

  protected:
    /// A painter on the backing image, without antialiasing, in paint mode.
    void beginPainting(QPainter& p);
    /// Fills every pixel of a line, rectangle or mark drawn by draw with
    /// colour exclusive-or the background: drawing the same thing twice
    /// leaves the image as it was. Each pixel is flipped once even where
    /// strokes of one shape overlap.
    void drawXor(const QRect& bounds, const QColor& colour,
                 const std::function<void(QPainter&)>& draw);

    std::recursive_mutex& lock() { return lock_; }
    PlotScale scale_;
    PlotFrame frame_;
    QImage image_;
    QColor background_;
    QColor foreground_;
    bool initialized_ = false;
    bool grid_ = true;
    bool useColor_ = true;
    std::ostream* out_;

    /// A backing image of the widget's size (a new one, and the reshaped
    /// flag set, when the size changed).
    void ensureImage();

  private:
    FontMeasure measure() const;
    void drawAxes(QPainter& p);
    void zoomBox(int left, int top, int right, int bottom);
    QPoint clampToPlot(int x, int y) const;

    mutable std::recursive_mutex lock_;
    QFont labelFont_;
    QFont superscriptFont_;
    QFont titleFont_;
    int storedWidth_ = 400;
    int storedHeight_ = 400;
    int reshaped_ = 0;
    bool needsPaint_ = true;

    // Zoom state: corners -1 when no gesture is under way.
    int zoomStartX_ = -1, zoomStartY_ = -1;
    int zoomX_ = -1, zoomY_ = -1;
    bool zoomIn_ = false;
    bool zoomOut_ = false;
    bool boxDrawn_ = false;
    bool userZoomed_ = false;
    bool equalScales_ = false;
    QString xTitle_;
    QString yTitle_;
    QRect shownBox_;
};

} // namespace dovra::gui
