#pragma once

#include <QString>
#include <cstdint>

// What a recording's files say about it besides its pictures: the
// observation, the camera and the settings it was made with. Filled by whoever
// starts the recording (the main window or omtrix-capture); the recorder only
// passes it on to the headers and the log.
struct RecordingDescription {
    // Typed by the observer; empty when not given.
    QString observer;
    QString telescope;
    QString object;
    QString filter;
    QString camera;        // CameraNameOf the camera choice
    int32_t gain = 0;      // the gain control's value, in percent
    int32_t binning = 1;   // samples per side added into one: 1, 2 or 4
    int32_t window_x = 0;  // the sub-frame in sensor pixels, x from the left
    int32_t window_y = 0;  // and y from the sensor's bottom edge
    int32_t window_width = 0;
    int32_t window_height = 0;
    int32_t dark_count = 0;     // dark exposures taken off each frame; 0 = none
    // Significant bits of each sample the files hold: 8, or a deep camera's
    // depth in 16-bit samples (SER and FIT only; the recorder keeps the
    // others at 8).
    int32_t sample_bits = 8;
    int32_t solar_limit = -1;   // solar mode's limit; -1 = solar mode off
    QString profile;            // the settings profile's name, if any
    bool write_log = true;      // a Key=Value log beside the recording
    bool name_by_time = false;  // WinJUPOS-style name from the mid-time
};

// "Omtrix" and its version, as files name the program that wrote them.
QString SoftwareName();

// The camera as files name it, from the choice's text (`simulator` or
// `indi[:HOST[:PORT]][/DEVICE]`, empty for the simulator): the INDI device's
// name, or what kind of camera it is when none is named.
QString CameraNameOf(const QString &camera_choice);
