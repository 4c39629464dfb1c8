// Speed of a recording, at full frame and at 640 x 480, in SER and AVI.
//
// Part one: omtrix-capture's own code records from the simulated camera with
// zero-length exposures. The camera sets the pace; what counts is that every
// frame it delivers while the recording runs is written, and that frames do
// not pile up waiting for the writer.
//
// Part two: the writer's own speed. The recorder writes frames that are
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
#include "recording/ser_writer.h"

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
                       const std::vector<std::vector<uint8_t>> &blocks) {
    const int fd =
        ::open(QFile::encodeName(file_name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return -1;
    const std::vector<uint8_t> header(static_cast<size_t>(header_bytes));
    const double start = NowSeconds();
    bool written = ::write(fd, header.data(), header.size()) == static_cast<ssize_t>(header.size());
    for (size_t i = 0; i < blocks.size() && written; ++i) {
        const std::vector<uint8_t> &frame = blocks[i];
        written = ::write(fd, frame.data(), frame.size()) == static_cast<ssize_t>(frame.size());
    }
    written = written && SyncFile(fd);
    const double seconds = NowSeconds() - start;
    ::close(fd);
    DropFile(file_name);
    return written ? seconds : -1;
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

// Seconds from the recorder's first write of `frames` queued frames until
// its files are on the disk (queueing them is not counted); negative when a
// write failed.
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
    // One frame more than the count: the call after the last frame ends the
    // recording and finishes the file.
    for (int i = 0; i <= c.frames; ++i) {
        PImageLst frame = NewFrame(c.width, c.height, std::string());
        std::memset(frame->Data, 0x40 + i % 64, size_t(c.width) * c.height);
        frame->generation = capture.RecordingTag();  // exposed for this recording
        frames.AppendFrame(frame);
    }
    const double start = NowSeconds();
    for (int i = 0; i <= c.frames; ++i) {
        recorder.ProcessFrame(0);
    }
    bool synced = true;
    for (const QString &name : QDir(folder).entryList(QDir::Files)) {
        const int fd = ::open(QFile::encodeName(folder + "/" + name).constData(), O_RDONLY);
        synced = synced && fd >= 0 && SyncFile(fd);
        if (fd >= 0)
            ::close(fd);
    }
    const double seconds = NowSeconds() - start;
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
    const std::vector<std::vector<uint8_t>> raw_frames = RawFrames(c.FileFrameBytes(), c.frames);
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
    bool all_met = true;
    for (const Case &c : CASES)
        all_met &= RecordFromCamera(c, folder.path());
    std::printf(
        "\nThe recorder writing queued frames against a raw sequential write of the same bytes,\n"
        "both until fdatasync returns; median of alternating runs (goal: ratio >= 0.95):\n");
    for (const Case &c : CASES)
        all_met &= WriterAgainstRawWrite(c, folder.path(), driver);
    return all_met ? 0 : 1;
}
