#include "driver/simulator/guide_drift.h"

#include <gtest/gtest.h>

namespace simcam {
namespace {

using std::chrono::milliseconds;

struct DirectionCase {
    int32_t bits;
    float right, down;  // px after one second
};

TEST(GuideDrift, EachBitDriftsTheSceneItsOwnWay) {
    const float rate = GUIDE_RATE_PX_PER_S;
    const DirectionCase cases[] = {
        {GUIDE_RA_MINUS, -rate, 0.0f},
        {GUIDE_DEC_PLUS, 0.0f, -rate},
        {GUIDE_DEC_MINUS, 0.0f, rate},
        {GUIDE_RA_PLUS, rate, 0.0f},
        {GUIDE_DEC_PLUS | GUIDE_RA_PLUS, rate, -rate},
        {GUIDE_RA_PLUS | GUIDE_RA_MINUS, 0.0f, 0.0f},
        {1 | 2 | 256, 0.0f, 0.0f},
    };
    const GuideDrift::Clock::time_point t0{};
    for (const DirectionCase &c : cases) {
        GuideDrift drift;
        drift.Command(c.bits, 60000, t0 + milliseconds(100));
        const GuideDrift::Offset offset = drift.OffsetAt(t0 + milliseconds(1100));
        EXPECT_NEAR(offset.right, c.right, 0.01f) << "bits " << c.bits;
        EXPECT_NEAR(offset.down, c.down, 0.01f) << "bits " << c.bits;
    }
}

TEST(GuideDrift, PulsesEndAtTheirDurationOrAtStopAndAddUp) {
    const float rate = GUIDE_RATE_PX_PER_S;
    const GuideDrift::Clock::time_point t0{};
    GuideDrift drift;
    drift.Command(GUIDE_RA_PLUS, 500, t0);
    EXPECT_NEAR(drift.OffsetAt(t0 + milliseconds(250)).right, 0.25f * rate, 0.01f);
    EXPECT_NEAR(drift.OffsetAt(t0 + milliseconds(3000)).right, 0.5f * rate, 0.01f);

    drift.Command(GUIDE_DEC_MINUS, 60000, t0 + milliseconds(3000));
    drift.Command(0, 0, t0 + milliseconds(3200));
    const GuideDrift::Offset stopped = drift.OffsetAt(t0 + milliseconds(9000));
    EXPECT_NEAR(stopped.right, 0.5f * rate, 0.01f);
    EXPECT_NEAR(stopped.down, 0.2f * rate, 0.01f);
}

}  // namespace
}  // namespace simcam
