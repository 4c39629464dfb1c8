#include "pixels/demosaic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "driver/speed_check.h"
#include "support/instruction_sets.h"

namespace simcam {
namespace {

struct Colour {
    uint8_t red, green, blue;
};

// The mosaic a colour sensor records of a scene: even rows G R, odd rows B G.
template <typename SceneColour>
std::vector<uint8_t> Mosaic(int32_t width, int32_t height, SceneColour colour_at) {
    std::vector<uint8_t> mosaic(static_cast<size_t>(width) * height);
    for (int32_t r = 0; r < height; ++r) {
        for (int32_t c = 0; c < width; ++c) {
            const Colour colour = colour_at(r, c);
            const bool odd_row = r & 1, odd_column = c & 1;
            mosaic[static_cast<size_t>(r) * width + c] =
                odd_row == odd_column ? colour.green : (odd_row ? colour.blue : colour.red);
        }
    }
    return mosaic;
}

constexpr size_t GUARD_BYTES = 64;
constexpr uint8_t GUARD = 0xA7;

TEST(DemosaicBilinear, UniformPatchesComeOutInTheirColourAtEverySize) {
    const Colour colours[] = {{200, 100, 50}, {0, 0, 0}, {255, 255, 255}, {10, 240, 30}};
    const std::pair<int32_t, int32_t> sizes[] = {{8, 6}, {7, 5}, {2048, 1535}, {1, 1},
                                                 {2, 3}, {3, 1}, {1, 4},       {640, 479}};
    for (const Colour colour : colours) {
        for (const auto &[width, height] : sizes) {
            // Exactly width x height samples: any read past them is a fault the
            // address sanitizer reports.
            const std::vector<uint8_t> mosaic =
                Mosaic(width, height, [&](int32_t, int32_t) { return colour; });
            const size_t pixel_bytes = static_cast<size_t>(width) * height * 3;
            std::vector<uint8_t> bgr(pixel_bytes + GUARD_BYTES, GUARD);
            DemosaicBilinear(mosaic.data(), bgr.data(), width, height);

            size_t wrong = 0;
            // A one-sample strip has no neighbours of the missing colours.
            if (width > 1 && height > 1) {
                for (size_t i = 0; i < pixel_bytes; i += 3) {
                    wrong += bgr[i] != colour.blue || bgr[i + 1] != colour.green ||
                             bgr[i + 2] != colour.red;
                }
            }
            EXPECT_EQ(wrong, 0u) << width << " x " << height;
            for (size_t i = pixel_bytes; i < bgr.size(); ++i) {
                ASSERT_EQ(bgr[i], GUARD) << "wrote past the image, " << width << " x " << height;
            }
        }
    }
}

TEST(DemosaicBilinear, InterpolatesSmoothColourLinearly) {
    const int32_t width = 64, height = 48;
    const auto ramp = [](int32_t r, int32_t c) {
        return Colour{static_cast<uint8_t>(3 * c), static_cast<uint8_t>(20 + 4 * r),
                      static_cast<uint8_t>(250 - 2 * c - r)};
    };
    const std::vector<uint8_t> mosaic = Mosaic(width, height, ramp);
    std::vector<uint8_t> bgr(static_cast<size_t>(width) * height * 3);
    DemosaicBilinear(mosaic.data(), bgr.data(), width, height);
    for (int32_t r = 1; r < height - 1; ++r) {
        for (int32_t c = 1; c < width - 1; ++c) {
            const uint8_t *pixel = &bgr[(static_cast<size_t>(r) * width + c) * 3];
            const Colour expected = ramp(r, c);
            ASSERT_NEAR(pixel[0], expected.blue, 1) << r << ", " << c;
            ASSERT_NEAR(pixel[1], expected.green, 1) << r << ", " << c;
            ASSERT_NEAR(pixel[2], expected.red, 1) << r << ", " << c;
        }
    }
}

TEST(DemosaicBilinear, IgnoresEmptySizesAndNullPointers) {
    uint8_t mosaic[4] = {1, 2, 3, 4};
    uint8_t bgr[16];
    std::memset(bgr, GUARD, sizeof bgr);
    DemosaicBilinear(mosaic, bgr, 0, 4);
    DemosaicBilinear(mosaic, bgr, 2, -1);
    DemosaicBilinear(nullptr, bgr, 2, 2);
    DemosaicBilinear(mosaic, nullptr, 2, 2);
    for (uint8_t byte : bgr) {
        EXPECT_EQ(byte, GUARD);
    }
}

// The bilinear rule pixel by pixel, straight from its definition: the mean
// of the two or four nearest samples of each missing colour, means of means
// rounded up at each step, neighbours outside the mosaic mirrored inwards.
std::vector<uint8_t> PlainDemosaic(const std::vector<uint8_t> &mosaic, int32_t width,
                                   int32_t height) {
    const auto mirror = [](int32_t i, int32_t size) {
        return i < 0 ? std::min(1, size - 1) : i >= size ? std::max(size - 2, 0) : i;
    };
    const auto at = [&](int32_t r, int32_t c) {
        return int32_t(mosaic[size_t(mirror(r, height)) * width + mirror(c, width)]);
    };
    const auto mean = [](int32_t a, int32_t b) { return (a + b + 1) / 2; };
    std::vector<uint8_t> bgr(size_t(width) * height * 3);
    for (int32_t r = 0; r < height; ++r) {
        for (int32_t c = 0; c < width; ++c) {
            const int32_t centre = at(r, c);
            const int32_t across = mean(at(r, c - 1), at(r, c + 1));
            const int32_t along = mean(at(r - 1, c), at(r + 1, c));
            const int32_t cross = mean(across, along);
            const int32_t diagonal = mean(mean(at(r - 1, c - 1), at(r - 1, c + 1)),
                                          mean(at(r + 1, c - 1), at(r + 1, c + 1)));
            int32_t blue, green, red;
            if (r % 2 == 0 && c % 2 == 0) {  // green on a red row
                blue = along, green = centre, red = across;
            } else if (r % 2 == 0) {  // red
                blue = diagonal, green = cross, red = centre;
            } else if (c % 2 == 0) {  // blue
                blue = centre, green = cross, red = diagonal;
            } else {  // green on a blue row
                blue = across, green = centre, red = along;
            }
            uint8_t *pixel = &bgr[(size_t(r) * width + c) * 3];
            pixel[0] = uint8_t(blue), pixel[1] = uint8_t(green), pixel[2] = uint8_t(red);
        }
    }
    return bgr;
}

TEST(DemosaicBilinear, EverySetGivesThePlainRuleAtEverySize) {
    OnEveryInstructionSet([] {
        for (int32_t width : AWKWARD_WIDTHS) {
            for (int32_t height : {1, 2, 3, 6}) {
                std::vector<uint8_t> mosaic(size_t(width) * height);
                for (size_t i = 0; i < mosaic.size(); ++i)
                    mosaic[i] = uint8_t((i * 2654435761u) >> 24);
                const std::vector<uint8_t> expected = PlainDemosaic(mosaic, width, height);
                std::vector<uint8_t> bgr(expected.size() + GUARD_BYTES, GUARD);
                DemosaicBilinear(mosaic.data(), bgr.data(), width, height);
                for (size_t i = 0; i < expected.size(); ++i) {
                    ASSERT_EQ(bgr[i], expected[i])
                        << width << " x " << height << ", pixel " << i / 3 % width << " of row "
                        << i / 3 / width << ", channel " << i % 3;
                }
                for (size_t i = expected.size(); i < bgr.size(); ++i)
                    ASSERT_EQ(bgr[i], GUARD)
                        << "wrote past the image, " << width << " x " << height;
            }
        }
    });
}

TEST(DemosaicBilinear, FullFrameTakesAtMostFourMemcpysOfItsOutput) {
    if (!SpeedIsMeasurable()) {
        GTEST_SKIP() << "timing needs an optimised build without sanitizers";
    }
    const int32_t width = 2048, height = 1535;
    std::vector<uint8_t> mosaic(static_cast<size_t>(width) * (height + 1));
    for (size_t i = 0; i < mosaic.size(); ++i) {
        mosaic[i] = static_cast<uint8_t>((i * 2654435761u) >> 24);
    }
    std::vector<uint8_t> bgr(static_cast<size_t>(width) * height * 3, 1);
    std::vector<uint8_t> copy_source(bgr.size(), 2);
    const double demosaic_ms =
        BestMs(12, [&] { DemosaicBilinear(mosaic.data(), bgr.data(), width, height); });
    const double memcpy_ms =
        BestMs(12, [&] { std::memcpy(bgr.data(), copy_source.data(), bgr.size()); });
    RecordProperty("demosaic_ms", std::to_string(demosaic_ms));
    RecordProperty("memcpy_ms", std::to_string(memcpy_ms));
    std::printf("demosaic 2048 x 1535: %.3f ms, memcpy of its output: %.3f ms, ratio %.2f\n",
                demosaic_ms, memcpy_ms, demosaic_ms / memcpy_ms);
    EXPECT_LE(demosaic_ms, 4.0 * memcpy_ms);
}

}  // namespace
}  // namespace simcam
