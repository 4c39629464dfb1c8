// Speed of the live-view path. Part one times each per-frame conversion on a
// full 2048 x 1536 frame against a memcpy of the same output bytes, measured
// in the same run, and the histogram's counting and the solar clip (which
// works on the frame in place) against a memcpy of the frame they work on.
// Part two runs the camera thread, the frame-ready handler
// and the renderer against the simulated camera on a 320 x 240 window with
// zero-length exposures, and compares the rate it sustains with the rate the
// camera delivers on its own.
#include <QCoreApplication>
#include <QImage>
#include <cstring>
#include <vector>

#include "bench_support.h"
#include "camera/acquisition.h"
#include "camera/frame_conversion.h"
#include "camera/frame_ready.h"
#include "platform/tick_count.h"
#include "preview/histogram.h"
#include "preview/picture_conversion.h"
#include "preview/preview_renderer.h"
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

// The camera on its own: exposures back to back, nothing done with them.
double CameraOnlyRate(const CameraDriver &driver, double seconds) {
    DriverSemaphore semaphore;
    driver.ExposureSemaphore(semaphore.Handle());
    std::vector<uint8_t> buffer(FRAME_BLOCK_BYTES);
    int frames = 0;
    const double start = NowSeconds();
    while (NowSeconds() - start < seconds) {
        driver.ThreadedExposure(buffer.data());
        if (!semaphore.Wait(5000))
            break;
        ++frames;
    }
    return frames / (NowSeconds() - start);
}

// The main window's message handling without the window.
class PreviewPath : public QObject {
  public:
    explicit PreviewPath(const CameraDriver &driver) : driver_(driver) { renderer.Init(); }

    bool event(QEvent *event) override {
        switch (ReceivedMessage(event)) {
            case MSG_FRAME_READY:
                ++notices;
                max_backlog = std::max(max_backlog, frames.Count());
                handler.OnFrameReady(false, TickCount());
                return true;
            case MSG_RENDER_PREVIEW:
                renderer.UpdateCaption();
                ++renders;
                return true;
            default:
                return QObject::event(event);
        }
    }

    const CameraDriver &driver_;
    FrameList frames;
    QtMessagePoster poster{this};
    TVideoCapture capture{driver_, frames, poster};
    PreviewInput input;
    TPREVIEW renderer{input};
    FrameReadyHandler handler{frames, capture, driver_, poster, &input};
    int64_t notices = 0;
    int64_t renders = 0;
    size_t max_backlog = 0;
};

bool PipelineRate(const CameraDriver &driver) {
    constexpr double kSeconds = 3.0;
    driver.SetFrame(0, 0, 320, 240);
    driver.SetBinning(1);
    driver.SetExpoTime(0);
    driver.HighVolumeUSB(0);
    const double camera_rate = CameraOnlyRate(driver, kSeconds);

    PreviewPath path(driver);
    path.capture.UpdateInfo(320, 240, 648, 864);
    path.capture.length = 0;
    path.capture.Resume();
    const double start = NowSeconds();
    while (NowSeconds() - start < kSeconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    const double elapsed = NowSeconds() - start;
    path.capture.Stop();
    path.capture.WaitUntilStopped(THREAD_STOP_WAIT_MS);
    QCoreApplication::processEvents();  // the notices still queued
    const double pipeline_rate = path.notices / elapsed;
    const size_t left = path.frames.Count();

    std::printf("\nLive view, 320 x 240, zero exposure:\n");
    std::printf("  camera alone        %8.1f frames/s\n", camera_rate);
    std::printf(
        "  camera + preview    %8.1f frames/s  (%.2f of the camera's rate), "
        "%lld rendered\n",
        pipeline_rate, pipeline_rate / camera_rate, static_cast<long long>(path.renders));
    std::printf("  most frames queued  %8zu  (the list holds about one frame when keeping up)\n",
                path.max_backlog);
    std::printf("  frames left after   %8zu\n", left);
    const bool kept_up = pipeline_rate >= 0.9 * camera_rate && path.max_backlog <= 3 && left == 0;
    std::printf("  %s\n",
                kept_up ? "ok: the camera is the limit" : "THE PIPELINE FELL BEHIND THE CAMERA");
    return kept_up;
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
    const bool pipeline = PipelineRate(driver);
    return conversions && histogram && pipeline ? 0 : 1;
}
