#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

#include "platform/settings_store.h"

// Every setting a night's capture depends on, as the program stores it at
// its end and as a profile holds it. Sizes and places are in sensor pixels.
struct CaptureState {
    int32_t exposure_ms = 100;
    // The same to the microsecond; it counts only while it rounds to
    // `exposure_ms`, so a file that changes the one alone still means it.
    int32_t exposure_us = 100000;
    int32_t exposure_range_ms = 5000;  // the exposure slider's longest setting; 1: the fine range
    int32_t gain = 10;
    bool colour = false;
    int32_t red = 100;
    int32_t green = 100;
    int32_t blue = 100;
    int32_t black_point = 0;
    int32_t white_point = 255;
    // The sub-frame. Its limits are the largest sensor the program takes
    // (4096 x 3072); a window larger than the connected camera's sensor is
    // cut to it where it is applied, so a state stored with a larger camera
    // still reads, and the default is the whole sensor of any camera.
    int32_t sub_x = 0;
    int32_t sub_y = 0;
    int32_t sub_width = 4096;
    int32_t sub_height = 3072;
    int32_t binning_code = 1;  // 1 = 1x1, 2 = 2x2, 3 = 4x4
    bool fast_transfer = false;
    int32_t vblank = 0;
    int32_t output_kind = 0;  // a RecordingMode; MODE_NONE until the observer chooses
    bool sixteen_bit = false;  // SER and FIT files of a deep camera hold 16-bit samples
    bool seconds_mode = false;
    int32_t count = 1;
    int32_t delay_ms = 0;
    int32_t dark_frames = 0;
    int32_t solar_limit = 255;
    int32_t solar_shade = 255;
    bool stamp_visible = false;
    int32_t stamp_choice = 3;  // an index of STAMP_CHOICES
    QString stamp_prefix;
    int32_t stamp_hour_offset = 0;
    QString observer;
    QString telescope;
    QString object;
    QString filter;

    // The exposure the state stands for, to the microsecond.
    int32_t ExposureUs() const {
        return (exposure_us + 500) / 1000 == exposure_ms ? exposure_us : exposure_ms * 1000;
    }
    bool operator==(const CaptureState &) const = default;
};

// Writes every value of `state` through `store` (not flushed).
void WriteCaptureState(SettingsStore &store, const CaptureState &state);

// The state the program's own settings file holds. A value that is absent
// keeps its default; one that is out of its range or no value at all keeps
// its default too, and `problems` gets a line saying so.
CaptureState ReadStoredCaptureState(const SettingsStore &store, QStringList &problems);

// Where a first start records, before the observer has chosen a folder: the
// desktop's pictures folder (XDG_PICTURES_DIR, else the one the desktop's
// user-dirs name, when it exists), else the home folder, plus "Omtrix". The
// folder is made when the first recording starts.
QString DefaultCaptureDirectory();
inline const QString DEFAULT_CAPTURE_NAME = QStringLiteral("Capture");

// Profiles: named capture states, each a settings file "NAME.ini" in the
// "profiles" folder beside the program's settings file.
QString ProfilesFolder(const QString &settings_file);
// The names of the profiles in the folder, sorted.
QStringList ProfileNames(const QString &folder);
// A name that can be a file's name on every system: not empty, at most 64
// characters, no path separators, no leading dot, no characters Windows refuses.
bool IsProfileName(const QString &name);
QString ProfileFile(const QString &folder, const QString &name);

// Reads a profile as a whole: nothing is returned unless the file is there,
// every line reads and every value is present and within its range; `error`
// then says what is wrong, naming the file. A value newer than the profile
// (SIXTEENBIT, EXPOSUREUS) keeps its default when absent.
std::optional<CaptureState> ReadProfile(const QString &file_name, QString &error);
// Writes the profile, creating its folder; false with `error` set when it
// cannot be written.
bool WriteProfile(const QString &file_name, const CaptureState &state, QString &error);
