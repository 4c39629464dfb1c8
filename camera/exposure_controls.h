#pragma once

#include <cstdint>
#include <string>

#include "camera/camera_sensor.h"

// The exposure slider's longest setting that switches it to the camera's own
// steps below a millisecond, for the Sun and the Moon in bright light.
inline constexpr int32_t FINE_RANGE_MS = 1;
// The shortest longest-setting in whole milliseconds (the first preset).
inline constexpr int32_t SHORTEST_MS_RANGE = 100;
// The longest exposure the window offers, the range of its exposure value.
inline constexpr int32_t LONGEST_EXPOSURE_MS = 19999;

// How the exposure slider counts. Over a range of milliseconds it has one
// position per millisecond from 0 to the range's end. In the fine range it
// has one position per camera step, from the camera's shortest exposure to
// 1 ms, and the exposure keypad types microseconds.
struct ExposureScale {
    int32_t range_ms = 5000;  // the longest setting it stands for, FINE_RANGE_MS for the fine one
    int32_t unit_us = 1000;   // one slider position
    int32_t lowest = 0;       // slider positions
    int32_t highest = 5000;

    bool Fine() const { return unit_us < 1000; }
    // One keypad digit's worth at the end of the value: a microsecond in the
    // fine range, a millisecond otherwise.
    int32_t KeypadUnitUs() const { return Fine() ? 1 : 1000; }
};

// Whether the camera exposes below 1 ms in steps shorter than 1 ms.
bool HasFineExposures(const CameraSensor &camera);

// The longest exposure the window offers for the camera, in whole ms.
int32_t LongestExposureMs(const CameraSensor &camera);

// The slider's scale for a longest setting (a preset's milliseconds or
// FINE_RANGE_MS). The fine range needs a camera with fine exposures;
// otherwise, as for any range below the first preset, the scale is that
// preset's. A range longer than the camera's longest exposure ends there.
ExposureScale ScaleForRange(int32_t range_ms, const CameraSensor &camera);

// The slider's position for an exposure: the nearest position on the scale,
// so slider and exposure agree both ways. An exposure past the slider's end
// (its preset) rests the slider at its end.
int32_t ExposureSliderPosition(int32_t exposure_us, const ExposureScale &scale);

// The exposure as the window shows it: "100ms" for whole milliseconds,
// "250µs" below one, "1.500ms" otherwise.
std::string ExposureCaption(int32_t exposure_us);

// Exposure-length change cancels a running exposure only when that exposure
// is longer than this, so short exposures are not wasted.
inline constexpr int32_t CANCEL_ABOVE_MS = 500;

// The milliseconds of a preset item caption such as "&1000ms"; -1 when the
// caption holds no number.
int32_t PresetMilliseconds(const std::string &caption);
