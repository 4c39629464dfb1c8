// The main window's controls and their layout: what the window designer
// would hold. Handlers live in the other main_window_*.cpp files.
#include <QActionGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "widgets/circle_shape.h"
#include "widgets/preview_image.h"
#include "widgets/preview_scroll_box.h"
#include "widgets/sensor_miniature.h"
#include "widgets/seven_segment_counter.h"
#include "widgets/toggle_button_style.h"

namespace {

constexpr int LEFT_COLUMN_WIDTH = 212;
constexpr int STATUS_PANEL_WIDTHS[3] = {200, 400, 50};
constexpr QSize MINIATURE_SIZE{MINIATURE_WIDTH, MINIATURE_HEIGHT};

QSlider *TrackBar(Qt::Orientation orientation, int minimum, int maximum, int position,
                  QWidget *parent) {
    auto *slider = new QSlider(orientation, parent);
    slider->setRange(minimum, maximum);
    slider->setValue(position);
    slider->setFocusPolicy(Qt::NoFocus);
    return slider;
}

// A vertical balance slider over a gradient from black to its colour.
QSlider *BalanceBar(const char *colour, QWidget *parent) {
    QSlider *bar = TrackBar(Qt::Vertical, 1, 100, 100, parent);
    bar->setStyleSheet(QStringLiteral("QSlider::groove:vertical { width: 10px; border-radius: 4px;"
                                      " background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
                                      " stop:0 %1, stop:1 black); }"
                                      "QSlider::handle:vertical { height: 8px; margin: 0 -4px;"
                                      " border-radius: 3px; background: #d0d0d0; }")
                           .arg(QLatin1String(colour)));
    return bar;
}

QLabel *ValueLabel(const QString &text, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

SevenSegmentCounter *Counter(int digits, QWidget *parent) {
    auto *counter = new SevenSegmentCounter(digits, parent);
    counter->setFixedSize(14 * digits + 6, 24);
    return counter;
}

// The capture button's pictures: a ring when ready, a filled dot while
// recording, a dim ring after a recording has ended.
QIcon RecordPicture(QColor ring, QColor fill) {
    QPixmap picture(24, 24);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(ring, 2.5));
    painter.setBrush(fill);
    painter.drawEllipse(QRectF(3, 3, 18, 18));
    return QIcon(picture);
}

}  // namespace

void TForm1::BuildMenus() {
    File1 = menuBar()->addMenu(tr("File"));
    Exit1 = File1->addAction(tr("Exit"));

    CaptureFiles1 = menuBar()->addMenu(tr("Capture Files"));
    SetCaptureLocation1 = CaptureFiles1->addAction(tr("Set Capture Location"));
    SetCaptureFilename1 = CaptureFiles1->addAction(tr("Set Capture Filename"));
    IRIS = CaptureFiles1->addAction(tr("IRIS compatible numbering"));
    IRIS->setCheckable(true);

    // The profile items are made each time the menu opens; the commands stay.
    Profiles1 = menuBar()->addMenu(texts_.M_PROFILES);
    SaveProfileAs1 = new QAction(texts_.PRF_SAVEAS, this);
    RenameProfile1 = new QAction(texts_.PRF_RENAME, this);
    DeleteProfile1 = new QAction(texts_.PRF_DELETE, this);
    no_profiles_item_ = new QAction(texts_.PRF_NONE, this);
    no_profiles_item_->setEnabled(false);

    CameraSetup1 = menuBar()->addMenu(tr("Camera Setup"));
    QMenu *camera = CameraSetup1;
    HorizontalFlip1 = camera->addAction(tr("Horizontal Flip"));
    HorizontalFlip1->setCheckable(true);
    HorizontalFlip1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    camera->setToolTipsVisible(true);  // why the colour tick may be out of reach
    ColorCamera1 = camera->addAction(tr("Color Camera"));
    ColorCamera1->setCheckable(true);
    ColorCamera1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    AddDateTime1 = camera->addMenu(tr("TimeStamp Overlay"));
    Visible1 = AddDateTime1->addAction(tr("Visible"));
    Visible1->setCheckable(true);
    Configure1 = AddDateTime1->addAction(tr("Configure"));
    Histogram1 = camera->addAction(tr("Histogram"));
    Histogram1->setCheckable(true);
    binning_menu_ = camera->addMenu(texts_.M_BINNING);
    QMenu *binning = binning_menu_;
    auto *binning_group = new QActionGroup(this);
    auto add_binning = [&](const QString &caption) {
        QAction *item = binning->addAction(caption);
        item->setCheckable(true);
        binning_group->addAction(item);
        return item;
    };
    N1x1Binning1 = add_binning(texts_.MNU_BINNING1);
    N2x2Binning1 = add_binning(texts_.MNU_BINNING2);
    N4x4Binning1 = add_binning(QStringLiteral("4x4"));  // never shown
    N1x1Binning1->setChecked(true);
    // The camera's 4x4 mode is not offered.
    N4x4Binning1->setVisible(false);
    N4x4Binning1->setEnabled(false);
    C1 = camera->addAction(texts_.MNU_FASTUSB);
    C1->setCheckable(true);
    camera->addSeparator();
    CameraChoice1 = camera->addAction(texts_.MNU_CAMERA);

    ZOOM1 = menuBar()->addMenu(tr("ZOOM"));
    auto *zoom_group = new QActionGroup(this);
    auto add_zoom = [&](const char *caption) {
        QAction *item = ZOOM1->addAction(tr(caption));
        item->setCheckable(true);
        zoom_group->addAction(item);
        return item;
    };
    N251 = add_zoom("25%");
    N501 = add_zoom("50%");
    N1001 = add_zoom("100%");
    N2001 = add_zoom("200%");
    N4001 = add_zoom("400%");
    ZOOM1->addSeparator();
    Saturation1 = ZOOM1->addAction(texts_.MNU_SATURATION);
    Saturation1->setCheckable(true);

    tools_menu_ = menuBar()->addMenu(texts_.M_TOOLS);
    QMenu *tools = tools_menu_;
    Roddier = tools->addAction(tr("Roddier Aid"));
    Roddier->setCheckable(true);
    // All ten languages are offered: an observer must be able to change the
    // language from the window.
    Language1 = menuBar()->addMenu(tr("Language"));
    auto *language_group = new QActionGroup(this);
    for (size_t i = 0; i < LANGUAGES.size(); ++i) {
        language_items_[i] = Language1->addAction(QString::fromUtf8(LANGUAGES[i].caption));
        language_items_[i]->setCheckable(true);
        language_items_[i]->setObjectName(QLatin1String(LANGUAGES[i].menu_item));
        language_group->addAction(language_items_[i]);
    }

    ABOUT1 = menuBar()->addAction(tr("ABOUT"));
}

QGroupBox *TForm1::BuildExposureGroup() {
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
    _expot->setToolTip(texts_.TIP_LONGEST);
    expopup = new QMenu(_expot);
    fine_range_item_ = expopup->addAction(QStringLiteral("%1ms").arg(FINE_RANGE_MS));
    fine_range_item_->setVisible(false);
    for (const char *caption : {"100ms", "500ms", "1000ms", "2500ms", "5000ms"}) {
        expopup->addAction(QString::fromLatin1(caption));
    }
    expo = new QSpinBox(GroupBox2);
    expo->setRange(0, LONGEST_EXPOSURE_MS);
    expo->setValue(100);
    expo->hide();

    LblGain = new QLabel(tr("Gain"));
    Label6 = ValueLabel(QStringLiteral("010%"), GroupBox2);
    Gain = TrackBar(Qt::Horizontal, 0, 100, 10, GroupBox2);

    grid->addWidget(Label2, 0, 0);
    grid->addWidget(Label5, 0, 1);
    grid->addWidget(KeypadButton(Keypad::Exposure, GroupBox2), 0, 2);
    grid->addWidget(_expot, 1, 0, 1, 3);
    grid->addWidget(LblGain, 2, 0);
    grid->addWidget(Label6, 2, 1);
    grid->addWidget(KeypadButton(Keypad::Gain, GroupBox2), 2, 2);
    grid->addWidget(Gain, 3, 0, 1, 3);
    return GroupBox2;
}

QGroupBox *TForm1::BuildResolutionGroup() {
    resolution = new QGroupBox(tr("Resolution"));
    auto *grid = new QGridLayout(resolution);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setSpacing(3);

    full = new SensorMiniature(MINIATURE_SIZE, resolution);
    full->setToolTip(texts_.TIP_SUBFRAME);
    __width = TrackBar(Qt::Horizontal, 1, 512, 512, resolution);
    __height = TrackBar(Qt::Vertical, 1, 384, 384, resolution);
    __width->setFixedWidth(MINIATURE_SIZE.width());
    __height->setFixedHeight(MINIATURE_SIZE.height());
    __width->setToolTip(texts_.TIP_SUBWIDTH);
    __height->setToolTip(texts_.TIP_SUBHEIGHT);

    HRES = Counter(4, resolution);
    VRES = Counter(4, resolution);
    HRES->SetValue(sub_frame_.sw);
    VRES->SetValue(sub_frame_.sheight);
    auto *size_row = new QHBoxLayout;
    size_row->setSpacing(2);
    size_row->addWidget(HRES);
    size_row->addWidget(KeypadButton(Keypad::SubframeWidth, resolution));
    size_row->addWidget(new QLabel(QStringLiteral("X"), resolution));
    size_row->addWidget(VRES);
    size_row->addWidget(KeypadButton(Keypad::SubframeHeight, resolution));
    size_row->addWidget(BuildSubframeSizes());
    size_row->addStretch(1);

    // The sensor's vertical blanking: kept out of sight, as on the camera's
    // own panel; the driver's default suits every window size.
    Label9 = new QLabel(texts_.LBL_VBLANK, resolution);
    Label10 = ValueLabel(QStringLiteral("025"), resolution);
    vblank = TrackBar(Qt::Horizontal, 0, 500, 0, resolution);
    for (QWidget *hidden : {static_cast<QWidget *>(Label9), static_cast<QWidget *>(Label10),
                            static_cast<QWidget *>(vblank)}) {
        hidden->hide();
    }

    grid->addWidget(full, 0, 0);
    grid->addWidget(__height, 0, 1);
    grid->addWidget(__width, 1, 0);
    grid->addLayout(size_row, 2, 0, 1, 2);
    grid->addWidget(Label9, 3, 0);
    grid->addWidget(Label10, 3, 1);
    grid->addWidget(vblank, 4, 0, 1, 2);
    return resolution;
}

QWidget *TForm1::BuildCaptureControls() {
    capture_group_ = new QGroupBox(texts_.GRP_CAPTURE);
    QGroupBox *group = capture_group_;
    auto *grid = new QGridLayout(group);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setSpacing(3);

    Picture = RecordPicture(QColor(220, 40, 40), Qt::transparent);
    PictureDown = RecordPicture(QColor(255, 60, 60), QColor(255, 60, 60));
    PictureDisabled = RecordPicture(QColor(150, 60, 60), Qt::transparent);

    butCapture = new QToolButton(group);
    butCapture->setText(QStringLiteral("AVI"));
    butCapture->setCheckable(true);
    butCapture->setIcon(Picture);
    butCapture->setIconSize(QSize(24, 24));
    butCapture->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    butCapture->setPopupMode(QToolButton::MenuButtonPopup);
    butCapture->setMinimumHeight(34);
    butCapture->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    butCapture->setToolTip(texts_.TIP_CAPTURE);
    VIDTYPE = new QMenu(butCapture);
    MenuItem1 = VIDTYPE->addAction(QStringLiteral("AVI"));
    MenuItem2 = VIDTYPE->addAction(QStringLiteral("SER"));
    FIT2 = VIDTYPE->addAction(QStringLiteral("FIT"));
    BMP2 = VIDTYPE->addAction(QStringLiteral("BMP"));
    VIDTYPE->addSeparator();
    SixteenBit1 = VIDTYPE->addAction(texts_.MNU_16BIT);
    SixteenBit1->setCheckable(true);
    SixteenBit1->setEnabled(false);
    butCapture->setMenu(VIDTYPE);

    Count = new QPushButton(texts_.LBL_COUNT, group);
    Count->setFocusPolicy(Qt::NoFocus);
    Count->setToolTip(texts_.TIP_COUNT);
    expos = Counter(4, group);
    expos->setToolTip(texts_.TIP_COUNTER);
    Label3 = new QLabel(tr("Delay (ms)"), group);
    delays = Counter(6, group);
    delays->setToolTip(texts_.TIP_DELAY);
    darks = new QLabel(tr("Dark Frame(s)"), group);
    VrCounter1 = Counter(2, group);
    VrCounter1->setToolTip(texts_.TIP_DARKS);

    grid->addWidget(butCapture, 0, 0, 1, 3);
    grid->addWidget(Count, 1, 0);
    grid->addWidget(expos, 1, 1, Qt::AlignRight);
    grid->addWidget(KeypadButton(Keypad::Count, group), 1, 2);
    grid->addWidget(Label3, 2, 0);
    grid->addWidget(delays, 2, 1, Qt::AlignRight);
    grid->addWidget(KeypadButton(Keypad::Delay, group), 2, 2);
    // The dark count's counter is narrow: its caption may use the counters' column.
    auto *dark_row = new QHBoxLayout;
    dark_row->addWidget(darks, 1);
    dark_row->addWidget(VrCounter1);
    grid->addLayout(dark_row, 3, 0, 1, 2);
    grid->addWidget(KeypadButton(Keypad::Darks, group), 3, 2);
    return group;
}

QWidget *TForm1::BuildSidePanels() {
    auto *side = new QWidget;
    auto *row = new QHBoxLayout(side);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);

    _BLACK = TrackBar(Qt::Vertical, 0, 254, 0, side);
    _WHITE = TrackBar(Qt::Vertical, 1, 255, 255, side);
    _BLACK->setToolTip(texts_.TIP_BLACK);
    _WHITE->setToolTip(texts_.TIP_WHITE);
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
    for (auto [bar, label] :
         {std::pair{RED, Label1}, std::pair{GREEN, Label4}, std::pair{BLUE, Label7}}) {
        bars->addWidget(bar, 0, column, Qt::AlignHCenter);
        label->setAlignment(Qt::AlignCenter);
        bars->addWidget(label, 1, column);
        ++column;
    }
    row->addWidget(Panel1);
    _BLACK->hide();
    _WHITE->hide();
    Panel1->hide();
    return side;
}

void TForm1::BuildForm() {
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
    column->addWidget(BuildResolutionGroup());
    column->addWidget(BuildCaptureControls());
    column->addStretch(1);
    auto *panel_buttons = new QHBoxLayout;
    BWPButton = new QPushButton(texts_.BTN_BLACKWHITE, left);
    CBButton = new QPushButton(texts_.BTN_COLOUR, left);
    solar = new QPushButton(texts_.BTN_SOLAR, left);
    solar->setToolTip(texts_.TIP_SOLAR);
    for (QPushButton *button : {BWPButton, CBButton, solar}) {
        button->setCheckable(true);
        // A click must not leave the keyboard focus on the button.
        button->setFocusPolicy(Qt::NoFocus);
        panel_buttons->addWidget(button);
    }
    CBButton->hide();
    column->addLayout(panel_buttons);
    Measure = new QPushButton(texts_.BTN_MEASURE, left);
    Measure->setToolTip(texts_.TIP_MEASURE);
    Scope = new QPushButton(texts_.BTN_SCOPE, left);
    Scope->setToolTip(texts_.TIP_SCOPE);
    // Both stay down while their window shows.
    auto *tool_buttons = new QHBoxLayout;
    for (QPushButton *button : {Measure, Scope}) {
        button->setCheckable(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setStyleSheet(QLatin1String(TOGGLE_BUTTON_STYLE));
        tool_buttons->addWidget(button);
    }
    column->addLayout(tool_buttons);
    row->addWidget(left);

    ScrollBox1 = new PreviewScrollBox(central);
    ScrollBox1->setBackgroundRole(QPalette::Dark);
    Image1 = new PreviewImage;
    ScrollBox1->setWidget(Image1);
    // The Roddier aid's circles lie on the picture and scroll with it.
    cshape = new CircleShape(QColor(0, 128, 0), 2, Image1);
    cshape->setAttribute(
        Qt::WA_TransparentForMouseEvents);  // a click on it is a click on the picture
    rshape = new CircleShape(QColor(128, 0, 0), 1, Image1);
    rshape->setAttribute(Qt::WA_TransparentForMouseEvents);  // a handle only while the aid is on
    row->addWidget(ScrollBox1, 1);
    row->addWidget(BuildSidePanels());
    setCentralWidget(central);

    for (int i = 0; i < 3; ++i) {
        status_panels_[i] = new QLabel(this);
        status_panels_[i]->setMinimumWidth(STATUS_PANEL_WIDTHS[i]);
        subframe_panel_width_ = STATUS_PANEL_WIDTHS[1];
        if (i == 2) {
            folder_link_ = new QLabel(this);
            folder_link_->setTextFormat(Qt::RichText);
            folder_link_->hide();
            statusBar()->addWidget(folder_link_);
        }
        statusBar()->addWidget(status_panels_[i], i == 2 ? 1 : 0);
    }
    FPSTimer = new QTimer(this);
    FPSTimer->setInterval(2000);
    BuildKeypads();
    NameControls();
}

// The controls carry their names, for style sheets, accessibility tools and
// the tests that drive the window.
void TForm1::NameControls() {
    const std::pair<QObject *, const char *> names[] = {
        {File1, "File1"},
        {CaptureFiles1, "CaptureFiles1"},
        {Profiles1, "Profiles1"},
        {SaveProfileAs1, "SaveProfileAs1"},
        {RenameProfile1, "RenameProfile1"},
        {DeleteProfile1, "DeleteProfile1"},
        {subframe_sizes_, "SubframeSizes"},
        {subframe_typed_, "SubframeTyped"},
        {CameraSetup1, "CameraSetup1"},
        {AddDateTime1, "AddDateTime1"},
        {ZOOM1, "ZOOM1"},
        {Language1, "Language1"},
        {Exit1, "Exit1"},
        {SetCaptureLocation1, "SetCaptureLocation1"},
        {SetCaptureFilename1, "SetCaptureFilename1"},
        {IRIS, "IRIS"},
        {HorizontalFlip1, "HorizontalFlip1"},
        {ColorCamera1, "ColorCamera1"},
        {N1x1Binning1, "N1x1Binning1"},
        {N2x2Binning1, "N2x2Binning1"},
        {N4x4Binning1, "N4x4Binning1"},
        {C1, "C1"},
        {CameraChoice1, "CameraChoice1"},
        {Histogram1, "Histogram1"},
        {N251, "N251"},
        {N501, "N501"},
        {N1001, "N1001"},
        {N2001, "N2001"},
        {N4001, "N4001"},
        {Saturation1, "Saturation1"},
        {Visible1, "Visible1"},
        {Configure1, "Configure1"},
        {ABOUT1, "ABOUT1"},
        {expopup, "expopup"},
        {VIDTYPE, "VIDTYPE"},
        {MenuItem1, "MenuItem1"},
        {MenuItem2, "MenuItem2"},
        {FIT2, "FIT2"},
        {BMP2, "BMP2"},
        {SixteenBit1, "SixteenBit1"},
        {GroupBox2, "GroupBox2"},
        {Label2, "Label2"},
        {Label5, "Label5"},
        {_expot, "_expot"},
        {expo, "expo"},
        {LblGain, "LblGain"},
        {Label6, "Label6"},
        {Gain, "Gain"},
        {resolution, "resolution"},
        {full, "full"},
        {__width, "__width"},
        {__height, "__height"},
        {HRES, "HRES"},
        {VRES, "VRES"},
        {vblank, "vblank"},
        {Label9, "Label9"},
        {Label10, "Label10"},
        {butCapture, "butCapture"},
        {Count, "Count"},
        {expos, "expos"},
        {Label3, "Label3"},
        {delays, "delays"},
        {darks, "darks"},
        {VrCounter1, "VrCounter1"},
        {ScrollBox1, "ScrollBox1"},
        {Image1, "Image1"},
        {_BLACK, "_BLACK"},
        {_WHITE, "_WHITE"},
        {Panel1, "Panel1"},
        {RED, "RED"},
        {GREEN, "GREEN"},
        {BLUE, "BLUE"},
        {Label1, "Label1"},
        {Label4, "Label4"},
        {Label7, "Label7"},
        {BWPButton, "BWPButton"},
        {CBButton, "CBButton"},
        {Measure, "Measure"},
        {Scope, "Scope"},
        {solar, "solar"},
        {cshape, "cshape"},
        {rshape, "rshape"},
        {Roddier, "Roddier"},
        {status_panels_[0], "StatusPanel0"},
        {status_panels_[1], "StatusPanel1"},
        {status_panels_[2], "StatusPanel2"},
        {folder_link_, "FolderLink"},
    };
    for (auto [control, name] : names) {
        control->setObjectName(QLatin1String(name));
    }
}
