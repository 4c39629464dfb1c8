// Speed of a recording, at full frame and at 640 x 480, in SER and AVI.
//
// Part one: omtrix-capture's own code records from the simulated camera with
// zero-length exposures. The camera sets the pace; what counts is that every
// frame it delivers while the recording runs is written, and that frames do
// not pile up waiting for the writer.
//
// Part two: an instant camera (the simulated camera with OMTRIX_SIM_TIMING=
// instant, whose exposures end at once) recording SER through the whole of
// omtrix-capture's code, camera thread included, at 320 x 240, 640 x 480 and
// full frame. Its frames per second, until the file is on the disk, against
// a raw write of as many frames of that size in the same run: the program's
// own cost per frame, which caps the small regions where fast planetary
// cameras deliver their highest rates. Goal: 0.9 of the raw write, or 3,000
// frames/s where the raw write exceeds 3,333.
//
// Part three: the writer's own speed. The recorder writes frames that are
// already queued, as it does when a fast camera is ahead of it, and is
// compared with a raw sequential write of the same bytes to the same folder.
// Both are timed until fdatasync returns, so the figure is the disk's and not
// the page cache's, and the files are dropped from the cache and deleted
// between runs. Runs alternate, and the ratio reported is their median.
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
#include "platform/utc_clock.h"
#include "recording/ser_writer.h"

namespace {

struct Case {
    const char *name;
    int32_t mode;
    int32_t width;
    int32_t height;
    int frames;
    int32_t bits = 8;  // of the frames' samples, and of a SER file's

    int64_t FileFrameBytes() const {
        return mode == MODE_AVI ? int64_t{width} * 3 * height
                                : int64_t{width} * height * int64_t(BytesPerSample(bits));
    }
    // What the raw write puts before the frames: a SER file's header, so that
    // its frames sit at the same offsets as the recorder's. An AVI file's
    // headers, chunk headers and index are left out, which only makes the
    // raw write's task the lighter one.
    int64_t RawHeaderBytes() const { return mode == MODE_SER ? SER_HEADER_BYTES : 0; }
};

constexpr Case CASES[] = {
    {"SER 2048x1536", MODE_SER, 2048, 1536, 100},
    {"AVI 2048x1536", MODE_AVI, 2048, 1536, 100},
    {"SER 640x480", MODE_SER, 640, 480, 600},
    {"AVI 640x480", MODE_AVI, 640, 480, 600},
    // A 12-bit camera's 16-bit SER (the largest such frame a frame block holds).
    {"SER16 1304x976", MODE_SER, 1304, 976, 100, 12},
};

// Makes the file's data reach the disk; true when it did.
bool SyncFile(int fd) {
    return ::fdatasync(fd) == 0;
}

// Drops the file's pages from the cache and deletes it, so that the next run
// starts from the same state.
void DropFile(const QString &file_name) {
    const int fd = ::open(QFile::encodeName(file_name).constData(), O_RDONLY);
    if (fd >= 0) {
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
    QFile::remove(file_name);
}

void DropFiles(const QString &folder) {
    for (const QString &name : QDir(folder).entryList(QDir::Files)) {
        DropFile(folder + "/" + name);
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
    DropFiles(folder);
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

// The raw write's frames: a block of its own for each, as the recorder's
// queued frames have. (A small ring of blocks stayed in the cache at
// 640 x 480 and not at full frame, flattering the raw write at one size
// only.) Made once for all runs, and written once before they start: here
// the first write from newly mapped pages took several times as long as
// later ones, a cost the recorder, which hands the system its one reused
// buffer, never meets.
std::vector<std::vector<uint8_t>> RawFrames(int64_t frame_bytes, int frames) {
    std::vector<std::vector<uint8_t>> blocks(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        blocks[i].assign(static_cast<size_t>(frame_bytes), static_cast<uint8_t>(0x40 + i % 64));
    }
    return blocks;
}

// Seconds to write `header_bytes` and then `blocks` with one write each, as
// plainly as the system allows, until they are on the disk.
double RawWriteSeconds(const QString &file_name, int64_t header_bytes,
                       const std::vector<const std::vector<uint8_t> *> &blocks) {
    const int fd =
        ::open(QFile::encodeName(file_name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return -1;
    const std::vector<uint8_t> header(static_cast<size_t>(header_bytes));
    const double start = NowSeconds();
    bool written = ::write(fd, header.data(), header.size()) == static_cast<ssize_t>(header.size());
    for (size_t i = 0; i < blocks.size() && written; ++i) {
        const std::vector<uint8_t> &frame = *blocks[i];
        written = ::write(fd, frame.data(), frame.size()) == static_cast<ssize_t>(frame.size());
    }
    written = written && SyncFile(fd);
    const double seconds = NowSeconds() - start;
    ::close(fd);
    DropFile(file_name);
    return written ? seconds : -1;
}

double Median(std::vector<double> values);

struct InstantCase {
    int32_t width;
    int32_t height;
    int frames;
    // A deeper camera: its whole sensor, this deep, recorded as 16-bit SER.
    int32_t bits = 8;
};

constexpr InstantCase INSTANT_CASES[] = {
    {320, 240, 9000},
    {640, 480, 4000},
    {2048, 1536, 300},
    {1304, 976, 300, 12},
};

// Frames per second of one instant-camera recording of `c.frames` frames,
// from its start until its file is on the disk; negative when it failed.
double InstantCameraFramesPerSecond(const InstantCase &c, const QString &folder,
                                    int64_t &max_backlog) {
    CaptureOptions options;
    options.directory = folder;
    options.base_name = QStringLiteral("instant");
    options.mode = MODE_SER;
    options.count = c.frames;
    options.exposure_ms = 0;
    options.roi_width = c.width;
    options.roi_height = c.height;
    if (c.bits > 8) {
        options.depth = 16;
        options.depth_given = true;
        // The driver reads its sensor's description when the camera connects.
        qputenv("OMTRIX_SIM_SIZE",
                QByteArray::number(c.width) + "x" + QByteArray::number(c.height));
        qputenv("OMTRIX_SIM_BITS", QByteArray::number(c.bits));
    }
    HeadlessCapture capture([](const QString &) {}, [](const QString &) {});
    const CaptureReport report = capture.Run(CameraDriverPath(), options);
    qunsetenv("OMTRIX_SIM_SIZE");
    qunsetenv("OMTRIX_SIM_BITS");
    if (report.exit_code != EXIT_DONE || report.files.size() != 1 ||
        report.frames_written != c.frames) {
        std::printf("  %dx%d failed: %s\n", c.width, c.height, qPrintable(report.error));
        DropFiles(folder);
        return -1;
    }
    const double sync_start = NowSeconds();
    const int fd = ::open(QFile::encodeName(report.files.first()).constData(), O_RDONLY);
    const bool synced = fd >= 0 && SyncFile(fd);
    if (fd >= 0)
        ::close(fd);
    const double seconds = report.elapsed_ms / 1e3 + (NowSeconds() - sync_start);
    max_backlog = std::max(max_backlog, report.max_backlog);
    DropFiles(folder);
    return synced ? c.frames / seconds : -1;
}

// Alternating runs of the instant camera and the raw write of as many frames
// (a block each from a ring of 256, which outgrows the processor's caches);
// the medians of each side.
bool InstantCameraAgainstRawWrite(const QString &folder) {
    constexpr int kRuns = 5;
    bool all_met = true;
    for (const InstantCase &c : INSTANT_CASES) {
        const int64_t frame_bytes = int64_t{c.width} * c.height * int64_t(BytesPerSample(c.bits));
        const std::vector<std::vector<uint8_t>> ring =
            RawFrames(frame_bytes, std::min(c.frames, 256));
        std::vector<const std::vector<uint8_t> *> blocks;
        for (int i = 0; i < c.frames; ++i)
            blocks.push_back(&ring[static_cast<size_t>(i) % ring.size()]);
        RawWriteSeconds(folder + "/raw.bin", SER_HEADER_BYTES, blocks);  // the untimed first
        std::vector<double> camera, raw;
        int64_t max_backlog = 0;
        for (int run = 0; run < kRuns; ++run) {
            ::sync();
            const double raw_seconds =
                RawWriteSeconds(folder + "/raw.bin", SER_HEADER_BYTES, blocks);
            ::sync();
            const double camera_rate = InstantCameraFramesPerSecond(c, folder, max_backlog);
            if (raw_seconds <= 0 || camera_rate <= 0)
                return false;
            raw.push_back(c.frames / raw_seconds);
            camera.push_back(camera_rate);
        }
        const double camera_rate = Median(camera);
        const double raw_rate = Median(raw);
        const double goal = std::min(0.9 * raw_rate, 3000.0);
        std::printf(
            "  %-5s %4dx%-4d  %7.0f frames/s   raw write %7.0f frames/s   ratio %.3f"
            "  most queued %lld  %s\n",
            c.bits > 8 ? "SER16" : "SER", c.width, c.height, camera_rate, raw_rate,
            camera_rate / raw_rate, static_cast<long long>(max_backlog),
            camera_rate >= goal ? "ok" : "BELOW GOAL");
        all_met &= camera_rate >= goal;
    }
    return all_met;
}

// Nothing runs the camera here, so its notices go nowhere.
class NoMessages : public MessagePoster {
    void Post(MainWindowMessage) override {}
};

class NoUi : public RecorderUi {
    void ShowStatus(const QString &) override {}
    void ShowProgress(const RecordingProgress &) override {}
    void ReleaseCaptureButton() override {}
    void ReportWriteFailure() override { failed = true; }
    void FileCreated(const QString &) override {}

  public:
    bool failed = false;
};

// Seconds the recorder takes to write `c.frames` frames, until its files are
// on the disk; negative when a write failed. A fast camera ahead of the
// writer refills its queue from the blocks the writer freed, a batch at a
// time (TVideoCapture::AwaitRoomForFrame); the same happens here, untimed,
// with as many frames as that batch at most. The blocks are then memory the
// program has written before, as a camera's frames are once they have gone
// round, rather than memory new to the process: writing from that took here
// two to three times as long, a cost of this benchmark and not of the
// recorder. The samples are what each block last held.
double RecorderSeconds(const Case &c, const QString &folder, const CameraDriver &driver) {
    constexpr int kBatch = static_cast<int>(SPARE_FRAMES / 2);
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
    request.description.sample_bits = c.bits;
    if (recorder.StartRecording(request, 0) != StartResult::Started)
        return -1;
    const int64_t first_start_ns = UtcNowNs();
    double seconds = 0;
    // The last frame's notice ends the recording and finishes the file.
    for (int queued = 0; queued < c.frames;) {
        const int batch = std::min(kBatch, c.frames - queued);
        for (int i = 0; i < batch; ++i, ++queued) {
            PImageLst frame = NewFrame(c.width, c.height, std::string(), c.bits);
            if (!frame)
                return -1;
            frame->generation = capture.RecordingTag();  // exposed for this recording
            frame->exposure_start_ns = first_start_ns + queued * int64_t{1000000};
            frames.AppendFrame(frame);
        }
        const double start = NowSeconds();
        for (int i = 0; i < batch; ++i)
            recorder.ProcessFrame(0);
        seconds += NowSeconds() - start;
    }
    const double sync_start = NowSeconds();
    bool synced = true;
    for (const QString &name : QDir(folder).entryList(QDir::Files)) {
        const int fd = ::open(QFile::encodeName(folder + "/" + name).constData(), O_RDONLY);
        synced = synced && fd >= 0 && SyncFile(fd);
        if (fd >= 0)
            ::close(fd);
    }
    seconds += NowSeconds() - sync_start;
    DropFiles(folder);
    return ui.failed || recorder.Recording() || !synced ? -1 : seconds;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Alternating runs, each starting with the system's write-back done, so that
// neither side inherits the other's dirty pages; the ratio of each pair, and
// their median.
bool WriterAgainstRawWrite(const Case &c, const QString &folder, const CameraDriver &driver) {
    constexpr int kRuns = 15;
    constexpr double kGoal = 0.95;
    std::vector<double> raw, writer, ratios;
    const std::vector<std::vector<uint8_t>> frame_blocks = RawFrames(c.FileFrameBytes(), c.frames);
    std::vector<const std::vector<uint8_t> *> raw_frames;
    for (const std::vector<uint8_t> &block : frame_blocks)
        raw_frames.push_back(&block);
    RawWriteSeconds(folder + "/raw.bin", c.RawHeaderBytes(), raw_frames);  // the untimed first
    for (int run = 0; run < kRuns; ++run) {
        ::sync();
        const double raw_seconds =
            RawWriteSeconds(folder + "/raw.bin", c.RawHeaderBytes(), raw_frames);
        ::sync();
        const double writer_seconds = RecorderSeconds(c, folder, driver);
        if (raw_seconds <= 0 || writer_seconds <= 0) {
            std::printf("  %-14s %s failed\n", c.name,
                        raw_seconds <= 0 ? "the raw write" : "the recorder");
            return false;
        }
        raw.push_back(raw_seconds);
        writer.push_back(writer_seconds);
        ratios.push_back(raw_seconds / writer_seconds);
    }
    const double megabytes = c.FileFrameBytes() * double(c.frames) / 1e6;
    const double ratio = Median(ratios);
    const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
    std::printf(
        "  %-14s recorder %6.1f MB/s   raw write %6.1f MB/s   ratio %.3f (runs %.3f to %.3f)"
        "  %s\n",
        c.name, megabytes / Median(writer), megabytes / Median(raw), ratio, *low, *high,
        ratio >= kGoal ? "ok" : "SLOWER THAN GOAL");
    return ratio >= kGoal;
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
    // `bench_recording instant` runs the instant camera's part alone,
    // `bench_recording writer` the recorder's against the raw write.
    const bool instant_only = app.arguments().contains(QStringLiteral("instant"));
    const bool writer_only = app.arguments().contains(QStringLiteral("writer"));
    bool all_met = true;
    if (!writer_only) {
        // The simulated camera's frames are 8 bits deep.
        for (const Case &c : CASES)
            all_met &= instant_only || c.bits > 8 || RecordFromCamera(c, folder.path());
        std::printf(
            "\nAn instant camera recording SER through omtrix-capture's code against a raw write"
            " of\nas many frames, both until fdatasync returns; medians of alternating runs\n"
            "(goal: 0.9 of the raw write, or 3000 frames/s if that is lower):\n");
        // The driver reads its settings when the camera connects.
        qputenv("OMTRIX_SIM_TIMING", "instant");
        all_met &= InstantCameraAgainstRawWrite(folder.path());
        qunsetenv("OMTRIX_SIM_TIMING");
    }
    if (instant_only)
        return all_met ? 0 : 1;
    std::printf(
        "\nThe recorder writing queued frames against a raw sequential write of the same bytes,\n"
        "both until fdatasync returns; median of alternating runs (goal: ratio >= 0.95):\n");
    for (const Case &c : CASES)
        all_met &= WriterAgainstRawWrite(c, folder.path(), driver);
    return all_met ? 0 : 1;
}
