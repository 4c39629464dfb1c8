#pragma once

#include <QScrollArea>

// The scroll box around the live picture. A picture smaller than the box sits
// in its middle; a larger one is shown from its middle, where the telescope
// points, rather than from a corner of empty sky: at start, after ShowMiddle,
// and through every change of the picture's or the box's size, until the
// observer scrolls.
class PreviewScrollBox : public QScrollArea {
    Q_OBJECT
  public:
    explicit PreviewScrollBox(QWidget *parent = nullptr);

    // Shows the middle of the picture from now on (a new zoom or sub-frame).
    void ShowMiddle();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

  private:
    void ScrollToMiddle();

    bool keep_middle_ = true;
};
