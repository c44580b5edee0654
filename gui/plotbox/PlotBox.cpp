#include "plotbox/PlotBox.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <iostream>

#include "screen/Constrain.h"

namespace dovra::gui {

namespace {

constexpr std::array<unsigned, 12> kColours = {0xffffff, 0xff0000, 0x0000ff, 0x14ff14,
                                               0x000000, 0xffa500, 0x53868b, 0xff7f50,
                                               0x55bb2f, 0x90422d, 0xa0a0a0, 0x00aaaa};

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

PlotBox::PlotBox(QWidget* parent)
    : QWidget(parent), out_(&std::cout), labelFont_(makeFont("Helvetica", false, 12)),
      superscriptFont_(makeFont("Helvetica", false, 9)),
      titleFont_(makeFont("Helvetica", true, 14)) {
    // Every paint event covers the whole widget with the backing image.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor PlotBox::dataSetColor(int i) {
    return QColor::fromRgb(kColours[static_cast<std::size_t>(((i % 12) + 12) % 12)]);
}

QColor PlotBox::gridColor() {
    return QColor(211, 211, 211);
}

void PlotBox::setXRange(double min, double max) {
    std::lock_guard g(lock_);
    scale_.setXRange(min, max);
}

void PlotBox::setYRange(double min, double max) {
    std::lock_guard g(lock_);
    scale_.setYRange(min, max);
}

void PlotBox::init() {
    std::lock_guard g(lock_);
    foreground_ = Qt::black;
    background_ = Qt::white;
    initialized_ = true;
}

void PlotBox::setAxisTitles(const QString& x, const QString& y) {
    std::lock_guard g(lock_);
    xTitle_ = x;
    yTitle_ = y;
    scale_.xTitled = !x.isEmpty();
    scale_.yTitled = !y.isEmpty();
}

void PlotBox::setStoredSize(int width, int height) {
    storedWidth_ = width;
    storedHeight_ = height;
    updateGeometry();
}

void PlotBox::requestPaint() {
    needsPaint_ = true;
    update();
}

QImage PlotBox::renderImage() {
    std::lock_guard g(lock_);
    paint();
    needsPaint_ = false;
    return image_;
}

void PlotBox::ensureImage() {
    const QSize s = size();
    if (s.isEmpty()) {
        image_ = QImage();
        return;
    }
    if (image_.size() != s) {
        image_ = QImage(s, QImage::Format_RGB32);
        image_.fill(initialized_ ? background_ : QColor(Qt::white));
        reshaped_ = 1;
    }
}

void PlotBox::beginPainting(QPainter& p) {
    p.begin(&image_);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void PlotBox::drawXor(const QRect& bounds, const QColor& colour,
                      const std::function<void(QPainter&)>& draw) {
    const QRect area = bounds.intersected(image_.rect());
    if (area.isEmpty()) {
        return;
    }
    // The shape is drawn once into a mask in plain paint mode, so that every
    // covered pixel holds the flip colour exactly once, then combined.
    const QColor flip = QColor::fromRgb((background_.rgb() ^ colour.rgb()) & 0xffffff);
    QImage mask(area.size(), QImage::Format_RGB32);
    mask.fill(QColor(Qt::black));
    {
        QPainter m(&mask);
        m.setRenderHint(QPainter::Antialiasing, false);
        m.translate(-area.topLeft());
        m.setPen(flip);
        m.setBrush(Qt::NoBrush);
        draw(m);
    }
    QPainter p(&image_);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.drawImage(area.topLeft(), mask);
}

FontMeasure PlotBox::measure() const {
    const QFontMetrics label(labelFont_);
    const QFontMetrics title(titleFont_);
    FontMeasure m;
    m.labelHeight = label.height();
    m.titleHeight = title.height();
    m.charWidth = label.horizontalAdvance(QLatin1Char('8'));
    m.labelWidth = [font = labelFont_](const std::string& s) {
        return QFontMetrics(font).horizontalAdvance(qs(s));
    };
    return m;
}

void PlotBox::drawPlot(bool clearFirst) {
    std::lock_guard g(lock_);
    ensureImage();
    if (image_.isNull()) {
        *out_ << "Attempt to draw axes without a Graphics object." << std::endl;
        return;
    }
    if (!initialized_) {
        *out_ << "PlotBox.drawPlot(): _background == null\n"
                 "Be sure to call init() before calling paint()."
              << std::endl;
        return;
    }
    QPainter p;
    beginPainting(p);
    if (clearFirst) {
        p.fillRect(image_.rect(), background_);
    }
    scale_.applyDataRanges();
    const FontMeasure fonts = measure();
    frame_ = scale_.layout(width(), height(), fonts);
    if (equalScales_) {
        // Twice: the widened range may change the tick labels' width, and so
        // the plot rectangle, a little.
        for (int pass = 0; pass < 2; ++pass) {
            const double w = std::max(1, frame_.lrx - frame_.ulx);
            const double h = std::max(1, frame_.lry - frame_.uly);
            const double ux = (scale_.xMax - scale_.xMin) / w;
            const double uy = (scale_.yMax - scale_.yMin) / h;
            // The visible range is the set range and 5 percent either side.
            if (ux < uy) {
                const double c = 0.5 * (scale_.xMax + scale_.xMin);
                const double half = 0.5 * uy * w / 1.1;
                scale_._setXRange(c - half, c + half);
            } else if (uy < ux) {
                const double c = 0.5 * (scale_.yMax + scale_.yMin);
                const double half = 0.5 * ux * h / 1.1;
                scale_._setYRange(c - half, c + half);
            }
            frame_ = scale_.layout(width(), height(), fonts);
        }
    }
    drawAxes(p);
    update();
}

void PlotBox::drawAxes(QPainter& p) {
    const PlotFrame& f = frame_;
    const QFontMetrics label(labelFont_);
    const QFontMetrics sup(superscriptFont_);
    const int labelHeight = label.height();
    const int halfLabel = labelHeight / 2;

    if (scale_.xExp != 0) {
        const QString e = QString::number(scale_.xExp);
        const int right = width() - PlotScale::kRightPadding;
        const int base = height() - 5;
        const int ex = right - sup.horizontalAdvance(e);
        p.setPen(foreground_);
        p.setFont(superscriptFont_);
        p.drawText(ex, base - halfLabel, e);
        p.setFont(labelFont_);
        p.drawText(ex - label.horizontalAdvance(QStringLiteral("x10")), base,
                   QStringLiteral("x10"));
    }

    p.fillRect(f.ulx, f.uly, f.lrx - f.ulx, f.lry - f.uly, background_);
    p.setPen(foreground_);
    p.setBrush(Qt::NoBrush);
    p.drawRect(f.ulx, f.uly, f.lrx - f.ulx, f.lry - f.uly);

    p.setFont(labelFont_);
    for (std::size_t i = 0; i < f.yticks.size(); ++i) {
        const Tick& t = f.yticks[i];
        const int py = f.lry - static_cast<int>((t.value - scale_.ytickMin) * f.ytickscale);
        p.drawLine(f.ulx, py, f.ulx + 5, py);
        p.drawLine(f.lrx, py, f.lrx - 5, py);
        if (grid_ && py != f.uly && py != f.lry) {
            p.setPen(gridColor());
            p.drawLine(f.ulx + 5, py, f.lrx - 5, py);
            p.setPen(foreground_);
        }
        const QString text = qs(t.label);
        const int offset = i == 0 ? 0 : halfLabel;
        p.drawText(f.ulx - label.horizontalAdvance(text) - 4, py + offset, text);
    }

    for (const Tick& t : f.xticks) {
        const int qx = f.ulx + static_cast<int>((t.value - scale_.xtickMin) * f.xtickscale);
        p.drawLine(qx, f.uly, qx, f.uly + 5);
        p.drawLine(qx, f.lry, qx, f.lry - 5);
        if (grid_ && qx != f.ulx && qx != f.lrx) {
            p.setPen(gridColor());
            p.drawLine(qx, f.uly + 5, qx, f.lry - 5);
            p.setPen(foreground_);
        }
        const QString text = qs(t.label);
        p.drawText(qx - label.horizontalAdvance(text) / 2, f.lry + labelHeight + 3, text);
    }

    p.setFont(labelFont_);
    if (!xTitle_.isEmpty()) {
        const int x = (f.ulx + f.lrx - label.horizontalAdvance(xTitle_)) / 2;
        p.drawText(x, f.lry + 2 * labelHeight + 5, xTitle_);
    }
    if (!yTitle_.isEmpty()) {
        p.save();
        p.translate(2 + label.ascent(), (f.uly + f.lry + label.horizontalAdvance(yTitle_)) / 2);
        p.rotate(-90.0);
        p.drawText(0, 0, yTitle_);
        p.restore();
    }

    if (scale_.yExp != 0) {
        p.setFont(labelFont_);
        p.drawText(2, f.titleY, QStringLiteral("x10"));
        p.setFont(superscriptFont_);
        p.drawText(2 + label.horizontalAdvance(QStringLiteral("x10")), f.titleY - halfLabel,
                   QString::number(scale_.yExp));
    }
}

void PlotBox::paintEvent(QPaintEvent*) {
    std::lock_guard g(lock_);
    ensureImage();
    if (needsPaint_ || reshaped_) {
        needsPaint_ = false;
        paint();
    }
    QPainter screen(this);
    if (image_.isNull()) {
        screen.fillRect(rect(), Qt::white);
    } else {
        screen.drawImage(0, 0, image_);
    }
}

void PlotBox::resizeEvent(QResizeEvent* event) {
    reshaped_ = 1;
    needsPaint_ = true;
    QWidget::resizeEvent(event);
}

void PlotBox::showEvent(QShowEvent* event) {
    needsPaint_ = true;
    QWidget::showEvent(event);
}

QPoint PlotBox::clampToPlot(int x, int y) const {
    return {std::clamp(x, frame_.ulx, std::max(frame_.ulx, frame_.lrx)),
            std::clamp(y, frame_.uly, std::max(frame_.uly, frame_.lry))};
}

void PlotBox::zoomBox(int left, int top, int right, int bottom) {
    const QRect r = QRect(QPoint(left, top), QPoint(right, bottom)).normalized();
    drawXor(r.adjusted(-1, -1, 1, 1), foreground_,
            [r](QPainter& m) { m.drawRect(r.x(), r.y(), r.width() - 1, r.height() - 1); });
    shownBox_ = r;
}

void PlotBox::mouseDown(int x, int y) {
    std::lock_guard g(lock_);
    const QPoint c = clampToPlot(x, y);
    zoomStartX_ = c.x();
    zoomStartY_ = c.y();
}

void PlotBox::mouseDrag(int x, int y) {
    std::lock_guard g(lock_);
    if (zoomStartX_ < 0 || image_.isNull()) {
        return;
    }
    const QPoint c = clampToPlot(x, y);
    auto eraseShown = [this] {
        if (boxDrawn_) {
            zoomBox(shownBox_.left(), shownBox_.top(), shownBox_.right(), shownBox_.bottom());
            boxDrawn_ = false;
        }
    };
    if (!zoomIn_ && !zoomOut_) {
        if (c.y() < zoomStartY_) {
            zoomOut_ = true;
            zoomBox(zoomStartX_ - 15, zoomStartY_ - 15, zoomStartX_ + 15, zoomStartY_ + 15);
            boxDrawn_ = true;
            update();
            return;
        }
        if (c.y() > zoomStartY_) {
            zoomIn_ = true;
        }
    }
    if (zoomIn_) {
        eraseShown();
        if (c.y() > zoomStartY_) {
            zoomBox(zoomStartX_, zoomStartY_, c.x(), c.y());
            boxDrawn_ = true;
            zoomX_ = c.x();
            zoomY_ = c.y();
        }
    } else if (zoomOut_) {
        eraseShown();
        if (c.y() < zoomStartY_) {
            const int hx = std::abs(c.x() - zoomStartX_) + 15;
            const int hy = std::abs(c.y() - zoomStartY_) + 15;
            zoomBox(zoomStartX_ - hx, zoomStartY_ - hy, zoomStartX_ + hx, zoomStartY_ + hy);
            boxDrawn_ = true;
        }
    }
    update();
}

void PlotBox::mouseUp(int x, int y) {
    std::lock_guard g(lock_);
    if (zoomStartX_ < 0) {
        return;
    }
    const QPoint c = clampToPlot(x, y);
    auto erase = [this] {
        zoomBox(shownBox_.left(), shownBox_.top(), shownBox_.right(), shownBox_.bottom());
        boxDrawn_ = false;
    };
    if (zoomIn_ && boxDrawn_) {
        erase();
        // A rectangle of 5 pixels or less in either direction is taken for a
        // slip of the hand: the ranges stay, the plot is redrawn.
        if (scale_.zoomIn(frame_, zoomStartX_, zoomStartY_, c.x(), c.y())) {
            userZoomed_ = true;
        }
        drawPlot(true);
    } else if (zoomOut_ && boxDrawn_) {
        erase();
        scale_.zoomOut(c.x() - zoomStartX_, c.y() - zoomStartY_);
        userZoomed_ = false;
        drawPlot(true);
    } else if (boxDrawn_) {
        drawPlot(true);
    }
    zoomStartX_ = zoomStartY_ = zoomX_ = zoomY_ = -1;
    zoomIn_ = zoomOut_ = boxDrawn_ = false;
    update();
}

void PlotBox::mousePressEvent(QMouseEvent* event) {
    mouseDown(event->position().toPoint().x(), event->position().toPoint().y());
}

void PlotBox::mouseMoveEvent(QMouseEvent* event) {
    mouseDrag(event->position().toPoint().x(), event->position().toPoint().y());
}

void PlotBox::mouseReleaseEvent(QMouseEvent* event) {
    mouseUp(event->position().toPoint().x(), event->position().toPoint().y());
}

} // namespace dovra::gui
