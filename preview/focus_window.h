#pragma once

#include <QWidget>

#include "preview/focus_aid.h"

class PreviewImage;
class QLabel;
class QLCDNumber;
class SevenSegmentCounter;
struct InterfaceTexts;
class Q3DSurface;
class QSurfaceDataProxy;

// The focus aid's window: the magnified crop, the crop's peak in large digits
// coloured by its trend, the lowest, highest and recent average peak, and a
// 3-D surface plot of the crop. Without OpenGL (a remote desktop, a headless
// run) or on a small screen it shows everything but the plot.
class TFocusForm : public QWidget, public FocusView {
    Q_OBJECT
  public:
    // `small_screen`: the window is narrow and has no plot. The window starts
    // at the screen's bottom-left corner.
    TFocusForm(bool small_screen, QWidget *parent);

    bool Visible() const override { return isVisible(); }
    void ShowFocus(const FocusReading &reading, const QImage &crop) override;

    bool HasPlot() const { return plot_ != nullptr; }
    void SetTexts(const InterfaceTexts &texts);

  signals:
    void VisibilityChanged(bool visible);

  protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

  private:
    void BuildPlot();
    void FeedPlot(const FocusSamples &samples, PlotScale scale);

    PreviewImage *FocusPreview = nullptr;
    QLCDNumber *maxbright = nullptr;
    SevenSegmentCounter *MAX = nullptr;
    SevenSegmentCounter *Avg = nullptr;
    SevenSegmentCounter *MIN = nullptr;
    QWidget *View = nullptr;  // holds the plot, when there is one
    QWidget *no_plot_ = nullptr;  // View when it holds no plot: it says why
    QLabel *max_label_ = nullptr;
    QLabel *average_label_ = nullptr;
    QLabel *min_label_ = nullptr;
    Q3DSurface *plot_ = nullptr;
    QSurfaceDataProxy *plot_data_ = nullptr;
    int32_t plot_colour_scale_high_ = -1;
};
