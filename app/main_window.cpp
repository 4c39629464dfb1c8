#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>

#include "platform/tick_count.h"
#include "widgets/preview_image.h"

namespace {

constexpr QSize MINIMUM_SIZE{800, 570};
constexpr QSize SMALL_SCREEN{800, 600};

QString Text(const char *text) { return QString::fromUtf8(text); }

}  // namespace

TForm1::TForm1()
{
    BuildForm();
}

TForm1::~TForm1()
{
    if (Cap) {
        Cap->Stop();
        Cap->WaitUntilStopped(2000);
    }
}

bool TForm1::FormCreate()
{
    Cap = std::make_unique<TVideoCapture>(driver_, frames_, poster_);
    Preview = std::make_unique<TPREVIEW>(preview_input_);
    Preview->Init();

    const QString driver_path = QApplication::applicationDirPath() + "/" + DRIVER_FILE_NAME;
    std::string missing;
    if (!LoadCameraDriver(driver_library_, driver_path.toStdString(), driver_, missing)) {
        QMessageBox::critical(nullptr, QStringLiteral("Omtrix"),
                              QStringLiteral("Error loading MELKOTAR.DLL... Program Ending"));
        return false;
    }
    frame_ready_ =
        std::make_unique<FrameReadyHandler>(frames_, *Cap, driver_, poster_, &preview_input_);

    setMinimumSize(MINIMUM_SIZE);
    setMaximumSize(9999, 9999);
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen && screen->size() == SMALL_SCREEN) {
        setWindowFlag(Qt::FramelessWindowHint);
        setWindowState(Qt::WindowMaximized);
    } else {
        resize(MINIMUM_SIZE);
    }

    driver_._staticCall();
    Preview->_BlackPoint = 0;
    Preview->_WhitePoint = 255;
    _BLACK->setValue(0);
    _WHITE->setValue(255);
    setWindowTitle(Text(PROGRAM_TITLE));

    Cap->delay = 0;
    Cap->length = 100;
    Cap->binning_code = 1;
    driver_.SetNoiseReduction(1);
    Preview->__FORMIMAGE = Image1;

    ConnectHandlers();
    slider_echo_ = false;
    from_slider_ = false;
    Gain->setValue(10);
    GAINChange();
    UpdateRectangle();
    expo->setValue(100);
    expoChange();

    if (!Cap->Connect()) {
        QMessageBox::critical(nullptr, QStringLiteral("Omtrix"), Text("No camera detected"));
        return false;
    }
    driver_.CopyRight();
    N1001->setChecked(true);

    Cap->Resume();
    show();
    FPSTimer->start();
    return true;
}

void TForm1::ConnectHandlers()
{
    connect(Exit1, &QAction::triggered, this, &QWidget::close);
    connect(HorizontalFlip1, &QAction::triggered, this, &TForm1::HorizontalFlip1Click);
    connect(ColorCamera1, &QAction::triggered, this, &TForm1::ColorCamera1Click);
    connect(C1, &QAction::triggered, this, &TForm1::C1Click);
    const std::pair<QAction *, int32_t> zooms[] = {
        {N251, 25}, {N501, 50}, {N1001, 100}, {N2001, 200}, {N4001, 400}};
    for (auto [item, scale] : zooms) {
        connect(item, &QAction::triggered, this, [this, scale = scale] { ZoomClick(scale); });
    }

    connect(expo, &QSpinBox::valueChanged, this, &TForm1::expoChange);
    connect(_expot, &QSlider::valueChanged, this, &TForm1::_expotChange);
    connect(_expot, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { expopup->popup(_expot->mapToGlobal(at)); });
    connect(expopup, &QMenu::triggered, this, &TForm1::MenuItem3Click);
    connect(Gain, &QSlider::valueChanged, this, &TForm1::GAINChange);
    connect(vblank, &QSlider::valueChanged, this, &TForm1::vblankChange);

    connect(_BLACK, &QSlider::valueChanged, this, &TForm1::_BLACKChange);
    connect(_WHITE, &QSlider::valueChanged, this, &TForm1::_WHITEChange);
    connect(RED, &QSlider::valueChanged, this, &TForm1::REDChange);
    connect(GREEN, &QSlider::valueChanged, this, &TForm1::GREENChange);
    connect(BLUE, &QSlider::valueChanged, this, &TForm1::BLUEChange);
    connect(BWPButton, &QPushButton::clicked, this, &TForm1::BWPButtonClick);
    connect(CBButton, &QPushButton::clicked, this, &TForm1::CBButtonClick);
    connect(Image1, &PreviewImage::MouseDown, this, &TForm1::Image1MouseDown);

    connect(FPSTimer, &QTimer::timeout, this, &TForm1::FPSTimerTimer);
}

bool TForm1::event(QEvent *event)
{
    switch (static_cast<int>(event->type())) {
        case MSG_FRAME_READY:
            frame_ready_->OnFrameReady(false, TickCount());
            return true;
        case MSG_RENDER_PREVIEW:
            Preview->UpdateCaption();
            return true;
        default:
            return QMainWindow::event(event);
    }
}

void TForm1::FPSTimerTimer()
{
    switch (Cap->Fault()) {
        case AcquisitionFault::CameraNotAnswering:
            status_panels_[0]->setText(tr("Camera not answering"));
            break;
        case AcquisitionFault::OutOfMemory:
            status_panels_[0]->setText(tr("Out of memory: no more frames"));
            break;
        case AcquisitionFault::None:
            status_panels_[0]->setText(
                QString::asprintf("Frame Rate: %2.1f", FrameRateFromIntervals(Cap->FrameIntervals())));
            break;
    }
}
