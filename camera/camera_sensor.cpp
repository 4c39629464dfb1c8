#include "camera/camera_sensor.h"

#include <algorithm>
#include <array>

namespace {

void Complain(std::string &complaint, const std::string &what) {
    complaint += complaint.empty() ? what : "; " + what;
}

}  // namespace

CameraSensor DescribeCamera(const CameraDriver &driver, std::string &complaint) {
    complaint.clear();
    CameraSensor sensor;
    if (driver.SensorWidth == nullptr || driver.SensorHeight == nullptr) {
        return sensor;
    }
    sensor.described = true;

    const int32_t width = driver.SensorWidth();
    const int32_t height = driver.SensorHeight();
    if (width >= 4 && height >= 4) {
        // Even sizes keep the colour mosaic's cells whole.
        sensor.width = std::min(width, LARGEST_SENSOR_WIDTH) & ~1;
        sensor.height = std::min(height, LARGEST_SENSOR_HEIGHT) & ~1;
    } else {
        Complain(complaint, "sensor size " + std::to_string(width) + " x " + std::to_string(height));
    }
    if (driver.SensorBitDepth != nullptr) {
        const int32_t bits = driver.SensorBitDepth();
        if (bits >= 8 && bits <= 16) {
            sensor.bit_depth = bits;
        } else {
            Complain(complaint, "bit depth " + std::to_string(bits));
        }
    }
    if (driver.SensorBayerPattern != nullptr) {
        const int32_t pattern = driver.SensorBayerPattern();
        if (pattern >= 0 && pattern <= static_cast<int32_t>(BayerPattern::BGGR)) {
            sensor.pattern = static_cast<BayerPattern>(pattern);
        } else {
            Complain(complaint, "Bayer pattern " + std::to_string(pattern));
        }
    }
    if (driver.SensorPixelSize != nullptr) {
        sensor.pixel_size_nm = std::max(driver.SensorPixelSize(), 0);
    }
    if (driver.SensorName != nullptr) {
        std::array<char, 128> name{};
        driver.SensorName(name.data(), static_cast<int32_t>(name.size()));
        name.back() = '\0';
        sensor.name = name.data();
    }
    if (driver.ExposureRange != nullptr) {
        int32_t shortest_us = -1;
        int32_t longest_us = -1;
        int32_t step_us = -1;
        driver.ExposureRange(&shortest_us, &longest_us, &step_us);
        if (shortest_us >= 0 && longest_us > shortest_us && step_us > 0) {
            sensor.shortest_exposure_us = shortest_us;
            sensor.longest_exposure_us = longest_us;
            sensor.exposure_step_us = step_us;
        } else {
            Complain(complaint, "exposure range " + std::to_string(shortest_us) + " ... " +
                                    std::to_string(longest_us) + " us in steps of " +
                                    std::to_string(step_us));
        }
    }
    if (driver.GainRange != nullptr) {
        int32_t lowest = 0;
        int32_t highest = 0;
        driver.GainRange(&lowest, &highest);
        if (highest >= lowest) {
            sensor.lowest_gain = lowest;
            sensor.highest_gain = highest;
        }
    }
    return sensor;
}
