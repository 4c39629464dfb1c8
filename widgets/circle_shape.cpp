#include "widgets/circle_shape.h"

#include <QMouseEvent>
#include <QPainter>

CircleShape::CircleShape(QColor colour, int pen_width, QWidget *parent)
    : QWidget(parent), colour_(colour), pen_width_(pen_width) {
    hide();
}

void CircleShape::SetPenColour(QColor colour) {
    colour_ = colour;
    update();
}

void CircleShape::SetPenWidth(int width) {
    pen_width_ = width;
    update();
}

void CircleShape::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour_, pen_width_, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    // The pen runs along the inside of the rectangle, as a shape draws it.
    const qreal inset = pen_width_ / 2.0;
    painter.drawEllipse(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
}

void CircleShape::mousePressEvent(QMouseEvent *event) {
    emit MouseDown(event->button(), event->position().toPoint());
}

void CircleShape::mouseMoveEvent(QMouseEvent *event) {
    emit MouseMove(event->position().toPoint());
}

void CircleShape::mouseReleaseEvent(QMouseEvent *) {
    emit MouseUp();
}
