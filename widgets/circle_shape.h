#pragma once

#include <QColor>
#include <QWidget>

// A dotted circle drawn inside its own rectangle over the picture, like a
// shape laid on the preview. Its whole rectangle takes presses unless it is
// made transparent for the mouse.
class CircleShape : public QWidget {
    Q_OBJECT
  public:
    CircleShape(QColor colour, int pen_width, QWidget *parent);

    void SetPenColour(QColor colour);
    void SetPenWidth(int width);
    QColor PenColour() const { return colour_; }
    int PenWidth() const { return pen_width_; }

  signals:
    void MouseDown(Qt::MouseButton button, QPoint position);
    void MouseMove(QPoint position);
    void MouseUp();

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

  private:
    QColor colour_;
    int pen_width_;
};
