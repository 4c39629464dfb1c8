// Speed of the live view: the camera thread, the frame-ready handler, the
// renderer and the picture on screen, run against the simulated camera with
// zero-length exposures (on the offscreen platform unless another is set).
//
// First at 320 x 240, against the rate the camera delivers on its own. Then at
// 640 x 480 with the histogram window, the measurement line with its profile
// window and the time stamp on, against the same path without them, in
// alternating runs of the same process. The focus aid is left off: it pauses
// the camera thread on purpose.
#include <QApplication>
#include <vector>

#include "bench_support.h"
#include "camera/acquisition.h"
#include "camera/frame_ready.h"
#include "platform/tick_count.h"
#include "preview/histogram_window.h"
#include "preview/measurement_window.h"
#include "preview/preview_renderer.h"
#include "preview/text_overlay.h"
#include "widgets/preview_image.h"

namespace {

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

// The main window's message handling without the rest of the window.
class PreviewPath : public QObject {
  public:
    explicit PreviewPath(const CameraDriver &driver) : driver_(driver) {
        renderer.Init();
        renderer.__FORMIMAGE = &picture;
        picture.resize(660, 500);
        picture.show();
    }

    // Opens the aids an observer has beside the picture while setting up.
    void OpenAids() {
        analysis_wanted = true;
        histogram.show();
        renderer.histogram_window = &histogram;
        measurement.show();
        renderer.measurement_window = &measurement;
        renderer.measurement_line.Press(QPoint(100, 120));
        renderer.measurement_line.Drag(QPoint(540, 380));
        renderer.measurement_line.Release(true);
        overlay.visible = true;
        overlay.font = DefaultOverlayFont();
        renderer.overlay = &overlay;
        capture.stamp_settings.SetChoice(3);  // date and time to the millisecond
    }

    bool event(QEvent *event) override {
        switch (ReceivedMessage(event)) {
            case MSG_FRAME_READY:
                ++notices;
                max_backlog = std::max(max_backlog, frames.Count());
                handler.OnFrameReady(analysis_wanted, TickCount());
                return true;
            case MSG_RENDER_PREVIEW:
                renderer.UpdateCaption();
                renderer.LineUpdate();
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
    PreviewImage picture;
    THistogramForm histogram;
    TForm8 measurement;
    OverlayLook overlay;
    bool analysis_wanted = false;
    int64_t notices = 0;
    int64_t renders = 0;
    size_t max_backlog = 0;
};

struct LiveRun {
    double rate = 0;  // frames handled per second
    int64_t renders = 0;
    size_t max_backlog = 0;
    size_t left = 0;  // frames still queued once the camera stopped
};

LiveRun RunLiveView(const CameraDriver &driver, QSize size, bool aids, double seconds) {
    PreviewPath path(driver);
    if (aids) {
        path.OpenAids();
    }
    const int32_t top = (FULL_HEIGHT - size.height()) / 2;
    const int32_t left = (FULL_WIDTH - size.width()) / 2;
    path.capture.UpdateInfo(size.width(), size.height(), top, left);
    path.capture.length = 0;
    path.capture.Resume();
    const double start = NowSeconds();
    while (NowSeconds() - start < seconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    const double elapsed = NowSeconds() - start;
    path.capture.Stop();
    path.capture.WaitUntilStopped(THREAD_STOP_WAIT_MS);
    QCoreApplication::processEvents();  // the notices still queued
    return {path.notices / elapsed, path.renders, path.max_backlog, path.frames.Count()};
}

bool KeptUp(const LiveRun &run) {
    return run.max_backlog <= 3 && run.left == 0;
}

bool AgainstTheCamera(const CameraDriver &driver) {
    constexpr double kSeconds = 3.0;
    driver.SetFrame(0, 0, 320, 240);
    driver.SetBinning(1);
    driver.SetExpoTime(0);
    driver.HighVolumeUSB(0);
    const double camera_rate = CameraOnlyRate(driver, kSeconds);
    const LiveRun run = RunLiveView(driver, QSize(320, 240), false, kSeconds);

    std::printf("Live view, 320 x 240, zero exposure:\n");
    std::printf("  camera alone        %8.1f frames/s\n", camera_rate);
    std::printf(
        "  camera + preview    %8.1f frames/s  (%.2f of the camera's rate), %lld rendered\n",
        run.rate, run.rate / camera_rate, static_cast<long long>(run.renders));
    std::printf("  most frames queued  %8zu  (the list holds about one frame when keeping up)\n",
                run.max_backlog);
    std::printf("  frames left after   %8zu\n", run.left);
    const bool kept_up = run.rate >= 0.9 * camera_rate && KeptUp(run);
    std::printf("  %s\n",
                kept_up ? "ok: the camera is the limit" : "THE PIPELINE FELL BEHIND THE CAMERA");
    return kept_up;
}

bool WithTheAids(const CameraDriver &driver) {
    constexpr int kPairs = 3;
    constexpr double kSeconds = 2.0;
    constexpr double kTarget = 0.9;
    const QSize size(640, 480);
    driver.SetFrame(0, 0, size.width(), size.height());
    const double camera_rate = CameraOnlyRate(driver, kSeconds);
    std::vector<double> plain, aided;
    bool kept_up = true;
    for (int i = 0; i < kPairs; ++i) {
        const LiveRun without = RunLiveView(driver, size, false, kSeconds);
        const LiveRun with = RunLiveView(driver, size, true, kSeconds);
        plain.push_back(without.rate);
        aided.push_back(with.rate);
        kept_up &= KeptUp(without) && KeptUp(with);
    }
    std::sort(plain.begin(), plain.end());
    std::sort(aided.begin(), aided.end());
    const double ratio = aided[kPairs / 2] / plain[kPairs / 2];
    std::printf("\nLive view, 640 x 480, zero exposure, median of %d alternating runs:\n", kPairs);
    std::printf("  camera alone                               %8.1f frames/s\n", camera_rate);
    std::printf("  preview alone                              %8.1f frames/s\n", plain[kPairs / 2]);
    std::printf("  with histogram, measurement line and stamp %8.1f frames/s\n", aided[kPairs / 2]);
    const bool met = ratio >= kTarget && kept_up;
    std::printf("  %.2f of the rate without them  (target >= %.1f, no backlog)  %s\n", ratio,
                kTarget, met ? "ok" : "THE AIDS SLOW THE LIVE VIEW");
    return met;
}

}  // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    DynamicLibrary library;
    CameraDriver driver;
    if (!LoadDriverBesideBenchmarks(library, driver) || driver.openUSB(0) != 1) {
        return 2;
    }
    const bool alone = AgainstTheCamera(driver);
    const bool aids = WithTheAids(driver);
    return alone && aids ? 0 : 1;
}
