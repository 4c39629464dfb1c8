#pragma once

#include <cstdint>
#include <string>

// The exposure slider's position for an exposure: one position per
// millisecond, the same scale the slider sets the exposure by, so the two
// agree both ways. An exposure past the slider's longest setting (its preset)
// rests the slider at its end.
int32_t ExposureSliderPosition(int32_t exposure_ms, int32_t slider_maximum);

// Exposure-length change cancels a running exposure only when that exposure
// is longer than this, so short exposures are not wasted.
inline constexpr int32_t CANCEL_ABOVE_MS = 500;

// The milliseconds of a preset item caption such as "&1000ms"; -1 when the
// caption holds no number.
int32_t PresetMilliseconds(const std::string &caption);
