#pragma once

#include <QLine>
#include <QWidget>

#include "preview/preview_renderer.h"

// The image control that shows the live picture at its zoom inside the scroll
// box. It draws the renderer's picture directly, scaled to its own size, and
// paints only the part the scroll box exposes.
class PreviewImage : public QWidget, public PreviewView {
    Q_OBJECT
  public:
    explicit PreviewImage(QWidget *parent = nullptr);

    void ShowPicture(const QImage *picture, int32_t display_width, int32_t display_height) override;
    void ShowMeasurementLine(const QLine *line) override;
    // The picture drawn now, in its own pixels; null before the first one.
    const QImage *Picture() const { return picture_; }

  signals:
    void MouseDown(Qt::MouseButton button, QPoint position);
    // Moves arrive only while a button is held.
    void MouseMove(QPoint position);
    void MouseUp(Qt::MouseButton button, QPoint position);

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

  private:
    const QImage *picture_ = nullptr;
    bool line_shown_ = false;
    QLine line_;
};
