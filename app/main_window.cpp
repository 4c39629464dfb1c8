#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QEventLoop>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

#include "app/about_window.h"
#include "app/camera_window.h"
#include "app/dark_prompt_window.h"
#include "app/output_names_window.h"
#include "app/splash_window.h"
#include "app/tool_window_stack.h"
#include "app/window_placement.h"
#include "camera/camera_sensor.h"
#include "platform/thread_priority.h"
#include "platform/tick_count.h"
#include "preview/focus_window.h"
#include "preview/histogram_window.h"
#include "preview/measurement_window.h"
#include "preview/overlay_window.h"
#include "preview/roddier_window.h"
#include "preview/solar_window.h"
#include "shell/scope_control_window.h"
#include "widgets/preview_image.h"
#include "widgets/sensor_miniature.h"
#include "widgets/seven_segment_counter.h"
#include "widgets/wait_until_hidden.h"

namespace {

constexpr QSize MINIMUM_SIZE{800, 570};
constexpr QSize SMALL_SCREEN{800, 600};
// Where the window opens on a screen that has room for it.
constexpr QPoint DESIGNED_POSITION{463, 169};
// How long the splash window shows that the camera answered.
constexpr int CONNECTED_SPLASH_MS = 2000;

void ShowError(const QString &text) {
    QMessageBox::critical(nullptr, QStringLiteral("Omtrix"), text);
}

}  // namespace

TForm1::TForm1() {
    // System menu and maximise only: the window is not meant to be minimised
    // at the telescope, where it would be lost behind other windows.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    BuildForm();
}

TForm1::~TForm1() {
    ExitRoutine();
    delete tool_windows_;  // before the windows and controls it follows go
    tool_windows_ = nullptr;
}

bool TForm1::FormCreate(TSplash &splash) {
    Cap = std::make_unique<TVideoCapture>(driver_, frames_, poster_);
    Cap->SetDarkPromptUi(this);
    Preview = std::make_unique<TPREVIEW>(preview_input_);
    Preview->Init();
    Recorder =
        std::make_unique<TAVIExport>(frames_, *Cap, driver_, static_cast<RecorderUi &>(*this));
    Recorder->Init();

    ApplyStoredCamera();
    std::string missing;
    if (!LoadCameraDriver(driver_library_, CameraDriverPath().toStdString(), driver_, missing)) {
        ShowError(QStringLiteral("Error loading MELKOTAR.DLL... Program Ending"));
        return false;
    }
    frame_ready_ =
        std::make_unique<FrameReadyHandler>(frames_, *Cap, driver_, poster_, &preview_input_);

    AboutBox = new TAboutBox(this);
    CameraForm = new CameraWindow(this);
    Form3 = new TForm3(this);
    Form5 = new TForm5(this);
    HistogramForm = new THistogramForm(this);
    HistogramForm->HistogramMenu = Histogram1;
    Preview->histogram_window = HistogramForm;
    Form8 = new TForm8(this);
    Form8->Measure = Measure;
    Form8->StatusPanel = status_panels_[0];
    Preview->measurement_window = Form8;
    CreateToolWindows();

    setMinimumSize(MINIMUM_SIZE);
    setMaximumSize(9999, 9999);
    const QScreen *screen = QGuiApplication::primaryScreen();
    const bool small_screen = screen && screen->size() == SMALL_SCREEN;
    if (small_screen) {
        setWindowFlag(Qt::FramelessWindowHint);
        // Maximising is the window manager's work; the geometry fills the
        // screen where there is none (a kiosk or a bare X server).
        setGeometry(screen->availableGeometry());
        setWindowState(Qt::WindowMaximized);
    } else {
        resize(MINIMUM_SIZE);
        PlaceAtDesignedPosition();
    }
    CreateAidWindows(small_screen);
    StackToolWindows();
    ApplyStoredLanguage();

    driver_._staticCall();
    Preview->_BlackPoint = 0;
    Preview->_WhitePoint = 255;
    _BLACK->setValue(0);
    _WHITE->setValue(255);
    setWindowTitle(QString::fromUtf8(PROGRAM_TITLE));

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
    full->SetSubframe(full->rect());
    splash.ShowStatus(texts_.CAMERA_CONNECTING, Qt::red);

    DrawMini(0, 0);
    UpdateRectangle();
    expo->setValue(100);
    expoChange();

    ReadStoredSettings();
    SetResolution();
    InitSettingsMirror();
    FillProfilesMenu();

    exit_routine_installed_ = true;
    butCapture->setEnabled(!filename.isEmpty() && !capture_directory_.isEmpty());
    if (!Cap->Connect()) {
        ShowError(texts_.NO_CAMERA_ERROR);
        ExitRoutine();
        return false;
    }

    {
        // The camera's depth decides the frames' depth and the "16-bit" choice.
        std::string complaint;
        Cap->SetSensorBitDepth(DescribeCamera(driver_, complaint).bit_depth);
        ShowSixteenBitChoice();
    }
    splash.ShowStatus(texts_.CAMERA_CONNECTED, QColor(0, 128, 0));
    QEventLoop splash_wait;
    QTimer::singleShot(CONNECTED_SPLASH_MS, &splash_wait, &QEventLoop::quit);
    splash_wait.exec();
    driver_.CopyRight();
    N1001->setChecked(true);

    Cap->Resume();
    splash.hide();
    show();
    QApplication::processEvents();
    PlaceAtDesignedPosition();  // again, now that the window frame's size is known
    ShowCaptureDestination();   // once shown: the message hides only panels that show
    FPSTimer->start();
    return true;
}

void TForm1::ConnectHandlers() {
    connect(Exit1, &QAction::triggered, this, &QWidget::close);
    connect(SetCaptureLocation1, &QAction::triggered, this, &TForm1::SetCaptureLocation1Click);
    connect(SetCaptureFilename1, &QAction::triggered, this, &TForm1::SetCaptureFilename1Click);
    connect(IRIS, &QAction::triggered, this, &TForm1::IRISClick);
    connect(Profiles1, &QMenu::aboutToShow, this, &TForm1::FillProfilesMenu);
    connect(SaveProfileAs1, &QAction::triggered, this, &TForm1::SaveProfileAsClick);
    connect(RenameProfile1, &QAction::triggered, this, &TForm1::RenameProfileClick);
    connect(DeleteProfile1, &QAction::triggered, this, &TForm1::DeleteProfileClick);
    connect(HorizontalFlip1, &QAction::triggered, this, &TForm1::HorizontalFlip1Click);
    connect(ColorCamera1, &QAction::triggered, this, &TForm1::ColorCamera1Click);
    connect(N1x1Binning1, &QAction::triggered, this, [this] { BinningClick(1); });
    connect(N2x2Binning1, &QAction::triggered, this, [this] { BinningClick(2); });
    connect(N4x4Binning1, &QAction::triggered, this, [this] { BinningClick(3); });
    connect(C1, &QAction::triggered, this, &TForm1::C1Click);
    connect(CameraChoice1, &QAction::triggered, this, &TForm1::CameraChoice1Click);
    connect(CameraForm, &QDialog::accepted, this, &TForm1::CameraWindowAccepted);
    const std::pair<QAction *, int32_t> zooms[] = {
        {N251, 25}, {N501, 50}, {N1001, 100}, {N2001, 200}, {N4001, 400}};
    for (auto [item, scale] : zooms) {
        connect(item, &QAction::triggered, this, [this, scale = scale] { ZoomClick(scale); });
    }
    for (size_t i = 0; i < LANGUAGES.size(); ++i) {
        connect(language_items_[i], &QAction::triggered, this,
                [this, i] { LanguageClick(LANGUAGES[i]); });
    }
    connect(Visible1, &QAction::triggered, this, &TForm1::Visible1Click);
    connect(Saturation1, &QAction::toggled, this,
            [this](bool on) { Preview->show_saturation = on; });
    connect(Configure1, &QAction::triggered, this, &TForm1::Configure1Click);
    connect(ABOUT1, &QAction::triggered, this, &TForm1::ABOUT1Click);

    connect(expo, &QSpinBox::valueChanged, this, &TForm1::expoChange);
    connect(_expot, &QSlider::valueChanged, this, &TForm1::_expotChange);
    connect(_expot, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { expopup->popup(_expot->mapToGlobal(at)); });
    connect(expopup, &QMenu::triggered, this, &TForm1::MenuItem3Click);
    connect(Gain, &QSlider::valueChanged, this, &TForm1::GAINChange);
    connect(vblank, &QSlider::valueChanged, this, &TForm1::vblankChange);

    connect(full, &SensorMiniature::MouseDown, this, &TForm1::fullMouseDown);
    connect(full, &SensorMiniature::MouseMove, this, &TForm1::fullMouseMove);
    connect(full, &SensorMiniature::MouseUp, this, &TForm1::fullMouseUp);
    connect(__width, &QSlider::valueChanged, this, &TForm1::SetResolution);
    connect(__height, &QSlider::valueChanged, this, &TForm1::SetResolution);

    connect(butCapture, &QToolButton::clicked, this, &TForm1::butCaptureClick);
    connect(MenuItem1, &QAction::triggered, this, [this] { OutputKindClick(MODE_AVI); });
    connect(MenuItem2, &QAction::triggered, this, [this] { OutputKindClick(MODE_SER); });
    connect(FIT2, &QAction::triggered, this, [this] { OutputKindClick(MODE_FIT); });
    connect(BMP2, &QAction::triggered, this, [this] { OutputKindClick(MODE_BMP); });
    connect(Count, &QPushButton::clicked, this, &TForm1::CountClick);
    connect(expos, &SevenSegmentCounter::ValueChanged, this,
            [this](int value) { mirror_.EXPOCOUNT = QString::number(value); });
    // The delay is stored as it is at the end, like every other capture setting.
    connect(delays, &SevenSegmentCounter::ValueChanged, this,
            [this](int value) { mirror_.EXPODELAY = QString::number(value); });
    connect(VrCounter1, &SevenSegmentCounter::ValueChanged, this, &TForm1::VrCounter1Change);
    connect(Form3, &TForm3::Answered, this, &TForm1::DarkPromptAnswered);
    connect(Form3, &TForm3::Cancelled, this, &TForm1::DarkPromptCancelled);

    connect(_BLACK, &QSlider::valueChanged, this, &TForm1::_BLACKChange);
    connect(_WHITE, &QSlider::valueChanged, this, &TForm1::_WHITEChange);
    for (QSlider *bar : {RED, GREEN, BLUE}) {
        connect(bar, &QSlider::valueChanged, this, [this, bar] { BalanceChange(bar); });
    }
    connect(BWPButton, &QPushButton::clicked, this, &TForm1::BWPButtonClick);
    connect(Scope, &QPushButton::clicked, this, &TForm1::ScopeClick);
    connect(CBButton, &QPushButton::clicked, this, &TForm1::CBButtonClick);
    connect(Image1, &PreviewImage::MouseDown, this, &TForm1::Image1MouseDown);
    connect(Image1, &PreviewImage::MouseMove, this, &TForm1::Image2MouseMove);
    connect(Image1, &PreviewImage::MouseUp, this, &TForm1::Image2MouseUp);
    connect(Histogram1, &QAction::triggered, this, &TForm1::Histogram1Click);
    connect(Measure, &QPushButton::clicked, this, &TForm1::MeasureClick);

    connect(FPSTimer, &QTimer::timeout, this, &TForm1::FPSTimerTimer);
    // The panels give way to a message while it shows (the status bar itself
    // hides only panels that were visible when it came).
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString &message) {
        for (QLabel *panel : status_panels_) {
            panel->setVisible(message.isEmpty());
        }
    });
    connect(folder_link_, &QLabel::linkActivated, this,
            [](const QString &folder) { QDesktopServices::openUrl(QUrl(folder)); });
    ConnectAidHandlers();
}

bool TForm1::event(QEvent *event) {
    switch (ReceivedMessage(event)) {
        case MSG_FRAME_READY:
            frame_ready_->OnFrameReady(AnalysisWanted(), TickCount());
            return true;
        case MSG_RENDER_PREVIEW:
            Preview->UpdateCaption();
            return true;
        case MSG_RECORD_FRAME:
            Recorder->ProcessFrame(TickCount());
            return true;
        case MSG_COVER_CAMERA:
            ShowDarkPrompt(DarkPromptStep::CoverCamera);
            return true;
        case MSG_UNCOVER_CAMERA:
            ShowDarkPrompt(DarkPromptStep::UncoverCamera);
            return true;
        case MSG_DARK_PROGRESS:
            ShowDarkProgress();
            return true;
        default:
            if (event->type() == QEvent::Move || event->type() == QEvent::Resize) {
                PlaceOpenKeypad();
            }
            return QMainWindow::event(event);
    }
}

void TForm1::PlaceAtDesignedPosition() {
    const QScreen *where = screen();
    if (!where || (windowState() & Qt::WindowMaximized)) {
        return;
    }
    move(KeptOnScreen(where->geometry().topLeft() + DESIGNED_POSITION, frameGeometry().size(),
                      where->availableGeometry()));
}

void TForm1::FPSTimerTimer() {
    switch (Cap->Fault()) {
        case AcquisitionFault::CameraNotAnswering:
            status_panels_[0]->setText(texts_.STATUS_NOANSWER);
            break;
        case AcquisitionFault::OutOfMemory:
            status_panels_[0]->setText(texts_.STATUS_NOMEMORY);
            break;
        case AcquisitionFault::Failed:
            status_panels_[0]->setText(texts_.STATUS_CAMSTOPPED + QLatin1Char(' ') +
                                       QString::fromStdString(Cap->FailureText()));
            break;
        case AcquisitionFault::None:
            if (Recorder->Recording()) {
                break;  // the recording's figures show both rates
            }
            ShowFreeDisk(FreeDiskBytes(capture_directory_), -1);
            status_panels_[0]->setText(
                texts_.STATUS_FRAMERATE +
                QString::asprintf(" %2.1f", FrameRateFromIntervals(Cap->FrameIntervals())));
            break;
    }
}

void TForm1::ShowNotice(const QString &text) {
    auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Omtrix"), text,
                                QMessageBox::Ok, this);
    box->setWindowFlag(Qt::WindowStaysOnTopHint);  // above the tool windows
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void TForm1::ABOUT1Click() {
    ShowAndWaitUntilHidden(AboutBox);
}

void TForm1::changeEvent(QEvent *event) {
    // Minimising is ignored, whichever way it is asked for.
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
    }
    QMainWindow::changeEvent(event);
}

void TForm1::closeEvent(QCloseEvent *event) {
    ExitRoutine();
    event->accept();
    QApplication::quit();
}

// Ends the run: the camera thread stops (cancelling a long exposure), an
// open recording is finished so its files are complete, the settings are
// written, and the thread is waited for, but never without bound.
void TForm1::ExitRoutine() {
    if (!exit_routine_installed_ || exit_routine_done_) {
        return;
    }
    exit_routine_done_ = true;
    Cap->Stop();
    if (Recorder->Recording()) {
        Recorder->Close();
    }
    SettingsStore store;
    WriteCaptureState(store, CurrentCaptureState());  // the next start begins where this one ends
    if (!SaveSettings(store, mirror_)) {
        qWarning("Omtrix: the settings could not be written");
    }
    // Hiding the scope window also stops a guide pulse still running. The
    // focus, Roddier and solar windows report their hiding to the camera
    // thread's settings and the menu: they are hidden while both still exist.
    for (QWidget *window : {static_cast<QWidget *>(Form3), static_cast<QWidget *>(Form5),
                            static_cast<QWidget *>(AboutBox), static_cast<QWidget *>(ScopeCtrl),
                            static_cast<QWidget *>(FocusForm), static_cast<QWidget *>(RoddierForm),
                            static_cast<QWidget *>(Form7), static_cast<QWidget *>(ConfText)}) {
        window->hide();
    }
    if (!Cap->WaitUntilStopped(THREAD_STOP_WAIT_MS)) {
        qWarning("Omtrix: the camera did not stop in time");
    }
}
