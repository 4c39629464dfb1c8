#pragma once

#include <QIcon>
#include <QMainWindow>
#include <array>
#include <atomic>
#include <memory>

#include "camera/acquisition.h"
#include "camera/dark_prompt_ui.h"
#include "camera/driver_api.h"
#include "camera/exposure_controls.h"
#include "camera/frame_list.h"
#include "camera/frame_ready.h"
#include "camera/preview_input.h"
#include "camera/sensor_window.h"
#include "platform/dynamic_library.h"
#include "platform/messages.h"
#include "preview/preview_renderer.h"
#include "preview/text_overlay.h"
#include "recording/recorder.h"
#include "recording/recorder_ui.h"
#include "shell/capture_state.h"
#include "shell/interface_language.h"
#include "shell/interface_texts.h"
#include "shell/keypad.h"
#include "shell/settings.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSlider;
class QSpinBox;
class QTimer;
class QToolButton;
class CameraWindow;
class CircleShape;
class NumericKeypad;
class PreviewImage;
class PreviewScrollBox;
class SensorMiniature;
class SevenSegmentCounter;
class TAboutBox;
class TFocusForm;
class TForm4;
class TConfText;
class TForm3;
class TForm5;
class TForm7;
class TForm8;
class THistogramForm;
class TRoddier;
class TScopeCtrl;
class ToolWindowStack;
class TSplash;

inline constexpr const char *PROGRAM_TITLE = "Halvesk\u00ae Omtrix ";
inline constexpr const char *VERSION_TEXT = "1.3";

// The main window: live picture, camera controls and recording controls.
// Its handlers are spread over main_window_*.cpp by subject.
class TForm1 : public QMainWindow, private RecorderUi, private LanguageUi, private DarkPromptUi {
    Q_OBJECT
  public:
    TForm1();
    ~TForm1() override;

    // The whole start-up, in order, reporting to the splash window. False
    // when the program must end (the message has been shown).
    bool FormCreate(TSplash &splash);

  protected:
    friend class MainWindowTest;  // looks at the camera and recorder objects in the tests

    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

  private:
    // main_window_form.cpp: the controls and their layout.
    void BuildForm();
    void BuildMenus();
    QGroupBox *BuildExposureGroup();
    QGroupBox *BuildResolutionGroup();
    QWidget *BuildCaptureControls();
    QWidget *BuildSidePanels();
    void NameControls();
    void ConnectHandlers();

    // main_window.cpp: messages, timers, the window frame and the end.
    void FPSTimerTimer();
    // A message that does not block: frames keep being handled while it is open.
    void ShowNotice(const QString &text);
    // Opens the window at its designed place, kept wholly on its screen.
    void PlaceAtDesignedPosition();
    void ABOUT1Click();
    void ExitRoutine();

    // main_window_language.cpp: the interface language.
    void ApplyStoredLanguage();
    void LanguageClick(const LanguageChoice &language);  // `language`: an entry of LANGUAGES
    void SetTexts(const InterfaceTexts &texts);
    // LanguageUi
    void ApplyTexts(const InterfaceTexts &texts) override;
    void ShowLanguageProblem(const QString &message) override;

    // main_window_settings.cpp: stored settings.
    void ReadStoredSettings();
    void InitSettingsMirror();
    // Hands the stored camera choice to the driver, which reads it when it
    // connects, unless OMTRIX_CAMERA already names a camera.
    void ApplyStoredCamera();
    void CameraChoice1Click();
    void CameraWindowAccepted();
    // Every capture setting as the controls hold it, and the controls set
    // from one (each through its own handler, so the camera follows).
    CaptureState CurrentCaptureState() const;
    void ApplyCaptureState(const CaptureState &state);

    // main_window_profiles.cpp: named capture states.
    QString ProfilesDirectory() const;
    // The Profiles menu: its commands, then one item per profile, which loads it.
    void FillProfilesMenu();
    void SaveProfileAsClick();
    void RenameProfileClick();
    void DeleteProfileClick();
    // Each false, with a notice shown, when it could not be done.
    bool SaveProfile(const QString &name);
    bool LoadProfile(const QString &name);
    bool RenameProfile(const QString &name, const QString &new_name);
    bool DeleteProfile(const QString &name);
    // Asks for a profile among those stored; empty when the observer cancelled.
    QString ChooseProfile(const QString &title);

    // main_window_exposure.cpp: exposure, gain and sensor timing.
    void expoChange();
    void _expotChange();
    void MenuItem3Click(QAction *item);
    // The exposure to the microsecond, from the fine slider, the keypad or a
    // stored state; `expo` shows its nearest whole millisecond.
    void SetExposureUs(int32_t exposure_us);
    void ApplyExposure(int32_t exposure_us);
    // The slider's longest setting: a preset's milliseconds or FINE_RANGE_MS.
    void SetExposureRange(int32_t range_ms);
    // The exposure controls offer what the connected camera can do.
    void FollowCameraExposures();
    // The caption above the exposure slider, in the slider's unit.
    QString ExposureLengthCaption(const InterfaceTexts &texts) const;
    void GAINChange();
    void vblankChange();
    void C1Click();

    // main_window_sensor.cpp: the sensor window and the gains handed to the camera.
    void BinningClick(int32_t code);
    void fullMouseDown(QPoint at);
    void fullMouseMove(QPoint at);
    void fullMouseUp(QPoint at);
    void DrawMini(int32_t x, int32_t y);
    void DrawMini2();
    void SetResolution();
    void UpdateRectangle();
    void ShowSubframeText();
    // The sizes menu beside the counters: presets, the full sensor and a typed size.
    QToolButton *BuildSubframeSizes();
    // A size in sensor pixels, centred where the sub-frame is now.
    void SetSubframeSize(int32_t width, int32_t height);
    void SubframeTypedEntered();
    // After the camera connected: its description taken, its sensor given to
    // the sub-frame, the sliders, the presets and the colour tick.
    void FollowCamera();

    // main_window_view.cpp: picture controls.
    void _BLACKChange();
    void _WHITEChange();
    void BalanceChange(QSlider *changed);
    void ColorCamera1Click();
    // The colour tick greyed, with the reason, where the camera settles colour.
    void ShowWhoSettlesColour();
    QString ColourTickTip(const InterfaceTexts &texts) const;
    void HorizontalFlip1Click();
    void ZoomClick(int32_t scale_percent);
    void BWPButtonClick();
    void CBButtonClick();
    void FormResize();
    void Image1MouseDown(Qt::MouseButton button, QPoint position);
    void Visible1Click();
    void Configure1Click();

    // main_window_analysis.cpp: histogram and measurement.
    // The histogram (or another aid) needs the untouched samples of each frame.
    bool AnalysisWanted() const;
    void Histogram1Click();
    void MeasureClick();
    // While the measurement window is open a press on the picture starts the
    // line; false when the press is left to the other aids.
    bool MeasureMouseDown(QPoint position);
    void Image2MouseMove(QPoint position);
    void Image2MouseUp();

    // main_window_keypads.cpp: the keypads that enter numbers with the pointer.
    QToolButton *KeypadButton(Keypad keypad, QWidget *parent);
    void BuildKeypads();
    void KeypadButtonClick(Keypad keypad);
    void PlaceOpenKeypad();
    // The strip along the picture's left edge where the keypads open.
    static int KeypadStripWidth();
    void KeypadKeyClick(int32_t key);
    void _KEYTIMERTimer();
    void ShowOpenKeypad();
    // A left click on the picture while a keypad is open only closes it.
    bool CloseKeypadsOnPictureClick();
    int32_t KeypadSetting(Keypad keypad) const;
    void SetKeypadSetting(Keypad keypad, int32_t value);

    // main_window_tools.cpp: the scope control and the on-screen keyboard.
    void CreateToolWindows();
    // Hands the tool windows to `tool_windows_`, once all exist.
    void StackToolWindows();
    // The part of the picture tool windows may cover, in screen coordinates.
    QRect FreePicture() const;
    void ScopeClick();

    // main_window_aids.cpp: focus aid, Roddier aid and solar mode.
    void CreateAidWindows(bool small_screen);
    void ConnectAidHandlers();
    void FocusPick(QPoint position);
    void RoddierClick();
    void RoddierMouseDown(Qt::MouseButton button, QPoint position);
    void rshapeMouseDown(Qt::MouseButton button, QPoint position);
    void rshapeMouseMove(QPoint position);
    void solarClick();
    void ShowSolarButton(bool colour);

    // main_window_capture.cpp: recording controls and output names.
    void butCaptureClick();
    void ShowCaptureButton(bool down);
    void OutputKindClick(int32_t mode);
    // The "16-bit" choice is offered for a deep camera's SER and FIT files.
    void ShowSixteenBitChoice();
    void CountClick();
    void IRISClick();
    void SetCaptureLocation1Click();
    void SetCaptureFilename1Click();
    void AcceptBaseName();
    // The folder and base name of the next recording, in the status bar.
    void ShowCaptureDestination();
    // What the files of a recording started now say about it.
    RecordingDescription DescribeRecording() const;
    // RecorderUi
    void ShowStatus(const QString &text) override;
    void ShowProgress(const RecordingProgress &progress) override;
    void ReleaseCaptureButton() override;
    void ReportWriteFailure() override;
    void FileCreated(const QString &file_name) override;
    // The capture disk's free space, coloured by the minutes it lasts
    // (-1: not recording).
    void ShowFreeDisk(int64_t free_bytes, double minutes_left);
    // After a recording: its frames, file and folder, until the sub-frame
    // text or the next recording takes the panel.
    void ShowRecordingSummary();

    // main_window_darks.cpp: dark frames.
    void VrCounter1Change();
    void ShowDarkPrompt(DarkPromptStep step);
    void DarkPromptAnswered();
    // Cancel on the prompt: the recording ends, leaving no file.
    void DarkPromptCancelled();
    // "Taking dark frame k of n" on the prompt while the darks are taken.
    void ShowDarkProgress();
    // DarkPromptUi
    void AskObserver(DarkPromptStep step) override;
    void DarkFrameBegins(int32_t index, int32_t count) override;

    // Camera, frames and workers.
    DynamicLibrary driver_library_;
    CameraDriver driver_;
    FrameList frames_;
    QtMessagePoster poster_{this};
    std::unique_ptr<TVideoCapture> Cap;
    PreviewInput preview_input_;
    std::unique_ptr<TPREVIEW> Preview;
    std::unique_ptr<TAVIExport> Recorder;
    std::unique_ptr<FrameReadyHandler> frame_ready_;
    bool exit_routine_installed_ = false;
    bool exit_routine_done_ = false;

    // Main window state.
    InterfaceLanguage language_{static_cast<LanguageUi &>(*this)};
    InterfaceTexts texts_;
    SettingsMirror mirror_;
    SubFrame sub_frame_;
    CameraSensor camera_;  // the connected camera as it described itself
    // The colour tick as the observer set it: stored, and shown for a camera
    // that does not settle its colour, so a described camera leaves it alone.
    bool observer_colour_ = false;
    bool dragging = false;
    QString filename;  // capture base name
    QString capture_directory_;
    QString profile_name_;             // the profile loaded or saved last; empty when none
    bool seconds_mode_ = false;        // the count button counts seconds, not frames
    int32_t output_kind_ = MODE_NONE;  // the kind chosen for the next recording
    bool BWPVisible = false;
    bool CBVisible = false;
    // Echo flags between the exposure slider and the exposure value.
    bool slider_echo_ = false;
    bool from_slider_ = false;
    int32_t exposure_us_ = 100000;  // the exposure asked of the camera
    ExposureScale exposure_scale_;  // how the exposure slider counts

    // Tool windows.
    TForm3 *Form3 = nullptr;                                         // the dark-frame prompt
    DarkPromptStep dark_prompt_step_ = DarkPromptStep::CoverCamera;  // what it asks now
    // The dark exposure under way and how many there are; the camera thread
    // writes them before posting MSG_DARK_PROGRESS.
    std::atomic<int32_t> dark_frame_index_{0};
    std::atomic<int32_t> dark_frame_count_{0};
    TForm5 *Form5 = nullptr;
    TAboutBox *AboutBox = nullptr;
    CameraWindow *CameraForm = nullptr;
    QString camera_from_environment_;  // OMTRIX_CAMERA as the program found it
    THistogramForm *HistogramForm = nullptr;
    TForm8 *Form8 = nullptr;
    TForm4 *Form4 = nullptr;  // the on-screen keyboard
    TScopeCtrl *ScopeCtrl = nullptr;
    TFocusForm *FocusForm = nullptr;
    TRoddier *RoddierForm = nullptr;
    TForm7 *Form7 = nullptr;
    TConfText *ConfText = nullptr;
    // Where the tool windows open and how they stack with keypads and dialogs.
    ToolWindowStack *tool_windows_ = nullptr;
    OverlayLook overlay_look_;  // the time stamp's look, set in ConfText

    // Menus.
    QMenu *File1 = nullptr;
    QMenu *CaptureFiles1 = nullptr;
    QMenu *Profiles1 = nullptr;
    QAction *SaveProfileAs1 = nullptr;
    QAction *RenameProfile1 = nullptr;
    QAction *DeleteProfile1 = nullptr;
    QAction *no_profiles_item_ = nullptr;  // shown in the list while there are none
    QMenu *CameraSetup1 = nullptr;
    QMenu *AddDateTime1 = nullptr;
    QMenu *ZOOM1 = nullptr;
    QMenu *Language1 = nullptr;
    QMenu *binning_menu_ = nullptr;
    QMenu *tools_menu_ = nullptr;
    QAction *language_items_[LANGUAGES.size()] = {};  // English1 ... UserLanguage1
    QAction *Exit1 = nullptr;
    QAction *SetCaptureLocation1 = nullptr;
    QAction *SetCaptureFilename1 = nullptr;
    QAction *IRIS = nullptr;
    QAction *HorizontalFlip1 = nullptr;
    QAction *ColorCamera1 = nullptr;
    QAction *N1x1Binning1 = nullptr;
    QAction *N2x2Binning1 = nullptr;
    QAction *N4x4Binning1 = nullptr;
    QAction *C1 = nullptr;
    QAction *CameraChoice1 = nullptr;
    QAction *Visible1 = nullptr;
    QAction *Configure1 = nullptr;
    QAction *Histogram1 = nullptr;
    QAction *Roddier = nullptr;
    QAction *N251 = nullptr;
    QAction *N501 = nullptr;
    QAction *N1001 = nullptr;
    QAction *N2001 = nullptr;
    QAction *N4001 = nullptr;
    QAction *Saturation1 = nullptr;  // samples at 255 red on the picture
    QAction *ABOUT1 = nullptr;
    QMenu *expopup = nullptr;
    QAction *fine_range_item_ = nullptr;  // "1ms": shown for a camera with fine exposures
    QMenu *VIDTYPE = nullptr;
    QAction *MenuItem1 = nullptr;
    QAction *MenuItem2 = nullptr;
    QAction *FIT2 = nullptr;
    QAction *BMP2 = nullptr;
    QAction *SixteenBit1 = nullptr;

    // Exposure group.
    QGroupBox *GroupBox2 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label5 = nullptr;
    QSlider *_expot = nullptr;
    QSpinBox *expo = nullptr;
    QLabel *LblGain = nullptr;
    QLabel *Label6 = nullptr;
    QSlider *Gain = nullptr;

    // Resolution group.
    QGroupBox *resolution = nullptr;
    SensorMiniature *full = nullptr;
    QSlider *__width = nullptr;
    QSlider *__height = nullptr;
    SevenSegmentCounter *HRES = nullptr;
    SevenSegmentCounter *VRES = nullptr;
    QToolButton *subframe_sizes_ = nullptr;
    QAction *subframe_full_ = nullptr;
    std::array<QAction *, SUBFRAME_PRESETS.size()> subframe_presets_{};
    QLabel *subframe_typed_label_ = nullptr;
    QLineEdit *subframe_typed_ = nullptr;
    // What the sub-frame keypads typed so far, in sensor pixels: the sliders
    // round it to their steps, so the next digit must not start from theirs.
    std::array<int32_t, 2> subframe_keyed_{};
    QSlider *vblank = nullptr;
    QLabel *Label9 = nullptr;
    QLabel *Label10 = nullptr;

    // Capture controls.
    QGroupBox *capture_group_ = nullptr;
    QToolButton *butCapture = nullptr;
    QPushButton *Count = nullptr;
    SevenSegmentCounter *expos = nullptr;
    QLabel *Label3 = nullptr;
    SevenSegmentCounter *delays = nullptr;
    QLabel *darks = nullptr;
    SevenSegmentCounter *VrCounter1 = nullptr;  // dark exposures per set, 0 = none
    QIcon Picture;
    QIcon PictureDown;
    QIcon PictureDisabled;

    // Keypads KEY1 .. KEY5 and their opening buttons AdvGlassButton4 .. 8,
    // in the order of `Keypad`.
    std::array<NumericKeypad *, KEYPAD_COUNT> keypads_{};
    std::array<QToolButton *, KEYPAD_COUNT> keypad_buttons_{};
    KeypadState keypad_state_;
    QTimer *_KEYTIMER = nullptr;

    // Picture and side panels.
    PreviewScrollBox *ScrollBox1 = nullptr;
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
    QPushButton *Measure = nullptr;
    QPushButton *Scope = nullptr;
    QPushButton *solar = nullptr;
    // The Roddier aid's measured and reference circles over the picture.
    CircleShape *cshape = nullptr;
    CircleShape *rshape = nullptr;
    bool dragging_reference_ = false;

    // Status bar panels: frame rate (while recording, camera and written),
    // sub-frame (while recording, its figures; after it, its file), free
    // space on the capture disk. Beside the file, its folder as a link.
    QLabel *status_panels_[3] = {};
    QLabel *folder_link_ = nullptr;
    int subframe_panel_width_ = 0;  // given up while the panel names the file
    RecordingProgress last_progress_;
    QStringList recording_files_;  // the first and the last file of the recording
    QTimer *FPSTimer = nullptr;
};
