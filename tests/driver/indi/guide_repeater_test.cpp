// A held guide button as short timed pulses, renewed while it is held.

#include "driver/indi/guide_repeater.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>
#include <vector>

namespace {

using indicam::GuidePulses;
using indicam::GuideRepeater;
using Clock = GuideRepeater::Clock;
using namespace std::chrono_literals;

constexpr int32_t DEC_PLUS = 32, RA_MINUS = 16;
const int32_t PULSE_MS = static_cast<int32_t>(GuideRepeater::PULSE.count());

// What reached the guide port, and when (milliseconds after the test began).
class Port {
  public:
    struct Sent {
        int64_t at_ms;
        GuidePulses pulses;
    };
    void Send(const GuidePulses &pulses) {
        std::lock_guard lock(mutex_);
        sent_.push_back(
            {std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count(),
             pulses});
    }
    std::vector<Sent> All() {
        std::lock_guard lock(mutex_);
        return sent_;
    }

  private:
    const Clock::time_point start_ = Clock::now();
    std::mutex mutex_;
    std::vector<Sent> sent_;
};

TEST(GuideRepeaterTest, AHeldButtonRenewsShortPulsesUntilItsReleaseStopsThem) {
    Port port;
    GuideRepeater repeater([&](const GuidePulses &pulses) { port.Send(pulses); });
    repeater.Guide(DEC_PLUS | RA_MINUS, 60000);
    std::this_thread::sleep_for(1s);
    repeater.Guide(0, 0);
    const size_t at_release = port.All().size();
    std::this_thread::sleep_for(3 * GuideRepeater::PULSE);

    const std::vector<Port::Sent> sent = port.All();
    ASSERT_EQ(sent.size(), at_release) << "nothing is renewed after the release";
    ASSERT_GE(sent.size(), 5u) << "a second held: the first pulse and renewals";
    const GuidePulses held{PULSE_MS, 0, 0, PULSE_MS};  // north and east
    for (size_t i = 0; i + 1 < sent.size(); ++i) {
        EXPECT_EQ(sent[i].pulses, held) << i;
        if (i > 0) {
            // Each pulse is sent before the one before has run out.
            EXPECT_LT(sent[i].at_ms - sent[i - 1].at_ms, PULSE_MS) << i;
        }
    }
    EXPECT_EQ(sent.back().pulses, GuidePulses{}) << "the release says stop";
}

TEST(GuideRepeaterTest, ATimedPressEndsWhenItsDurationIsOver) {
    struct Case {
        int32_t duration_ms;
        int32_t total_ms;  // the pulses' sum, about
    };
    for (const Case c : {Case{100, 100}, Case{700, 700}}) {
        Port port;
        GuideRepeater repeater([&](const GuidePulses &pulses) { port.Send(pulses); });
        repeater.Guide(DEC_PLUS, c.duration_ms);
        std::this_thread::sleep_for(std::chrono::milliseconds(c.duration_ms) +
                                    3 * GuideRepeater::PULSE);
        const std::vector<Port::Sent> sent = port.All();
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent.front().pulses.north_ms, std::min(c.duration_ms, PULSE_MS));
        // The last pulse ends where the press does.
        const int64_t end_ms = sent.back().at_ms + sent.back().pulses.north_ms;
        EXPECT_NEAR(end_ms - sent.front().at_ms, c.total_ms, 60) << c.duration_ms;
        if (c.duration_ms <= PULSE_MS) {
            EXPECT_EQ(sent.size(), 1u) << "a short press is one pulse";
        }
    }
}

}  // namespace
