#pragma once
// The text monitor of the activity page: six lines about the run (filter
// degree, generation, evaluations, best cost, state, status) painted into an
// off-screen image on the window thread and copied to the screen. The status
// line wraps within the panel's width (its whole text is the tooltip too),
// and the panel grows with the page.

#include <QImage>
#include <QStringList>
#include <QWidget>

#include "run/ProgressSnapshot.h"

namespace dovra::gui {

class ActivityPanel;

class MonitorPanel : public QWidget {
  public:
    explicit MonitorPanel(ActivityPanel& activity);

    /// 100 wide, and as high as the six lines and the wrapped status need
    /// (at least two lines of it).
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    /// The larger of the numerator and the denominator degree.
    static int filterDegree(const ProgressSnapshot& s);
    /// The six lines as they would be painted now (one snapshot of the run).
    QStringList lines() const;
    /// What the status line says of a run in a page state: the run's status,
    /// except where that is the stale text of a search on its way
    /// ("Initializing" while generations count, a pause, a Stop); then the
    /// check between the samples once the run has ended.
    static std::string statusText(const ProgressSnapshot& s, const std::string& state);
    /// Below the last painted text (the wrapped status included), in pixels.
    int paintedBottom() const { return paintedBottom_; }
    /// The lines and the image of the last paint.
    const QStringList& paintedLines() const { return painted_; }
    const QImage& image() const { return image_; }

    /// Text geometry in pixels: a font height of 10 plus 4 per line.
    static constexpr int kLeftMargin = 5;
    static constexpr int kFirstBaseline = 12;
    static constexpr int kLineStep = 14;
    /// Baseline of line i (0 .. 5): 12, 26, 40, 54, 68, 82.
    static int baseline(int i);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void paintImage();

    ActivityPanel& activity_;
    QFont font_;
    QImage image_;
    QStringList painted_;
    int paintedBottom_ = 0;
    int wrappedHeight_ = 0; // the height the wrapped status needs at the panel's width
};

} // namespace dovra::gui
