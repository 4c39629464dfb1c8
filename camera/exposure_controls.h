#pragma once

#include <cstdint>
#include <string>

// Exposure slider scale: 0..1000 ms spread over positions 0..2500, then
// 1000..5000 ms over 2500..5000; anything from 5000 ms up asks for a
// position past every maximum, so the slider rests at its end.
int32_t ExposureSliderPosition(int32_t exposure_ms);

// Exposure-length change cancels a running exposure only when that exposure
// is longer than this, so short exposures are not wasted.
inline constexpr int32_t CANCEL_ABOVE_MS = 500;

// The milliseconds of a preset item caption such as "&1000ms"; -1 when the
// caption holds no number.
int32_t PresetMilliseconds(const std::string &caption);
