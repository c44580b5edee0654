#include "panel/MonitorPanel.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "panel/ActivityPanel.h"
#include "screen/Constrain.h"
#include "text/NumberText.h"

namespace dovra::gui {

namespace {

// The platform's raised three-dimensional rectangle: the inside in the
// colour, the top and left edges brighter, the bottom and right edges darker.
void fill3DRect(QPainter& p, int x, int y, int width, int height, const QColor& c) {
    auto scaled = [&c](double f) {
        auto part = [f](int v) { return std::clamp(static_cast<int>(v * f), 0, 255); };
        return QColor(part(c.red()), part(c.green()), part(c.blue()));
    };
    const QColor brighter = scaled(1.0 / 0.7);
    const QColor darker = scaled(0.7);
    p.fillRect(x + 1, y + 1, width - 2, height - 2, c);
    p.fillRect(x, y, 1, height, brighter);
    p.fillRect(x + 1, y, width - 2, 1, brighter);
    p.fillRect(x + 1, y + height - 1, width - 1, 1, darker);
    p.fillRect(x + width - 1, y, 1, height - 1, darker);
}

QString fromStd(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

MonitorPanel::MonitorPanel(ActivityPanel& activity)
    : activity_(activity), font_(makeFont("Courier", false, 12)) {
    setObjectName("monitor");
    // Every paint covers the whole panel.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize MonitorPanel::sizeHint() const {
    // The last line's descent and the frame's darker edge stay inside.
    const int text = baseline(5) + QFontMetrics(font_).descent() + 2;
    return {100, std::max(75, text)};
}

int MonitorPanel::filterDegree(const ProgressSnapshot& s) {
    return std::max(s.aDegree, s.bDegree);
}

QStringList MonitorPanel::lines() const {
    // One snapshot, so that the figures shown belong to the same moment.
    const ProgressSnapshot s = activity_.progress();
    const float best = static_cast<float>(s.minimum);
    return {
        QStringLiteral("Filter degree :  ") + QString::number(filterDegree(s)),
        QStringLiteral("Generation    :  ") + QString::number(s.generation),
        QStringLiteral("Evaluations   :  ") + QString::number(s.evaluation),
        QStringLiteral("Best cost     :  ") + fromStd(text::formatFloat(best)),
        QStringLiteral("State         :  ") + fromStd(activity_.getState()) +
            fromStd(ActivityPanel::phaseText(s.phase)),
        QStringLiteral("DOVRA Info    :  ") + fromStd(s.status) +
            (s.note.empty() ? QString() : QStringLiteral("; ") + fromStd(s.note)),
    };
}

int MonitorPanel::baseline(int i) {
    return kFirstBaseline + kLineStep * i;
}

void MonitorPanel::paintImage() {
    if (image_.isNull()) {
        // Made on the first paint, at the panel's size of that moment, and
        // kept for every later paint.
        const qreal ratio = devicePixelRatioF();
        image_ = QImage(size() * ratio, QImage::Format_ARGB32_Premultiplied);
        image_.setDevicePixelRatio(ratio);
        image_.fill(activity_.getBackgroundColor());
    }
    painted_ = lines();
    QPainter p(&image_);
    fill3DRect(p, 0, 0, width() - 1, height() - 1, activity_.getBackgroundColor());
    p.setPen(Qt::blue);
    p.setFont(font_);
    for (int i = 0; i < painted_.size(); ++i) {
        p.drawText(kLeftMargin, baseline(i), painted_[i]);
    }
}

void MonitorPanel::paintEvent(QPaintEvent*) {
    paintImage();
    QPainter screen(this);
    screen.fillRect(rect(), activity_.getBackgroundColor());
    screen.drawImage(0, 0, image_);
}

} // namespace dovra::gui
