#include "plotbox/Plot.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cctype>
#include <iostream>

namespace dovra::gui {

namespace {

constexpr int kRadius = 3;
constexpr int kDiameter = 6;

} // namespace

Plot::Plot(QWidget* parent) : PlotBox(parent) {
    setNumSets(40);
}

bool Plot::setNumSets(int n) {
    std::lock_guard g(lock());
    if (n < 1) {
        *out_ << "Number of data sets (" << n << ") must be greater than 0." << std::endl;
        return false;
    }
    if (n > kMaxDataSets) {
        *out_ << "Number of data sets (" << n << ") must be less than the internal limit of "
              << kMaxDataSets << "To increase this value, edit "
              << "_MAX_DATASETS and recompile" << std::endl;
        return false;
    }
    points_.assign(static_cast<std::size_t>(n), {});
    previous_.assign(static_cast<std::size_t>(n), {});
    return true;
}

void Plot::setMarksStyle(const std::string& style) {
    std::string s = style;
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (s == "none") {
        marks_ = None;
    } else if (s == "points") {
        marks_ = Points;
    } else if (s == "dots") {
        marks_ = Dots;
    } else if (s == "various") {
        marks_ = Various;
    }
}

void Plot::setPointsPersistence(int dataSet, int n) {
    std::lock_guard g(lock());
    if (dataSet < 0 || dataSet >= kMaxDataSets) {
        return;
    }
    persistence_[static_cast<std::size_t>(dataSet)] = n;
    if (n > 0 && dataSet < numSets()) {
        auto& list = points_[static_cast<std::size_t>(dataSet)];
        if (static_cast<int>(list.size()) > n) {
            list.resize(static_cast<std::size_t>(n));
        }
    }
}

int Plot::pointsPersistence(int dataSet) const {
    return dataSet >= 0 && dataSet < kMaxDataSets ? persistence_[static_cast<std::size_t>(dataSet)]
                                                  : 0;
}

void Plot::init() {
    std::lock_guard g(lock());
    setNumSets(kMaxDataSets);
    PlotBox::init();
}

const std::vector<PlotPoint>& Plot::points(int dataSet) const {
    static const std::vector<PlotPoint> none;
    return dataSet >= 0 && dataSet < numSets() ? points_[static_cast<std::size_t>(dataSet)] : none;
}

Plot::Pixel Plot::toPixel(double x, double y) const {
    return {frame_.ulx + pixelOf((x - scale_.xMin) * frame_.xscale),
            frame_.lry - pixelOf((y - scale_.yMin) * frame_.yscale)};
}

QPoint Plot::pixelOfPoint(double x, double y) const {
    const Pixel p = toPixel(x, y);
    return {static_cast<int>(p.x), static_cast<int>(p.y)};
}

QColor Plot::colourOf(int dataSet) const {
    return useColor_ ? dataSetColor(dataSet) : foreground_;
}

void Plot::addPoint(int dataSet, double x, double y, bool connected) {
    std::lock_guard g(lock());
    if (dataSet < 0 || dataSet >= numSets()) {
        return;
    }
    scale_.widen(x, y);
    auto& list = points_[static_cast<std::size_t>(dataSet)];
    PlotPoint pt;
    pt.x = x;
    pt.y = y;
    pt.connected = connected;
    list.push_back(pt);
    const int keep = pointsPersistence(dataSet);
    if (keep > 0 && static_cast<int>(list.size()) > keep) {
        _erasePoint(dataSet, 0);
    }
    if (showing_ && !image_.isNull()) {
        QPainter p;
        beginPainting(p);
        _drawPlotPoint(p, dataSet, static_cast<int>(list.size()) - 1);
        p.end();
        update();
    }
}

void Plot::erasePoint(int dataSet, int index) {
    std::lock_guard g(lock());
    _erasePoint(dataSet, index);
    update();
}

void Plot::drawPlot(bool clearFirst) {
    std::lock_guard g(lock());
    showing_ = true;
    PlotBox::drawPlot(clearFirst);
    if (image_.isNull() || !initialized_) {
        return;
    }
    QPainter p;
    beginPainting(p);
    for (int set = 0; set < numSets(); ++set) {
        const int n = static_cast<int>(points_[static_cast<std::size_t>(set)].size());
        for (int i = 0; i < n; ++i) {
            _drawPlotPoint(p, set, i);
        }
    }
}

void Plot::_drawPlotPoint(QPainter& p, int dataSet, int index) {
    const PlotPoint& pt =
        points_[static_cast<std::size_t>(dataSet)][static_cast<std::size_t>(index)];
    const QColor colour = colourOf(dataSet);
    p.setPen(colour);
    p.setBrush(Qt::NoBrush);
    const Pixel px = toPixel(pt.x, pt.y);
    Pixel& previous = previous_[static_cast<std::size_t>(dataSet)];
    if (pt.connected) {
        _drawLine(p, px.x, px.y, previous.x, previous.y, true);
    }
    previous = px;
    if (marks_ != None) {
        _drawPoint(p, dataSet, px.x, px.y, true);
    }
    p.setPen(foreground_);
}

void Plot::_drawPoint(QPainter& p, int dataSet, long long x, long long y, bool clip) {
    if (clip && !frame_.contains(x, y)) {
        return;
    }
    if (!frame_.contains(x, y) && (x < -kRadius - 1 || y < -kRadius - 1 ||
                                   x > image_.width() + kRadius || y > image_.height() + kRadius)) {
        return;
    }
    drawMark(p, dataSet, static_cast<int>(x), static_cast<int>(y));
}

void Plot::drawMark(QPainter& p, int dataSet, int x, int y) const {
    const QColor c = p.pen().color();
    const int r = kRadius;
    const int d = kDiameter;
    auto filledEllipse = [&](int ex, int ey, int size) {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(QRect(ex, ey, size, size));
        p.setBrush(Qt::NoBrush);
        p.setPen(c);
    };
    const QPolygon diamond(
        {QPoint(x, y - r), QPoint(x + r, y), QPoint(x, y + r), QPoint(x - r, y)});
    switch (marks_) {
    case Points:
        filledEllipse(x - 1, y - 1, 3);
        return;
    case Dots:
        filledEllipse(x - r, y - r, d);
        return;
    case Various:
        break;
    default:
        return;
    }
    switch (dataSet % 10) {
    case 0:
        filledEllipse(x - r, y - r, d);
        break;
    case 1:
        break;
    case 2:
        p.drawEllipse(QRect(x - r, y - r, d, d));
        break;
    case 3:
        p.drawLine(x, y - r, x, y + r);
        p.drawLine(x - r, y, x + r, y);
        break;
    case 4:
        p.drawPolygon(diamond);
        break;
    case 5:
        p.drawRect(x - r, y - r, d, d);
        break;
    case 6:
        p.drawLine(x - r, y - r, x + r, y + r);
        p.drawLine(x + r, y - r, x - r, y + r);
        break;
    case 7:
        p.fillRect(x - r, y - r, d, d, c);
        break;
    case 8:
        p.drawPolygon(QPolygon({QPoint(x, y - r), QPoint(x + r, y + r), QPoint(x - r, y + r)}));
        break;
    case 9:
        p.setBrush(c);
        p.drawPolygon(diamond);
        p.setBrush(Qt::NoBrush);
        break;
    default:
        break;
    }
}

bool Plot::clipLine(long long& x0, long long& y0, long long& x1, long long& y1) const {
    // One order of the two ends, so that drawing a segment again (to erase
    // it) touches exactly the pixels of its first drawing.
    if (x1 < x0 || (x1 == x0 && y1 < y0)) {
        std::swap(x0, x1);
        std::swap(y0, y1);
    }
    const long long left = frame_.ulx, right = frame_.lrx, top = frame_.uly, bottom = frame_.lry;
    if ((x0 < left && x1 < left) || (x0 > right && x1 > right) || (y0 < top && y1 < top) ||
        (y0 > bottom && y1 > bottom)) {
        return false;
    }
    // Moves the end (x, y) along the segment towards (ox, oy) onto the edges.
    auto clipEnd = [&](long long& x, long long& y, long long ox, long long oy) {
        if (x != ox) {
            if (x < left) {
                y += (oy - y) * (left - x) / (ox - x);
                x = left;
            } else if (x > right) {
                y += (oy - y) * (right - x) / (ox - x);
                x = right;
            }
        }
        if (y != oy) {
            if (y < top) {
                x += (ox - x) * (top - y) / (oy - y);
                y = top;
            } else if (y > bottom) {
                x += (ox - x) * (bottom - y) / (oy - y);
                y = bottom;
            }
        }
    };
    clipEnd(x1, y1, x0, y0);
    clipEnd(x0, y0, x1, y1);
    return true;
}

void Plot::_drawLine(QPainter& p, long long startX, long long startY, long long endX,
                     long long endY, bool clip) {
    if (clip && !clipLine(startX, startY, endX, endY)) {
        return;
    }
    // Whatever the integer clipping leaves outside stays off the frame and
    // the labels.
    p.save();
    p.setClipRect(QRect(QPoint(frame_.ulx, frame_.uly), QPoint(frame_.lrx, frame_.lry)));
    p.drawLine(QPoint(static_cast<int>(std::clamp(startX, -100000LL, 100000LL)),
                      static_cast<int>(std::clamp(startY, -100000LL, 100000LL))),
               QPoint(static_cast<int>(std::clamp(endX, -100000LL, 100000LL)),
                      static_cast<int>(std::clamp(endY, -100000LL, 100000LL))));
    p.restore();
}

void Plot::_erasePoint(int dataSet, int index) {
    if (dataSet < 0 || dataSet >= numSets()) {
        return;
    }
    auto& list = points_[static_cast<std::size_t>(dataSet)];
    if (index < 0 || index >= static_cast<int>(list.size())) {
        return;
    }
    const PlotPoint& pt = list[static_cast<std::size_t>(index)];
    const bool hasNext = index + 1 < static_cast<int>(list.size());
    PlotPoint* next = hasNext ? &list[static_cast<std::size_t>(index) + 1] : nullptr;
    // Only what has been drawn is erased: before the first drawPlot the
    // points are merely stored.
    if (showing_ && !image_.isNull()) {
        const QColor colour = colourOf(dataSet);
        const Pixel px = toPixel(pt.x, pt.y);
        if (next && next->connected) {
            const Pixel nx = toPixel(next->x, next->y);
            long long x0 = px.x, y0 = px.y, x1 = nx.x, y1 = nx.y;
            if (clipLine(x0, y0, x1, y1)) {
                const QRect bounds =
                    QRect(QPoint(static_cast<int>(std::clamp(x0, -10LL, 100000LL)),
                                 static_cast<int>(std::clamp(y0, -10LL, 100000LL))),
                          QPoint(static_cast<int>(std::clamp(x1, -10LL, 100000LL)),
                                 static_cast<int>(std::clamp(y1, -10LL, 100000LL))))
                        .normalized()
                        .adjusted(-1, -1, 1, 1);
                drawXor(bounds, colour, [&](QPainter& m) { _drawLine(m, x0, y0, x1, y1, false); });
            }
            // The pixel the erased line shared with the next one is drawn again.
            QPainter p;
            beginPainting(p);
            p.setPen(colour);
            const std::size_t after = static_cast<std::size_t>(index) + 2;
            if (after < list.size() && list[after].connected) {
                const Pixel ax = toPixel(list[after].x, list[after].y);
                _drawLine(p, nx.x, nx.y, ax.x, ax.y, true);
            }
            if (marks_ != None && frame_.contains(nx.x, nx.y)) {
                drawMark(p, dataSet, static_cast<int>(nx.x), static_cast<int>(nx.y));
            }
        }
        if (marks_ != None && frame_.contains(px.x, px.y)) {
            const int x = static_cast<int>(px.x);
            const int y = static_cast<int>(px.y);
            drawXor(QRect(x - kRadius - 2, y - kRadius - 2, kDiameter + 5, kDiameter + 5), colour,
                    [&](QPainter& m) { drawMark(m, dataSet, x, y); });
        }
    }
    if (next) {
        next->connected = false;
    }
    list.erase(list.begin() + index);
}

} // namespace dovra::gui
