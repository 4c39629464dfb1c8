// The stored settings: read once at start-up, mirrored during the run and
// written by the exit routine.
#include <QAction>
#include <QDir>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>

#include "app/camera_window.h"
#include "app/main_window.h"
#include "app/output_names_window.h"
#include "widgets/seven_segment_counter.h"

void TForm1::ReadStoredSettings() {
    const SettingsStore store;
    auto read = [&](const char *name, const QString &fallback) {
        return store.ReadSetting(QString::fromLatin1(name), fallback);
    };
    // A stored number that is none falls back to the default, and says so:
    // the exit then stores the value in use.
    auto number = [&](const char *name, const QString &fallback) {
        const QString text = read(name, fallback);
        const int32_t value = SettingInteger(text, -1);  // never negative when read
        if (value < 0) {
            const int32_t fallback_value = SettingInteger(fallback, 0);
            qWarning("Omtrix: the stored %s \"%s\" is not a number: %d is used", name,
                     qUtf8Printable(text), fallback_value);
            return fallback_value;
        }
        return value;
    };
    expos->SetValue(number("EXPOCOUNT", DEFAULT_EXPOCOUNT));
    delays->SetValue(number("EXPODELAY", DEFAULT_EXPODELAY));
    mirror_.EXPODELAY = QString::number(delays->Value());

    filename = read("CAPFILE", QString());
    capture_directory_ = read("CAPDIR", QString());
    Form5->SetBaseName(filename);
    Form5->Observation->ReadStored();

    ColorCamera1->setChecked(read("COLORMODE", DEFAULT_COLORMODE) == QLatin1String("T"));
    ColorCamera1Click();

    RED->setValue(number("REDBALANCE", DEFAULT_BALANCE));
    GREEN->setValue(number("GREENBALANCE", DEFAULT_BALANCE));
    BLUE->setValue(number("BLUEBALANCE", DEFAULT_BALANCE));
    Gain->setValue(number("GAIN", DEFAULT_GAIN));
}

void TForm1::InitSettingsMirror() {
    mirror_.EXPOLENGTH = QString::number(expo->value());
    mirror_.EXPOCOUNT = QString::number(expos->Value());
    mirror_.CAPFILE = filename;
    mirror_.CAPDIR = capture_directory_;
    mirror_.COLORMODE = ColorCamera1->isChecked() ? QStringLiteral("T") : QStringLiteral("F");
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
