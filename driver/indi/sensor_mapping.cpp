#include "driver/indi/sensor_mapping.h"

#include <algorithm>

namespace indicam {

namespace {

// The program's colour at a frame column and row (row 0 at the bottom).
char ProgramColour(int32_t column, int32_t row) {
    static constexpr char MOSAIC[2][2] = {{'G', 'R'}, {'B', 'G'}};
    return MOSAIC[row & 1][column & 1];
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

// Floor division, so that the centring is the same on both sides of zero.
int32_t HalfDown(int32_t value) {
    return value >= 0 ? value / 2 : -((-value + 1) / 2);
}

int32_t FloorToMultiple(int32_t value, int32_t step) {
    return value >= 0 ? value / step * step : -((-value + step - 1) / step * step);
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

CameraRequest MapWindow(const simcam::FrameWindow &window, const SensorInfo &sensor) {
    CameraRequest request;
    const int32_t step = 1 << window.bin_shift;
    request.binning = step;
    request.frame_width = window.FrameWidth();
    request.frame_height = window.FrameHeight();
    if (sensor.width < 1 || sensor.height < 1) {
        return request;
    }
    // The program's sensor origin (bottom-left) on the real sensor, counted
    // from the real bottom-left; kept even so the colour pattern survives
    // before the Bayer shift puts it in the program's order.
    const BayerShift shift = BayerShiftFor(sensor.bayer_pattern, sensor.height);
    const int32_t origin_x =
        FloorToMultiple(HalfDown(sensor.width - simcam::SENSOR_WIDTH), 2) + shift.columns;
    const int32_t origin_y =
        FloorToMultiple(HalfDown(sensor.height - simcam::SENSOR_HEIGHT), 2) + shift.rows;

    // The window on the real sensor, cut to it in whole binned pixels.
    const int32_t left = origin_x + window.x;
    const int32_t bottom = origin_y + window.y;
    const int32_t cut_left = std::max(0, -left + step - 1) / step * step;
    const int32_t cut_bottom = std::max(0, -bottom + step - 1) / step * step;
    const int32_t right = std::min(left + window.FrameWidth() * step, sensor.width);
    const int32_t top = std::min(bottom + window.FrameHeight() * step, sensor.height);
    const int32_t width = FloorToMultiple(right - (left + cut_left), step);
    const int32_t height = FloorToMultiple(top - (bottom + cut_bottom), step);
    if (width <= 0 || height <= 0) {
        return request;
    }
    request.x = left + cut_left;
    request.y = sensor.height - (bottom + cut_bottom + height);
    request.width = width;
    request.height = height;
    request.placement.x = cut_left / step;
    request.placement.y = cut_bottom / step;
    return request;
}

}  // namespace indicam
