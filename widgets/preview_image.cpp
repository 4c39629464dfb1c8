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
}

void PreviewImage::mousePressEvent(QMouseEvent *event) {
    emit MouseDown(event->button(), event->position().toPoint());
}
