#pragma once

#include <cstdint>
#include <string>

#include "camera/driver_api.h"

// Bayer patterns as the driver names them: the colours of the sensor's
// top-left 2 x 2 cell as the camera counts it.
enum class BayerPattern : int32_t { None = 0, RGGB = 1, GRBG = 2, GBRG = 3, BGGR = 4 };

// The largest sensor the program takes; a camera claiming more is cut to it.
inline constexpr int32_t LARGEST_SENSOR_WIDTH = 4096;
inline constexpr int32_t LARGEST_SENSOR_HEIGHT = 3072;

// The connected camera as its driver describes it. The defaults are the
// camera every driver library has, and what a library without the optional
// entries is taken to be: a 2048 x 1536 8-bit sensor whose colour the
// observer states, with exposures in whole milliseconds up to 19999 ms.
struct CameraSensor {
    bool described = false;  // the library has the optional entries
    int32_t width = 2048;
    int32_t height = 1536;
    int32_t bit_depth = 8;  // significant bits of a sample, 8 ... 16
    BayerPattern pattern = BayerPattern::None;
    int32_t pixel_size_nm = 0;  // 0 when unknown
    std::string name;
    int32_t shortest_exposure_us = 0;
    int32_t longest_exposure_us = 19999000;
    int32_t exposure_step_us = 1000;
    int32_t lowest_gain = 0;  // the camera's own units; both 0 when unknown
    int32_t highest_gain = 0;

    bool Deep() const { return bit_depth > 8; }
    // The sample most exposed: 255 for 8 bits, 4095 for 12.
    int32_t MaximumSample() const { return (1 << bit_depth) - 1; }
};

// Whether the camera settles its colour itself: one that describes itself
// says colour (a Bayer pattern) or mono (none). Only for a camera without
// the optional entries does the observer's colour tick say it.
inline bool CameraSettlesColour(const CameraSensor &sensor) {
    return sensor.described;
}

// Whether the frames are colour mosaics: the camera's own word where it
// gives one, else `observer_choice`.
inline bool CameraIsColour(const CameraSensor &sensor, bool observer_choice) {
    return CameraSettlesColour(sensor) ? sensor.pattern != BayerPattern::None : observer_choice;
}

// Asks the driver's optional entries, after the camera connected. Answers
// out of reason (a size of 0 or beyond the largest sensor, a depth outside
// 8 ... 16, an exposure range upside down) keep the default of that item,
// and `complaint` says which; empty when all were taken.
CameraSensor DescribeCamera(const CameraDriver &driver, std::string &complaint);
