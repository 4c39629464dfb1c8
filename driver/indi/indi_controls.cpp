#include "driver/indi/indi_controls.h"

#include <algorithm>

#include "driver/guide_port.h"
#include "driver/simulator/camera_controls.h"

namespace indicam {

double CameraGain(int32_t gain_code, double minimum, double maximum) {
    const double lowest = simcam::AnalogueGainForCode(1);
    const double highest = simcam::AnalogueGainForCode(0x67);
    const double share = std::clamp(
        (simcam::AnalogueGainForCode(gain_code) - lowest) / (highest - lowest), 0.0, 1.0);
    return minimum + share * (maximum - minimum);
}

GuidePulses GuidePulsesFor(int32_t direction_bits, int32_t duration_ms) {
    GuidePulses pulses;
    if (duration_ms < 1) {
        return pulses;
    }
    const bool north = (direction_bits & GUIDE_DEC_PLUS) != 0;
    const bool south = (direction_bits & GUIDE_DEC_MINUS) != 0;
    const bool west = (direction_bits & GUIDE_RA_PLUS) != 0;
    const bool east = (direction_bits & GUIDE_RA_MINUS) != 0;
    if (north != south) {
        (north ? pulses.north_ms : pulses.south_ms) = duration_ms;
    }
    if (west != east) {
        (west ? pulses.west_ms : pulses.east_ms) = duration_ms;
    }
    return pulses;
}

}  // namespace indicam
