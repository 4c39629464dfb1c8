#pragma once

#include <cstdint>

namespace indicam {

// The camera's gain for the program's gain code: the code's analogue gain
// (1/8 … 15) as a share of the program's range, spread over the camera's
// range from `minimum` to `maximum`.
double CameraGain(int32_t gain_code, double minimum, double maximum);

// Timed guide pulses in milliseconds for the guide port's direction bits
// (16 RA-, 32 DEC+, 64 DEC-, 128 RA+): DEC+ is north, DEC- south, RA+ west,
// RA- east. Opposite bits cancel; (0, 0) or a duration below 1 stops.
struct GuidePulses {
    int32_t north_ms = 0;
    int32_t south_ms = 0;
    int32_t west_ms = 0;
    int32_t east_ms = 0;
    bool operator==(const GuidePulses &) const = default;
};
GuidePulses GuidePulsesFor(int32_t direction_bits, int32_t duration_ms);

}  // namespace indicam
