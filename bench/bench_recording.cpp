// Speed of a recording, at full frame and at 640 x 480, in SER and AVI.
//
// Part one: omtrix-capture's own code records from the simulated camera with
// zero-length exposures. The camera sets the pace; what counts is that every
// frame it delivers while the recording runs is written, and that frames do
// not pile up waiting for the writer.
//
// Part two: the writer's own speed. The recorder writes frames that are
// already queued, as it does when a fast camera is ahead of it, and is
// compared with a raw sequential write of the same bytes to the same folder,
// measured just before it in the same run.
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/headless_capture.h"
#include "bench_support.h"

namespace {

struct Case {
    const char *name;
    int32_t mode;
    int32_t width;
    int32_t height;
    int frames;

    int64_t FileFrameBytes() const {
        return mode == MODE_AVI ? int64_t{width} * 3 * height : int64_t{width} * height;
    }
};

constexpr Case CASES[] = {
    {"SER 2048x1536", MODE_SER, 2048, 1536, 100},
    {"AVI 2048x1536", MODE_AVI, 2048, 1536, 100},
    {"SER 640x480", MODE_SER, 640, 480, 600},
    {"AVI 640x480", MODE_AVI, 640, 480, 600},
};

void RemoveFiles(const QString &folder) {
    for (const QString &name : QDir(folder).entryList(QDir::Files)) {
        QFile::remove(folder + "/" + name);
    }
}

bool RecordFromCamera(const Case &c, const QString &folder) {
    CaptureOptions options;
    options.directory = folder;
    options.base_name = QStringLiteral("camera");
    options.mode = c.mode;
    options.count = c.frames / 2;
    options.exposure_ms = 0;
    options.roi_width = c.width;
    options.roi_height = c.height;
    HeadlessCapture capture([](const QString &) {}, [](const QString &) {});
    const CaptureReport report = capture.Run(CameraDriverPath(), options);
    RemoveFiles(folder);
    if (report.exit_code != EXIT_DONE) {
        std::printf("  %-14s failed: %s\n", c.name, qPrintable(report.error));
        return false;
    }
    const double seconds = report.elapsed_ms / 1e3;
    const bool kept_up = report.frames_acquired == report.frames_written;
    std::printf(
        "  %-14s %6.1f frames/s %7.1f MB/s   acquired %4lld  written %4lld  most queued"
        " %lld  %s\n",
        c.name, report.frames_written / seconds,
        c.FileFrameBytes() * report.frames_written / 1e6 / seconds,
        static_cast<long long>(report.frames_acquired),
        static_cast<long long>(report.frames_written), static_cast<long long>(report.max_backlog),
        kept_up ? "ok" : "FRAMES LOST");
    return kept_up;
}

// Seconds to write `frames` frames of `frame_bytes` with one write each, as
// plainly as the system allows. The frames come from a ring of separate
// blocks, as a recording's frames do, not from one block the cache keeps hot.
double RawWriteSeconds(const QString &file_name, int64_t frame_bytes, int frames) {
    constexpr int kBlocks = 8;
    std::vector<std::vector<uint8_t>> blocks(kBlocks);
    for (int i = 0; i < kBlocks; ++i) {
        blocks[i].assign(static_cast<size_t>(frame_bytes), static_cast<uint8_t>(i));
    }
    const int fd =
        ::open(QFile::encodeName(file_name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return -1;
    double seconds = 0;
    for (int i = 0; i < frames; ++i) {
        const std::vector<uint8_t> &frame = blocks[i % kBlocks];
        const double start = NowSeconds();
        const bool written =
            ::write(fd, frame.data(), frame.size()) == static_cast<ssize_t>(frame.size());
        seconds += NowSeconds() - start;
        if (!written) {
            ::close(fd);
            return -1;
        }
    }
    ::close(fd);
    return seconds;
}

// Nothing runs the camera here, so its notices go nowhere.
class NoMessages : public MessagePoster {
    void Post(MainWindowMessage) override {}
};

class NoUi : public RecorderUi {
    void ShowStatus(const QString &) override {}
    void ShowMemory(const QString &) override {}
    void ReleaseCaptureButton() override {}
    void ReportWriteFailure() override { failed = true; }
    void FileCreated(const QString &) override {}

  public:
    bool failed = false;
};

// Seconds the recorder spends writing `frames` queued frames (queueing them
// is not counted); negative when a write failed.
double RecorderSeconds(const Case &c, const QString &folder, const CameraDriver &driver) {
    FrameList frames;
    NoMessages poster;
    TVideoCapture capture(driver, frames, poster);
    NoUi ui;
    TAVIExport recorder(frames, capture, driver, ui);
    recorder.Init();
    RecordingRequest request;
    request.capture_directory = folder;
    request.base_name = QStringLiteral("writer");
    request.mode = c.mode;
    request.count = c.frames;
    request.frame_width = c.width;
    request.frame_height = c.height;
    if (recorder.StartRecording(request, 0) != StartResult::Started)
        return -1;
    double seconds = 0;
    for (int i = 0; i <= c.frames; ++i) {
        PImageLst frame = NewFrame(c.width, c.height, std::string());
        std::memset(frame->Data, 0x40 + i % 64, size_t(c.width) * c.height);
        frames.AppendFrame(frame);
        const double start = NowSeconds();
        recorder.ProcessFrame(0);
        seconds += NowSeconds() - start;
    }
    return ui.failed || recorder.Recording() ? -1 : seconds;
}

// The best of three alternating runs each, every run starting with the
// system's write-back done, so neither side inherits the other's dirty pages.
bool WriterAgainstRawWrite(const Case &c, const QString &folder, const CameraDriver &driver) {
    double raw = 1e9;
    double writer = 1e9;
    for (int round = 0; round < 3; ++round) {
        ::sync();
        raw = std::min(raw, RawWriteSeconds(folder + "/raw.bin", c.FileFrameBytes(), c.frames));
        RemoveFiles(folder);
        ::sync();
        writer = std::min(writer, RecorderSeconds(c, folder, driver));
        RemoveFiles(folder);
    }
    if (raw <= 0 || writer <= 0) {
        std::printf("  %-14s a write failed\n", c.name);
        return false;
    }
    const double megabytes = c.FileFrameBytes() * double(c.frames) / 1e6;
    const double ratio = raw / writer;
    std::printf(
        "  %-14s recorder %7.1f MB/s (%6.1f frames/s)   raw write %7.1f MB/s   "
        "ratio %.2f  %s\n",
        c.name, megabytes / writer, c.frames / writer, megabytes / raw, ratio,
        ratio >= 0.9 ? "ok" : "SLOWER THAN TARGET");
    return ratio >= 0.9;
}

}  // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    DynamicLibrary library;
    CameraDriver driver;
    if (!LoadDriverBesideBenchmarks(library, driver))
        return 2;
    // Into the build folder's own disk, not a memory-backed /tmp, unless asked.
    const QString base = qEnvironmentVariable("OMTRIX_BENCH_DIR", QDir::currentPath());
    QTemporaryDir folder(base + "/bench-recording-XXXXXX");
    if (!folder.isValid()) {
        std::fprintf(stderr, "cannot make a folder in %s\n", qPrintable(base));
        return 2;
    }
    std::printf("Recordings from the simulated camera, zero-length exposures, into %s:\n",
                qPrintable(folder.path()));
    bool all_met = true;
    for (const Case &c : CASES)
        all_met &= RecordFromCamera(c, folder.path());
    std::printf(
        "\nThe recorder writing queued frames against a raw sequential write of the "
        "same bytes (target: ratio >= 0.9):\n");
    for (const Case &c : CASES)
        all_met &= WriterAgainstRawWrite(c, folder.path(), driver);
    return all_met ? 0 : 1;
}
