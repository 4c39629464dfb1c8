// Speed of the per-frame passes. Times each on a full 2048 x 1536 frame,
// once per instruction set, against a memcpy of the larger of what it reads
// and what it writes, measured in the same run: the output of every pass over
// an 8-bit frame, the deep frame itself for the passes that make bytes of it.
// The histogram's counting is timed against a memcpy of the frame it counts.
// The live view as a whole is timed by bench_live_view.
#include <hwy/targets.h>
#include <QCoreApplication>
#include <QImage>
#include <cstring>
#include <iterator>
#include <optional>
#include <vector>

#include "analysis/histogram.h"
#include "bench_support.h"
#include "camera/acquisition.h"
#include "camera/dark_frames.h"
#include "camera/frame_conversion.h"
#include "pixels/dark_passes.h"
#include "pixels/deep_conversion.h"
#include "pixels/picture_conversion.h"
#include "pixels/solar_clip.h"

namespace {

constexpr int W = FULL_WIDTH;
constexpr int H = FULL_HEIGHT;
constexpr int ROUNDS = 15;

// Highest ratio to a memcpy of the larger buffer that a conversion may take
// on an instruction set, and the demosaic's (it has the most arithmetic). The
// plain C++ fallback, for processors without SSSE3, has none.
struct Goal {
    double conversion, demosaic;
};

std::optional<Goal> GoalFor(int64_t target) {
#if HWY_ARCH_X86
    if (target == HWY_SSSE3 || target == HWY_SSE4) {
        return Goal{3.0, 4.0};
    }
#endif
    if (target == HWY_SCALAR || target == HWY_EMU128) {
        return std::nullopt;
    }
    return Goal{2.0, 3.0};
}

// Ends an instruction set's row: the memcpy's time and the verdict.
void EndRow(double copy_seconds, const std::optional<Goal> &goal, bool with_demosaic, bool met) {
    std::printf("   %.2f ms   ", copy_seconds * 1e3);
    if (!goal) {
        std::printf("plain C++ fallback, no goal\n");
        return;
    }
    std::printf("goal <= %.1f", goal->conversion);
    if (with_demosaic) {
        std::printf(", demosaic <= %.1f", goal->demosaic);
    }
    std::printf(": %s\n", met ? "ok" : "SLOWER THAN GOAL (marked !)");
}

double CopyTime(std::vector<uint8_t> &target, const std::vector<uint8_t> &source) {
    return BestOf(ROUNDS, [&] {
        std::memcpy(target.data(), source.data(), target.size());
        asm volatile("" ::: "memory");
    });
}

// Every conversion once per instruction set this processor executes, each
// as a multiple of a memcpy of its own output measured just before it: the
// grey conversion, the stretch, the flip and the demosaic against the 24-bit
// picture; the 32-bit screen copy against its 32-bit picture; the solar clip
// and the dark subtraction, which work on the frame in place, against the
// frame.
bool ConversionRatios(const CameraDriver &driver) {
    std::vector<uint8_t> frame(size_t(W) * H);
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = uint8_t(i * 2654435761u >> 24);
    Bitmap24 bitmap(W, H);
    Bitmap24 colour(W, H - 1);
    std::vector<uint8_t> source24(bitmap.ByteCount(), 77), target24(bitmap.ByteCount());
    std::vector<uint8_t> source32(size_t(W) * H * 4, 77), target32(source32.size());
    std::vector<uint8_t> source8(frame.size(), 77), target8(frame.size());
    std::vector<uint8_t> dark(frame.size());
    for (size_t i = 0; i < dark.size(); ++i)
        dark[i] = uint8_t(i * 40503u >> 11);

    std::printf(
        "Conversions of a %d x %d frame, each as a multiple of a memcpy of its output\n"
        "(24-bit picture %.1f MB, 32-bit picture %.1f MB, frame %.1f MB), per instruction set:\n\n",
        W, H, source24.size() / 1e6, source32.size() / 1e6, source8.size() / 1e6);
    std::printf("  %-8s %8s %8s %8s %9s %8s %8s %8s   %s\n", "set", "grey", "stretch", "flip",
                "demosaic", "32-bit", "solar", "dark", "memcpy 24-bit");
    bool all_met = true;
    for (const int64_t target : hwy::SupportedAndGeneratedTargets()) {
        hwy::SetSupportedTargetsForTest(target);
        const double copy24 = CopyTime(target24, source24);
        const double grey = BestOf(ROUNDS, [&] { GreyToBitmap(frame.data(), W, H, bitmap); });
        const double stretch =
            BestOf(ROUNDS, [&] { ApplyStretch(20, 200, bitmap.Bits(), bitmap.ByteCount()); });
        const double flip = BestOf(ROUNDS, [&] { BitmapFlip(bitmap); });
        const double demosaic =
            BestOf(ROUNDS, [&] { driver.debayerImage(frame.data(), colour.Bits(), W, H - 1); });
        const double copy32 = CopyTime(target32, source32);
        const double screen =
            BestOf(ROUNDS, [&] { BitmapToRgb32(bitmap, target32.data(), size_t(W) * 4); });
        const double copy8 = CopyTime(target8, source8);
        std::vector<uint8_t> clipped = frame;
        const double solar =
            BestOf(ROUNDS, [&] { SolarClip(clipped.data(), clipped.size(), 200, 128); });
        // The frame changes with every round, which only makes its samples
        // more varied, never the work less.
        const double dark_subtraction =
            BestOf(ROUNDS, [&] { SubtractDark(clipped.data(), dark.data(), clipped.size()); });

        const std::optional<Goal> goal = GoalFor(target);
        const double ratios[] = {grey / copy24,           stretch / copy24, flip / copy24,
                                 demosaic / copy24,       screen / copy32,  solar / copy8,
                                 dark_subtraction / copy8};
        bool met = true;
        std::printf("  %-8s", hwy::TargetName(target));
        for (size_t i = 0; i < std::size(ratios); ++i) {
            const bool is_demosaic = i == 3;
            const bool ok = !goal || ratios[i] <= (is_demosaic ? goal->demosaic : goal->conversion);
            met &= ok;
            std::printf(" %*.2f%s", is_demosaic ? 8 : 7, ratios[i], ok ? " " : "!");
        }
        EndRow(copy24, goal, true, met);
        all_met &= met;
    }
    hwy::SetSupportedTargetsForTest(0);
    return all_met;
}

// The passes over a deep (12-bit) frame, with the 8-bit goals: its 8-bit
// view with the points applied and its narrowing to 8 bits, which read twice
// the bytes they write, and the solar clip and the dark subtraction, in
// place, against a memcpy of the deep frame; a deep mono frame's way to the
// preview, the view made straight into the 24-bit picture, against a memcpy
// of that picture (and, without a goal, the same in two passes: the view,
// then the grey conversion).
bool DeepRatios() {
    constexpr int32_t DEPTH = 12;
    const size_t count = size_t(W) * H;
    std::vector<uint16_t> frame(count), dark(count);
    for (size_t i = 0; i < count; ++i) {
        frame[i] = uint16_t((i * 2654435761u >> 20) & 4095);
        dark[i] = uint16_t(i * 40503u >> 7 & 255);
    }
    std::vector<uint8_t> target8(count);
    std::vector<uint8_t> source16(count * 2, 77), target16(count * 2);
    Bitmap24 bitmap(W, H);
    std::vector<uint8_t> source24(bitmap.ByteCount(), 77), target24(bitmap.ByteCount());
    std::printf(
        "\nPasses over a %d x %d frame %d bits deep, as multiples of a memcpy of the deep\n"
        "frame they read (%.1f MB; the view and the narrowing write %.1f MB), the picture\n"
        "as a multiple of a memcpy of the 24-bit picture it writes (%.1f MB):\n\n",
        W, H, DEPTH, count * 2 / 1e6, count / 1e6, source24.size() / 1e6);
    std::printf("  %-8s %8s %8s %8s %8s %8s %9s   %s\n", "set", "view", "narrow", "picture",
                "solar", "dark", "(2 passes)", "memcpy 16-bit");
    bool all_met = true;
    for (const int64_t target : hwy::SupportedAndGeneratedTargets()) {
        hwy::SetSupportedTargetsForTest(target);
        const double copy16 = CopyTime(target16, source16);
        const double view = BestOf(ROUNDS, [&] {
            DeepView(frame.data(), target8.data(), count, DEPTH, 3, 40);
            asm volatile("" ::: "memory");
        });
        const double narrow = BestOf(ROUNDS, [&] {
            NarrowSamples(frame.data(), target8.data(), count, DEPTH);
            asm volatile("" ::: "memory");
        });
        const double copy24 = CopyTime(target24, source24);
        const double picture = BestOf(
            ROUNDS, [&] { DeepViewToBitmap(frame.data(), W, H, DEPTH, 3, 40, bitmap, nullptr); });
        const double two_passes = BestOf(ROUNDS, [&] {
            DeepView(frame.data(), target8.data(), count, DEPTH, 3, 40);
            GreyToBitmap(target8.data(), W, H, bitmap);
        });
        std::vector<uint16_t> clipped = frame;
        const double solar = BestOf(ROUNDS, [&] {
            SolarClip(clipped.data(), count, uint16_t(3215), uint16_t(2055));
            asm volatile("" ::: "memory");
        });
        const double dark_subtraction = BestOf(ROUNDS, [&] {
            SubtractDeepDark(clipped.data(), dark.data(), count, 4095);
            asm volatile("" ::: "memory");
        });
        const std::optional<Goal> goal = GoalFor(target);
        const double ratios[] = {view / copy16, narrow / copy16, picture / copy24, solar / copy16,
                                 dark_subtraction / copy16};
        bool met = true;
        std::printf("  %-8s", hwy::TargetName(target));
        for (const double ratio : ratios) {
            const bool ok = !goal || ratio <= goal->conversion;
            met &= ok;
            std::printf(" %7.2f%s", ratio, ok ? " " : "!");
        }
        std::printf(" %9.2f", two_passes / copy24);
        EndRow(copy16, goal, false, met);
        all_met &= met;
    }
    hwy::SetSupportedTargetsForTest(0);
    return all_met;
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

}  // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    DynamicLibrary library;
    CameraDriver driver;
    if (!LoadDriverBesideBenchmarks(library, driver) || driver.openUSB(0) != 1) {
        return 2;
    }
    const bool conversions = ConversionRatios(driver);
    const bool deep = DeepRatios();
    const bool histogram = HistogramRatios();
    return conversions && deep && histogram ? 0 : 1;
}
