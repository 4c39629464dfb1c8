// The stored settings: read once at start-up, mirrored during the run and
// written by the exit routine.
#include <QAction>
#include <QButtonGroup>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>

#include "app/camera_window.h"
#include "app/main_window.h"
#include "app/observation_fields.h"
#include "app/output_names_window.h"
#include "preview/overlay_window.h"
#include "preview/solar_window.h"
#include "widgets/seven_segment_counter.h"

void TForm1::ReadStoredSettings() {
    const SettingsStore store;
    // A stored value that is none falls back to the default, and says so:
    // the exit then stores the value in use.
    QStringList problems;
    const CaptureState state = ReadStoredCaptureState(store, problems);
    for (const QString &problem : problems) {
        qWarning("Omtrix: %s", qUtf8Printable(problem));
    }
    // A first start records at once, into a folder of the desktop's pictures.
    filename = store.ReadSetting(QStringLiteral("CAPFILE"), QString());
    capture_directory_ = store.ReadSetting(QStringLiteral("CAPDIR"), QString());
    if (filename.isEmpty()) {
        filename = DEFAULT_CAPTURE_NAME;
    }
    if (capture_directory_.isEmpty()) {
        capture_directory_ = DefaultCaptureDirectory();
    }
    Form5->SetBaseName(filename);
    Form5->Observation->ReadStored();
    ApplyCaptureState(state);
    mirror_.EXPODELAY = QString::number(delays->Value());
}

CaptureState TForm1::CurrentCaptureState() const {
    CaptureState s;
    s.exposure_ms = expo->value();
    s.exposure_us = exposure_us_;
    s.exposure_range_ms = exposure_scale_.range_ms;
    s.gain = Gain->value();
    s.colour = observer_colour_;
    s.red = RED->value();
    s.green = GREEN->value();
    s.blue = BLUE->value();
    s.black_point = _BLACK->value();
    s.white_point = _WHITE->value();
    s.sub_x = sub_frame_.sx;
    s.sub_y = sub_frame_.sy;
    s.sub_width = sub_frame_.sw;
    s.sub_height = sub_frame_.sheight;
    s.binning_code = Cap->binning_code;
    s.fast_transfer = C1->isChecked();
    s.vblank = vblank->value();
    s.output_kind = output_kind_;
    s.sixteen_bit = SixteenBit1->isChecked();
    s.seconds_mode = seconds_mode_;
    s.count = expos->Value();
    s.delay_ms = delays->Value();
    s.dark_frames = VrCounter1->Value();
    s.solar_limit = Cap->solar.limit;
    s.solar_shade = Cap->solar.shade;
    s.stamp_visible = Visible1->isChecked();
    s.stamp_choice = ConfText->choices->checkedId();
    s.stamp_prefix = ConfText->fixed->text();
    s.stamp_hour_offset = ConfText->SpinEdit1->value();
    const ObservationFields &observation = *Form5->Observation;
    s.observer = observation.Observer->text().trimmed();
    s.telescope = observation.Telescope->text().trimmed();
    s.object = observation.Object->text().trimmed();
    s.filter = observation.Filter->text().trimmed();
    return s;
}

void TForm1::ApplyCaptureState(const CaptureState &s) {
    SetExposureRange(s.exposure_range_ms);
    SetExposureUs(s.ExposureUs());
    Gain->setValue(s.gain);
    observer_colour_ = s.colour;
    ColorCamera1->setChecked(CameraIsColour(camera_, s.colour));
    ColorCamera1Click();
    for (auto [bar, value] : {std::pair{RED, s.red}, {GREEN, s.green}, {BLUE, s.blue}}) {
        const QSignalBlocker quiet(bar);
        bar->setValue(value);
    }
    {
        // Black below white whatever order they arrive in: each handler pushes
        // its slider back past the other.
        const QSignalBlocker quiet_black(_BLACK);
        const QSignalBlocker quiet_white(_WHITE);
        _WHITE->setValue(std::max(s.white_point, s.black_point + 1));
        _BLACK->setValue(std::min(s.black_point, _WHITE->value() - 1));
        Preview->_BlackPoint = _BLACK->value();
        Preview->_WhitePoint = _WHITE->value();
    }

    // The sliders give the size; SetResolution keeps the centre, so the
    // corner is set first.
    sub_frame_.sx = s.sub_x;
    sub_frame_.sy = s.sub_y;
    sub_frame_.sw = s.sub_width / 4 * 4;
    sub_frame_.sheight = s.sub_height / 4 * 4;
    KeepOnSensor(sub_frame_);
    for (auto [bar, value] :
         {std::pair{__width, sub_frame_.sw / 4}, std::pair{__height, sub_frame_.sheight / 4}}) {
        const QSignalBlocker quiet(bar);
        bar->setValue(value);
    }
    QAction *binning[] = {N1x1Binning1, N2x2Binning1, N4x4Binning1};
    binning[s.binning_code - 1]->setChecked(true);
    BinningClick(s.binning_code);  // SetResolution, UpdateRectangle: the gains follow too

    C1->setChecked(s.fast_transfer);
    C1Click();
    vblank->setValue(s.vblank);
    vblankChange();
    SixteenBit1->setChecked(s.sixteen_bit);
    if (s.output_kind != MODE_NONE) {
        OutputKindClick(s.output_kind);
    }
    if (seconds_mode_ != s.seconds_mode) {
        CountClick();
    }
    expos->SetValue(s.count);
    delays->SetValue(s.delay_ms);
    VrCounter1->SetValue(s.dark_frames);
    VrCounter1Change();
    Form7->SetLevels(s.solar_limit, s.solar_shade);
    Visible1->setChecked(s.stamp_visible);
    Visible1Click();
    ConfText->choices->button(s.stamp_choice)->click();
    ConfText->fixed->setText(s.stamp_prefix);
    ConfText->SpinEdit1->setValue(s.stamp_hour_offset);
    ObservationFields &observation = *Form5->Observation;
    observation.Observer->setText(s.observer);
    observation.Telescope->setText(s.telescope);
    observation.Object->setText(s.object);
    observation.Filter->setText(s.filter);
}

void TForm1::InitSettingsMirror() {
    mirror_.EXPOLENGTH = QString::number(expo->value());
    mirror_.EXPOCOUNT = QString::number(expos->Value());
    mirror_.CAPFILE = filename;
    mirror_.CAPDIR = capture_directory_;
    mirror_.COLORMODE = observer_colour_ ? QStringLiteral("T") : QStringLiteral("F");
    mirror_.REDBALANCE = QString::number(RED->value());
    mirror_.GREENBALANCE = QString::number(GREEN->value());
    mirror_.BLUEBALANCE = QString::number(BLUE->value());
    mirror_.GAIN = QString::number(Gain->value());
}

void TForm1::ApplyStoredCamera() {
    camera_from_environment_ = qEnvironmentVariable("OMTRIX_CAMERA");
    const QString stored = SettingsStore().ReadSetting(CAMERA_SETTING, QString());
    std::string error;
    if (!ParseCameraChoice(stored.toStdString(), error)) {
        qWarning(
            "Omtrix: the stored CAMERA \"%s\" names no camera (%s): the simulated camera is "
            "used",
            qUtf8Printable(stored), error.c_str());
        return;
    }
    if (camera_from_environment_.isEmpty() && !stored.isEmpty()) {
        qputenv("OMTRIX_CAMERA", stored.toUtf8());
    }
}

void TForm1::CameraChoice1Click() {
    std::string error;
    const std::optional<CameraChoice> stored = ParseCameraChoice(
        SettingsStore().ReadSetting(CAMERA_SETTING, QString()).toStdString(), error);
    CameraForm->SetChoice(stored.value_or(CameraChoice{}));
    CameraForm->SetEnvironmentNote(camera_from_environment_);
    CameraForm->open();
}

void TForm1::CameraWindowAccepted() {
    const CameraChoice chosen = CameraForm->Choice();
    SettingsStore store;
    std::string error;
    if (ParseCameraChoice(store.ReadSetting(CAMERA_SETTING, QString()).toStdString(), error) ==
        chosen) {
        return;
    }
    store.WriteSetting(CAMERA_SETTING, QString::fromStdString(FormatCameraChoice(chosen)));
    if (!store.Flush()) {
        ShowNotice(QStringLiteral("The camera choice could not be stored in %1.")
                       .arg(QDir::toNativeSeparators(store.FileName())));
        return;
    }
    ShowNotice(QStringLiteral("The camera choice takes effect at the next start."));
}
