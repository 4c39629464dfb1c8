#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "driver/simulator/frame_geometry.h"

namespace indicam {

// The real sensor as the camera describes itself.
struct SensorInfo {
    int32_t width = 0;
    int32_t height = 0;
    // The colour filter pattern from the sensor's top-left pixel, such as
    // "RGGB"; empty for a mono sensor.
    std::string_view bayer_pattern;
};

// What to ask the camera for so that the program gets the window it asked
// for: a frame in real-sensor pixels (offsets from the top-left corner, as
// CCD_FRAME counts them) and its binning. The program's frame is the binned
// picture, turned so that its row 0 is the bottom.
struct CameraRequest {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;  // 0: an empty window, nothing to ask for
    int32_t height = 0;
    int32_t binning = 1;
    int32_t frame_width = 0;  // the program's frame, binned
    int32_t frame_height = 0;

    bool operator==(const CameraRequest &) const = default;
};

// The one-pixel shift (columns right, rows up) of the program's sensor on the
// real one that lines the real colour pattern up with the program's mosaic
// (even frame rows G R, odd rows B G, row 0 at the bottom). Zero for a mono
// sensor or a pattern that is not a Bayer pattern.
struct BayerShift {
    int32_t columns = 0;
    int32_t rows = 0;
    bool operator==(const BayerShift &) const = default;
};
BayerShift BayerShiftFor(std::string_view pattern, int32_t sensor_height);

// The pattern from the sensor's top-left pixel of a camera whose CCD_CFA
// names `pattern` and the offsets at which it starts (CFA_OFFSET_X and _Y,
// FITS's XBAYROFF and YBAYROFF): an odd offset swaps the pattern's columns or
// rows. Anything that is not a Bayer pattern is given back as it is.
std::string PatternAtOffset(std::string_view pattern, int32_t offset_x, int32_t offset_y);

// The sensor the program sees: the real one from the Bayer shift on, to an
// even size, so that its colour cells are whole. A colour sensor whose
// pattern needs a shift along an axis is one cell (two pixels) shorter on
// it: the shifted sensor would end one pixel beyond the real one. Empty
// while the real sensor is unknown.
struct ProgramSensor {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const ProgramSensor &) const = default;
};
ProgramSensor ProgramSensorFor(const SensorInfo &sensor);

// The program's window (in program-sensor pixels, y from the bottom edge,
// binned by `window.bin_shift`) fitted onto the program's sensor as the
// simulator fits it (sizes cut to the sensor, offsets moved back onto it),
// then read 1:1 from the real sensor.
CameraRequest MapWindow(const simcam::FrameWindow &window, const SensorInfo &sensor);

}  // namespace indicam
