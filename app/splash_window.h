#pragma once

#include <QWidget>

class QLabel;

// The start-up window: a picture, the program's name and version, and a
// status line telling how the camera connection goes.
class TSplash : public QWidget {
    Q_OBJECT
  public:
    TSplash();

    // Shows `text` in the status line and lets it paint at once.
    void ShowStatus(const QString &text, const QColor &colour);

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
};
