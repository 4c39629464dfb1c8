#pragma once

#include <QString>
#include <cstdint>

#include "platform/settings_store.h"

// The capture settings as the program keeps them during a run: one text per
// stored value, replaced whenever its control changes, written together when
// the program ends.
struct SettingsMirror {
    QString EXPOLENGTH;
    QString EXPODELAY;
    QString EXPOCOUNT;
    QString CAPFILE;
    QString CAPDIR;
    QString COLORMODE;
    QString REDBALANCE;
    QString GREENBALANCE;
    QString BLUEBALANCE;
    QString GAIN;
};

// The camera the driver serves, as OMTRIX_CAMERA writes it (`simulator` or
// `indi[:HOST[:PORT]][/DEVICE]`); stored by the camera window when it is closed with OK.
inline const QString CAMERA_SETTING = QStringLiteral("CAMERA");
// The on-screen keyboard's layout, stored by the keyboard itself at each change.
inline const QString DEFAULT_KEYBOARD = QStringLiteral("AZERTY");

// Writes the ten mirrored values in their fixed order through one store.
// False when the store could not be written.
bool SaveSettings(SettingsStore &store, const SettingsMirror &mirror);
