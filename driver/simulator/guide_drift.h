#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>

#include "driver/guide_port.h"

namespace simcam {

// Each guide port bit moves the scene at a steady rate while its pulse runs,
// in the direction of the scope control's button for it: east left, north
// up, south down, west right.
inline constexpr float GUIDE_RATE_PX_PER_S = 30.0f;

// Where guide pulses have moved the scene. Pulses come from the GUI thread,
// the exposure thread asks where the scene is.
class GuideDrift {
  public:
    using Clock = std::chrono::steady_clock;

    struct Offset {
        float right = 0.0f;
        float down = 0.0f;
    };

    // Starts a pulse in the directions of `direction_bits` lasting at most
    // duration_ms; bits 0 end any running pulse. Bits of no direction are ignored.
    void Command(int32_t direction_bits, int32_t duration_ms, Clock::time_point now);
    Offset OffsetAt(Clock::time_point when) const;

  private:
    Offset OffsetLocked(Clock::time_point when) const;

    mutable std::mutex mutex_;
    Offset settled_;   // what finished pulses moved
    Offset velocity_;  // of the running pulse, px per s
    Clock::time_point pulse_start_;
    Clock::time_point pulse_end_;
};

}  // namespace simcam
