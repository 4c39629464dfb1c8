#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace simcam {

enum class SensorKind { Mono, Colour };

// The sensor sizes OMTRIX_SIM_SIZE takes: even sides from the smallest to the
// largest, 2048 x 1536 unless set.
inline constexpr int32_t SMALLEST_SENSOR_SIDE = 64;
inline constexpr int32_t LARGEST_SENSOR_WIDTH = 4096;
inline constexpr int32_t LARGEST_SENSOR_HEIGHT = 3072;
enum class SeeingKind { Off, Good, Average, Poor };

// The driver's own settings: which sensor it simulates, the sky, and faults
// to practise with. Read from the environment when the program connects; the
// variables are listed in driver/README.md.
struct SimSettings {
    SensorKind sensor = SensorKind::Mono;
    int32_t width = 2048;
    int32_t height = 1536;
    int32_t bit_depth = 8;  // significant bits of a sample: 8, 10, 12 or 16
    bool camera_present = true;
    // Exposures the camera completes before it stops answering; -1 never.
    int32_t frames_before_hang = -1;
    SeeingKind seeing = SeeingKind::Average;
    bool noise = true;
    // While a file of this name exists the camera is covered; empty: never.
    std::string cap_file;
    // Exposures end at once, each a copy of one picture: a camera faster
    // than any real one, to measure what the program itself costs.
    bool instant = false;
};

using EnvironmentLookup = std::function<const char *(const char *name)>;

// Unknown values keep the default and are reported on stderr.
SimSettings ReadSimSettings(const EnvironmentLookup &lookup);
SimSettings ReadSimSettingsFromEnvironment();

}  // namespace simcam
