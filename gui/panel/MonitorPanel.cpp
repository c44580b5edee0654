#include "panel/MonitorPanel.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "design/DesignStatus.h"
#include "panel/ActivityPanel.h"
#include "run/RunStatus.h"
#include "screen/Constrain.h"
#include "session/DesignSession.h"
#include "session/WizardState.h"
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
    // The status's two wrapped lines, the last one's descent and the frame's
    // darker edge stay inside.
    const int text = baseline(7) + QFontMetrics(font_).descent() + 2;
    return {100, std::max({75, text, wrappedHeight_})};
}

std::string MonitorPanel::statusText(const ProgressSnapshot& s, const std::string& state) {
    const std::string best = text::formatFloat(static_cast<float>(s.minimum));
    std::string text = s.status;
    if (s.stopped) {
        text = std::string(kStoppedRun) + " at generation " + std::to_string(s.generation) +
               ", best cost " + best;
    } else if (state == wizard::kPaused) {
        text = "Paused at generation " + std::to_string(s.generation) + ", best cost " + best;
    } else if (s.status == status::kInitializing && s.evaluation > 0) {
        text = "Running";
    }
    if (s.searches > 1) {
        // A portfolio names the search its figures are from.
        text += "; search " + std::to_string(s.search) + " of " + std::to_string(s.searches) +
                (s.status == status::kSuccess ? " succeeded" : "");
    }
    if (!s.note.empty()) {
        text += "; " + s.note;
    }
    return text;
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
        QStringLiteral("DOVRA Info    :  ") + fromStd(statusText(s, activity_.getState())),
    };
}

int MonitorPanel::baseline(int i) {
    return kFirstBaseline + kLineStep * i;
}

void MonitorPanel::paintImage() {
    const qreal ratio = devicePixelRatioF();
    if (image_.isNull() || image_.deviceIndependentSize().toSize() != size() ||
        image_.devicePixelRatio() != ratio) {
        // Made again whenever the panel's size changed.
        image_ = QImage(size() * ratio, QImage::Format_ARGB32_Premultiplied);
        image_.setDevicePixelRatio(ratio);
        image_.fill(activity_.getBackgroundColor());
    }
    painted_ = lines();
    QPainter p(&image_);
    fill3DRect(p, 0, 0, width() - 1, height() - 1, activity_.getBackgroundColor());
    p.setPen(Qt::blue);
    p.setFont(font_);
    const QFontMetrics metrics(font_);
    const int last = static_cast<int>(painted_.size()) - 1;
    for (int i = 0; i < last; ++i) {
        p.drawText(kLeftMargin, baseline(i), painted_[i]);
    }
    // The status line: its label, then its text wrapped at word boundaries in
    // the column after the label, as far down as the panel reaches.
    const QString label = QStringLiteral("DOVRA Info    :  ");
    const QString text = painted_[last].mid(label.size());
    p.drawText(kLeftMargin, baseline(last), label);
    const int x = kLeftMargin + metrics.horizontalAdvance(label);
    const QRect column(x, baseline(last) - metrics.ascent(), std::max(1, width() - x - 4),
                       std::max(1, height() - 2 - (baseline(last) - metrics.ascent())));
    QRect used;
    p.drawText(column, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text, &used);
    paintedBottom_ = std::min(used.bottom() + 1, column.bottom() + 1);
    // The panel asks for the height its wrapped status needs at this width,
    // so that the page makes room for the whole verdict.
    const QRect whole = metrics.boundingRect(QRect(0, 0, column.width(), 100000),
                                             Qt::AlignLeft | Qt::TextWordWrap, text);
    const int needed = column.top() + whole.height() + metrics.descent() + 2;
    if (needed != wrappedHeight_) {
        wrappedHeight_ = needed;
        updateGeometry();
    }
    const QString tip = painted_.join(QLatin1Char('\n'));
    if (toolTip() != tip) {
        setToolTip(tip);
    }
}

void MonitorPanel::paintEvent(QPaintEvent*) {
    paintImage();
    QPainter screen(this);
    screen.fillRect(rect(), activity_.getBackgroundColor());
    screen.drawImage(0, 0, image_);
}

} // namespace dovra::gui
