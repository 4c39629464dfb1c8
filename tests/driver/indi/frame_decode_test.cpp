#include "driver/indi/frame_decode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace indicam {
namespace {

// A FITS file as INDI writes one: header cards padded to whole blocks, then
// big-endian samples, the picture's top row first.
std::vector<uint8_t> Fits(int32_t bitpix, int32_t width, int32_t height, int32_t planes,
                          const std::vector<int32_t> &values, int32_t zero = 0,
                          const std::vector<std::string> &more_cards = {}) {
    std::string header;
    const auto card = [&](const std::string &text) {
        std::string line = text;
        line.resize(80, ' ');
        header += line;
    };
    const auto number = [&](const char *keyword, int64_t value) {
        char line[81];
        std::snprintf(line, sizeof line, "%-8s= %20lld", keyword, static_cast<long long>(value));
        card(line);
    };
    card("SIMPLE  =                    T");
    number("BITPIX", bitpix);
    number("NAXIS", planes == 1 ? 2 : 3);
    number("NAXIS1", width);
    number("NAXIS2", height);
    if (planes != 1) {
        number("NAXIS3", planes);
    }
    if (zero != 0) {
        number("BZERO", zero);
    }
    for (const std::string &more : more_cards) {
        card(more);
    }
    card("END");
    header.resize((header.size() + 2879) / 2880 * 2880, ' ');
    std::vector<uint8_t> file(header.begin(), header.end());
    for (int32_t value : values) {
        if (bitpix == 8) {
            file.push_back(static_cast<uint8_t>(value));
        } else {
            const auto stored = static_cast<uint16_t>(static_cast<int16_t>(value - zero));
            file.push_back(static_cast<uint8_t>(stored >> 8));
            file.push_back(static_cast<uint8_t>(stored & 0xff));
        }
    }
    file.resize((file.size() + 2879) / 2880 * 2880, 0);
    return file;
}

// The program's frame with guard bytes on both sides, to catch stray writes.
struct GuardedFrame {
    static constexpr size_t GUARD = 4096;
    static constexpr uint8_t MARK = 0xAB;
    GuardedFrame(int32_t width, int32_t height)
        : width(width),
          height(height),
          bytes(GUARD * 2 + static_cast<size_t>(width) * height, MARK) {}
    uint8_t *Frame() { return bytes.data() + GUARD; }
    uint8_t At(int32_t x, int32_t y) const { return bytes[GUARD + y * width + x]; }
    bool GuardsIntact() const {
        for (size_t i = 0; i < GUARD; ++i) {
            if (bytes[i] != MARK || bytes[bytes.size() - 1 - i] != MARK) {
                return false;
            }
        }
        return true;
    }
    int32_t width, height;
    std::vector<uint8_t> bytes;
};

// Decodes a picture of the frame's own size, asked for as `format` says.
bool Decode(const std::vector<uint8_t> &blob, const char *format, const Placement &placement,
            GuardedFrame &frame, std::string &error, int32_t width = 0, int32_t height = 0) {
    const AskedFrame asked{std::string_view(format) == ".stream", width > 0 ? width : frame.width,
                           height > 0 ? height : frame.height, 1, 0.1};
    return DecodeFrame(blob.data(), blob.size(), format, asked, placement, frame.Frame(),
                       frame.width, frame.height, error) == Decoded::Placed;
}

TEST(FrameDecodeTest, FitsRowsAreTurnedSoFrameRowZeroIsTheBottom) {
    // Picture 3 x 2, top row 10 20 30, bottom row 40 50 60.
    const auto blob = Fits(8, 3, 2, 1, {10, 20, 30, 40, 50, 60});
    GuardedFrame frame(3, 2);
    std::string error;
    ASSERT_TRUE(Decode(blob, ".fits", {0, 0}, frame, error)) << error;
    EXPECT_EQ(frame.At(0, 0), 40);
    EXPECT_EQ(frame.At(2, 0), 60);
    EXPECT_EQ(frame.At(0, 1), 10);
    EXPECT_EQ(frame.At(2, 1), 30);
    EXPECT_TRUE(frame.GuardsIntact());
}

TEST(FrameDecodeTest, DeepSamplesFollowTheVideoStreamsCurve) {
    // libindi's stream turns 16-bit samples into 8 bits on the sRGB curve
    // over the whole 16-bit range; single exposures must come out alike.
    struct Case {
        int32_t value, zero;
        uint8_t expected;
    };
    const Case cases[] = {
        {0, 32768, 0},
        {100, 32768, 5},
        {1382, 32768, 40},
        {6553, 32768, 89},
        {32768, 32768, 188},
        {65535, 32768, 255},
        {2500, 0, 55},
        // Below zero and beyond 16 bits are clamped, not wrapped.
        {-5, 0, 0},
        {70000, 40000, 255},
    };
    for (const Case &row : cases) {
        const auto blob = Fits(16, 1, 1, 1, {row.value}, row.zero);
        GuardedFrame frame(1, 1);
        std::string error;
        ASSERT_TRUE(Decode(blob, ".fits", {0, 0}, frame, error)) << error;
        EXPECT_EQ(frame.At(0, 0), row.expected) << row.value << " with zero " << row.zero;
        EXPECT_EQ(StreamLevel(static_cast<uint16_t>(std::clamp(row.value, 0, 65535))),
                  row.expected);
    }
    const auto eight_bit = Fits(8, 1, 1, 1, {200});
    GuardedFrame frame(1, 1);
    std::string error;
    ASSERT_TRUE(Decode(eight_bit, ".fits", {0, 0}, frame, error)) << error;
    EXPECT_EQ(frame.At(0, 0), 200) << "8-bit samples, as the stream sends them, stay";
}

// A 16-bit stream frame as a full-depth stream sends it: little-endian.
std::vector<uint8_t> DeepStream(const std::vector<int32_t> &values) {
    std::vector<uint8_t> frame;
    for (int32_t value : values) {
        frame.push_back(static_cast<uint8_t>(value & 0xff));
        frame.push_back(static_cast<uint8_t>(value >> 8));
    }
    return frame;
}

// Decodes into a frame of 16-bit words of `deep_bits`; the words, bottom row first.
std::vector<uint16_t> DecodeDeep(const std::vector<uint8_t> &blob, const char *format,
                                 int32_t width, int32_t height, int32_t deep_bits) {
    GuardedFrame frame(width * 2, height);
    const AskedFrame asked{std::string_view(format) == ".stream", width, height, 1, 0.1};
    std::string error;
    EXPECT_EQ(DecodeFrame(blob.data(), blob.size(), format, asked, {0, 0}, frame.Frame(), width,
                          height, error, deep_bits),
              Decoded::Placed)
        << error;
    EXPECT_TRUE(frame.GuardsIntact());
    std::vector<uint16_t> words(static_cast<size_t>(width) * height);
    std::memcpy(words.data(), frame.Frame(), words.size() * 2);
    return words;
}

TEST(FrameDecodeTest, DeepFramesKeepTheCamerasSamples) {
    struct Case {
        const char *what;
        std::vector<uint8_t> blob;
        const char *format;
        int32_t deep_bits;
        uint16_t expected;
    };
    const Case cases[] = {
        {"16-bit FITS with BZERO", Fits(16, 1, 1, 1, {40000}, 32768), ".fits", 16, 40000},
        {"a 12-bit sample", Fits(16, 1, 1, 1, {4000}, 32768), ".fits", 12, 4000},
        {"beyond the depth: clamped to its maximum", Fits(16, 1, 1, 1, {5000}, 32768), ".fits", 12,
         4095},
        {"below zero: clamped to 0", Fits(16, 1, 1, 1, {-5}), ".fits", 16, 0},
        {"8-bit FITS as it is", Fits(8, 1, 1, 1, {200}), ".fits", 16, 200},
        {"a full-depth stream frame", DeepStream({0x1234}), ".stream", 16, 0x1234},
        {"an 8-bit stream of a deep camera: back off the curve", {255}, ".stream", 12, 4095},
        {"its black stays black", {0}, ".stream", 16, 0},
        {"an 8-bit camera's stream as it is", {200}, ".stream", 8, 200},
    };
    for (const Case &row : cases) {
        EXPECT_EQ(DecodeDeep(row.blob, row.format, 1, 1, row.deep_bits)[0], row.expected)
            << row.what;
    }
    // Off the curve, each level comes back to itself, brighter levels to
    // brighter samples.
    for (int32_t level = 1; level < 256; ++level) {
        const uint16_t linear = LinearLevel(static_cast<uint8_t>(level), 16);
        EXPECT_EQ(StreamLevel(linear), level);
        EXPECT_GT(linear, LinearLevel(static_cast<uint8_t>(level - 1), 16));
    }
    // In 8-bit frames a full-depth stream frame follows the curve too.
    GuardedFrame frame(1, 1);
    std::string error;
    ASSERT_TRUE(Decode(DeepStream({32768}), ".stream", {0, 0}, frame, error)) << error;
    EXPECT_EQ(frame.At(0, 0), 188);
}

TEST(FrameDecodeTest, DeepFramesAreTurnedAndMosaickedAsEightBitOnes) {
    // Top row 10 20, bottom row 30 40; and 2 x 2 planes red, green, blue.
    EXPECT_EQ(DecodeDeep(Fits(16, 2, 2, 1, {10, 20, 30, 40}, 32768), ".fits", 2, 2, 16),
              (std::vector<uint16_t>{30, 40, 10, 20}));
    const auto colour =
        Fits(16, 2, 2, 3, {1000, 1000, 1000, 1000, 2000, 2000, 2000, 2000, 3000, 3000, 3000, 3000},
             32768);
    EXPECT_EQ(DecodeDeep(colour, ".fits", 2, 2, 12),
              (std::vector<uint16_t>{2000, 1000, 3000, 2000}))
        << "even rows G R, odd rows B G";
    EXPECT_EQ(DecodeDeep(DeepStream({1000, 2000, 3000, 1000, 2000, 3000, 1000, 2000, 3000, 1000,
                                     2000, 3000}),
                         ".stream", 2, 2, 12),
              (std::vector<uint16_t>{2000, 1000, 3000, 2000}));
}

TEST(FrameDecodeTest, ColourPicturesBecomeTheProgramsMosaic) {
    // 2 x 2 planes red, green, blue; each plane holds its colour's code.
    const auto fits = Fits(8, 2, 2, 3, {1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3});
    const std::vector<uint8_t> stream = {1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3};
    for (const bool from_stream : {false, true}) {
        GuardedFrame frame(2, 2);
        std::string error;
        ASSERT_TRUE(Decode(from_stream ? stream : fits, from_stream ? ".stream" : ".fits", {0, 0},
                           frame, error, 2, 2))
            << error;
        // Even rows G R, odd rows B G.
        EXPECT_EQ(frame.At(0, 0), 2);
        EXPECT_EQ(frame.At(1, 0), 1);
        EXPECT_EQ(frame.At(0, 1), 3);
        EXPECT_EQ(frame.At(1, 1), 2);
    }
}

TEST(FrameDecodeTest, APlacedPictureLeavesTheRestBlackAndIsCutAtTheEdges) {
    // A 4 x 4 picture of 9s at column 3, row -2 of a 5 x 5 frame: columns 3-4
    // and rows 0-1 of the frame are inside it.
    const auto blob = Fits(8, 4, 4, 1, std::vector<int32_t>(16, 9));
    GuardedFrame frame(5, 5);
    std::string error;
    ASSERT_TRUE(Decode(blob, ".fits", {3, -2}, frame, error, 4, 4)) << error;
    for (int32_t y = 0; y < 5; ++y) {
        for (int32_t x = 0; x < 5; ++x) {
            EXPECT_EQ(frame.At(x, y), (x >= 3 && y <= 1) ? 9 : 0) << x << "," << y;
        }
    }
    EXPECT_TRUE(frame.GuardsIntact());
}

TEST(FrameDecodeTest, OnlyTheAskedFrameIsPlaced) {
    const std::vector<uint8_t> grey(16, 7);
    const auto fits = [](const std::vector<std::string> &cards) {
        return Fits(8, 4, 4, 1, std::vector<int32_t>(16, 7), 0, cards);
    };
    const AskedFrame stream{true, 4, 4, 1, 0.01};
    const AskedFrame single{false, 4, 4, 1, 0.2};
    struct Case {
        const char *what;
        std::vector<uint8_t> blob;
        const char *format;
        AskedFrame asked;
        Decoded expected;
    };
    const Case cases[] = {
        {"a stream frame of the asked size", grey, ".stream", stream, Decoded::Placed},
        {"a stream frame of another size",
         grey,
         ".stream",
         {true, 4, 5, 1, 0.01},
         Decoded::NotAsked},
        {"a stream frame of a smaller region",
         grey,
         ".stream",
         {true, 2, 2, 1, 0.01},
         Decoded::NotAsked},
        {"a stream frame while a single exposure runs", grey, ".stream", single, Decoded::NotAsked},
        {"a single exposure of the asked length and binning",
         fits({"EXPTIME =                  0.2", "XBINNING=                    1"}), ".fits",
         single, Decoded::Placed},
        {"a single exposure whose header says no length", fits({}), ".fits", single,
         Decoded::Placed},
        {"a single exposure of another length", fits({"EXPTIME =                 0.01"}), ".fits",
         single, Decoded::NotAsked},
        {"a single exposure of another binning", fits({"YBINNING=                    2"}), ".fits",
         single, Decoded::NotAsked},
        {"a single exposure of another size",
         fits({}),
         ".fits",
         {false, 8, 8, 1, 0.2},
         Decoded::NotAsked},
        {"a single exposure while the stream runs", fits({}), ".fits", stream, Decoded::NotAsked},
        {"a format that cannot be read", grey, ".jpg", stream, Decoded::Damaged},
    };
    for (const Case &row : cases) {
        GuardedFrame frame(4, 4);
        std::string error;
        EXPECT_EQ(DecodeFrame(row.blob.data(), row.blob.size(), row.format, row.asked, {0, 0},
                              frame.Frame(), frame.width, frame.height, error),
                  row.expected)
            << row.what << ": " << error;
        EXPECT_EQ(frame.At(3, 3), row.expected == Decoded::Placed ? 7 : GuardedFrame::MARK)
            << row.what << ": only a placed frame is written";
    }
}

TEST(FrameDecodeTest, DamagedFitsIsRefusedWithoutAStrayWrite) {
    const auto good = Fits(16, 64, 48, 1, std::vector<int32_t>(64 * 48, 30000), 32768);
    std::mt19937 random(7);
    int32_t accepted = 0;
    for (int32_t trial = 0; trial < 3000; ++trial) {
        std::vector<uint8_t> blob = good;
        switch (trial % 4) {
            case 0:  // cut short anywhere
                blob.resize(random() % good.size());
                break;
            case 1:  // random bytes in the header
                for (int32_t i = 0; i < 8; ++i) {
                    blob[random() % 2880] = static_cast<uint8_t>(random());
                }
                break;
            case 2: {  // a header that claims another size
                const std::string lie =
                    "NAXIS" + std::to_string(1 + random() % 2) + "  = " +
                    std::to_string(static_cast<int32_t>(random()) >> (random() % 31));
                std::copy(lie.begin(), lie.end(), blob.begin() + 80 * (3 + random() % 2));
                break;
            }
            default:  // noise throughout
                for (auto &byte : blob) {
                    byte = static_cast<uint8_t>(random());
                }
                break;
        }
        GuardedFrame frame(64, 48);
        std::string error;
        accepted += Decode(blob, ".fits", {0, 0}, frame, error) ? 1 : 0;
        ASSERT_TRUE(frame.GuardsIntact()) << "trial " << trial;
    }
    EXPECT_LT(accepted, 3000) << "damage must be noticed";
}

}  // namespace
}  // namespace indicam
