#include "preview/focus_window.h"

#include <QtDataVisualization/qutils.h>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLCDNumber>
#include <QLabel>
#include <QOpenGLContext>
#include <QVBoxLayout>
#include <QtDataVisualization/Q3DCamera>
#include <QtDataVisualization/Q3DScene>
#include <QtDataVisualization/Q3DSurface>
#include <QtDataVisualization/Q3DTheme>
#include <QtDataVisualization/QSurface3DSeries>
#include <QtDataVisualization/QSurfaceDataProxy>
#include <QtDataVisualization/QValue3DAxis>

#include "shell/interface_texts.h"
#include "widgets/preview_image.h"
#include "widgets/seven_segment_counter.h"

namespace {

constexpr int WIDE_WIDTH = 620;
constexpr int NARROW_WIDTH = 297;  // small screens: no plot
constexpr QSize CROP_VIEW_SIZE{272, 268};
// The plot's grid runs one step past the crop on each side.
constexpr float GRID_LOW = -1.0f;
constexpr float GRID_HIGH = FOCUS_CROP - 1.0f;

// Whether this display can give the plot an OpenGL context at all; without
// one (a remote desktop, a headless run) the plot is never made, since it
// cannot draw and would only fail later.
bool OpenGlAvailable(const QSurfaceFormat &format) {
    QOpenGLContext context;
    context.setFormat(format);
    return context.create();
}

QValue3DAxis *PlotAxis(float low, float high) {
    auto *axis = new QValue3DAxis;
    axis->setRange(low, high);
    axis->setLabelFormat(QString());
    return axis;
}

// Black, blue and yellow from the lowest value up, yellow reached at
// `top`, a fraction of the height axis.
QLinearGradient PlotGradient(double top) {
    QLinearGradient gradient;
    gradient.setColorAt(0.0, Qt::black);
    gradient.setColorAt(top / 2, Qt::blue);
    gradient.setColorAt(top, Qt::yellow);
    gradient.setColorAt(1.0, Qt::yellow);
    return gradient;
}

SevenSegmentCounter *ReadOnlyCounter(QWidget *parent) {
    auto *counter = new SevenSegmentCounter(3, parent);
    counter->setFixedSize(48, 24);
    counter->setAttribute(Qt::WA_TransparentForMouseEvents);  // a shown value, not a control
    return counter;
}

}  // namespace

TFocusForm::TFocusForm(bool small_screen, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    maxbright = new QLCDNumber(3, this);
    maxbright->setSegmentStyle(QLCDNumber::Flat);
    maxbright->setFrameShape(QFrame::NoFrame);
    maxbright->setFixedSize(132, 72);
    maxbright->setAutoFillBackground(true);
    QPalette digits = maxbright->palette();
    digits.setColor(QPalette::Window, Qt::black);
    digits.setColor(QPalette::WindowText, QColor(0, 255, 0));
    maxbright->setPalette(digits);

    MAX = ReadOnlyCounter(this);
    Avg = ReadOnlyCounter(this);
    MIN = ReadOnlyCounter(this);
    auto *counters = new QGridLayout;
    counters->setVerticalSpacing(2);
    int row = 0;
    for (QLabel **caption : {&max_label_, &average_label_, &min_label_}) {
        *caption = new QLabel(this);
        counters->addWidget(*caption, row, 0);
        ++row;
    }
    row = 0;
    for (SevenSegmentCounter *counter : {MAX, Avg, MIN}) {
        counters->addWidget(counter, row, 1);
        ++row;
    }
    auto *numbers = new QHBoxLayout;
    numbers->addWidget(maxbright);
    numbers->addStretch(1);
    numbers->addLayout(counters);

    FocusPreview = new PreviewImage(this);
    FocusPreview->setFixedSize(CROP_VIEW_SIZE);
    auto *left = new QVBoxLayout;
    left->addLayout(numbers);
    left->addWidget(FocusPreview);

    auto *columns = new QHBoxLayout(this);
    columns->setContentsMargins(8, 8, 8, 8);
    columns->addLayout(left);
    if (!small_screen) {
        BuildPlot();
        // Without a plot the space stays, dark, so the window keeps its size.
        if (!View) {
            View = new QWidget(this);
            View->setAutoFillBackground(true);
            no_plot_ = View;
        }
        columns->addWidget(View, 1);
    }
    SetTexts(InterfaceTexts());
    setWindowTitle(QStringLiteral("FOCUS AID"));
    const int width = small_screen ? NARROW_WIDTH : WIDE_WIDTH;
    setFixedSize(width, sizeHint().height());

    setObjectName(QStringLiteral("FocusForm"));
    for (auto [control, name] : {std::pair<QObject *, const char *>{FocusPreview, "FocusPreview"},
                                 {maxbright, "maxbright"},
                                 {MAX, "MAX"},
                                 {Avg, "Avg"},
                                 {MIN, "MIN"}}) {
        control->setObjectName(QLatin1String(name));
    }
}

void TFocusForm::BuildPlot() {
    const QSurfaceFormat format = qDefaultSurfaceFormat(false);
    if (!OpenGlAvailable(format)) {
        return;
    }
    plot_ = new Q3DSurface(&format);
    plot_->setShadowQuality(QAbstract3DGraph::ShadowQualityNone);
    plot_->setSelectionMode(QAbstract3DGraph::SelectionNone);
    plot_->setAxisX(PlotAxis(GRID_LOW, GRID_HIGH));
    plot_->setAxisZ(PlotAxis(GRID_LOW, GRID_HIGH));
    plot_->setAxisY(PlotAxis(-1.0f, 255.0f));
    Q3DTheme *theme = plot_->activeTheme();
    theme->setType(Q3DTheme::ThemeEbony);
    theme->setLabelTextColor(Qt::transparent);
    theme->setLabelBackgroundEnabled(false);
    theme->setLabelBorderEnabled(false);
    plot_->scene()->activeCamera()->setCameraPosition(15.0f, 30.0f, 125.0f);

    plot_data_ = new QSurfaceDataProxy;
    auto *rows = new QSurfaceDataArray;
    rows->reserve(FOCUS_CROP);
    for (int j = 0; j < FOCUS_CROP; ++j) {
        auto *row = new QSurfaceDataRow(FOCUS_CROP);
        for (int i = 0; i < FOCUS_CROP; ++i) {
            (*row)[i].setPosition(QVector3D(float(i), 0.0f, float(j)));
        }
        rows->append(row);
    }
    plot_data_->resetArray(rows);
    auto *series = new QSurface3DSeries(plot_data_);
    series->setDrawMode(QSurface3DSeries::DrawSurfaceAndWireframe);
    series->setColorStyle(Q3DTheme::ColorStyleRangeGradient);
    series->setBaseGradient(PlotGradient(100.0 / 256.0));
    plot_->addSeries(series);

    View = QWidget::createWindowContainer(plot_, this);
    View->setObjectName(QStringLiteral("View"));
}

// Heights are drawn from the crop's lowest sample up, so a faint star still
// fills the plot; the rows are rewritten in place, nothing is allocated.
void TFocusForm::FeedPlot(const FocusSamples &samples, PlotScale scale) {
    auto *rows = const_cast<QSurfaceDataArray *>(plot_data_->array());
    for (int j = 0; j < FOCUS_CROP; ++j) {
        QSurfaceDataRow &row = *(*rows)[j];
        for (int i = 0; i < FOCUS_CROP; ++i) {
            row[i].setY(float(samples.grid[j * FOCUS_CROP + i] - samples.low));
        }
    }
    plot_data_->resetArray(rows);  // the same array: tells the plot it changed
    plot_->axisY()->setRange(-1.0f, float(scale.z_high));
    if (scale.colour_scale_high != plot_colour_scale_high_) {
        plot_colour_scale_high_ = scale.colour_scale_high;
        const double top = (scale.colour_scale_high + 1.0) / (scale.z_high + 1.0);
        plot_->seriesList().first()->setBaseGradient(PlotGradient(std::clamp(top, 0.02, 1.0)));
    }
}

void TFocusForm::ShowFocus(const FocusReading &reading, const QImage &crop) {
    MIN->SetValue(reading.MIN);
    MAX->SetValue(reading.MAX);
    Avg->SetValue(reading.Avg);
    QPalette digits = maxbright->palette();
    const QColor colour(reading.digit_colour.red, reading.digit_colour.green,
                        reading.digit_colour.blue);
    if (digits.color(QPalette::WindowText) != colour) {
        digits.setColor(QPalette::WindowText, colour);
        maxbright->setPalette(digits);
    }
    maxbright->display(reading.peak);
    if (plot_ && reading.plot) {
        FeedPlot(*reading.plot, reading.scale);
    }
    FocusPreview->ShowPicture(&crop, CROP_VIEW_SIZE.width(), CROP_VIEW_SIZE.height());
}

void TFocusForm::SetTexts(const InterfaceTexts &texts) {
    setWindowTitle(texts.WIN_FOCUS);
    max_label_->setText(texts.LBL_MAX);
    average_label_->setText(texts.LBL_AVG);
    min_label_->setText(texts.LBL_MIN);
    if (no_plot_) {
        no_plot_->setToolTip(texts.TIP_NO3D);
    }
}

void TFocusForm::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    emit VisibilityChanged(true);
}

void TFocusForm::hideEvent(QHideEvent *event) {
    QWidget::hideEvent(event);
    emit VisibilityChanged(false);
}
