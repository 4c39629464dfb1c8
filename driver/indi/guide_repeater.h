#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "driver/indi/indi_controls.h"

namespace indicam {

// A held guide button as an INDI guide port can stop it. A timed pulse runs
// its length whatever comes after (drivers ignore a pulse of 0), so a long
// press becomes short pulses, each sent before the one before runs out, for
// as long as the press lasts: a release stops the motion within one short
// pulse.
class GuideRepeater {
  public:
    using Clock = std::chrono::steady_clock;
    // The length of each pulse, and how often the next one is sent: early
    // enough that the motion does not pause between them.
    static constexpr std::chrono::milliseconds PULSE{250};
    static constexpr std::chrono::milliseconds RENEWAL{200};

    // `send` hands pulses to the guide port, one call at a time.
    explicit GuideRepeater(std::function<void(const GuidePulses &)> send);
    ~GuideRepeater();
    GuideRepeater(const GuideRepeater &) = delete;
    GuideRepeater &operator=(const GuideRepeater &) = delete;

    // Guides in the directions of `direction_bits` for `duration_ms` from
    // now, replacing what ran before; no bits or a duration below 1 stops,
    // and the port is told so (sends zeros).
    void Guide(int32_t direction_bits, int32_t duration_ms);

  private:
    void Renew();

    const std::function<void(const GuidePulses &)> send_;
    // Held around every send, so that a renewal never follows a newer command.
    std::mutex send_mutex_;
    std::mutex mutex_;
    std::condition_variable wake_;
    int32_t direction_bits_ = 0;  // 0: nothing to renew
    Clock::time_point end_;
    Clock::time_point next_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace indicam
