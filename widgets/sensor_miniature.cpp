#include "widgets/sensor_miniature.h"

#include <QMouseEvent>
#include <QPainter>

SensorMiniature::SensorMiniature(QSize size, QWidget *parent)
    : QWidget(parent), subframe_(QPoint(0, 0), size) {
    setFixedSize(size);
    setCursor(Qt::CrossCursor);
}

void SensorMiniature::SetSubframe(const QRect &outline) {
    if (outline != subframe_) {
        subframe_ = outline;
        update();
    }
}

void SensorMiniature::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(16, 16, 24));
    painter.setPen(QColor(90, 90, 90));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setPen(QPen(Qt::red, 1));
    painter.drawRect(subframe_.adjusted(0, 0, -1, -1));
}

void SensorMiniature::mousePressEvent(QMouseEvent *event) {
    emit MouseDown(event->position().toPoint());
}

void SensorMiniature::mouseMoveEvent(QMouseEvent *event) {
    emit MouseMove(event->position().toPoint());
}

void SensorMiniature::mouseReleaseEvent(QMouseEvent *event) {
    emit MouseUp(event->position().toPoint());
}
