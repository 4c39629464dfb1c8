#include "driver/indi/guide_repeater.h"

#include <algorithm>

namespace indicam {

namespace {

// The pulse due now: at most PULSE, and no longer than the press has left.
int32_t PulseMs(GuideRepeater::Clock::time_point now, GuideRepeater::Clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now);
    return static_cast<int32_t>(std::min(left, GuideRepeater::PULSE).count());
}

}  // namespace

GuideRepeater::GuideRepeater(std::function<void(const GuidePulses &)> send)
    : send_(std::move(send)), thread_([this] { Renew(); }) {}

GuideRepeater::~GuideRepeater() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void GuideRepeater::Guide(int32_t direction_bits, int32_t duration_ms) {
    std::lock_guard send(send_mutex_);
    const Clock::time_point now = Clock::now();
    int32_t pulse_ms = 0;
    {
        std::lock_guard lock(mutex_);
        const bool moving = direction_bits != 0 && duration_ms >= 1;
        direction_bits_ = moving ? direction_bits : 0;
        end_ = now + std::chrono::milliseconds(moving ? duration_ms : 0);
        next_ = now + RENEWAL;
        pulse_ms = PulseMs(now, end_);
    }
    wake_.notify_all();
    send_(GuidePulsesFor(direction_bits, pulse_ms));
}

void GuideRepeater::Renew() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || direction_bits_ != 0; });
        if (stopping_) {
            return;
        }
        if (wake_.wait_until(
                lock, next_,
                [this] { return stopping_ || direction_bits_ == 0 || Clock::now() >= next_; }) &&
            (stopping_ || direction_bits_ == 0)) {
            continue;
        }
        lock.unlock();
        std::lock_guard send(send_mutex_);
        lock.lock();
        // A command may have come meanwhile; it has sent its own pulse.
        const Clock::time_point now = Clock::now();
        if (stopping_ || direction_bits_ == 0 || now < next_) {
            continue;
        }
        const int32_t pulse_ms = PulseMs(now, end_);
        if (pulse_ms < 1) {
            direction_bits_ = 0;  // the press is over; its last pulse ends by itself
            continue;
        }
        const GuidePulses pulses = GuidePulsesFor(direction_bits_, pulse_ms);
        next_ = now + RENEWAL;
        lock.unlock();
        send_(pulses);
        lock.lock();
    }
}

}  // namespace indicam
