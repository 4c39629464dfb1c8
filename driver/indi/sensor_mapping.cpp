#include "driver/indi/sensor_mapping.h"

#include <algorithm>

#include "pixels/demosaic.h"

namespace indicam {

namespace {

// The program's colour at a frame column and row (row 0 at the bottom).
char ProgramColour(int32_t column, int32_t row) {
    return "RGB"[simcam::MosaicChannel(column, row)];
}

bool IsBayerPattern(std::string_view pattern) {
    if (pattern.size() != 4) {
        return false;
    }
    int32_t red = 0, green = 0, blue = 0;
    for (char colour : pattern) {
        red += colour == 'R';
        green += colour == 'G';
        blue += colour == 'B';
    }
    return red == 1 && green == 2 && blue == 1;
}

}  // namespace

BayerShift BayerShiftFor(std::string_view pattern, int32_t sensor_height) {
    if (!IsBayerPattern(pattern)) {
        return {};
    }
    for (int32_t rows = 0; rows < 2; ++rows) {
        for (int32_t columns = 0; columns < 2; ++columns) {
            bool matches = true;
            for (int32_t row = 0; row < 2 && matches; ++row) {
                for (int32_t column = 0; column < 2 && matches; ++column) {
                    // Real-sensor column and row counted from the top-left.
                    const int32_t real_column = column + columns;
                    const int32_t real_row = sensor_height - 1 - (row + rows);
                    const char real =
                        pattern[static_cast<size_t>(((real_row & 1) << 1) | (real_column & 1))];
                    matches = real == ProgramColour(column, row);
                }
            }
            if (matches) {
                return {columns, rows};
            }
        }
    }
    return {};
}

std::string PatternAtOffset(std::string_view pattern, int32_t offset_x, int32_t offset_y) {
    std::string at_origin(pattern);
    if (!IsBayerPattern(pattern)) {
        return at_origin;
    }
    for (size_t k = 0; k < 4; ++k) {
        const size_t row = (k >> 1) ^ static_cast<size_t>(offset_y & 1);
        const size_t column = (k & 1) ^ static_cast<size_t>(offset_x & 1);
        at_origin[k] = pattern[(row << 1) | column];
    }
    return at_origin;
}

ProgramSensor ProgramSensorFor(const SensorInfo &sensor) {
    if (sensor.width < 1 || sensor.height < 1) {
        return {};
    }
    const BayerShift shift = BayerShiftFor(sensor.bayer_pattern, sensor.height);
    return {std::max(sensor.width - shift.columns, 0) & ~1,
            std::max(sensor.height - shift.rows, 0) & ~1};
}

CameraRequest MapWindow(const simcam::FrameWindow &window, const SensorInfo &sensor) {
    CameraRequest request;
    const ProgramSensor program = ProgramSensorFor(sensor);
    const int32_t step = 1 << std::clamp(window.bin_shift, 0, 2);
    const int32_t width = std::clamp(window.width, 0, program.width);
    const int32_t height = std::clamp(window.height, 0, program.height);
    const int32_t x = std::clamp(window.x, 0, program.width - width);
    const int32_t y = std::clamp(window.y, 0, program.height - height);
    request.binning = step;
    request.frame_width = width / step;
    request.frame_height = height / step;
    if (request.frame_width < 1 || request.frame_height < 1) {
        request.frame_width = request.frame_height = 0;
        return request;
    }
    // The program's bottom-left pixel is the real one at the shift, counted
    // from the real bottom-left; CCD_FRAME counts rows from the top.
    const BayerShift shift = BayerShiftFor(sensor.bayer_pattern, sensor.height);
    request.width = request.frame_width * step;
    request.height = request.frame_height * step;
    request.x = shift.columns + x;
    request.y = sensor.height - (shift.rows + y + request.height);
    return request;
}

}  // namespace indicam
