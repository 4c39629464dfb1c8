// The main window's controls and their layout: what the window designer
// would hold. Handlers live in the other main_window_*.cpp files.
#include <QActionGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "widgets/preview_image.h"

namespace {

constexpr int LEFT_COLUMN_WIDTH = 196;
constexpr int STATUS_PANEL_WIDTHS[3] = {200, 400, 50};

QSlider *TrackBar(Qt::Orientation orientation, int minimum, int maximum, int position,
                  QWidget *parent)
{
    auto *slider = new QSlider(orientation, parent);
    slider->setRange(minimum, maximum);
    slider->setValue(position);
    slider->setFocusPolicy(Qt::NoFocus);
    return slider;
}

// A vertical balance slider over a gradient from black to its colour.
QSlider *BalanceBar(const char *colour, QWidget *parent)
{
    QSlider *bar = TrackBar(Qt::Vertical, 1, 100, 100, parent);
    bar->setStyleSheet(QStringLiteral("QSlider::groove:vertical { width: 10px; border-radius: 4px;"
                                      " background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
                                      " stop:0 %1, stop:1 black); }"
                                      "QSlider::handle:vertical { height: 8px; margin: 0 -4px;"
                                      " border-radius: 3px; background: #d0d0d0; }")
                           .arg(QLatin1String(colour)));
    return bar;
}

QLabel *ValueLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

}  // namespace

void TForm1::BuildMenus()
{
    QMenu *file = menuBar()->addMenu(tr("File"));
    Exit1 = file->addAction(tr("Exit"));

    QMenu *camera = menuBar()->addMenu(tr("Camera Setup"));
    HorizontalFlip1 = camera->addAction(tr("Horizontal Flip"));
    HorizontalFlip1->setCheckable(true);
    HorizontalFlip1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    ColorCamera1 = camera->addAction(tr("Color Camera"));
    ColorCamera1->setCheckable(true);
    ColorCamera1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    C1 = camera->addAction(tr("Fast USB (non-standard!)"));
    C1->setCheckable(true);

    QMenu *zoom = menuBar()->addMenu(tr("ZOOM"));
    auto *zoom_group = new QActionGroup(this);
    auto add_zoom = [&](const char *caption) {
        QAction *item = zoom->addAction(tr(caption));
        item->setCheckable(true);
        zoom_group->addAction(item);
        return item;
    };
    N251 = add_zoom("25%");
    N501 = add_zoom("50%");
    N1001 = add_zoom("100%");
    N2001 = add_zoom("200%");
    N4001 = add_zoom("400%");
}

QGroupBox *TForm1::BuildExposureGroup()
{
    GroupBox2 = new QGroupBox(tr("Exposure"));
    auto *grid = new QGridLayout(GroupBox2);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(2);

    Label2 = new QLabel(tr("Length (ms)"));
    Label5 = ValueLabel(QStringLiteral("100ms"), GroupBox2);
    _expot = TrackBar(Qt::Horizontal, 0, 5000, 100, GroupBox2);
    _expot->setTickPosition(QSlider::TicksBelow);
    _expot->setTickInterval(500);
    _expot->setContextMenuPolicy(Qt::CustomContextMenu);
    expopup = new QMenu(_expot);
    for (const char *caption : {"100ms", "500ms", "1000ms", "2500ms", "5000ms"}) {
        expopup->addAction(QString::fromLatin1(caption));
    }
    expo = new QSpinBox(GroupBox2);
    expo->setRange(0, 19999);
    expo->setValue(100);
    expo->hide();

    LblGain = new QLabel(tr("Gain"));
    Label6 = ValueLabel(QStringLiteral("010%"), GroupBox2);
    Gain = TrackBar(Qt::Horizontal, 0, 100, 10, GroupBox2);

    // The sensor's vertical blanking: kept out of sight, as on the camera's
    // own panel; the driver default suits every window size.
    Label9 = new QLabel(tr("V-blank"));
    Label10 = ValueLabel(QStringLiteral("025"), GroupBox2);
    vblank = TrackBar(Qt::Horizontal, 0, 500, 0, GroupBox2);
    for (QWidget *hidden : {static_cast<QWidget *>(Label9), static_cast<QWidget *>(Label10),
                            static_cast<QWidget *>(vblank)}) {
        hidden->hide();
    }

    grid->addWidget(Label2, 0, 0);
    grid->addWidget(Label5, 0, 1);
    grid->addWidget(_expot, 1, 0, 1, 2);
    grid->addWidget(LblGain, 2, 0);
    grid->addWidget(Label6, 2, 1);
    grid->addWidget(Gain, 3, 0, 1, 2);
    grid->addWidget(Label9, 4, 0);
    grid->addWidget(Label10, 4, 1);
    grid->addWidget(vblank, 5, 0, 1, 2);
    return GroupBox2;
}

QWidget *TForm1::BuildSidePanels()
{
    auto *side = new QWidget;
    auto *row = new QHBoxLayout(side);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);

    _BLACK = TrackBar(Qt::Vertical, 0, 254, 0, side);
    _WHITE = TrackBar(Qt::Vertical, 1, 255, 255, side);
    _BLACK->setToolTip(tr("Black point"));
    _WHITE->setToolTip(tr("White point"));
    row->addWidget(_BLACK);
    row->addWidget(_WHITE);

    Panel1 = new QWidget(side);
    auto *bars = new QGridLayout(Panel1);
    bars->setContentsMargins(0, 0, 0, 0);
    bars->setHorizontalSpacing(2);
    RED = BalanceBar("#ff3030", Panel1);
    GREEN = BalanceBar("#30ff30", Panel1);
    BLUE = BalanceBar("#3060ff", Panel1);
    Label1 = new QLabel(QStringLiteral("100"), Panel1);
    Label4 = new QLabel(QStringLiteral("100"), Panel1);
    Label7 = new QLabel(QStringLiteral("100"), Panel1);
    int column = 0;
    for (auto [bar, label] : {std::pair{RED, Label1}, std::pair{GREEN, Label4},
                              std::pair{BLUE, Label7}}) {
        bars->addWidget(bar, 0, column, Qt::AlignHCenter);
        label->setAlignment(Qt::AlignCenter);
        bars->addWidget(label, 1, column);
        ++column;
    }
    row->addWidget(Panel1);
    return side;
}

void TForm1::BuildForm()
{
    BuildMenus();

    auto *central = new QWidget(this);
    auto *row = new QHBoxLayout(central);
    row->setContentsMargins(4, 4, 4, 4);
    row->setSpacing(4);

    auto *left = new QWidget(central);
    left->setFixedWidth(LEFT_COLUMN_WIDTH);
    auto *column = new QVBoxLayout(left);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    column->addWidget(BuildExposureGroup());
    column->addStretch(1);
    auto *panel_buttons = new QHBoxLayout;
    BWPButton = new QPushButton(tr("Black/White"), left);
    CBButton = new QPushButton(tr("Colour"), left);
    for (QPushButton *button : {BWPButton, CBButton}) {
        button->setCheckable(true);
        // A click must not leave the keyboard focus on the button.
        button->setFocusPolicy(Qt::NoFocus);
        panel_buttons->addWidget(button);
    }
    CBButton->hide();
    column->addLayout(panel_buttons);
    row->addWidget(left);

    ScrollBox1 = new QScrollArea(central);
    ScrollBox1->setAlignment(Qt::AlignCenter);  // a picture smaller than the box stays centred
    ScrollBox1->setBackgroundRole(QPalette::Dark);
    Image1 = new PreviewImage;
    ScrollBox1->setWidget(Image1);
    row->addWidget(ScrollBox1, 1);
    row->addWidget(BuildSidePanels());
    setCentralWidget(central);

    for (int i = 0; i < 3; ++i) {
        status_panels_[i] = new QLabel(this);
        status_panels_[i]->setMinimumWidth(STATUS_PANEL_WIDTHS[i]);
        statusBar()->addWidget(status_panels_[i], i == 2 ? 1 : 0);
    }
    FPSTimer = new QTimer(this);
    FPSTimer->setInterval(2000);
}
