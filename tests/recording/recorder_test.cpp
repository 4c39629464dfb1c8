#include "recording/recorder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <map>

#include "avi/avi_test_reader.h"
#include "camera/frame_conversion.h"
#include "platform/utc_clock.h"
#include "preview/text_overlay.h"
#include "support/fake_driver.h"
#include "writer_test_support.h"

namespace {

class FakeRecorderUi : public RecorderUi {
  public:
    void ShowStatus(const QString &text) override { status = text; }
    void ShowProgress(const RecordingProgress &shown) override {
        progress = shown;
        status = FramesText(shown, InterfaceTexts{});
    }
    void ReleaseCaptureButton() override { ++releases; }
    void ReportWriteFailure() override { ++failures; }
    void FileCreated(const QString &name) override { files.push_back(name); }

    QString status;
    RecordingProgress progress;
    int releases = 0;
    int failures = 0;
    std::vector<QString> files;
};

class RecorderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fake_driver::Reset();
        recorder.Init();
    }

    RecordingRequest Request(int32_t mode, int32_t count, int32_t w = 64, int32_t h = 48) {
        RecordingRequest request;
        request.capture_directory = dir.path();
        request.base_name = "CAPTURE";
        request.mode = mode;
        request.count = count;
        request.frame_width = w;
        request.frame_height = h;
        return request;
    }

    // A frame as the acquisition thread queues it for the last recording begun.
    void Queue(uint8_t value, int32_t w = 64, int32_t h = 48) {
        QueueTagged(value, capture.RecordingTag(), w, h);
    }
    void QueueTagged(uint8_t value, uint32_t tag, int32_t w = 64, int32_t h = 48,
                     int64_t start_ns = 0) {
        PImageLst frame = NewFrame(w, h, "");
        frame->generation = tag;
        frame->exposure_start_ns = start_ns;
        std::fill(frame->Data, frame->Data + w * h, value);
        frames.AppendFrame(frame);
    }

    QStringList Files(const char *pattern) const {
        return QDir(dir.path()).entryList({pattern}, QDir::Files, QDir::Name);
    }

    QTemporaryDir dir;
    CameraDriver driver = fake_driver::Driver();
    FrameList frames;
    RecordingPoster poster;
    TVideoCapture capture{driver, frames, poster};
    FakeRecorderUi ui;
    TAVIExport recorder{frames, capture, driver, ui};
};

// Key=Value lines of a recording's log; empty when there is none.
std::map<QString, QString> LogOf(const QString &file_name) {
    QFile file(file_name);
    std::map<QString, QString> fields;
    if (file.open(QIODevice::ReadOnly)) {
        for (const QString &line : QString::fromUtf8(file.readAll()).split('\n')) {
            fields[line.section('=', 0, 0)] = line.section('=', 1);
        }
    }
    return fields;
}

// Every recording leaves one log beside its first file that says how it
// ended and counts the frames that file holds; the switch leaves none.
TEST_F(RecorderTest, EachRecordingLeavesALogSayingHowItEnded) {
    const int64_t t0 = 1700000000LL * 1000000000;  // 2023-11-14 22:13:20 UTC
    const struct {
        const char *name;
        int32_t mode;
        int32_t count;
        int frames_queued;  // one notice each
        bool stop;          // the observer stops after the notices
        bool write_log;
        const char *log;  // empty: no log
        std::map<QString, QString> fields;
    } cases[] = {
        {"SERDONE",
         MODE_SER,
         2,
         3,
         false,
         true,
         "SERDONE_00000.ser.txt",
         {{"Ended", "completed"},
          {"FramesWritten", "2"},
          {"FramesDropped", "0"},
          {"Format", "SER"},
          {"StartUTC", "2023-11-14T22:13:20.000Z"},
          {"EndUTC", "2023-11-14T22:13:20.140Z"},
          {"MidUTC", "2023-11-14T22:13:20.070Z"}}},
        {"SERSTOP",
         MODE_SER,
         9,
         2,
         true,
         true,
         "SERSTOP_00000.ser.txt",
         {{"Ended", "stopped by the observer"}, {"FramesWritten", "2"}}},
        {"FITS",
         MODE_FIT,
         3,
         4,
         false,
         true,
         "FITS_00000.fit.txt",
         {{"Ended", "completed"}, {"FramesWritten", "3"}, {"File", "FITS_00000.fit"}}},
        {"NOLOG", MODE_AVI, 2, 3, false, false, "", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        RecordingRequest request = Request(c.mode, c.count);
        request.base_name = c.name;
        request.exposure_ms = 40;
        request.description.write_log = c.write_log;
        ASSERT_EQ(recorder.StartRecording(request, 0), StartResult::Started);
        for (int i = 0; i < c.frames_queued; ++i) {
            QueueTagged(uint8_t(i), capture.RecordingTag(), 64, 48, t0 + i * 100000000LL);
            recorder.ProcessFrame(0);
        }
        if (c.stop) {
            QueueTagged(9, capture.RecordingTag());  // delivered, never written
            recorder.StopRecording();
        }
        EXPECT_FALSE(recorder.Recording());
        frames.ClearFrameList();
        EXPECT_EQ(Files(QString("%1*.txt").arg(c.name).toLatin1().constData()),
                  *c.log ? QStringList{c.log} : QStringList{});
        if (!*c.log) {
            continue;
        }
        const auto log = LogOf(dir.filePath(c.log));
        for (const auto &[key, value] : c.fields) {
            EXPECT_EQ(log.count(key) ? log.at(key) : "(none)", value) << key.toStdString();
        }
        if (c.stop) {
            EXPECT_EQ(log.at("FramesDelivered"), "3");
            EXPECT_EQ(log.at("FramesDropped"), "1");
        }
        if (c.mode == MODE_SER) {  // the log counts what the file holds
            const auto bytes = ReadFileBytes(dir.filePath(QString(c.log).chopped(4)));
            EXPECT_EQ(QString::number(Le32At(bytes, 38)), log.at("FramesWritten"));
        }
    }
}

TEST_F(RecorderTest, StartNeedsADirectoryAndABaseName) {
    RecordingRequest request = Request(MODE_SER, 3);
    request.base_name.clear();
    EXPECT_EQ(recorder.StartRecording(request, 0), StartResult::NoFileName);
    EXPECT_FALSE(recorder.Recording());
    EXPECT_FALSE(capture.Capturing());
}

TEST_F(RecorderTest, StartDiscardsQueuedFramesAndFreezesTheCamera) {
    Queue(1);
    Queue(2);
    RecordingRequest request = Request(MODE_SER, 3);
    request.exposure_ms = -250;  // the value's sign is not the observer's intent
    request.delay_ms = 40;
    ASSERT_EQ(recorder.StartRecording(request, 0), StartResult::Started);
    EXPECT_EQ(frames.Count(), 0u);
    EXPECT_TRUE(capture.Capturing());
    EXPECT_EQ(capture.length, 250);
    EXPECT_EQ(capture.delay, 40);
    EXPECT_EQ(recorder.count, 3);
    EXPECT_GE(fake_driver::state().cancels, 1);
}

// The file is finished with its last frame, not an exposure later.
TEST_F(RecorderTest, CountThreeClosesTheFileWithItsThirdFrame) {
    RecordingRequest request = Request(MODE_SER, 3);
    request.delay_ms = 500;
    ASSERT_EQ(recorder.StartRecording(request, 0), StartResult::Started);
    for (uint8_t i = 1; i <= 2; ++i) {
        Queue(i);
        recorder.ProcessFrame(300 * i);
    }
    EXPECT_EQ(ui.status, "2 written, 1 frames left");
    EXPECT_EQ(ui.releases, 0);
    Queue(3);
    recorder.ProcessFrame(0);
    EXPECT_FALSE(recorder.Recording());
    EXPECT_FALSE(capture.Capturing());
    EXPECT_EQ(capture.delay, 0) << "the pause between frames ends with the recording";
    EXPECT_EQ(ui.releases, 1);
    EXPECT_EQ(ui.status, "");

    ASSERT_EQ(Files("*.ser"), QStringList{"CAPTURE_00000.ser"});
    const auto bytes = ReadFileBytes(dir.filePath("CAPTURE_00000.ser"));
    ASSERT_EQ(bytes.size(), 178u + 3 * 64 * 48);
    EXPECT_EQ(Le32At(bytes, 38), 3u);
    EXPECT_EQ(bytes[178], 1);
    EXPECT_EQ(bytes[178 + 2 * 64 * 48], 3);
    // Later notices find the recorder idle and leave their frames.
    Queue(4);
    recorder.ProcessFrame(0);
    EXPECT_EQ(ui.status, "Idle");
    EXPECT_EQ(frames.Count(), 1u);
}

// Frames, time, bytes and the disk while counting; the frames still queued
// at the observer's stop, up to the count, are the dropped ones.
TEST_F(RecorderTest, TheFiguresFollowTheRecording) {
    recorder.free_space = [](const QString &) { return int64_t{6'000'000}; };
    ASSERT_EQ(recorder.StartRecording(Request(MODE_FIT, 5), 0), StartResult::Started);
    Queue(9);
    recorder.ProcessFrame(300);
    EXPECT_EQ(ui.status, "1 written, 4 frames left");
    EXPECT_EQ(Files("*.fit"), QStringList{"CAPTURE_00000.fit"});
    EXPECT_EQ(ui.files.size(), 1u);
    EXPECT_EQ(ui.progress.elapsed_ms, 300u);
    EXPECT_EQ(ui.progress.free_bytes, 6'000'000);
    EXPECT_EQ(ui.progress.minutes_left, -1) << "no rate yet";
    Queue(8);
    recorder.ProcessFrame(1500);
    const int64_t one_file = QFileInfo(dir.filePath("CAPTURE_00000.fit")).size();
    EXPECT_EQ(ui.progress.frames_written, 2);
    EXPECT_EQ(ui.progress.file_bytes, 2 * one_file);
    EXPECT_DOUBLE_EQ(ui.progress.written_fps, 2 / 1.5);
    EXPECT_DOUBLE_EQ(ui.progress.minutes_left, 6e6 / (2 * one_file / 1.5) / 60);
    EXPECT_EQ(ui.progress.frames_dropped, 0);
    // No frame for a while: the time goes on, and nothing was written.
    recorder.Watch(4000);
    EXPECT_EQ(ui.progress.elapsed_ms, 4000u);
    EXPECT_EQ(ui.progress.written_fps, 0);
    for (uint8_t value : {7, 6, 5, 4}) {
        Queue(value);
    }
    recorder.StopRecording();
    EXPECT_EQ(ui.progress.frames_dropped, 3) << "three frames were still wanted";
    EXPECT_EQ(ui.progress.frames_written, 2);
}

// A timed recording wanted the queued frames exposed before its end, not
// those after.
TEST_F(RecorderTest, ATimedEndDropsOnlyFramesFromItsTime) {
    RecordingRequest request = Request(MODE_SER, 1);
    request.seconds_mode = true;
    ASSERT_EQ(recorder.StartRecording(request, 1000), StartResult::Started);
    const int64_t now_ns = UtcNowNs();
    QueueTagged(1, capture.RecordingTag(), 64, 48, now_ns - 1'000'000'000);  // 0.5 s before the end
    QueueTagged(2, capture.RecordingTag(), 64, 48, now_ns);
    recorder.ProcessFrame(2500);
    EXPECT_FALSE(recorder.Recording());
    EXPECT_EQ(ui.progress.frames_dropped, 1);
    EXPECT_EQ(ui.progress.seconds_left, 0);
}

// 0 frames and 0 seconds alike record until the observer stops.
TEST_F(RecorderTest, CountZeroRunsUntilStopped) {
    for (bool seconds_mode : {false, true}) {
        RecordingRequest request = Request(MODE_BMP, 0);
        request.base_name = seconds_mode ? "SECONDS" : "FRAMES";
        request.seconds_mode = seconds_mode;
        ASSERT_EQ(recorder.StartRecording(request, 5000), StartResult::Started);
        EXPECT_EQ(recorder.count, COUNT_NO_LIMIT);
        for (int i = 0; i < 4; ++i) {
            Queue(uint8_t(i));
            recorder.ProcessFrame(5000 + 100000 * i);
            EXPECT_EQ(ui.status, QStringLiteral("Capturing... %1 written").arg(i == 0 ? 0 : i + 1));
        }
        Queue(5);
        recorder.StopRecording();
        EXPECT_FALSE(recorder.Recording()) << "the observer's stop ends the recording at once";
        EXPECT_EQ(capture.delay, 0);
        recorder.ProcessFrame(0);
        EXPECT_EQ(ui.status, "Idle");
        EXPECT_EQ(Files((request.base_name + "*.bmp").toLatin1().constData()).size(), 4);
        frames.ClearFrameList();
    }
    EXPECT_EQ(ui.releases, 2);
}

TEST_F(RecorderTest, TimedRecordingEndsAtTheFirstNoticeAfterItsEnd) {
    RecordingRequest request = Request(MODE_SER, 10);
    request.seconds_mode = true;
    ASSERT_EQ(recorder.StartRecording(request, 1000), StartResult::Started);
    EXPECT_EQ(recorder.count, COUNT_TIMED);
    Queue(1);
    recorder.ProcessFrame(1500);
    EXPECT_EQ(ui.status, "10 s left, 1 frames");  // 9.5 s goes to the even 10
    Queue(2);
    recorder.ProcessFrame(10999);
    EXPECT_TRUE(recorder.Recording());
    Queue(3);
    recorder.ProcessFrame(11000);
    EXPECT_FALSE(recorder.Recording());
    EXPECT_EQ(Le32At(ReadFileBytes(dir.filePath("CAPTURE_00000.ser")), 38), 2u);
}

TEST_F(RecorderTest, TimedRecordingCountsAcrossTheTickWrap) {
    RecordingRequest request = Request(MODE_SER, 2);
    request.seconds_mode = true;
    const uint32_t start = 0xFFFFF000u;  // the tick wraps 4 s into the recording
    ASSERT_EQ(recorder.StartRecording(request, start), StartResult::Started);
    Queue(1);
    recorder.ProcessFrame(start + 1500);
    EXPECT_TRUE(recorder.Recording());
    Queue(2);
    recorder.ProcessFrame(start + 2000);
    EXPECT_FALSE(recorder.Recording());
}

// A SER or AVI recording that ends before its first frame (stopped, or its
// time up) leaves no file and says so; the file is announced with its first
// frame only, and its number stays free.
TEST_F(RecorderTest, ARecordingWithoutAFrameLeavesNoFileAndSaysSo) {
    for (int32_t mode : {MODE_SER, MODE_AVI}) {
        for (bool timed : {false, true}) {
            SCOPED_TRACE(mode * 10 + timed);
            RecordingRequest request = Request(mode, timed ? 1 : 0);
            request.seconds_mode = timed;
            ASSERT_EQ(recorder.StartRecording(request, 5000), StartResult::Started);
            EXPECT_EQ(Files("CAPTURE_*").size(), 1) << "the output is open";
            if (timed) {
                Queue(1);
                recorder.ProcessFrame(6000);
            } else {
                recorder.StopRecording();
            }
            EXPECT_FALSE(recorder.Recording());
            EXPECT_TRUE(Files("CAPTURE_*").isEmpty());
            EXPECT_EQ(ui.status, InterfaceTexts{}.NOFRAMES_RECORDED);
            EXPECT_TRUE(ui.files.empty());
            EXPECT_EQ(ui.failures, 0);
            frames.ClearFrameList();
        }
    }
    ASSERT_EQ(recorder.StartRecording(Request(MODE_SER, 1), 0), StartResult::Started);
    Queue(1);
    recorder.ProcessFrame(0);
    EXPECT_EQ(ui.files, std::vector<QString>{dir.filePath("CAPTURE_00000.ser")});
    EXPECT_EQ(ui.status, "");
}

// The folder removed under a SER or AVI file being written: the frames
// written into it are gone with it. The recording ends at once as a write
// failure, found by the next notice or, between notices, by the watch.
TEST_F(RecorderTest, AFileWhoseFolderIsRemovedEndsTheRecordingAsLost) {
    for (int32_t mode : {MODE_SER, MODE_AVI}) {
        for (bool between_notices : {false, true}) {
            SCOPED_TRACE(mode * 10 + between_notices);
            FakeRecorderUi fresh;
            TAVIExport other{frames, capture, driver, fresh};
            other.Init();
            RecordingRequest request = Request(mode, 0);
            request.capture_directory = dir.filePath("night");
            ASSERT_TRUE(QDir().mkpath(request.capture_directory));
            ASSERT_EQ(other.StartRecording(request, 0), StartResult::Started);
            uint32_t now = 0;
            for (int i = 0; i < 3; ++i) {
                Queue(7);
                other.ProcessFrame(now += 1000);
            }
            ASSERT_TRUE(QDir(request.capture_directory).removeRecursively());
            if (between_notices) {
                other.Watch(now);
            } else {
                Queue(7);
                other.ProcessFrame(now += 1000);
            }
            EXPECT_FALSE(other.Recording());
            EXPECT_FALSE(capture.Capturing());
            EXPECT_EQ(fresh.failures, 1);
            EXPECT_EQ(fresh.releases, 1);
            EXPECT_EQ(other.frames_lost, other.framecount);
            EXPECT_EQ(other.frames_lost, between_notices ? 3 : 4);
            EXPECT_EQ(fresh.status, InterfaceTexts{}.NOFRAMES_RECORDED) << "nothing was kept";
            frames.ClearFrameList();
        }
    }
}

TEST_F(RecorderTest, ANoticeWhoseFrameWasDiscardedCountsNothing) {
    ASSERT_EQ(recorder.StartRecording(Request(MODE_SER, 2), 0), StartResult::Started);
    recorder.ProcessFrame(0);  // its frame went with the start's clearing
    EXPECT_EQ(recorder.count, 2);
    EXPECT_EQ(recorder.framecount, 0);
    Queue(1);
    recorder.ProcessFrame(0);
    Queue(2);
    recorder.ProcessFrame(0);
    Queue(3);
    recorder.ProcessFrame(0);
    EXPECT_EQ(Le32At(ReadFileBytes(dir.filePath("CAPTURE_00000.ser")), 38), 2u)
        << "the recording still holds the two frames asked for";
}

// Frames exposed, even partly, before the start come with an older tag, often
// at the recording's own size; frames of another size cannot be written.
TEST_F(RecorderTest, OnlyFramesExposedForTheRecordingAreWritten) {
    const uint32_t before = capture.RecordingTag();
    ASSERT_EQ(recorder.StartRecording(Request(MODE_SER, 2, 64, 48), 0), StartResult::Started);
    EXPECT_NE(capture.RecordingTag(), before);
    QueueTagged(1, before);  // cut short by the start
    recorder.ProcessFrame(0);
    Queue(2, 128, 96);  // another size
    recorder.ProcessFrame(0);
    EXPECT_EQ(frames.Count(), 0u);
    EXPECT_EQ(recorder.count, 2);
    Queue(3);
    recorder.ProcessFrame(0);
    Queue(4);
    recorder.ProcessFrame(0);
    recorder.ProcessFrame(0);
    const auto bytes = ReadFileBytes(dir.filePath("CAPTURE_00000.ser"));
    ASSERT_EQ(bytes.size(), 178u + 2 * 64 * 48);
    EXPECT_EQ(bytes[178], 3);
    EXPECT_EQ(bytes[178 + 64 * 48], 4);
}

// Ticking "Color Camera" during a recording changes the live picture only:
// the recording keeps the mode it started with, in every file it writes.
TEST_F(RecorderTest, TheColourModeIsFrozenForTheRecording) {
    for (int32_t mode : {MODE_AVI, MODE_FIT}) {
        capture.__color = false;
        RecordingRequest request = Request(mode, 3);
        request.base_name = mode == MODE_AVI ? "AVI" : "FIT";
        ASSERT_EQ(recorder.StartRecording(request, 0), StartResult::Started);
        for (int i = 0; i < 4; ++i) {
            Queue(50);
            recorder.ProcessFrame(0);
            capture.__color = true;
        }
        EXPECT_FALSE(recorder.Recording()) << mode;
        EXPECT_EQ(ui.failures, 0) << mode;
    }
    const AviFileInfo avi = ReadAviFile(dir.filePath("AVI_00000.avi"));
    EXPECT_TRUE(avi.has_index);
    ASSERT_EQ(avi.frames.size(), 3u);
    for (const auto &frame : avi.frames) {
        EXPECT_EQ(frame.size(), 64u * 3 * 48);
        EXPECT_EQ(frame.at(0), 50) << "grey, not the demosaic's colour";
    }
    for (const QString &fit : Files("FIT_*.fit")) {
        const auto bytes = ReadFileBytes(dir.filePath(fit));
        // The third card, value in column 30: 2 axes, a grey picture.
        ASSERT_EQ(TextAt(bytes, 80 * 2, 8), "NAXIS   ");
        EXPECT_EQ(bytes.at(80 * 2 + 29), '2') << fit.toStdString();
    }
    EXPECT_EQ(Files("FIT_*.fit").size(), 3);
}

// A stop followed at once by a start of another kind, or a start that
// replaces a recording still waiting for its closing notice: the earlier
// file is complete before the new output opens.
TEST_F(RecorderTest, ANewRecordingFinishesThePreviousOutputFirst) {
    for (bool stopped_first : {true, false}) {
        const QString base = stopped_first ? "STOPPED" : "REPLACED";
        RecordingRequest avi = Request(MODE_AVI, 0);
        avi.base_name = base;
        ASSERT_EQ(recorder.StartRecording(avi, 0), StartResult::Started);
        Queue(9);
        recorder.ProcessFrame(0);
        Queue(9);
        recorder.ProcessFrame(0);
        if (stopped_first) {
            recorder.StopRecording();
        }
        RecordingRequest fit = Request(MODE_FIT, 1);
        fit.base_name = base;
        ASSERT_EQ(recorder.StartRecording(fit, 0), StartResult::Started);
        const AviFileInfo info = ReadAviFile(dir.filePath(base + "_00000.avi"));
        EXPECT_TRUE(info.has_index) << base.toStdString();
        EXPECT_EQ(info.total_frames, 2u) << base.toStdString();
        Queue(8);
        recorder.ProcessFrame(0);
        recorder.ProcessFrame(0);
        EXPECT_FALSE(recorder.Recording());
    }
    EXPECT_EQ(ui.failures, 0);
}

TEST_F(RecorderTest, SerAndBmpOfOneFrameShowTheSameRowAtTheTop) {
    constexpr int32_t W = 64;
    constexpr int32_t H = 48;
    // Each row its own brightness; row 0 of a frame is the bottom of the picture.
    const auto queue_rows = [&] {
        Queue(0, W, H);
        uint8_t *data = frames.Oldest()->Data;
        for (int32_t row = 0; row < H; ++row) {
            std::fill_n(data + row * W, W, uint8_t(10 + 4 * row));
        }
    };
    for (int32_t mode : {MODE_SER, MODE_BMP}) {
        ASSERT_EQ(recorder.StartRecording(Request(mode, 1, W, H), 0), StartResult::Started);
        queue_rows();
        recorder.ProcessFrame(0);
        recorder.ProcessFrame(0);
        ASSERT_FALSE(recorder.Recording());
    }
    const auto ser = ReadFileBytes(dir.filePath("CAPTURE_00000.ser"));
    const auto bmp = ReadFileBytes(dir.filePath("CAPTURE_00000.bmp"));
    ASSERT_EQ(ser.size(), 178u + W * H);
    ASSERT_EQ(bmp.size(), 54u + W * 3 * H);
    // SER stores the top row first; a BMP stores it last (rows bottom-up).
    const auto bmp_row = [&](int32_t stored) { return bmp[54 + stored * W * 3]; };
    const auto ser_row = [&](int32_t stored) { return ser[178 + stored * W]; };
    EXPECT_EQ(ser_row(0), bmp_row(H - 1));
    EXPECT_EQ(ser_row(H - 1), bmp_row(0));
    EXPECT_EQ(ser_row(0), 10 + 4 * (H - 1)) << "the top of the picture";
}

// A deep camera's frames: a 16-bit recording keeps their samples in SER and
// FITS; an 8-bit one, and every AVI and BMP, keeps their top 8 bits. The log
// says which. Frames are 64 x 48, 12 bits deep: the bottom row 4095, the
// rest 1000 (8 bits: 255 and 62).
TEST_F(RecorderTest, DeepFramesGoIntoEachOutputAtTheDepthAskedFor) {
    constexpr int32_t W = 64;
    constexpr int32_t H = 48;
    const struct {
        const char *name;
        int32_t mode;
        int32_t sample_bits;  // asked for
        const char *file;
        const char *logged;  // SampleBits in the log
    } cases[] = {
        {"SER16", MODE_SER, 12, "SER16_00000.ser", "12"},
        {"SER8", MODE_SER, 8, "SER8_00000.ser", "8"},
        {"FIT16", MODE_FIT, 12, "FIT16_00000.fit", "12"},
        {"FIT8", MODE_FIT, 8, "FIT8_00000.fit", "8"},
        {"BMP", MODE_BMP, 12, "BMP_00000.bmp", "8"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        RecordingRequest request = Request(c.mode, 1, W, H);
        request.base_name = c.name;
        request.description.sample_bits = c.sample_bits;
        ASSERT_EQ(recorder.StartRecording(request, 0), StartResult::Started);
        PImageLst frame = NewFrame(W, H, "", 12);
        frame->generation = capture.RecordingTag();
        auto *samples = reinterpret_cast<uint16_t *>(frame->Data);
        std::fill_n(samples, W * H, uint16_t(1000));
        std::fill_n(samples, W, uint16_t(4095));
        frames.AppendFrame(frame);
        recorder.ProcessFrame(0);
        recorder.ProcessFrame(0);
        ASSERT_FALSE(recorder.Recording());

        const QString file = dir.filePath(c.file);
        const auto bytes = ReadFileBytes(file);
        const bool deep = c.sample_bits > 8;
        switch (c.mode) {
            case MODE_SER: {
                ASSERT_EQ(bytes.size(), 178u + W * H * (deep ? 2 : 1));
                EXPECT_EQ(Le32At(bytes, 34), uint32_t(c.sample_bits));
                // Top row first: the picture's top (1000), its bottom (4095) last.
                const size_t last = bytes.size() - (deep ? 2 : 1);
                EXPECT_EQ(deep ? Le16At(bytes, 178) : bytes[178], deep ? 1000u : 62u);
                EXPECT_EQ(deep ? Le16At(bytes, last) : bytes[last], deep ? 4095u : 255u);
                break;
            }
            case MODE_FIT: {
                const Fits16Image image = ReadFits16(file);
                if (deep) {
                    ASSERT_EQ(image.samples.size(), size_t(W * H));
                    EXPECT_EQ(image.samples.front(), 4095) << "the bottom row first";
                    EXPECT_EQ(image.samples.back(), 1000);
                } else {
                    EXPECT_EQ(image.bitpix, 8);
                    EXPECT_EQ(bytes.at(2880), 255);
                    EXPECT_EQ(bytes.at(2880 + W * H - 1), 62);
                }
                break;
            }
            default:  // a BMP's rows bottom-up, each pixel blue, green, red
                EXPECT_EQ(bytes.at(54), 255);
                EXPECT_EQ(bytes.at(bytes.size() - 1), 62);
        }
        EXPECT_EQ(LogOf(file + ".txt")["SampleBits"], c.logged);
    }
}

// A 16-bit recording holds frames of its depth only: one of another depth
// (the camera changed meanwhile) is left out, not written into the file.
TEST_F(RecorderTest, ADeepFileTakesFramesOfItsOwnDepthOnly) {
    RecordingRequest request = Request(MODE_SER, 0);
    request.description.sample_bits = 12;
    ASSERT_EQ(recorder.StartRecording(request, 0), StartResult::Started);
    Queue(7);  // an 8-bit frame
    recorder.ProcessFrame(0);
    PImageLst deep = NewFrame(64, 48, "", 12);
    deep->generation = capture.RecordingTag();
    frames.AppendFrame(deep);
    recorder.ProcessFrame(0);
    recorder.StopRecording();
    EXPECT_EQ(recorder.framecount, 1);
    EXPECT_EQ(ReadFileBytes(dir.filePath("CAPTURE_00000.ser")).size(), 178u + 64 * 48 * 2);
}

TEST_F(RecorderTest, ColourFramesAreOneRowShorterInPictures) {
    capture.__color = true;
    ASSERT_EQ(recorder.StartRecording(Request(MODE_BMP, 1, 64, 48), 0), StartResult::Started);
    Queue(7);
    recorder.ProcessFrame(0);
    const auto bytes = ReadFileBytes(dir.filePath("CAPTURE_00000.bmp"));
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(Le32At(bytes, 18), 64u);
    EXPECT_EQ(Le32At(bytes, 22), 47u);
}

TEST_F(RecorderTest, AviFramesOfAColourCameraAreOneRowShorter) {
    capture.__color = true;
    ASSERT_EQ(recorder.StartRecording(Request(MODE_AVI, 2, 64, 48), 0), StartResult::Started);
    for (int i = 0; i < 3; ++i) {
        Queue(7);
        recorder.ProcessFrame(0);
    }
    EXPECT_FALSE(recorder.Recording());
    const auto bytes = ReadFileBytes(dir.filePath("CAPTURE_00000.avi"));
    ASSERT_GT(bytes.size(), 200u);
    // avih: frame count at offset 48, width at 64, height at 68 of the file.
    EXPECT_EQ(Le32At(bytes, 48), 2u);
    EXPECT_EQ(Le32At(bytes, 64), 64u);
    EXPECT_EQ(Le32At(bytes, 68), 47u);
    EXPECT_EQ(ui.files, std::vector<QString>{dir.filePath("CAPTURE_00000.avi")});
}

TEST_F(RecorderTest, AnOutputThatCannotBeCreatedFailsTheStart) {
    RecordingRequest request = Request(MODE_SER, 3);
    request.capture_directory = dir.filePath("no/such/folder");
    EXPECT_EQ(recorder.StartRecording(request, 0), StartResult::OutputFailed);
    EXPECT_FALSE(recorder.Recording());
    request.mode = MODE_AVI;
    EXPECT_EQ(recorder.StartRecording(request, 0), StartResult::OutputFailed);
}

TEST_F(RecorderTest, AFullDiskEndsTheRecordingWithACorrectFileAndAMessage) {
    constexpr int kFrameBytes = 64 * 48;
    ASSERT_EQ(recorder.StartRecording(Request(MODE_SER, 0), 0), StartResult::Started);
    {
        // Room for the header and two and a half frames.
        ScopedFileSizeLimit limit(178 + kFrameBytes * 5 / 2);
        ASSERT_TRUE(limit.Active());
        for (int i = 0; i < 5; ++i) {
            Queue(uint8_t(10 + i));
            recorder.ProcessFrame(0);
        }
    }
    EXPECT_FALSE(recorder.Recording());
    EXPECT_FALSE(capture.Capturing());
    EXPECT_EQ(ui.failures, 1);
    EXPECT_EQ(ui.releases, 1);
    EXPECT_EQ(recorder.framecount, 2);
    const auto bytes = ReadFileBytes(dir.filePath("CAPTURE_00000.ser"));
    ASSERT_EQ(bytes.size(), 178u + 2 * kFrameBytes);
    EXPECT_EQ(Le32At(bytes, 38), 2u);
    EXPECT_EQ(bytes[178 + kFrameBytes], 11);
}

TEST_F(RecorderTest, AFullDiskEndsFitAndBmpRecordingsToo) {
    for (int32_t mode : {MODE_FIT, MODE_BMP}) {
        FakeRecorderUi fresh;
        TAVIExport other{frames, capture, driver, fresh};
        other.Init();
        RecordingRequest request = Request(mode, 0);
        request.base_name = mode == MODE_FIT ? "FULLFIT" : "FULLBMP";
        ASSERT_EQ(other.StartRecording(request, 0), StartResult::Started);
        {
            ScopedFileSizeLimit limit(1000);  // smaller than any one file
            Queue(3);
            other.ProcessFrame(0);
        }
        EXPECT_FALSE(other.Recording()) << mode;
        EXPECT_EQ(fresh.failures, 1) << mode;
        EXPECT_EQ(other.framecount, 0) << mode;
        EXPECT_TRUE(fresh.files.empty()) << mode;
    }
}

// Three frames with their own stamps, queued as the camera would, recorded
// with the overlay on: each written picture is the frame's grey ramp with that
// frame's stamp drawn by the overlay's own drawing, and nothing else; SER
// keeps the raw samples.
class RecordedStampTest : public RecorderTest {
  protected:
    static constexpr int32_t W = 160;
    static constexpr int32_t H = 60;

    void SetUp() override {
        RecorderTest::SetUp();
        for (size_t i = 0; i < ramp.size(); ++i)
            ramp[i] = uint8_t(i % W + i / W);
        look.visible = true;
        look.font = DefaultOverlayFont();
        look.background = QColor(0, 0, 128);
        recorder.overlay = &look;
    }

    QStringList Record(int32_t mode, const char *pattern) {
        EXPECT_EQ(recorder.StartRecording(Request(mode, 3, W, H), 0), StartResult::Started);
        for (const std::string &stamp : stamps) {
            PImageLst frame = NewFrame(W, H, stamp);
            frame->generation = capture.RecordingTag();
            std::copy(ramp.begin(), ramp.end(), frame->Data);
            frames.AppendFrame(frame);
            recorder.ProcessFrame(0);
        }
        recorder.ProcessFrame(0);  // closes
        EXPECT_FALSE(recorder.Recording());
        QStringList files = Files(pattern);
        for (QString &file : files)
            file = dir.filePath(file);
        return files;
    }

    // The picture a frame stamped `stamp` must become, rows bottom first as
    // in BMP and AVI pictures.
    Bitmap24 Expected(const std::string &stamp) const {
        Bitmap24 picture;
        GreyToBitmap(ramp.data(), W, H, picture);
        DrawStamp(picture, stamp, look);
        return picture;
    }
    static std::vector<uint8_t> Bytes(const Bitmap24 &picture) {
        return {picture.Bits(), picture.Bits() + picture.ByteCount()};
    }

    const std::string stamps[3] = {"M42 21:05:03.250", "M42 21:05:03.283", "M42 21:05:03.316"};
    std::vector<uint8_t> ramp = std::vector<uint8_t>(size_t(W) * H);
    OverlayLook look;
};

TEST_F(RecordedStampTest, EveryAviFrameCarriesItsOwnStamp) {
    ASSERT_NE(Bytes(Expected(stamps[0])), Bytes(Expected(stamps[1])));
    const QStringList files = Record(MODE_AVI, "*.avi");
    ASSERT_EQ(files.size(), 1);
    const AviFileInfo avi = ReadAviFile(files.first());
    ASSERT_EQ(avi.frames.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(avi.frames[i], Bytes(Expected(stamps[i]))) << i;
}

TEST_F(RecordedStampTest, EveryBmpFileCarriesItsFramesOwnStamp) {
    const QStringList files = Record(MODE_BMP, "*.bmp");
    ASSERT_EQ(files.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QImage read(files[i]);  // top row first
        ASSERT_EQ(read.size(), QSize(W, H));
        const Bitmap24 expected = Expected(stamps[i]);
        for (int y = 0; y < H; ++y) {
            const uint8_t *row = expected.Row(H - 1 - y);
            for (int x = 0; x < W; ++x)
                ASSERT_EQ(read.pixel(x, y), qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]))
                    << i << ": " << x << "," << y;
        }
    }
}

TEST_F(RecordedStampTest, EveryFitFileCarriesItsFramesOwnStamp) {
    const QStringList files = Record(MODE_FIT, "*.fit");
    ASSERT_EQ(files.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const std::vector<uint8_t> bytes = ReadFileBytes(files[i]);
        ASSERT_GE(bytes.size(), 2880u + W * H);
        // A grey picture is one plane after the header, its bottom row first.
        const Bitmap24 expected = Expected(stamps[i]);
        for (int row = 0; row < H; ++row)
            for (int x = 0; x < W; ++x)
                ASSERT_EQ(bytes[2880 + size_t(row) * W + x], expected.Row(row)[3 * x])
                    << i << ": " << x << "," << row;
    }
}

// A 16-bit FITS keeps a deep camera's samples, with each frame's own stamp
// drawn into them at the camera's depth.
TEST_F(RecordedStampTest, EveryDeepFitFileCarriesItsFramesOwnStamp) {
    RecordingRequest request = Request(MODE_FIT, 3, W, H);
    request.description.sample_bits = 12;
    ASSERT_EQ(recorder.StartRecording(request, 0), StartResult::Started);
    std::vector<uint16_t> deep(ramp.size());
    for (size_t i = 0; i < deep.size(); ++i)
        deep[i] = uint16_t(ramp[i] << 4 | 9);
    for (const std::string &stamp : stamps) {
        PImageLst frame = NewFrame(W, H, stamp, 12);
        frame->generation = capture.RecordingTag();
        std::memcpy(frame->Data, deep.data(), 2 * deep.size());
        frames.AppendFrame(frame);
        recorder.ProcessFrame(0);
    }
    recorder.ProcessFrame(0);  // closes
    const QStringList files = Files("*.fit");
    ASSERT_EQ(files.size(), 3);
    for (int i = 0; i < 3; ++i) {
        std::vector<uint16_t> expected = deep;
        DrawDeepStamp(expected.data(), W, H, 12, false, stamps[i], look);
        ASSERT_NE(expected, deep);
        EXPECT_EQ(ReadFits16(dir.filePath(files[i])).samples, expected) << i;
    }
}

TEST_F(RecordedStampTest, SerFramesStayRaw) {
    const QStringList files = Record(MODE_SER, "*.ser");
    ASSERT_EQ(files.size(), 1);
    const std::vector<uint8_t> bytes = ReadFileBytes(files.first());
    ASSERT_EQ(bytes.size(), 178u + 3 * W * H);
    // The raw samples, top row (the frame's last) first.
    for (size_t i = 0; i < 3; ++i)
        for (int32_t row = 0; row < H; ++row)
            ASSERT_TRUE(std::equal(ramp.begin() + (H - 1 - row) * W, ramp.begin() + (H - row) * W,
                                   bytes.begin() + 178 + i * W * H + row * W))
                << i << ": " << row;
}

}  // namespace
