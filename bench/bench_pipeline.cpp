// Speed of the live-view conversions. Times each per-frame conversion on a
// full 2048 x 1536 frame against a memcpy of the same output bytes, measured
// in the same run, the histogram's counting and the solar clip (which
// works on the frame in place) against a memcpy of the frame they work on,
// and the dark subtraction done on every recorded frame against a memcpy of
// the frame. The live view as a whole is timed by bench_live_view.
#include <QCoreApplication>
#include <QImage>
#include <cstring>
#include <vector>

#include "bench_support.h"
#include "camera/acquisition.h"
#include "camera/dark_frames.h"
#include "camera/frame_conversion.h"
#include "preview/histogram.h"
#include "preview/picture_conversion.h"
#include "preview/solar_clip.h"

namespace {

constexpr int W = FULL_WIDTH;
constexpr int H = FULL_HEIGHT;
constexpr int ROUNDS = 15;

// The clip runs on every frame in the camera thread while solar mode is on.
// The frame's samples span every value, so about a fifth is replaced.
bool SolarClipRatio(std::vector<uint8_t> &frame) {
    std::vector<uint8_t> copy(frame.size());
    const double copy_time = BestOf(ROUNDS, [&] {
        std::memcpy(copy.data(), frame.data(), frame.size());
        asm volatile("" ::: "memory");
    });
    const double clip = BestOf(ROUNDS, [&] {
        SolarClip(frame.data(), frame.size(), 200, 128);
        asm volatile("" ::: "memory");
    });
    constexpr double target = 1.5;
    const double ratio = clip / copy_time;
    std::printf(
        "Solar clip of the %zu-byte frame in place: %.2f x a memcpy of the frame (%.2f ms)"
        "  (target <= %.1f)  %s\n",
        frame.size(), ratio, copy_time * 1e3, target,
        ratio <= target ? "ok" : "SLOWER THAN TARGET");
    return ratio <= target;
}

bool ConversionRatios(const CameraDriver &driver) {
    std::vector<uint8_t> frame(size_t(W) * H);
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = uint8_t(i * 2654435761u >> 24);
    Bitmap24 bitmap(W, H);
    std::vector<uint8_t> source(bitmap.ByteCount(), 77);
    std::vector<uint8_t> target(bitmap.ByteCount());

    const double copy = BestOf(ROUNDS, [&] {
        std::memcpy(target.data(), source.data(), target.size());
        asm volatile("" ::: "memory");
    });
    const double grey = BestOf(ROUNDS, [&] { GreyToBitmap(frame.data(), W, H, bitmap); });
    const StretchTable table = BuildStretchTable(20, 200);
    const double stretch =
        BestOf(ROUNDS, [&] { ApplyStretch(table, bitmap.Bits(), bitmap.ByteCount()); });
    const double flip = BestOf(ROUNDS, [&] { BitmapFlip(bitmap); });
    Bitmap24 colour(W, H - 1);
    const double demosaic =
        BestOf(ROUNDS, [&] { driver.debayerImage(frame.data(), colour.Bits(), W, H - 1); });

    std::printf(
        "Conversions of a %d x %d frame, as multiples of a memcpy of the %zu output "
        "bytes (%.2f ms):\n",
        W, H, target.size(), copy * 1e3);
    struct Row {
        const char *name;
        double seconds, target;
    };
    bool all_met = true;
    for (const Row row :
         {Row{"grey to 24-bit", grey, 1.5}, Row{"black/white stretch", stretch, 1.5},
          Row{"horizontal flip", flip, 1.5}, Row{"demosaic", demosaic, 4.0}}) {
        const double ratio = row.seconds / copy;
        const bool met = ratio <= row.target;
        all_met &= met;
        std::printf("  %-22s %6.2f x memcpy  (target <= %.1f)  %s\n", row.name, ratio, row.target,
                    met ? "ok" : "SLOWER THAN TARGET");
    }
    return SolarClipRatio(frame) && all_met;
}

// Counting a frame for the histogram, against copying that frame.
bool HistogramRatios() {
    std::printf("\nHistogram counting, as multiples of a memcpy of the frame:\n");
    bool all_met = true;
    for (const auto &[w, h] : {std::pair{640, 480}, std::pair{W, H}}) {
        const size_t bytes = size_t(w) * h;
        // Mostly dark sky with a little noise, the hard case for counting:
        // long runs into the same few bins.
        std::vector<uint8_t> frame(bytes);
        for (size_t i = 0; i < bytes; ++i)
            frame[i] = uint8_t(8 + ((i * 2654435761u >> 24) & 3));
        std::vector<uint8_t> target(bytes);
        HistogramBins red, green, blue;
        const double copy = BestOf(ROUNDS * 4, [&] {
            std::memcpy(target.data(), frame.data(), bytes);
            asm volatile("" ::: "memory");
        });
        const double grey = BestOf(ROUNDS * 4, [&] {
            CountGrey(frame.data(), w, h, red);
            asm volatile("" ::: "memory");
        });
        const double bayer = BestOf(ROUNDS * 4, [&] {
            CountBayer(frame.data(), w, h - 2, red, green, blue);
            asm volatile("" ::: "memory");
        });
        for (const auto &[name, seconds] :
             {std::pair{"grey", grey}, std::pair{"colour mosaic", bayer}}) {
            const double ratio = seconds / copy;
            // A table increment per sample runs at about one sample a clock,
            // a copy of a frame still in the cache at 16 to 32 bytes a clock.
            const bool met = ratio <= 32.0;
            all_met &= met;
            std::printf(
                "  %4d x %-4d %-14s %6.2f x memcpy (%.3f ms against %.3f ms)  (target <= 32)  %s\n",
                w, h, name, ratio, seconds * 1e3, copy * 1e3, met ? "ok" : "SLOWER THAN TARGET");
        }
    }
    return all_met;
}

// Taking the dark frame off a frame, against copying that frame.
bool DarkSubtractionRatio() {
    std::vector<uint8_t> frame(size_t(W) * H);
    std::vector<uint8_t> dark(frame.size());
    std::vector<uint8_t> copy_target(frame.size());
    for (size_t i = 0; i < frame.size(); ++i) {
        frame[i] = uint8_t(i * 2654435761u >> 24);
        dark[i] = uint8_t(i * 40503u >> 11);
    }
    const double copy = BestOf(ROUNDS, [&] {
        std::memcpy(copy_target.data(), frame.data(), frame.size());
        asm volatile("" ::: "memory");
    });
    // The frame changes with every round, which only makes its samples more
    // varied, never the work less.
    const double subtract =
        BestOf(ROUNDS, [&] { SubtractDark(frame.data(), dark.data(), frame.size()); });
    const double ratio = subtract / copy;
    const bool met = ratio <= 2.0;
    std::printf(
        "\nDark subtraction of a %d x %d frame, as a multiple of a memcpy of its %zu bytes "
        "(%.2f ms):\n  %-22s %6.2f x memcpy  (target <= 2.0)  %s\n",
        W, H, frame.size(), copy * 1e3, "dark subtraction", ratio,
        met ? "ok" : "SLOWER THAN TARGET");
    return met;
}

}  // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    DynamicLibrary library;
    CameraDriver driver;
    if (!LoadDriverBesideBenchmarks(library, driver) || driver.openUSB(0) != 1) {
        return 2;
    }
    const bool conversions = ConversionRatios(driver);
    const bool histogram = HistogramRatios();
    const bool darks = DarkSubtractionRatio();
    return conversions && histogram && darks ? 0 : 1;
}
