#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <chrono>
#include <thread>

#include "avi/avi_test_reader.h"
#include "avi/avi_utils.h"
#include "avi/avi_writer.h"
#include "recording/writer_test_support.h"

namespace {

// A picture in caller memory with rows `stride` bytes apart; bytes beyond a
// row's pixels hold 0xEE so a test sees whether they leak into the file.
struct TestFrame {
    TestFrame(int32_t width, int32_t height, int32_t stride, int seed)
        : width(width), height(height), stride(stride), bits(size_t(stride) * height, 0xEE) {
        for (int32_t row = 0; row < height; ++row) {
            for (int32_t byte = 0; byte < width * 3; ++byte) {
                bits[size_t(row) * stride + byte] = uint8_t(seed * 31 + row * 7 + byte * 3);
            }
        }
    }
    AviFrameImage Image() const { return {width, height, stride, bits.data()}; }
    // The pixel bytes of row `row` counted from the bottom.
    std::vector<uint8_t> RowPixels(int32_t row) const {
        const auto start = bits.begin() + size_t(row) * stride;
        return {start, start + width * 3};
    }

    int32_t width;
    int32_t height;
    int32_t stride;
    std::vector<uint8_t> bits;
};

int32_t DibStride(int32_t width) {
    return (width * 3 + 3) & ~3;
}

class AviWriterTest : public ::testing::Test {
  protected:
    QString PathOf(const QString &name) const { return dir_.filePath(name); }
    std::string NameOf(const QString &name) const { return PathOf(name).toStdString(); }

    QTemporaryDir dir_;
};

// Every stored row holds the frame's pixels, then zero or pass-through padding
// up to the 4-byte stride.
void ExpectFrameStored(const std::vector<uint8_t> &stored, const TestFrame &frame) {
    const int32_t stride = DibStride(frame.width);
    ASSERT_EQ(stored.size(), size_t(stride) * frame.height);
    for (int32_t row = 0; row < frame.height; ++row) {
        const auto start = stored.begin() + size_t(row) * stride;
        EXPECT_EQ(std::vector<uint8_t>(start, start + frame.width * 3), frame.RowPixels(row))
            << "row " << row;
    }
}

TEST_F(AviWriterTest, StoresFramesWithHeadersAndIndex) {
    const std::string name = NameOf("three.avi");
    const TestFrame frames[] = {{3, 2, 12, 1}, {3, 2, 12, 2}, {3, 2, 12, 3}};
    const AviFrameImage tmpl = frames[0].Image();
    const int32_t handle = CreateAvi(name.c_str(), &tmpl);
    ASSERT_GE(handle, 0);
    for (const TestFrame &frame : frames) {
        const AviFrameImage image = frame.Image();
        ASSERT_EQ(AddAviFrame(handle, &image), AVI_OK);
    }
    ASSERT_EQ(CloseAvi(handle), AVI_OK);

    const AviFileInfo info = ReadAviFile(QString::fromStdString(name));
    EXPECT_TRUE(info.riff_ok);
    EXPECT_TRUE(info.chunks_ok);
    EXPECT_EQ(info.stream_type, "vids");
    EXPECT_EQ(info.handler, "DIB ");
    EXPECT_EQ(info.avih_width, 3u);
    EXPECT_EQ(info.avih_height, 2u);
    EXPECT_EQ(info.bi_width, 3u);
    EXPECT_EQ(info.bi_height, 2);  // positive: bottom-up rows
    EXPECT_EQ(info.bit_count, 24u);
    EXPECT_EQ(info.compression, 0u);
    EXPECT_EQ(info.size_image, 24u);
    EXPECT_EQ(info.total_frames, 3u);
    EXPECT_EQ(info.length, 3u);
    EXPECT_NE(info.avih_flags & 0x10, 0u);  // has an index
    ASSERT_EQ(info.frames.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        ExpectFrameStored(info.frames[i], frames[i]);
    }
    ASSERT_TRUE(info.has_index);
    ASSERT_EQ(info.index_offsets.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(info.movi_type_offset + info.index_offsets[i], info.frame_offsets[i]);
        EXPECT_EQ(info.index_sizes[i], 24u);
    }
}

TEST_F(AviWriterTest, RepacksRowsOfAnotherStrideWithZeroPadding) {
    const std::string name = NameOf("stride.avi");
    const TestFrame frame(3, 4, 20, 5);
    const AviFrameImage image = frame.Image();
    const int32_t handle = CreateAvi(name.c_str(), &image);
    ASSERT_GE(handle, 0);
    ASSERT_EQ(AddAviFrame(handle, &image), AVI_OK);
    ASSERT_EQ(CloseAvi(handle), AVI_OK);

    const AviFileInfo info = ReadAviFile(QString::fromStdString(name));
    ASSERT_EQ(info.frames.size(), 1u);
    ExpectFrameStored(info.frames[0], frame);
    for (int32_t row = 0; row < 4; ++row) {
        for (int32_t pad = 9; pad < 12; ++pad) {
            EXPECT_EQ(info.frames[0][size_t(row) * 12 + pad], 0);
        }
    }
}

TEST_F(AviWriterTest, FilesWrittenFromSeveralThreadsAtOnce) {
    constexpr int THREADS = 4;
    constexpr int FRAMES = 40;
    std::vector<std::thread> threads;
    std::vector<int> stored(THREADS, 0);
    for (int t = 0; t < THREADS; ++t) {
        threads.emplace_back([&, t] {
            const std::string name = NameOf(QString("thread%1.avi").arg(t));
            const TestFrame frame(16, 8, 48, t);
            const AviFrameImage image = frame.Image();
            const int32_t handle = CreateAvi(name.c_str(), &image);
            for (int i = 0; i < FRAMES; ++i) {
                stored[t] += AddAviFrame(handle, &image) == AVI_OK;
            }
            stored[t] += CloseAvi(handle) == AVI_OK;
        });
    }
    for (std::thread &thread : threads) {
        thread.join();
    }
    for (int t = 0; t < THREADS; ++t) {
        EXPECT_EQ(stored[t], FRAMES + 1) << "thread " << t;
        const AviFileInfo info = ReadAviFile(PathOf(QString("thread%1.avi").arg(t)));
        ASSERT_EQ(info.frames.size(), size_t(FRAMES));
        ExpectFrameStored(info.frames.back(), TestFrame(16, 8, 48, t));
    }
}

TEST_F(AviWriterTest, RefusesUnusableInputWithoutHarmingTheFile) {
    const std::string name = NameOf("refuse.avi");
    const std::string missing = NameOf("no/such/folder/x.avi");
    const TestFrame good(4, 3, 12, 1);
    const AviFrameImage tmpl = good.Image();

    const struct {
        const char *what;
        const char *file;
        AviFrameImage tmpl;
    } bad_creates[] = {
        {"no name", nullptr, tmpl},
        {"zero width", name.c_str(), {0, 3, 12, nullptr}},
        {"negative height", name.c_str(), {4, -3, 12, nullptr}},
        {"missing folder", missing.c_str(), tmpl},
    };
    for (const auto &c : bad_creates) {
        EXPECT_EQ(CreateAvi(c.file, &c.tmpl), -1) << c.what;
    }
    EXPECT_EQ(CreateAvi(name.c_str(), nullptr), -1);

    const int32_t handle = CreateAvi(name.c_str(), &tmpl);
    ASSERT_GE(handle, 0);
    ASSERT_EQ(AddAviFrame(handle, &tmpl), AVI_OK);
    const AviFrameImage bad_frames[] = {
        {5, 3, 16, good.bits.data()},  // wrong width
        {4, 2, 12, good.bits.data()},  // wrong height
        {4, 3, 11, good.bits.data()},  // rows overlap
        {4, 3, 12, nullptr},
    };
    for (const AviFrameImage &frame : bad_frames) {
        EXPECT_EQ(AddAviFrame(handle, &frame), AVI_FAILED);
    }
    EXPECT_EQ(AddAviFrame(handle, nullptr), AVI_FAILED);
    EXPECT_EQ(AddAviFrame(handle + 1000, &tmpl), AVI_FAILED);
    EXPECT_EQ(CloseAvi(handle + 1000), AVI_FAILED);
    ASSERT_EQ(CloseAvi(handle), AVI_OK);
    EXPECT_EQ(AddAviFrame(handle, &tmpl), AVI_FAILED);  // closed handle
    EXPECT_EQ(CloseAvi(handle), AVI_FAILED);

    const AviFileInfo info = ReadAviFile(QString::fromStdString(name));
    EXPECT_TRUE(info.riff_ok);
    EXPECT_EQ(info.frames.size(), 1u);
    EXPECT_EQ(info.total_frames, 1u);
}

TEST(MicrosecondsPerFrameTest, MeasuredMeanWithinSaneBounds) {
    const struct {
        int32_t frames;
        int64_t first_to_last_us;
        int64_t expected_us;
    } cases[] = {
        {0, 0, 1000000},  // nothing measured: one frame per second
        {1, 0, 1000000},
        {2, 40000, 40000},  // 25 frames per second
        {101, 4000000, 40000},
        {4, 100001, 33334},                      // rounded to the nearest microsecond
        {3, 1, 1000},                            // faster than 1000 per second: capped
        {2, 10'000'000'000'000, 3'600'000'000},  // slower than one an hour
    };
    for (const auto &c : cases) {
        EXPECT_EQ(MicrosecondsPerFrame(c.frames, c.first_to_last_us), c.expected_us)
            << c.frames << " frames over " << c.first_to_last_us << " us";
    }
}

TEST_F(AviWriterTest, RecordsTheMeasuredFrameRate) {
    const std::string name = NameOf("rate.avi");
    const TestFrame frame(8, 8, 24, 1);
    const AviFrameImage image = frame.Image();
    const int32_t handle = CreateAvi(name.c_str(), &image);
    ASSERT_GE(handle, 0);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 5; ++i) {
        if (i > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
        ASSERT_EQ(AddAviFrame(handle, &image), AVI_OK);
    }
    const auto elapsed_us = std::chrono::duration_cast<std::chrono::microseconds>(
                                std::chrono::steady_clock::now() - start)
                                .count();
    ASSERT_EQ(CloseAvi(handle), AVI_OK);

    const AviFileInfo info = ReadAviFile(QString::fromStdString(name));
    EXPECT_GE(info.us_per_frame, 30000u);
    EXPECT_LE(info.us_per_frame, elapsed_us / 4 + 1);
    // The stream's rate / scale says the same, in frames per second.
    ASSERT_GT(info.scale, 0u);
    EXPECT_NEAR(double(info.rate) / info.scale, 1e6 / info.us_per_frame, 1e-6);

    const std::string single = NameOf("single.avi");
    const int32_t one = CreateAvi(single.c_str(), &image);
    ASSERT_GE(one, 0);
    ASSERT_EQ(AddAviFrame(one, &image), AVI_OK);
    ASSERT_EQ(CloseAvi(one), AVI_OK);
    const AviFileInfo single_info = ReadAviFile(QString::fromStdString(single));
    EXPECT_EQ(single_info.us_per_frame, 1000000u);
    EXPECT_EQ(single_info.rate, single_info.scale);
}

TEST_F(AviWriterTest, RefusesToGrowPastTheSizeLimit) {
    const QString name = PathOf("limit.avi");
    constexpr int64_t MAX_BYTES = 1000;
    const TestFrame frame(4, 4, 12, 1);  // 48 bytes of pixels
    AviWriter writer(4, 4, MAX_BYTES);
    ASSERT_TRUE(writer.Create(name.toStdString().c_str()));
    int32_t accepted = 0;
    while (accepted < 100 && writer.AddFrame(frame.Image())) {
        ++accepted;
    }
    EXPECT_GT(accepted, 0);
    EXPECT_FALSE(writer.AddFrame(frame.Image()));  // stays refused
    ASSERT_TRUE(writer.Close());

    const std::vector<uint8_t> bytes = ReadFileBytes(name);
    const int64_t per_frame = 8 + 48 + 16;  // chunk plus index entry
    EXPECT_LE(int64_t(bytes.size()), MAX_BYTES);
    EXPECT_GT(int64_t(bytes.size()) + per_frame, MAX_BYTES);  // the limit was used up
    const AviFileInfo info = ReadAviFile(name);
    EXPECT_TRUE(info.riff_ok);
    EXPECT_EQ(info.frames.size(), size_t(accepted));
    EXPECT_EQ(info.index_offsets.size(), size_t(accepted));

    // A limit that leaves no room for even one frame fails at once.
    AviWriter tiny(4, 4, 250);
    EXPECT_FALSE(tiny.Create(PathOf("tiny.avi").toStdString().c_str()));
    EXPECT_LT(AVI_MAX_FILE_BYTES, int64_t{1} << 31);
}

TEST_F(AviWriterTest, WriteFailureLeavesAReadableFile) {
    const TestFrame frame(64, 64, 192, 1);
    const AviFrameImage image = frame.Image();
    const int64_t chunk_bytes = 8 + 192 * 64;
    const int64_t index_bytes = 8 + 3 * 16;
    // Room for the headers, three frames and then either the index or not.
    const struct {
        int64_t spare_bytes;
        bool index_fits;
    } cases[] = {{chunk_bytes / 2, true}, {index_bytes - 1, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.spare_bytes);
        const QString name = PathOf(QString("full%1.avi").arg(c.spare_bytes));
        std::vector<int32_t> results;
        int32_t close_result = AVI_OK;
        {
            ScopedFileSizeLimit limit(224 + 3 * chunk_bytes + c.spare_bytes);
            ASSERT_TRUE(limit.Active());
            const int32_t handle = CreateAvi(name.toStdString().c_str(), &image);
            ASSERT_GE(handle, 0);
            for (int i = 0; i < 5; ++i) {
                results.push_back(AddAviFrame(handle, &image));
            }
            close_result = CloseAvi(handle);
        }
        EXPECT_EQ(results, (std::vector<int32_t>{AVI_OK, AVI_OK, AVI_OK, AVI_FAILED, AVI_FAILED}));
        EXPECT_EQ(close_result, c.index_fits ? AVI_OK : AVI_FAILED);

        const AviFileInfo info = ReadAviFile(name);
        EXPECT_TRUE(info.riff_ok);
        EXPECT_TRUE(info.chunks_ok);
        ASSERT_EQ(info.frames.size(), 3u);
        EXPECT_EQ(info.total_frames, 3u);
        ExpectFrameStored(info.frames[2], frame);
        EXPECT_EQ(info.has_index, c.index_fits);
        EXPECT_EQ((info.avih_flags & 0x10) != 0, c.index_fits);
        if (ToolInstalled("ffprobe")) {
            auto probe = ProbeVideoStream(name);
            EXPECT_EQ(probe["nb_read_frames"], "3") << probe["errors"];
        }
    }
}

TEST_F(AviWriterTest, FfmpegReadsSizeFramesRateAndPixels) {
    if (!ToolInstalled("ffprobe") || !ToolInstalled("ffmpeg")) {
        GTEST_SKIP() << "ffprobe or ffmpeg not installed";
    }
    const QString name = PathOf("probe.avi");
    // An odd width, so rows carry padding that readers must step over.
    std::vector<TestFrame> frames;
    for (int i = 0; i < 6; ++i) {
        frames.emplace_back(33, 17, DibStride(33), i);
    }
    const AviFrameImage tmpl = frames[0].Image();
    const int32_t handle = CreateAvi(name.toStdString().c_str(), &tmpl);
    ASSERT_GE(handle, 0);
    for (const TestFrame &frame : frames) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const AviFrameImage image = frame.Image();
        ASSERT_EQ(AddAviFrame(handle, &image), AVI_OK);
    }
    ASSERT_EQ(CloseAvi(handle), AVI_OK);

    auto probe = ProbeVideoStream(name);
    EXPECT_EQ(probe["exit_code"], "0");
    EXPECT_EQ(probe["errors"], "");
    EXPECT_EQ(probe["codec_name"], "rawvideo");
    EXPECT_EQ(probe["width"], "33");
    EXPECT_EQ(probe["height"], "17");
    EXPECT_EQ(probe["nb_read_frames"], "6");
    const QStringList rate = QString::fromStdString(probe["r_frame_rate"]).split('/');
    ASSERT_EQ(rate.size(), 2);
    const double fps = rate[0].toDouble() / rate[1].toDouble();
    EXPECT_GT(fps, 5.0);
    EXPECT_LE(fps, 50.0);  // frames came at most every 20 ms

    // ffmpeg decodes the top row first: our bottom-up rows in reverse.
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-v", "error", "-i", name, "-f", "rawvideo", "-pix_fmt", "bgr24", "-"});
    ASSERT_TRUE(ffmpeg.waitForFinished(60000));
    const QByteArray decoded = ffmpeg.readAllStandardOutput();
    const size_t row_bytes = 33 * 3;
    ASSERT_EQ(size_t(decoded.size()), frames.size() * 17 * row_bytes);
    for (size_t i = 0; i < frames.size(); ++i) {
        for (int32_t top_row = 0; top_row < 17; ++top_row) {
            const char *row = decoded.constData() + (i * 17 + top_row) * row_bytes;
            EXPECT_EQ(std::vector<uint8_t>(row, row + row_bytes), frames[i].RowPixels(16 - top_row))
                << "frame " << i << " row " << top_row;
        }
    }
}

}  // namespace
