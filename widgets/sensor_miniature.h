#pragma once

#include <QWidget>

// The sensor in miniature with the sub-frame outlined in red. Pressing,
// dragging and releasing the mouse anywhere on it (the outline included)
// reports the point in miniature pixels.
class SensorMiniature : public QWidget {
    Q_OBJECT
  public:
    SensorMiniature(QSize size, QWidget *parent = nullptr);

    // The outline, in miniature pixels.
    void SetSubframe(const QRect &outline);
    QRect Subframe() const { return subframe_; }

  signals:
    void MouseDown(QPoint at);
    void MouseMove(QPoint at);
    void MouseUp(QPoint at);

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

  private:
    QRect subframe_;
};
