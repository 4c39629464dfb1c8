#include "widgets/line_chart.h"

#include <QPainter>

namespace {
// Room for a histogram's 256 bars or a profile across the picture at once.
constexpr size_t RESERVED_SEGMENTS = 4096;
constexpr int LABEL_MARGIN = 4;
}  // namespace

LineChart::LineChart(QWidget *parent) : QWidget(parent), line_pen_(QColor(Qt::red), 0) {
    segments_.reserve(RESERVED_SEGMENTS);
    line_pen_.setCosmetic(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LineChart::Clear() {
    segments_.clear();  // keeps the capacity
}

void LineChart::SetLineColour(QColor colour) {
    line_pen_.setColor(colour);
}

void LineChart::SetPlotColour(QColor colour) {
    plot_colour_ = colour;
}

void LineChart::MoveTo(double x, double y) {
    pen_ = QPointF(x, y);
}

void LineChart::DrawTo(double x, double y) {
    const QPointF to(x, y);
    segments_.emplace_back(pen_, to);
    pen_ = to;
}

void LineChart::SetAxes(double x_min, double x_max, double y_min, double y_max) {
    if (y_labels_ && (y_min != y_min_ || y_max != y_max_)) {
        y_min_text_ = QString::number(y_min);
        y_max_text_ = QString::number(y_max);
    }
    x_min_ = x_min;
    x_max_ = x_max;
    y_min_ = y_min;
    y_max_ = y_max;
}

void LineChart::SetYLabels(bool shown) {
    y_labels_ = shown;
    y_min_text_ = QString::number(y_min_);
    y_max_text_ = QString::number(y_max_);
}

void LineChart::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    // A range that is empty or upside down (no data yet) shows a bare plot area.
    const bool ranged = x_max_ > x_min_ && y_max_ > y_min_;
    QRect plot = rect().adjusted(1, 1, -1, -1);
    if (y_labels_) {
        const int label_width =
            fontMetrics().horizontalAdvance(QStringLiteral("0000")) + LABEL_MARGIN;
        plot.setLeft(plot.left() + label_width);
        if (ranged) {
            painter.setPen(palette().windowText().color());
            const QRect labels(0, plot.top(), label_width - LABEL_MARGIN, plot.height());
            painter.drawText(labels, Qt::AlignRight | Qt::AlignTop, y_max_text_);
            painter.drawText(labels, Qt::AlignRight | Qt::AlignBottom, y_min_text_);
        }
    }
    painter.fillRect(plot, plot_colour_);
    painter.setPen(palette().mid().color());
    painter.drawRect(plot.adjusted(0, 0, -1, -1));
    if (segments_.empty() || !ranged) {
        return;
    }
    painter.setClipRect(plot);
    const double sx = plot.width() / (x_max_ - x_min_);
    const double sy = plot.height() / (y_max_ - y_min_);
    // Value space to pixels, y up; the cosmetic pen stays one pixel wide.
    painter.setTransform(
        QTransform(sx, 0, 0, -sy, plot.left() - x_min_ * sx, plot.bottom() + 1 + y_min_ * sy));
    painter.setPen(line_pen_);
    painter.drawLines(segments_.data(), static_cast<int>(segments_.size()));
}
