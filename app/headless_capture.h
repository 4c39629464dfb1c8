#pragma once

#include <QEventLoop>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "camera/acquisition.h"
#include "camera/dark_prompt_ui.h"
#include "camera/driver_api.h"
#include "camera/frame_list.h"
#include "camera/frame_ready.h"
#include "camera/sensor_window.h"
#include "platform/dynamic_library.h"
#include "preview/text_overlay.h"
#include "recording/recorder.h"
#include "recording/recording_description.h"
#include "shell/interface_language.h"
#include "shell/interface_texts.h"

// What a scripted recording asks for: where, what and how long, and the
// camera settings the main window would otherwise hold.
struct CaptureOptions {
    QString directory;
    QString base_name;
    int32_t mode = MODE_SER;
    // Samples of SER and FIT files: 8, or 16 for a camera deeper than 8 bits.
    // Given on the command line, 16 is refused where it cannot be had; from
    // a profile it falls back to 8 there, as the window's choice does.
    int32_t depth = 8;
    bool depth_given = false;
    int32_t count = 0;  // frames, or seconds with `seconds`
    bool seconds = false;
    int32_t exposure_ms = 100;
    // The exposure to the microsecond when --exposure has a fraction (then
    // exposure_ms is its nearest whole ms); -1: exposure_ms.
    int32_t exposure_us = -1;
    int32_t gain = 10;
    // The sub-frame in sensor pixels, centred on the sensor; 0: the whole
    // sensor. A profile's window larger than the camera's sensor is cut to
    // it; --roi's (`roi_given`) is refused.
    int32_t roi_width = 0;
    int32_t roi_height = 0;
    int32_t roi_x = -1;  // its corner, from a profile; -1: centred
    int32_t roi_y = -1;
    bool roi_given = false;
    int32_t binning = 1;
    // For a camera without the optional entries; one that describes itself
    // says colour or mono itself, and --colour (`colour_given`) on one that
    // says mono is refused.
    bool colour = false;
    bool colour_given = false;
    // From a profile: the colour balance, transfer mode and vertical blanking.
    int32_t red = 100;
    int32_t green = 100;
    int32_t blue = 100;
    bool fast_transfer = false;
    int32_t vblank = -1;  // -1: the driver's own
    int32_t delay_ms = 0;
    bool iris = false;
    // Solar mode: samples above the limit become the shade.
    bool solar = false;
    int32_t solar_limit = 255;
    int32_t solar_shade = 255;
    // The time stamp burnt into AVI, FIT and BMP frames: drawn when a choice
    // or a prefix is given.
    int32_t stamp_choice = -1;  // one of STAMP_CHOICES; -1: none given
    QString prefix;
    bool prefix_given = false;
    int32_t hour_offset = 0;
    int32_t darks = 0;  // dark exposures taken before the recording, 0 = none
    char language = 0;  // letter of the messages' language; 0: the built-in English
    // Which camera the driver serves (simulator or indi[:HOST[:PORT]][/DEVICE]);
    // empty: the driver's own setting.
    QString camera;
    // Observer, telescope, object, filter and the choices of the files about
    // the recording; the rest is filled in from the settings above.
    RecordingDescription description;
};

// Reads the command line (without the program name). False with `error` set
// when an option is missing, unknown or out of range, or when the profile
// --profile names cannot be read whole. The profile's settings come first and
// the command's own options win over them; with a profile, --format and
// --frames or --seconds may be left out.
bool ParseCaptureOptions(const QStringList &arguments, CaptureOptions &options, QString &error);

// The sub-frame a recording reads on `sensor` (see CaptureOptions). False
// with `error` when --roi asked for more than the sensor.
bool RecordingSubFrame(const CaptureOptions &options, const SensorSize &sensor, SubFrame &frame,
                       QString &error);

// How a recording went.
struct CaptureReport {
    int exit_code = 0;
    QString error;                // why it failed, for the observer
    QStringList files;            // every file created, in order
    int64_t frames_acquired = 0;  // frames the camera delivered for the recording
    int64_t frames_written = 0;   // and still in a file
    int64_t frames_lost = 0;      // written into a file that lost its name (folder removed)
    bool recording_started = false;
    int64_t max_backlog = 0;  // most frames ever waiting for the writer
    uint32_t elapsed_ms = 0;  // from the recording's start to its end
};

// The closing line of every run that started a recording, whatever ended
// it: how many frames are kept, and in which file or files.
QString CaptureSummary(const CaptureReport &report);

// Exit codes of the command.
enum CaptureExit : int {
    EXIT_DONE = 0,
    EXIT_WRITE_FAILED = 1,
    EXIT_BAD_ARGUMENTS = 2,
    EXIT_NO_DRIVER = 3,
    EXIT_NO_CAMERA = 4,
    EXIT_CAMERA_SILENT = 5,
    EXIT_OUTPUT_FAILED = 6,
    EXIT_CAMERA_FAILED = 7,  // the camera thread stopped on an error or for want of memory
    EXIT_NO_ANSWER = 8,      // standard input ended while a dark-frame prompt waited
    // Ended by a signal, the file finished: 128 plus the signal's number
    // (129 SIGHUP, 130 SIGINT, 143 SIGTERM), as shells report it.
    EXIT_SIGNAL_BASE = 128,
};

// A recording without any window: the same driver, camera thread, frame-ready
// handling and recorder as the main window, with the recorder's button and
// panels turned into progress reports. Needs a running Qt event loop owner
// (QCoreApplication); Run spins the loop until the recording has ended.
class HeadlessCapture : public QObject,
                        private RecorderUi,
                        private DarkPromptUi,
                        private LanguageUi {
  public:
    // `progress` receives status lines; `file_created` each file as it is
    // made; `ask_observer` each dark-frame prompt's text, whose answer comes
    // back through DarkPromptAnswered or ObserverGone; `progress_line` the
    // running recording's figures once a second (none: to `progress`).
    HeadlessCapture(std::function<void(const QString &)> progress,
                    std::function<void(const QString &)> file_created,
                    std::function<void(const QString &)> ask_observer = {},
                    std::function<void(const QString &)> progress_line = {});
    ~HeadlessCapture() override;

    // Loads the camera driver from `driver_path`, records, and returns how it went.
    CaptureReport Run(const QString &driver_path, const CaptureOptions &requested);
    // Ends the recording as the observer's stop does, its file finished; one
    // asked for before the recording starts ends Run without any. Called on
    // the thread that runs Run, while it waits. `how` is what its log says.
    void RequestStop(RecordingEnd how = RecordingEnd::Stopped);
    // The observer answered the dark-frame prompt shown last.
    void DarkPromptAnswered();
    // No answer will come (standard input has ended): the run ends without
    // a recording.
    void ObserverGone();

  protected:
    bool event(QEvent *event) override;

  private:
    void ShowStatus(const QString &text) override;
    void ShowProgress(const RecordingProgress &progress) override;
    void ReleaseCaptureButton() override;
    void ReportWriteFailure() override;
    void FileCreated(const QString &file_name) override;
    void AskObserver(DarkPromptStep step) override;
    void ApplyTexts(const InterfaceTexts &texts) override;
    void ShowLanguageProblem(const QString &message) override;
    void ShowDarkPrompt(const QString &text);
    bool FollowCamera(SubFrame &frame);
    void ProgramCamera(const CaptureOptions &options, const SubFrame &frame);
    void SetUpStamp(const CaptureOptions &options);
    bool WaitForFirstFrame(const CaptureOptions &options);
    bool TakeDarks(const CaptureOptions &options);
    // Runs the event loop until `done` holds or, with a timeout, the time is
    // up; Wake makes it look again.
    void WaitUntil(const std::function<bool()> &done, int timeout_ms = 0);
    void Wake();
    void WatchCamera();
    bool ForTheRecording(uint32_t now_tick) const;

    std::function<void(const QString &)> progress_;
    std::function<void(const QString &)> file_created_;
    std::function<void(const QString &)> ask_observer_;
    std::function<void(const QString &)> progress_line_;
    InterfaceTexts texts_;
    DynamicLibrary library_;
    CameraDriver driver_;
    FrameList frames_;
    QtMessagePoster poster_{this};
    TVideoCapture capture_{driver_, frames_, poster_};
    FrameReadyHandler frame_ready_{frames_, capture_, driver_, poster_, nullptr};
    std::unique_ptr<TAVIExport> recorder_;
    OverlayLook overlay_;
    CaptureOptions options_;
    CaptureReport report_;
    bool first_frame_seen_ = false;
    bool ended_ = false;
    bool stop_requested_ = false;
    // Dark frames before the recording: the camera's recording start that
    // takes them, whether its first frame (after the darks) has come, and
    // whether a prompt waits for its answer.
    uint32_t darks_tag_ = 0;
    bool taking_darks_ = false;
    bool darks_taken_ = false;
    bool prompt_open_ = false;
    QEventLoop *waiting_ = nullptr;
    uint32_t last_progress_tick_ = 0;
    uint32_t last_figures_tick_ = 0;
    bool figures_shown_ = false;
};
