#include "pixels/deep_conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "pixels/byte_division.h"
#include "pixels/grey_conversion.h"
#include "support/instruction_sets.h"

namespace {

// Every 16-bit value once and a ragged tail, so the vector loop and its
// remainder both run; one more sample beyond the count must stay untouched.
std::vector<uint16_t> AllSamples() {
    std::vector<uint16_t> samples(65536 + 13);
    for (size_t k = 0; k < samples.size(); ++k)
        samples[k] = uint16_t(k * 40503u);  // every value, scattered
    return samples;
}

constexpr uint8_t UNTOUCHED = 0xA5;

TEST(NarrowSamples, TopEightBitsOfTheDepthOnEverySet) {
    const std::vector<uint16_t> samples = AllSamples();
    OnEveryInstructionSet([&] {
        for (int32_t depth : {9, 10, 12, 14, 16}) {
            for (size_t count : {samples.size() - 1, size_t(1), size_t(37)}) {
                std::vector<uint8_t> out(count + 1, UNTOUCHED);
                NarrowSamples(samples.data(), out.data(), count, depth);
                for (size_t k = 0; k < count; ++k) {
                    const uint32_t top = samples[k] >> (depth - 8);
                    ASSERT_EQ(out[k], top > 255 ? 255 : top)
                        << "depth " << depth << " sample " << samples[k];
                }
                ASSERT_EQ(out[count], UNTOUCHED) << "only the samples asked for change";
            }
        }
    });
}

// A square scale: the top as the narrowed sample's, the faint end fine
// enough for a deep camera's faint picture; both points on one grid of at
// most 255 steps.
TEST(ScaleViewPoints, PointsRunOverTheDepthOnASquareScale) {
    const struct {
        int32_t black_point, white_point, depth, black, white;
    } rows[] = {
        {0, 255, 12, 0, 4080},    {0, 255, 16, 0, 65280},      // the top as narrowed
        {0, 1, 16, 0, 1},         {0, 3, 16, 0, 9},            // a faint picture's reach
        {0, 16, 12, 0, 16},       {0, 1, 9, 0, 1},             // never 0 for a white point
        {20, 200, 10, 4, 628},    {254, 255, 12, 4048, 4080},  // on a grid of 4 and 16
        {0, 0, 16, 0, 1},         {255, 255, 12, 4048, 4080},  // equal points move apart
        {200, 100, 12, 624, 628},  // white below black wins from the white point up
        {5, 0, 16, -1, 0},         // a white point of 0: all white
    };
    for (const auto &row : rows) {
        const DeepPoints points = ScaleViewPoints(row.black_point, row.white_point, row.depth);
        EXPECT_EQ(points.black, row.black) << row.black_point << "/" << row.white_point;
        EXPECT_EQ(points.white, row.white) << row.black_point << "/" << row.white_point;
    }
}

// floor(255 (v - black) / (white - black)) with v held to black ... white,
// by plain integer division, for every sample value; 255 only at the
// depth's maximum and above.
TEST(DeepView, StretchesEverySampleOverTheDepthOnEverySet) {
    const std::vector<uint16_t> samples = AllSamples();
    const size_t count = samples.size() - 1;
    const struct {
        int32_t black_point, white_point;
    } points[] = {{0, 255}, {0, 1},   {20, 200}, {254, 255}, {0, 0},  {200, 100},
                  {9, 0},   {1, 254}, {0, 3},    {2, 40},    {0, 154}};
    OnEveryInstructionSet([&] {
        for (int32_t depth : {9, 12, 16}) {
            for (const auto &p : points) {
                const DeepPoints deep = ScaleViewPoints(p.black_point, p.white_point, depth);
                std::vector<uint8_t> view(count + 1, UNTOUCHED);
                DeepView(samples.data(), view.data(), count, depth, p.black_point, p.white_point);
                for (size_t k = 0; k < count; ++k) {
                    const int64_t v = std::clamp<int64_t>(samples[k], deep.black, deep.white);
                    const int64_t stretched = 255 * (v - deep.black) / (deep.white - deep.black);
                    const int64_t expected =
                        samples[k] >= (1 << depth) - 1 ? 255 : std::min<int64_t>(stretched, 254);
                    ASSERT_EQ(view[k], expected)
                        << "depth " << depth << " points " << p.black_point << "/" << p.white_point
                        << " sample " << samples[k];
                }
                ASSERT_EQ(view[count], UNTOUCHED) << "only the samples asked for change";
            }
        }
    });
}

// The view's division by the points' m steps (1 ... 255), for every t up to
// 255 m, against plain integer division.
TEST(ByteDivider, GivesEveryQuotientOfEveryDivisor) {
    for (uint32_t m = 1; m <= 255; ++m) {
        const ByteDivider divider = MakeByteDivider(m);
        for (uint32_t t = 0; t <= 255 * m; ++t) {
            ASSERT_EQ(Divide(divider, t), t / m) << "m " << m << " t " << t;
        }
    }
}

TEST(DeepView, WithTheFullRangeIsTheNarrowedSampleBelowSaturation) {
    const std::vector<uint16_t> samples = AllSamples();
    for (int32_t depth : {9, 12, 16}) {
        std::vector<uint8_t> view(samples.size()), narrowed(samples.size());
        DeepView(samples.data(), view.data(), samples.size(), depth, 0, 255);
        NarrowSamples(samples.data(), narrowed.data(), samples.size(), depth);
        for (size_t k = 0; k < samples.size(); ++k) {
            const bool saturated = samples[k] >= (1 << depth) - 1;
            ASSERT_EQ(view[k], saturated ? 255 : std::min<uint8_t>(narrowed[k], 254))
                << "depth " << depth << " sample " << samples[k];
        }
    }
}

// A deep mono frame's picture made in one pass is the grey conversion of
// its view, and the view it writes beside it, where asked, is DeepView's:
// at every width, up to 32 rows of every sample value.
TEST(DeepViewToBitmap, IsTheGreyPictureOfTheView) {
    const std::vector<uint16_t> samples = AllSamples();
    const struct {
        int32_t depth, black_point, white_point;
    } cases[] = {{12, 2, 40}, {16, 0, 255}, {16, 1, 254}, {9, 9, 0}, {16, 0, 1}};
    OnEveryInstructionSet([&] {
        for (const int32_t w : AWKWARD_WIDTHS) {
            const int32_t h = std::min<int32_t>(32, int32_t(samples.size() / size_t(w)));
            const size_t count = size_t(w) * h;
            for (const auto &c : cases) {
                std::vector<uint8_t> expected_view(count);
                DeepView(samples.data(), expected_view.data(), count, c.depth, c.black_point,
                         c.white_point);
                Bitmap24 expected;
                GreyToBitmap(expected_view.data(), w, h, expected);
                for (const bool with_view : {true, false}) {
                    std::vector<uint8_t> view(count + 1, UNTOUCHED);
                    Bitmap24 picture;
                    DeepViewToBitmap(samples.data(), w, h, c.depth, c.black_point, c.white_point,
                                     picture, with_view ? view.data() : nullptr);
                    ASSERT_EQ(picture.Width(), w);
                    ASSERT_EQ(picture.Height(), h);
                    for (int32_t r = 0; r < h; ++r) {
                        ASSERT_TRUE(
                            std::equal(picture.Row(r), picture.Row(r) + 3 * w, expected.Row(r)))
                            << "width " << w << " row " << r << " depth " << c.depth;
                    }
                    if (with_view) {
                        ASSERT_TRUE(
                            std::equal(expected_view.begin(), expected_view.end(), view.begin()))
                            << "width " << w << " depth " << c.depth;
                    }
                    ASSERT_EQ(view[count], UNTOUCHED);
                }
            }
        }
    });
}

}  // namespace
