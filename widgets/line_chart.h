#pragma once

#include <QColor>
#include <QLineF>
#include <QPen>
#include <QString>
#include <QWidget>
#include <vector>

// A small chart of straight line segments over a coloured plot area, drawn
// with QPainter. Redrawing keeps the segment memory from the last frame, so
// a chart fed at the camera's rate does not allocate.
class LineChart : public QWidget {
    Q_OBJECT
  public:
    explicit LineChart(QWidget *parent = nullptr);

    // Removes every segment.
    void Clear();
    void SetLineColour(QColor colour);
    void SetPlotColour(QColor colour);
    // Segments run from the pen's position to (x, y); MoveTo only moves it.
    void MoveTo(double x, double y);
    void DrawTo(double x, double y);
    // The visible ranges; what lies outside is cut off at the plot area.
    void SetAxes(double x_min, double x_max, double y_min, double y_max);
    // Prints the y range beside the plot area.
    void SetYLabels(bool shown);
    // Repaints with what has been set since the last Clear.
    void Show() { update(); }

    size_t SegmentCount() const { return segments_.size(); }
    double YMin() const { return y_min_; }
    double YMax() const { return y_max_; }

    QSize sizeHint() const override { return QSize(181, 120); }
    QSize minimumSizeHint() const override { return QSize(60, 40); }

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    std::vector<QLineF> segments_;
    QPointF pen_;
    QPen line_pen_;  // cosmetic: one pixel wide whatever the ranges
    QColor plot_colour_{Qt::white};
    double x_min_ = 0, x_max_ = 1, y_min_ = 0, y_max_ = 1;
    bool y_labels_ = false;
    // The label texts, made again only when the range changes.
    QString y_min_text_, y_max_text_;
};
