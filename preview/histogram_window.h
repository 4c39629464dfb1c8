#pragma once

#include <QWidget>

#include "analysis/histogram.h"
#include "preview/preview_renderer.h"
#include "shell/interface_texts.h"

class QAction;
class QCheckBox;
class QLabel;
class LineChart;
struct InterfaceTexts;

// The always-on-top histogram of the newest frame: one chart for a grey
// camera, red, green and blue charts for a colour camera, each with its mean.
// Counted from the untouched samples, so the black and white points do not
// change it. GUI thread only.
class THistogramForm : public QWidget, public HistogramView {
    Q_OBJECT
  public:
    explicit THistogramForm(QWidget *parent = nullptr);

    // The main window's menu item, unticked when the window hides.
    QAction *HistogramMenu = nullptr;

    void SetTexts(const InterfaceTexts &texts);
    bool Visible() const override { return isVisible(); }
    void HUpdate(const uint8_t *samples, int32_t width, bool color, int32_t rows) override;

  protected:
    void hideEvent(QHideEvent *event) override;

  private:
    void CheckBox1Click();
    // The narrow or wide width, never narrower than the captions need.
    int FittingWidth() const;
    // Shows one or three charts; the window's size follows.
    void ShowChannels(bool color);
    void DrawChannel(HistogramBins &bins, LineChart *chart, QColor colour, QLabel *label,
                     int32_t &shown_mean, QString &shown_shares);

    LineChart *H1 = nullptr;
    LineChart *H2 = nullptr;
    LineChart *H3 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QCheckBox *CheckBox1 = nullptr;  // "Wide View"
    QCheckBox *CheckBox2 = nullptr;  // "Object only Histogram"

    HistogramBins bins_[3] = {};
    // Labels are rewritten only when their mean or clipped shares change.
    int32_t shown_means_[3] = {-1, -1, -1};
    QString shown_shares_[3];
    QString average_word_ = InterfaceTexts().LBL_AVG;
    int color_shown_ = -1;                   // the layout in place: 0 grey, 1 colour
};
