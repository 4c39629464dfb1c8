// The stored settings: read once at start-up, mirrored during the run and
// written by the exit routine.
#include <QAction>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>

#include "app/main_window.h"
#include "app/output_names_window.h"
#include "widgets/seven_segment_counter.h"

void TForm1::ReadStoredSettings() {
    const SettingsStore store;
    auto read = [&](const char *name, const QString &fallback) {
        return store.ReadSetting(QString::fromLatin1(name), fallback);
    };
    expos->SetValue(SettingInteger(read("EXPOCOUNT", DEFAULT_EXPOCOUNT), 1));
    const QString delay_text = read("EXPODELAY", DEFAULT_EXPODELAY);
    delays->SetValue(SettingInteger(delay_text, 0));
    mirror_.EXPODELAY = QString::number(delays->Value());

    filename = read("CAPFILE", QString());
    capture_directory_ = read("CAPDIR", QString());
    Form5->SetBaseName(filename);

    ColorCamera1->setChecked(read("COLORMODE", DEFAULT_COLORMODE) == QLatin1String("T"));
    ColorCamera1Click();

    const int32_t balance_default = SettingInteger(DEFAULT_BALANCE, 100);
    RED->setValue(SettingInteger(read("REDBALANCE", DEFAULT_BALANCE), balance_default));
    GREEN->setValue(SettingInteger(read("GREENBALANCE", DEFAULT_BALANCE), balance_default));
    BLUE->setValue(SettingInteger(read("BLUEBALANCE", DEFAULT_BALANCE), balance_default));
    Gain->setValue(SettingInteger(read("GAIN", DEFAULT_GAIN), 10));
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
