#include "app/headless_capture.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>
#include <algorithm>

#include "app/observation_options.h"
#include "camera/camera_sensor.h"
#include "camera/dark_frames.h"
#include "camera/sensor_window.h"
#include "driver/camera_choice.h"
#include "platform/program_files.h"
#include "platform/tick_count.h"
#include "preview/colour_balance.h"
#include "preview/stamp_text.h"
#include "shell/capture_state.h"

namespace {

bool ReadInteger(const QString &text, int32_t minimum, int32_t maximum, int32_t &value) {
    bool ok = false;
    const int32_t number = text.toInt(&ok, 10);
    if (!ok || number < minimum || number > maximum) {
        return false;
    }
    value = number;
    return true;
}

// Milliseconds with at most three decimals, as microseconds.
bool ReadMilliseconds(const QString &text, int32_t maximum_ms, int32_t &us) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})(?:\\.(\\d{1,3}))?$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) {
        return false;
    }
    const int32_t whole_ms = match.captured(1).toInt();
    const int32_t fraction_us = match.captured(2).leftJustified(3, QLatin1Char('0')).toInt();
    if (whole_ms > maximum_ms || (whole_ms == maximum_ms && fraction_us > 0)) {
        return false;
    }
    us = whole_ms * 1000 + fraction_us;
    return true;
}

int32_t ExposureUs(const CaptureOptions &options) {
    return options.exposure_us >= 0 ? options.exposure_us : options.exposure_ms * 1000;
}

QString RoiRule(int32_t width, int32_t height) {
    return QStringLiteral("--roi must be WxH, multiples of 4, at most %1x%2")
        .arg(width)
        .arg(height);
}

// The settings of a profile that a recording without windows uses, as the
// main window would apply them.
bool ApplyProfile(const QString &name, CaptureOptions &options, QString &error) {
    if (!IsProfileName(name)) {
        error = QStringLiteral("--profile: \"%1\" cannot be a profile's name").arg(name);
        return false;
    }
    const std::optional<CaptureState> read =
        ReadProfile(ProfileFile(ProfilesFolder(SettingsStore().FileName()), name), error);
    if (!read) {
        return false;
    }
    const CaptureState &s = *read;
    options.exposure_ms = s.exposure_ms;
    // The window's fine range stores microseconds beside the whole ms.
    const int32_t exposure_us = s.ExposureUs();
    options.exposure_us = exposure_us % 1000 != 0 ? exposure_us : -1;
    options.gain = s.gain;
    options.colour = s.colour;
    options.red = s.red;
    options.green = s.green;
    options.blue = s.blue;
    options.roi_width = s.sub_width;
    options.roi_height = s.sub_height;
    options.roi_x = s.sub_x;
    options.roi_y = s.sub_y;
    options.roi_given = false;
    options.binning = std::min(s.binning_code, 2);  // 4x4 is not offered
    options.fast_transfer = s.fast_transfer;
    options.vblank = s.vblank;
    if (s.output_kind != MODE_NONE) {
        options.mode = s.output_kind;
    }
    options.depth = s.sixteen_bit ? 16 : 8;
    options.seconds = s.seconds_mode;
    options.count = s.count;
    options.delay_ms = s.delay_ms;
    options.darks = s.dark_frames;
    // SER files hold the raw frames: the window records them without its stamp.
    if (s.stamp_visible && options.mode != MODE_SER) {
        options.stamp_choice = s.stamp_choice;
        options.prefix = s.stamp_prefix;
        options.prefix_given = !s.stamp_prefix.isEmpty();
        options.hour_offset = s.stamp_hour_offset;
    }
    options.description.observer = s.observer;
    options.description.telescope = s.telescope;
    options.description.object = s.object;
    options.description.filter = s.filter;
    options.description.profile = name;
    return true;
}

// A date/time choice by its number or its name as the overlay window lists it
// (case and blanks ignored: "3", "Date/Time(ms)" and "date/time (ms)" agree).
bool ReadStampChoice(const QString &text, int32_t &choice) {
    if (ReadInteger(text, 0, STAMP_CHOICE_COUNT - 1, choice)) {
        return true;
    }
    const QString wanted = text.simplified().remove(' ').toLower();
    for (int32_t index = 0; index < STAMP_CHOICE_COUNT; ++index) {
        if (QString::fromLatin1(STAMP_CHOICES[index].name).remove(' ').toLower() == wanted) {
            choice = index;
            return true;
        }
    }
    return false;
}

bool ParseStampOptions(const QCommandLineParser &parser, CaptureOptions &options, QString &error) {
    if (parser.isSet("stamp") && !ReadStampChoice(parser.value("stamp"), options.stamp_choice)) {
        error = QStringLiteral(
            "--stamp must be 0-4 or a name: \"No Data\", \"Date\","
            " \"Date/Time (s)\", \"Date/Time(ms)\" or \"Time(ms)\"");
        return false;
    }
    options.prefix_given = parser.isSet("prefix");
    options.prefix = parser.value("prefix");
    if (parser.isSet("hour-offset")) {
        if (!ReadInteger(parser.value("hour-offset"), -STAMP_HOUR_OFFSET_LIMIT,
                         STAMP_HOUR_OFFSET_LIMIT, options.hour_offset)) {
            error = QStringLiteral("--hour-offset must be -12 to 12");
            return false;
        }
        if (options.stamp_choice < 0) {
            error = QStringLiteral("--hour-offset shifts the time of --stamp: give both");
            return false;
        }
    }
    if (options.mode == MODE_SER && !parser.isSet("stamp") && !parser.isSet("prefix")) {
        // A profile's stamp, for other kinds: SER records without it, as in the window.
        options.stamp_choice = -1;
        options.prefix_given = false;
    }
    if ((options.stamp_choice >= 0 || options.prefix_given) && options.mode == MODE_SER) {
        error = QStringLiteral(
            "SER files hold the raw frames, without a stamp: use avi, fit"
            " or bmp with --stamp or --prefix");
        return false;
    }
    return true;
}

}  // namespace

bool ParseCaptureOptions(const QStringList &arguments, CaptureOptions &options, QString &error) {
    QCommandLineParser parser;
    parser.addOptions({
        {"dir", "Folder that receives the files.", "DIR"},
        {"name", "Base name of the files.", "BASE"},
        {"format", "Output: ser, avi, fit or bmp.", "KIND"},
        {"depth",
         "Samples of ser and fit files: 8 (the default) or 16, for a camera deeper than 8 bits.",
         "BITS"},
        {"frames", "Record N frames.", "N"},
        {"seconds", "Record for S seconds.", "S"},
        {"exposure", "Exposure in milliseconds (0-19999, default 100; 0.25 is 250 us).", "MS"},
        {"gain", "Gain in percent (0-100, default 10).", "G"},
        {"roi", "Sub-frame WxH in sensor pixels, centred (multiples of 4).", "WxH"},
        {"bin", "Binning 1 or 2.", "B"},
        {"colour",
         "The camera is a colour camera (frames are colour mosaics; SER keeps the raw"
         " mosaic, the other outputs get colour pictures). A camera that describes itself"
         " says so itself."},
        {"delay", "Pause after each frame in milliseconds.", "MS"},
        {"iris", "IRIS-compatible numbering (no leading zeros)."},
        {"solar", "Solar mode: samples above LIMIT become SHADE (each 0-255).", "LIMIT:SHADE"},
        {"stamp",
         "Time stamp in AVI, FIT and BMP frames: 0-4 or \"No Data\", \"Date\","
         " \"Date/Time (s)\", \"Date/Time(ms)\", \"Time(ms)\".",
         "FORMAT"},
        {"prefix", "Text in front of the time stamp (alone: the stamp is this text).", "TEXT"},
        {"hour-offset", "Hours added to the clock for the stamp (-12 to 12).", "N"},
        {"darks",
         "Take N dark frames (1-99) before recording and subtract them; asks on stderr to cover"
         " and uncover the camera, each answered by a line on stdin.",
         "N"},
        {"language",
         "Language of the messages: E, F, N, G, I, S, X, O, Y or U, the letter of a"
         " language file beside the program.",
         "LETTER"},
        {"camera", "Camera: simulator or indi[:HOST[:PORT]][/DEVICE].", "CAMERA"},
        {"profile", "Start from the capture profile NAME; the other options win over it.", "NAME"},
    });
    AddObservationOptions(parser);
    if (!parser.parse(QStringList{QStringLiteral("omtrix-capture")} + arguments)) {
        error = parser.errorText();
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        error = QStringLiteral("unexpected argument: ") + parser.positionalArguments().first();
        return false;
    }
    // The defaults, then the profile, then the command's own options.
    options = CaptureOptions{};
    const bool profile = parser.isSet("profile");
    options.mode = MODE_NONE;
    if (profile && !ApplyProfile(parser.value("profile"), options, error)) {
        return false;
    }
    ReadObservationOptions(parser, options.description);
    options.directory = parser.value("dir");
    options.base_name = parser.value("name");
    if (options.directory.isEmpty() || options.base_name.isEmpty()) {
        error = QStringLiteral("--dir and --name are required");
        return false;
    }
    const QString format = parser.value("format").toLower();
    const std::pair<const char *, int32_t> kinds[] = {
        {"ser", MODE_SER}, {"avi", MODE_AVI}, {"fit", MODE_FIT}, {"bmp", MODE_BMP}};
    if (parser.isSet("format") || !profile) {
        options.mode = MODE_NONE;
        for (auto [name, mode] : kinds) {
            if (format == QLatin1String(name)) {
                options.mode = mode;
            }
        }
    }
    if (options.mode == MODE_NONE) {
        error = QStringLiteral("--format must be ser, avi, fit or bmp");
        return false;
    }
    if (parser.isSet("depth")) {
        const QString depth = parser.value("depth");
        if (depth != QLatin1String("8") && depth != QLatin1String("16")) {
            error = QStringLiteral("--depth must be 8 or 16");
            return false;
        }
        options.depth = depth.toInt();
        options.depth_given = true;
        if (options.depth == 16 && options.mode != MODE_SER && options.mode != MODE_FIT) {
            error = QStringLiteral(
                "--depth 16 is for ser and fit files: avi and bmp hold 8-bit pictures");
            return false;
        }
    }
    const bool count_given = parser.isSet("frames") || parser.isSet("seconds");
    if ((parser.isSet("frames") && parser.isSet("seconds")) || (!count_given && !profile)) {
        error = QStringLiteral("give either --frames N or --seconds S");
        return false;
    }
    if (count_given) {
        options.seconds = parser.isSet("seconds");
    }
    // 0 of either records until a signal stops it, as the window's count 0 does.
    if (count_given && !ReadInteger(parser.value(options.seconds ? "seconds" : "frames"), 0, 9999,
                                    options.count)) {
        error = options.seconds ? QStringLiteral("--seconds must be 0 to 9999")
                                : QStringLiteral("--frames must be 0 to 9999");
        return false;
    }
    if (parser.isSet("exposure")) {
        int32_t us = 0;
        if (!ReadMilliseconds(parser.value("exposure"), 19999, us)) {
            error = QStringLiteral("--exposure must be 0 to 19999 ms");
            return false;
        }
        options.exposure_ms = (us + 500) / 1000;
        options.exposure_us = us % 1000 == 0 ? -1 : us;
    }
    if (parser.isSet("gain") && !ReadInteger(parser.value("gain"), 0, 100, options.gain)) {
        error = QStringLiteral("--gain must be 0 to 100");
        return false;
    }
    if (parser.isSet("delay") && !ReadInteger(parser.value("delay"), 0, 999999, options.delay_ms)) {
        error = QStringLiteral("--delay must be 0 to 999999 ms");
        return false;
    }
    if (parser.isSet("bin") && (!ReadInteger(parser.value("bin"), 1, 2, options.binning))) {
        error = QStringLiteral("--bin must be 1 or 2");
        return false;
    }
    if (parser.isSet("roi")) {
        const QStringList size = parser.value("roi").toLower().split('x');
        // The camera's own sensor is known once it is connected; here, the
        // largest sensor any camera may have.
        if (size.size() != 2 || !ReadInteger(size[0], 4, LARGEST_SENSOR_WIDTH, options.roi_width) ||
            !ReadInteger(size[1], 4, LARGEST_SENSOR_HEIGHT, options.roi_height) ||
            options.roi_width % 4 != 0 || options.roi_height % 4 != 0) {
            error = RoiRule(LARGEST_SENSOR_WIDTH, LARGEST_SENSOR_HEIGHT);
            return false;
        }
        options.roi_x = options.roi_y = -1;  // centred, as --roi says
        options.roi_given = true;
    }
    if (parser.isSet("darks") &&
        !ReadInteger(parser.value("darks"), 1, MAX_DARK_COUNT, options.darks)) {
        error = QStringLiteral("--darks must be 1 to 99");
        return false;
    }
    if (parser.isSet("language")) {
        const QString letter = parser.value("language");
        const LanguageChoice *language =
            letter.size() == 1 ? LanguageOfLetter(letter.front()) : nullptr;
        if (!language) {
            error = QStringLiteral("--language must be one of E, F, N, G, I, S, X, O, Y, U");
            return false;
        }
        options.language = language->letter;
    }
    options.colour_given = parser.isSet("colour");
    options.colour = options.colour || options.colour_given;
    options.iris = parser.isSet("iris");
    if (parser.isSet("solar")) {
        const QStringList levels = parser.value("solar").split(':');
        options.solar = true;
        if (levels.size() != 2 || !ReadInteger(levels[0], 0, 255, options.solar_limit) ||
            !ReadInteger(levels[1], 0, 255, options.solar_shade)) {
            error = QStringLiteral("--solar must be LIMIT:SHADE, each 0 to 255");
            return false;
        }
        // A profile's colour is the camera's to settle once it is connected.
        if (options.colour_given) {
            error = QStringLiteral("--solar works on grey frames only: leave out --colour");
            return false;
        }
    }
    if (parser.isSet("camera")) {
        std::string reason;
        if (!ParseCameraChoice(parser.value("camera").toStdString(), reason)) {
            error = QStringLiteral("--camera: ") + QString::fromStdString(reason);
            return false;
        }
        options.camera = parser.value("camera");
    }
    return ParseStampOptions(parser, options, error);
}

QString CaptureSummary(const CaptureReport &report) {
    QStringList kept;
    for (const QString &file : report.files) {
        if (QFileInfo::exists(file)) {
            kept << QDir::toNativeSeparators(file);
        }
    }
    QString where;
    if (kept.isEmpty()) {
        where = QStringLiteral("; no file was left");
    } else if (kept.size() == 1) {
        where = QStringLiteral(" into ") + kept.first();
    } else {
        where = QStringLiteral(" into %1 files, %2 to %3")
                    .arg(kept.size())
                    .arg(kept.first(), kept.last());
    }
    return QStringLiteral("%1 frames written%2 in %3 ms")
        .arg(report.frames_written)
        .arg(where)
        .arg(report.elapsed_ms);
}

HeadlessCapture::HeadlessCapture(std::function<void(const QString &)> progress,
                                 std::function<void(const QString &)> file_created,
                                 std::function<void(const QString &)> ask_observer,
                                 std::function<void(const QString &)> progress_line)
    : progress_(std::move(progress)),
      file_created_(std::move(file_created)),
      ask_observer_(std::move(ask_observer)),
      progress_line_(progress_line ? std::move(progress_line) : progress_) {
    capture_.SetDarkPromptUi(this);
    recorder_ =
        std::make_unique<TAVIExport>(frames_, capture_, driver_, static_cast<RecorderUi &>(*this));
    recorder_->Init();
}

HeadlessCapture::~HeadlessCapture() {
    capture_.Stop();
    capture_.WaitUntilStopped(THREAD_STOP_WAIT_MS);
}

bool RecordingSubFrame(const CaptureOptions &options, const SensorSize &sensor, SubFrame &frame,
                       QString &error) {
    if (options.roi_given &&
        (options.roi_width > sensor.width || options.roi_height > sensor.height)) {
        error = RoiRule(sensor.width, sensor.height);
        return false;
    }
    frame = SubFrame{};
    frame.sensor = sensor;
    frame.sw = sensor.width;
    frame.sheight = sensor.height;
    // As the main window sets it from its sliders (units of 4 sensor pixels)
    // and binning: centred on the sensor.
    const FrameSize most = SliderMaxima(sensor);
    const int32_t width_position =
        options.roi_width > 0 ? std::min(options.roi_width / 4, most.width) : most.width;
    const int32_t height_position =
        options.roi_height > 0 ? std::min(options.roi_height / 4, most.height) : most.height;
    SetResolution(frame, width_position, height_position, options.binning);
    if (options.roi_x >= 0) {  // a profile's window keeps its place
        frame.sx = options.roi_x & ~1;
        frame.sy = options.roi_y & ~1;
        KeepOnSensor(frame);
    }
    return true;
}

// The camera as it describes itself: the frame blocks, the sub-frame and
// the colour follow it.
bool HeadlessCapture::FollowCamera(SubFrame &frame) {
    std::string complaint;
    const CameraSensor camera = DescribeCamera(driver_, complaint);
    if (!complaint.empty()) {
        progress_(texts_.CAMERA_DESCRIPTION + QLatin1Char(' ') + QString::fromStdString(complaint));
    }
    SetFrameBlockBytes(FrameBlockBytes(camera.width, camera.height, camera.bit_depth));
    if (options_.colour_given && !CameraIsColour(camera, true)) {
        report_.exit_code = EXIT_BAD_ARGUMENTS;
        report_.error =
            QStringLiteral("--colour needs a colour camera: this one describes itself as mono");
        return false;
    }
    options_.colour = CameraIsColour(camera, options_.colour);
    if (options_.solar && options_.colour) {
        report_.exit_code = EXIT_BAD_ARGUMENTS;
        report_.error = QStringLiteral("--solar works on grey frames only: this camera is colour");
        return false;
    }
    capture_.SetSensorBitDepth(camera.bit_depth);
    if (options_.depth_given && options_.depth == 16 && capture_.FrameBitDepth() <= 8) {
        report_.exit_code = EXIT_BAD_ARGUMENTS;
        report_.error = QStringLiteral(
            "--depth 16 needs a camera deeper than 8 bits: this one gives 8-bit samples");
        return false;
    }
    if (!RecordingSubFrame(options_, {camera.width, camera.height}, frame, report_.error)) {
        report_.exit_code = EXIT_BAD_ARGUMENTS;
        return false;
    }
    return true;
}

void HeadlessCapture::ProgramCamera(const CaptureOptions &options, const SubFrame &frame) {
    capture_.binning_code = options.binning;
    capture_.__color = options.colour;
    const ChannelGains gains =
        ComputeChannelGains(options.red, options.green, options.blue, options.gain, options.colour);
    capture_._rgain = static_cast<uint32_t>(gains.red);
    capture_._ggain = static_cast<uint32_t>(gains.green);
    capture_._bgain = static_cast<uint32_t>(gains.blue);
    RequestSubFrame(capture_, frame);
    capture_.SetExposureUs(ExposureUs(options));
    capture_.delay = 0;
    capture_.solar.limit = options.solar_limit;
    capture_.solar.shade = options.solar_shade;
    capture_.solar.on = options.solar;
    capture_._USB = options.fast_transfer ? 1 : 0;
    if (options.vblank >= 0) {
        driver_.SetVBLANK(options.vblank);
    }
}

// The stamp as the overlay window would set it: the choice (none: the prefix
// alone), the prefix and the offset, drawn in the default font and colours.
void HeadlessCapture::SetUpStamp(const CaptureOptions &options) {
    StampSettings &stamp = capture_.stamp_settings;
    const bool wanted = options.stamp_choice >= 0 || options.prefix_given;
    stamp.SetChoice(std::max(options.stamp_choice, 0));
    stamp.SetPrefix(options.prefix.toStdString());
    stamp.SetHourOffset(options.hour_offset);
    if (wanted) {
        overlay_.visible = true;
        overlay_.font = DefaultOverlayFont();
        recorder_->overlay = &overlay_;
    }
}

bool HeadlessCapture::WaitForFirstFrame(const CaptureOptions &options) {
    WaitUntil([this] { return first_frame_seen_ || stop_requested_; },
              static_cast<int>(options.exposure_ms + CAMERA_SILENCE_MS));
    return first_frame_seen_;
}

void HeadlessCapture::WaitUntil(const std::function<bool()> &done, int timeout_ms) {
    QEventLoop waiting;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &waiting, &QEventLoop::quit);
    if (timeout_ms > 0) {
        timer.start(timeout_ms);
    }
    waiting_ = &waiting;
    while (!done() && (timeout_ms <= 0 || timer.isActive())) {
        waiting.exec();
    }
    waiting_ = nullptr;
}

void HeadlessCapture::Wake() {
    if (waiting_) {
        waiting_->quit();
    }
}

// A camera that stopped delivering ends the recording, keeping what was written.
void HeadlessCapture::WatchCamera() {
    if (ended_) {
        return;
    }
    switch (capture_.Fault()) {
        case AcquisitionFault::None:
            return;
        case AcquisitionFault::CameraNotAnswering:
            report_.exit_code = EXIT_CAMERA_SILENT;
            report_.error = QStringLiteral("The camera stopped answering");
            break;
        case AcquisitionFault::OutOfMemory:
            report_.exit_code = EXIT_CAMERA_FAILED;
            report_.error = QStringLiteral("Out of memory: the camera stopped");
            break;
        case AcquisitionFault::Failed:
            report_.exit_code = EXIT_CAMERA_FAILED;
            report_.error = QStringLiteral("The camera stopped: %1")
                                .arg(QString::fromStdString(capture_.FailureText()));
            break;
    }
    report_.error += QStringLiteral("; the recording was ended.");
    recorder_->log.EndedBy(RecordingEnd::CameraStopped);
    recorder_->Close();
}

// The darks are taken before the recording opens its output, so that a run
// given no answer leaves no file: through the camera's own recording start,
// whose DarkPrepare asks the observer (as the window's does) and takes the
// darks before its first frame. The recording that follows keeps the same
// settings, so it finds the darks valid and asks nothing. False, with the
// report saying why, when the run ends meanwhile.
bool HeadlessCapture::TakeDarks(const CaptureOptions &options) {
    capture_.DARKCOUNT = options.darks;
    taking_darks_ = true;
    darks_tag_ = capture_.BeginRecording(options.exposure_ms, 0);
    WaitUntil([this] {
        return darks_taken_ || report_.exit_code != EXIT_DONE || stop_requested_ || ended_;
    });
    taking_darks_ = false;
    capture_.EndRecording();
    return darks_taken_ && report_.exit_code == EXIT_DONE && !stop_requested_;
}

void HeadlessCapture::AskObserver(DarkPromptStep step) {
    // Called on the camera thread: the asking happens on this object's thread.
    poster_.Post(step == DarkPromptStep::CoverCamera ? MSG_COVER_CAMERA : MSG_UNCOVER_CAMERA);
}

void HeadlessCapture::ApplyTexts(const InterfaceTexts &texts) {
    texts_ = texts;
    recorder_->SetTexts(texts);
}

void HeadlessCapture::ShowLanguageProblem(const QString &message) {
    progress_(message);
}

void HeadlessCapture::ShowDarkPrompt(const QString &text) {
    prompt_open_ = true;
    if (!ask_observer_) {
        ObserverGone();
        return;
    }
    ask_observer_(text);
}

void HeadlessCapture::DarkPromptAnswered() {
    if (prompt_open_) {
        prompt_open_ = false;
        capture_.DarkPromptAnswered();
    }
}

void HeadlessCapture::ObserverGone() {
    if (!prompt_open_) {
        return;
    }
    prompt_open_ = false;
    report_.exit_code = EXIT_NO_ANSWER;
    report_.error = QStringLiteral(
        "the end of input came before an answer to the dark-frame prompt; nothing was"
        " recorded.");
    Wake();
}

void HeadlessCapture::RequestStop(RecordingEnd how) {
    stop_requested_ = true;
    if (recorder_->Recording()) {
        recorder_->log.EndedBy(how);
        recorder_->Close();
    }
    Wake();
}

CaptureReport HeadlessCapture::Run(const QString &driver_path, const CaptureOptions &requested) {
    report_ = CaptureReport{};
    options_ = requested;
    const CaptureOptions &options = options_;  // as the camera has it, once connected
    if (const LanguageChoice *language = LanguageOfLetter(QLatin1Char(options.language))) {
        // The window's own loading, but the observer's stored language stays.
        InterfaceLanguage texts(*this);
        texts.LoadLanguage(ProgramFilePath(QLatin1String(language->file_name)));
        texts.ApplyInterface();
    }
    if (!QFileInfo(options.directory).isDir()) {
        report_.exit_code = EXIT_OUTPUT_FAILED;
        report_.error = QStringLiteral("There is no folder %1")
                            .arg(QDir::toNativeSeparators(options.directory));
        return report_;
    }
    // The driver reads its camera when the camera is connected.
    if (!options.camera.isEmpty()) {
        qputenv("OMTRIX_CAMERA", options.camera.toUtf8());
    }
    std::string missing;
    if (!LoadCameraDriver(library_, driver_path.toStdString(), driver_, missing)) {
        report_.exit_code = EXIT_NO_DRIVER;
        report_.error =
            QStringLiteral("Error loading MELKOTAR.DLL (%1)").arg(QString::fromStdString(missing));
        return report_;
    }
    recorder_->namer.SetIrisNumbering(options.iris);
    driver_._staticCall();
    driver_.SetNoiseReduction(1);
    if (!capture_.Connect()) {
        report_.exit_code = EXIT_NO_CAMERA;
        report_.error = texts_.NO_CAMERA_ERROR;
        return report_;
    }
    SubFrame frame;
    if (!FollowCamera(frame)) {
        return report_;
    }
    ProgramCamera(options, frame);
    SetUpStamp(options);
    capture_.Resume();
    const bool answered = WaitForFirstFrame(options);
    if (stop_requested_) {
        return report_;
    }
    if (!answered) {
        report_.exit_code = EXIT_CAMERA_SILENT;
        report_.error = QStringLiteral("The camera does not answer.");
        return report_;
    }

    QTimer watchdog;
    connect(&watchdog, &QTimer::timeout, this, &HeadlessCapture::WatchCamera);
    watchdog.start(500);
    if (options.darks > 0 && !TakeDarks(options)) {
        return report_;
    }

    RecordingRequest request;
    request.capture_directory = options.directory;
    request.base_name = options.base_name;
    request.mode = options.mode;
    request.exposure_ms = options.exposure_ms;
    request.exposure_us = ExposureUs(options);
    request.delay_ms = options.delay_ms;
    request.count = options.count;
    request.seconds_mode = options.seconds;
    const FrameSize size = BinnedFrameSize(frame.sw, frame.sheight, options.binning);
    request.frame_width = size.width;
    request.frame_height = size.height;
    request.description = DescribeCapture(options, frame);
    request.description.sample_bits = options.depth == 16 ? capture_.FrameBitDepth() : 8;

    const uint32_t started = TickCount();
    if (recorder_->StartRecording(request, started) != StartResult::Started) {
        report_.exit_code = EXIT_OUTPUT_FAILED;
        report_.error = QStringLiteral("The output could not be created in %1")
                            .arg(QDir::toNativeSeparators(options.directory));
        return report_;
    }
    report_.recording_started = true;
    WaitUntil([this] { return ended_; });
    report_.elapsed_ms = TickCount() - started;
    report_.frames_lost = recorder_->frames_lost;
    report_.frames_written = recorder_->framecount - recorder_->frames_lost;
    capture_.Stop();
    capture_.WaitUntilStopped(THREAD_STOP_WAIT_MS);
    return report_;
}

bool HeadlessCapture::event(QEvent *event) {
    switch (ReceivedMessage(event)) {
        case MSG_FRAME_READY: {
            if (!first_frame_seen_) {
                first_frame_seen_ = true;
                Wake();
            }
            const uint32_t now = TickCount();
            const PImageLst newest = frames_.Newest();
            if (taking_darks_ && newest && newest->generation == darks_tag_) {
                darks_taken_ = true;
                Wake();
            }
            if (newest && newest->generation == capture_.RecordingTag() && recorder_->Recording() &&
                ForTheRecording(now)) {
                ++report_.frames_acquired;
                report_.max_backlog =
                    std::max<int64_t>(report_.max_backlog, static_cast<int64_t>(frames_.Count()));
            }
            frame_ready_.OnFrameReady(false, now);
            return true;
        }
        case MSG_RECORD_FRAME:
            // While the darks are taken the camera runs as for a recording,
            // but there is none to hand its frames to yet.
            if (!taking_darks_) {
                recorder_->ProcessFrame(TickCount());
            }
            return true;
        case MSG_COVER_CAMERA:
            ShowDarkPrompt(texts_.MSG_COVERCAMERA);
            return true;
        case MSG_UNCOVER_CAMERA:
            ShowDarkPrompt(texts_.MSG_UNCOVERCAMERA);
            return true;
        default:
            return QObject::event(event);
    }
}

// Whether a frame delivered now belongs to the recording: one of the first
// frames it asked for, or one delivered before its end time.
bool HeadlessCapture::ForTheRecording(uint32_t now_tick) const {
    return options_.seconds || options_.count == 0 ? recorder_->TakesFrames(now_tick)
                                                   : report_.frames_acquired < options_.count;
}

void HeadlessCapture::ShowStatus(const QString &text) {
    // A status line per frame would flood the terminal: two a second do.
    const uint32_t now = TickCount();
    if (!text.isEmpty() && now - last_progress_tick_ >= 500) {
        last_progress_tick_ = now;
        progress_(text);
    }
}

void HeadlessCapture::ShowProgress(const RecordingProgress &progress) {
    // Once a second, and the last figures as the recording ends.
    const uint32_t now = TickCount();
    if (recorder_->Recording() && figures_shown_ && now - last_figures_tick_ < 1000) {
        return;
    }
    figures_shown_ = true;
    last_figures_tick_ = now;
    progress_line_(ProgressLine(progress, texts_));
}

void HeadlessCapture::ReleaseCaptureButton() {
    ended_ = true;
    Wake();
}

void HeadlessCapture::ReportWriteFailure() {
    report_.exit_code = EXIT_WRITE_FAILED;
    if (recorder_->frames_lost > 0) {
        report_.error = texts_.AVIERROR +
                        QStringLiteral(
                            " The file was removed while it was recorded (its folder deleted):"
                            " the %1 frames written into it are lost; the recording was ended.")
                            .arg(recorder_->frames_lost);
        return;
    }
    report_.error = texts_.AVIERROR + QStringLiteral(
                                          " A frame could not be written (disk full, folder gone"
                                          " or no permission); the recording was ended, keeping"
                                          " the frames written before it.");
}

void HeadlessCapture::FileCreated(const QString &file_name) {
    report_.files.append(file_name);
    file_created_(file_name);
}
