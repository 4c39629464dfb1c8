#pragma once

#include <QMainWindow>
#include <memory>

#include "camera/acquisition.h"
#include "camera/driver_api.h"
#include "camera/frame_list.h"
#include "camera/frame_ready.h"
#include "platform/dynamic_library.h"
#include "platform/messages.h"
#include "preview/preview_input.h"
#include "preview/preview_renderer.h"

class QAction;
class QActionGroup;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;
class QSlider;
class QSpinBox;
class QTimer;
class PreviewImage;
class SevenSegmentCounter;

inline constexpr const char *PROGRAM_TITLE = "Halvesk\u00ae Omtrix ";
inline constexpr const char *VERSION_TEXT = "1.3";

// The main window: live picture, camera controls and recording controls.
// Its handlers are spread over main_window_*.cpp by subject.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    TForm1();
    ~TForm1() override;

    // The whole start-up, in order. False when the program must end (the
    // message has been shown).
    bool FormCreate();

protected:
    bool event(QEvent *event) override;

private:
    // main_window_form.cpp: the controls and their layout.
    void BuildForm();
    void BuildMenus();
    QGroupBox *BuildExposureGroup();
    QWidget *BuildSidePanels();
    void ConnectHandlers();

    // main_window.cpp: messages and timers.
    void FPSTimerTimer();

    // main_window_exposure.cpp: exposure, gain and sensor timing.
    void expoChange();
    void _expotChange();
    void MenuItem3Click(QAction *item);
    void GAINChange();
    void vblankChange();
    void C1Click();

    // main_window_sensor.cpp: the sensor window and the gains handed to the camera.
    void UpdateRectangle();

    // main_window_view.cpp: picture controls.
    void _BLACKChange();
    void _WHITEChange();
    void REDChange();
    void GREENChange();
    void BLUEChange();
    void BalanceChange(QSlider *changed);
    void ColorCamera1Click();
    void HorizontalFlip1Click();
    void ZoomClick(int32_t scale_percent);
    void BWPButtonClick();
    void CBButtonClick();
    void FormResize();
    void Image1MouseDown(Qt::MouseButton button, QPoint position);

    // Camera, frames and workers.
    DynamicLibrary driver_library_;
    CameraDriver driver_;
    FrameList frames_;
    QtMessagePoster poster_{this};
    std::unique_ptr<TVideoCapture> Cap;
    PreviewInput preview_input_;
    std::unique_ptr<TPREVIEW> Preview;
    std::unique_ptr<FrameReadyHandler> frame_ready_;

    // Main window state.
    int32_t sx = 0;
    int32_t sy = 0;
    int32_t sw = FULL_WIDTH;
    int32_t sheight = FULL_HEIGHT;
    bool BWPVisible = false;
    bool CBVisible = false;
    // Echo flags between the exposure slider and the exposure value.
    bool slider_echo_ = false;
    bool from_slider_ = false;

    // Menus.
    QAction *Exit1 = nullptr;
    QAction *ColorCamera1 = nullptr;
    QAction *HorizontalFlip1 = nullptr;
    QAction *C1 = nullptr;
    QAction *N251 = nullptr;
    QAction *N501 = nullptr;
    QAction *N1001 = nullptr;
    QAction *N2001 = nullptr;
    QAction *N4001 = nullptr;
    QMenu *expopup = nullptr;

    // Exposure group.
    QGroupBox *GroupBox2 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label5 = nullptr;
    QSlider *_expot = nullptr;
    QSpinBox *expo = nullptr;
    QLabel *LblGain = nullptr;
    QLabel *Label6 = nullptr;
    QSlider *Gain = nullptr;
    QSlider *vblank = nullptr;
    QLabel *Label9 = nullptr;
    QLabel *Label10 = nullptr;

    // Picture and side panels.
    QScrollArea *ScrollBox1 = nullptr;
    PreviewImage *Image1 = nullptr;
    QSlider *_BLACK = nullptr;
    QSlider *_WHITE = nullptr;
    QWidget *Panel1 = nullptr;
    QSlider *RED = nullptr;
    QSlider *GREEN = nullptr;
    QSlider *BLUE = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label7 = nullptr;
    QPushButton *BWPButton = nullptr;
    QPushButton *CBButton = nullptr;

    // Status bar panels: recording status or frame rate, sub-frame or
    // measurement, free memory.
    QLabel *status_panels_[3] = {};
    QTimer *FPSTimer = nullptr;
};
