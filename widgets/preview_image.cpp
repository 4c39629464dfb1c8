#include "widgets/preview_image.h"

#include <QMouseEvent>
#include <QPainter>

PreviewImage::PreviewImage(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(0, 0);
}

void PreviewImage::ShowPicture(const QImage *picture, int32_t display_width,
                               int32_t display_height) {
    picture_ = picture;
    if (size() != QSize(display_width, display_height)) {
        setFixedSize(display_width, display_height);
    }
    update();
}

void PreviewImage::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    if (!picture_ || picture_->isNull() || width() == 0 || height() == 0) {
        painter.fillRect(event->rect(), Qt::black);
        return;
    }
    // Map the exposed rectangle back onto the picture so that a zoomed
    // picture larger than the screen costs only what is visible.
    const QRect target = event->rect();
    const double sx = double(picture_->width()) / width();
    const double sy = double(picture_->height()) / height();
    const QRectF source(target.x() * sx, target.y() * sy, target.width() * sx,
                        target.height() * sy);
    painter.drawImage(QRectF(target), *picture_, source);
    if (line_shown_) {
        // Exclusive or with this colour turns the red bits over and moves green
        // and blue by half their range: the line differs strongly from every
        // background, reddish on a dark sky.
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(QColor(255, 128, 128));
        painter.drawLine(line_);
    }
}

void PreviewImage::ShowMeasurementLine(const QLine *line) {
    const bool shown = line != nullptr;
    if (shown == line_shown_ && (!shown || *line == line_)) {
        return;
    }
    // Both the old and the new place need painting.
    if (line_shown_) {
        update(QRect(line_.p1(), line_.p2()).normalized().adjusted(-1, -1, 1, 1));
    }
    line_shown_ = shown;
    if (shown) {
        line_ = *line;
        update(QRect(line_.p1(), line_.p2()).normalized().adjusted(-1, -1, 1, 1));
    }
}

void PreviewImage::mousePressEvent(QMouseEvent *event) {
    emit MouseDown(event->button(), event->position().toPoint());
}

void PreviewImage::mouseMoveEvent(QMouseEvent *event) {
    emit MouseMove(event->position().toPoint());
}

void PreviewImage::mouseReleaseEvent(QMouseEvent *event) {
    emit MouseUp(event->button(), event->position().toPoint());
}
