#include "driver/indi/sensor_description.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>

#include "driver/indi/sensor_mapping.h"

namespace indicam {

namespace {

// Seconds to whole microseconds, within what an int32_t holds (about 35
// minutes; INDI cameras claim up to an hour).
int32_t Microseconds(double seconds) {
    const double us = std::round(seconds * 1e6);
    if (!(us > 0)) {
        return 0;
    }
    return us >= std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                     : static_cast<int32_t>(us);
}

int32_t BayerCode(std::string_view pattern) {
    constexpr std::pair<std::string_view, int32_t> CODES[] = {
        {"RGGB", BAYER_RGGB}, {"GRBG", BAYER_GRBG}, {"GBRG", BAYER_GBRG}, {"BGGR", BAYER_BGGR}};
    for (const auto &[name, code] : CODES) {
        if (pattern == name) {
            return code;
        }
    }
    return BAYER_NONE;
}

// The finest step of an exposure. INDI drivers give CCD_EXPOSURE a step for
// the spin boxes of their clients (1 s in most); a step coarser than 1 ms
// says nothing of how finely the camera times, and the value goes out with
// microsecond precision.
int32_t ExposureStep(double step_s) {
    const int32_t step_us = Microseconds(step_s);
    return step_us >= 1 && step_us <= 1000 ? step_us : 1;
}

int32_t Gain(double value) {
    return static_cast<int32_t>(std::clamp(std::round(value), -1e9, 1e9));
}

}  // namespace

SensorDescription DescribeSensor(const CameraDescription &camera) {
    SensorDescription sensor;
    const ProgramSensor program =
        ProgramSensorFor({camera.sensor_width, camera.sensor_height, camera.bayer_pattern});
    if (program.width < 1 || program.height < 1) {
        return sensor;
    }
    sensor.width = program.width;
    sensor.height = program.height;
    sensor.bit_depth = camera.bit_depth;
    sensor.bayer_pattern = BayerCode(camera.bayer_pattern);
    sensor.pixel_size_nm =
        static_cast<int32_t>(std::lround(std::clamp(camera.pixel_size_um * 1000, 0.0, 1e6)));
    sensor.name = camera.device;
    sensor.shortest_exposure_us = Microseconds(camera.exposure_min_s);
    sensor.longest_exposure_us = Microseconds(camera.exposure_max_s);
    sensor.exposure_step_us = ExposureStep(camera.exposure_step_s);
    if (camera.gain_max > camera.gain_min) {
        sensor.lowest_gain = Gain(camera.gain_min);
        sensor.highest_gain = Gain(camera.gain_max);
    }
    return sensor;
}

}  // namespace indicam
