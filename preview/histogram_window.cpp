#include "preview/histogram_window.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

#include "shell/interface_texts.h"
#include "widgets/line_chart.h"

namespace {

// "0: 0.4%  255: 2.3%", a share under a tenth shown as such rather than as 0.
QString ClippedText(const ClippedShares &shares) {
    auto percent = [](double share) {
        return share > 0 && share < 0.1 ? QStringLiteral("&lt;0.1%")
                                        : QString::number(share, 'f', 1) + QLatin1Char('%');
    };
    return QStringLiteral("0:&nbsp;") + percent(shares.at_zero) +
           QStringLiteral("&nbsp;&nbsp;255:&nbsp;") + percent(shares.at_full);
}

constexpr int NARROW_WIDTH = 175;
constexpr int WIDE_WIDTH = 279;
constexpr int GREY_HEIGHT = 203;
constexpr int COLOUR_HEIGHT = 436;

const QColor GREY_PLOT(0xA0, 0xA0, 0xA0);
// Darker than its plot area, as the colour lines are: bars drawn in the plot
// area's own grey would not show.
const QColor GREY_LINE(0x40, 0x40, 0x40);
const QColor RED_PLOT(0xFF, 0xA0, 0xA0);
const QColor GREEN_PLOT(0xA0, 0xFF, 0xA0);
const QColor BLUE_PLOT(0xA0, 0xA0, 0xFF);
const QColor RED_LINE(0xFF, 0x40, 0x40);
const QColor GREEN_LINE(0x40, 0xFF, 0x40);
const QColor BLUE_LINE(0x40, 0x40, 0xFF);

}  // namespace

THistogramForm::THistogramForm(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setWindowTitle(tr("Histogram"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(2);
    const std::pair<LineChart **, QLabel **> rows[] = {
        {&H1, &Label1}, {&H2, &Label2}, {&H3, &Label3}};
    const InterfaceTexts english;
    const QString captions[] = {english.LBL_RED, english.LBL_GREEN, english.LBL_BLUE};
    for (int i = 0; i < 3; ++i) {
        *rows[i].first = new LineChart(this);
        *rows[i].second = new QLabel(captions[i], this);
        (*rows[i].second)->setTextFormat(Qt::RichText);  // the clipped shares in red
        (*rows[i].second)->setAlignment(Qt::AlignCenter);
        column->addWidget(*rows[i].first, 1);
        column->addWidget(*rows[i].second);
    }
    H1->SetPlotColour(GREY_PLOT);
    H2->SetPlotColour(GREEN_PLOT);
    H3->SetPlotColour(BLUE_PLOT);
    CheckBox1 = new QCheckBox(tr("Wide View"), this);
    CheckBox2 = new QCheckBox(tr("Object only Histogram"), this);
    column->addWidget(CheckBox1);
    column->addWidget(CheckBox2);
    connect(CheckBox1, &QCheckBox::clicked, this, &THistogramForm::CheckBox1Click);
    resize(NARROW_WIDTH, GREY_HEIGHT);

    const std::pair<QObject *, const char *> names[] = {{H1, "H1"},
                                                        {H2, "H2"},
                                                        {H3, "H3"},
                                                        {Label1, "Label1"},
                                                        {Label2, "Label2"},
                                                        {Label3, "Label3"},
                                                        {CheckBox1, "CheckBox1"},
                                                        {CheckBox2, "CheckBox2"}};
    for (auto [control, name] : names) {
        control->setObjectName(QLatin1String(name));
    }
    ShowChannels(false);
}

void THistogramForm::ShowChannels(bool color) {
    if (color_shown_ == int(color)) {
        return;
    }
    color_shown_ = int(color);
    for (QWidget *second : {static_cast<QWidget *>(H2), static_cast<QWidget *>(Label2),
                            static_cast<QWidget *>(H3), static_cast<QWidget *>(Label3)}) {
        second->setVisible(color);
    }
    H1->SetPlotColour(color ? RED_PLOT : GREY_PLOT);
    resize(width(), color ? COLOUR_HEIGHT : GREY_HEIGHT);
}

void THistogramForm::SetTexts(const InterfaceTexts &texts) {
    setWindowTitle(texts.FRM_HISTO);
    // The channel names until the next picture writes each channel's mean.
    Label1->setText(texts.LBL_RED);
    Label2->setText(texts.LBL_GREEN);
    Label3->setText(texts.LBL_BLUE);
    average_word_ = texts.LBL_AVG;
    std::fill(std::begin(shown_means_), std::end(shown_means_), -1);
    CheckBox1->setText(texts.LBL_WIDEVIEW);
    CheckBox2->setText(texts.LBL_OBJECTONLY);
    resize(FittingWidth(), height());
}

int THistogramForm::FittingWidth() const {
    return std::max(CheckBox1->isChecked() ? WIDE_WIDTH : NARROW_WIDTH, minimumSizeHint().width());
}

void THistogramForm::CheckBox1Click() {
    resize(FittingWidth(), height());
}

void THistogramForm::hideEvent(QHideEvent *event) {
    if (HistogramMenu) {
        HistogramMenu->setChecked(false);
    }
    QWidget::hideEvent(event);
}

void THistogramForm::HUpdate(const uint8_t *samples, int32_t width, bool color, int32_t rows) {
    if (!isVisible()) {
        return;
    }
    ShowChannels(color);
    if (!color) {
        CountGrey(samples, width, rows, bins_[0]);
        DrawChannel(bins_[0], H1, GREY_LINE, Label1, shown_means_[0], shown_shares_[0]);
        return;
    }
    CountBayer(samples, width, rows, bins_[0], bins_[1], bins_[2]);
    DrawChannel(bins_[0], H1, RED_LINE, Label1, shown_means_[0], shown_shares_[0]);
    DrawChannel(bins_[1], H2, GREEN_LINE, Label2, shown_means_[1], shown_shares_[1]);
    DrawChannel(bins_[2], H3, BLUE_LINE, Label3, shown_means_[2], shown_shares_[2]);
}

void THistogramForm::DrawChannel(HistogramBins &bins, LineChart *chart, QColor colour,
                                 QLabel *label, int32_t &shown_mean, QString &shown_shares) {
    // Of every sample, before "Object only" takes the background away.
    const QString shares = ClippedText(ClippedSharesOf(bins));
    if (CheckBox2->isChecked()) {
        RemoveBackground(bins);
    }
    chart->Clear();
    chart->SetLineColour(colour);
    for (int i = 0; i < 256; ++i) {
        chart->MoveTo(i, 0);
        chart->DrawTo(i, bins[i]);
    }
    const ChannelScale scale = ScaleChannel(bins);
    if (scale.mean != shown_mean || shares != shown_shares) {
        shown_mean = scale.mean;
        shown_shares = shares;
        label->setText(average_word_ + QLatin1Char(':') + QString::number(scale.mean) +
                       QStringLiteral("&nbsp;&nbsp;<span style=\"color:#e00000\">") + shares +
                       QStringLiteral("</span>"));
    }
    chart->SetAxes(-1, 258, 0, scale.y_top);
    chart->Show();
}
