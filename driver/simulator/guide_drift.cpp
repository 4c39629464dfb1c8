#include "driver/simulator/guide_drift.h"

#include <algorithm>

namespace simcam {

void GuideDrift::Command(int32_t direction_bits, int32_t duration_ms, Clock::time_point now) {
    std::lock_guard lock(mutex_);
    settled_ = OffsetLocked(now);
    velocity_ = {};
    if (direction_bits & GUIDE_RA_MINUS) {
        velocity_.right -= GUIDE_RATE_PX_PER_S;
    }
    if (direction_bits & GUIDE_RA_PLUS) {
        velocity_.right += GUIDE_RATE_PX_PER_S;
    }
    if (direction_bits & GUIDE_DEC_PLUS) {
        velocity_.down -= GUIDE_RATE_PX_PER_S;
    }
    if (direction_bits & GUIDE_DEC_MINUS) {
        velocity_.down += GUIDE_RATE_PX_PER_S;
    }
    pulse_start_ = now;
    pulse_end_ = now + std::chrono::milliseconds(std::max(duration_ms, 0));
}

GuideDrift::Offset GuideDrift::OffsetAt(Clock::time_point when) const {
    std::lock_guard lock(mutex_);
    return OffsetLocked(when);
}

GuideDrift::Offset GuideDrift::OffsetLocked(Clock::time_point when) const {
    const auto until = std::clamp(when, pulse_start_, pulse_end_);
    const float seconds = std::chrono::duration<float>(until - pulse_start_).count();
    return {settled_.right + velocity_.right * seconds, settled_.down + velocity_.down * seconds};
}

}  // namespace simcam
