#include "recording/ser_writer.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "driver/simulator/scene_renderer.h"
#include "recording/writer_test_support.h"

namespace {

std::vector<uint8_t> FrameSamples(int32_t width, int32_t height, int seed) {
    std::vector<uint8_t> samples(size_t(width) * height);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = uint8_t(i * 13 + seed * 101);
    }
    return samples;
}

// Sets the process's time zone for one test and puts the old one back.
class ScopedTimeZone {
  public:
    explicit ScopedTimeZone(const char *zone) {
        const char *old = std::getenv("TZ");
        had_old_ = old != nullptr;
        old_ = had_old_ ? old : "";
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (had_old_) {
            setenv("TZ", old_.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

  private:
    bool had_old_;
    std::string old_;
};

class SerWriterTest : public ::testing::Test {
  protected:
    QString PathOf(const QString &name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

TEST_F(SerWriterTest, HeaderFramesAndPatchedCount) {
    // The full frame has more rows than the system takes in one call.
    const struct {
        int32_t width;
        int32_t height;
    } sizes[] = {{640, 480}, {2048, 1536}};
    for (const auto &size : sizes) {
        SCOPED_TRACE(size.width);
        const QString name = PathOf(QString("CAPTURE_%1.ser").arg(size.width));
        const size_t row_bytes = size_t(size.width);
        const size_t frame_bytes = row_bytes * size.height;
        SerWriter writer;
        ASSERT_EQ(writer.WriteSerHeader(name, size.width, size.height, 8), SER_HEADER_WRITTEN);
        std::vector<std::vector<uint8_t>> frames;
        for (int i = 0; i < 3; ++i) {
            frames.push_back(FrameSamples(size.width, size.height, i));
            ASSERT_TRUE(writer.AppendSerFrame(frames.back().data(), frames.back().size(), 1));
        }
        EXPECT_EQ(writer.SerFrameCount(), 3);
        ASSERT_TRUE(writer.FinishSerFile());
        EXPECT_FALSE(writer.IsOpen());

        const std::vector<uint8_t> bytes = ReadFileBytes(name);
        ASSERT_EQ(bytes.size(), 178u + 3u * frame_bytes + 3u * 8u);
        EXPECT_EQ(TextAt(bytes, 0, 14), "LUCAM_RECORDER");
        const struct {
            size_t offset;
            uint32_t value;
        } fields[] = {
            {14, 0}, {18, 0}, {22, 0}, {26, uint32_t(size.width)}, {30, uint32_t(size.height)},
            {34, 8}, {38, 3}};
        for (const auto &field : fields) {
            EXPECT_EQ(Le32At(bytes, field.offset), field.value) << "offset " << field.offset;
        }
        EXPECT_EQ(TextAt(bytes, 42, 120),
                  std::string(120, '_'));  // observer, instrument, telescope
        // Frames come bottom row first and are stored top row first.
        for (size_t i = 0; i < frames.size(); ++i) {
            for (size_t row = 0; row < size_t(size.height); ++row) {
                const auto stored = bytes.begin() + 178 + i * frame_bytes + row * row_bytes;
                const auto given = frames[i].begin() + (size.height - 1 - row) * row_bytes;
                ASSERT_TRUE(std::equal(given, given + row_bytes, stored))
                    << "frame " << i << " row " << row;
            }
        }
    }
}

TEST_F(SerWriterTest, RecordingWithoutFramesLeavesTheHeaderOnly) {
    const QString name = PathOf("empty.ser");
    SerWriter writer;
    ASSERT_EQ(writer.WriteSerHeader(name, 320, 240, 8), SER_HEADER_WRITTEN);
    ASSERT_TRUE(writer.FinishSerFile());
    const std::vector<uint8_t> bytes = ReadFileBytes(name);
    ASSERT_EQ(bytes.size(), 178u);
    EXPECT_EQ(Le32At(bytes, 38), 0u);
    EXPECT_FALSE(writer.FinishSerFile());  // nothing open any more
}

TEST_F(SerWriterTest, DatesAreCreationTimeInLocalAndUniversalTicks) {
    // A zone 5 h 30 min east of Greenwich, without daylight saving.
    ScopedTimeZone zone("OMT-5:30");
    const QString name = PathOf("dates.ser");
    SerWriter writer;
    const int64_t before_ms = QDateTime::currentMSecsSinceEpoch();
    ASSERT_EQ(writer.WriteSerHeader(name, 4, 4, 8), SER_HEADER_WRITTEN);
    const int64_t after_ms = QDateTime::currentMSecsSinceEpoch();
    ASSERT_TRUE(writer.FinishSerFile());

    const std::vector<uint8_t> bytes = ReadFileBytes(name);
    const int64_t local_ticks = Le64At(bytes, 162);
    const int64_t utc_ticks = Le64At(bytes, 170);
    // 100-ns ticks since 1 January 0001; 1 January 1970 is 621355968000000000.
    const int64_t unix_epoch_ticks = 621355968000000000;
    EXPECT_GE(utc_ticks, unix_epoch_ticks + before_ms * 10000);
    EXPECT_LE(utc_ticks, unix_epoch_ticks + after_ms * 10000);
    EXPECT_EQ(local_ticks - utc_ticks, int64_t{5 * 3600 + 30 * 60} * 10000000);
}

// Each frame's start follows the frames, in frame order; the header is dated
// by the first. One frame of unknown start leaves the file without a trailer
// rather than with a wrong time, and dated by its creation.
TEST_F(SerWriterTest, TrailerHoldsEachFramesStartAndTheHeaderTheFirst) {
    ScopedTimeZone zone("OMT-5:30");
    const int64_t unix_epoch_ticks = 621355968000000000;
    const int64_t noon_ns = 1700000000LL * 1000000000 + 123456700;  // 2023-11-14 22:13:20.1234567
    const struct {
        const char *name;
        std::vector<int64_t> starts_ns;
        bool trailer;
    } cases[] = {
        {"all known", {noon_ns, noon_ns + 40000000, noon_ns + 80000100}, true},
        {"one unknown", {noon_ns, 0, noon_ns + 80000000}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = PathOf(QString(c.name) + ".ser");
        SerWriter writer;
        const int64_t before_ms = QDateTime::currentMSecsSinceEpoch();
        ASSERT_EQ(writer.WriteSerHeader(name, 4, 2, 8), SER_HEADER_WRITTEN);
        const std::vector<uint8_t> frame = FrameSamples(4, 2, 0);
        for (int64_t start : c.starts_ns) {
            ASSERT_TRUE(writer.AppendSerFrame(frame.data(), frame.size(), start));
        }
        ASSERT_TRUE(writer.FinishSerFile());
        const std::vector<uint8_t> bytes = ReadFileBytes(name);
        const size_t n = c.starts_ns.size();
        ASSERT_EQ(bytes.size(), 178 + n * 8 + (c.trailer ? n * 8 : 0));
        const int64_t utc_ticks = Le64At(bytes, 170);
        EXPECT_EQ(Le64At(bytes, 162) - utc_ticks, int64_t{5 * 3600 + 30 * 60} * 10000000);
        if (c.trailer) {
            EXPECT_EQ(utc_ticks, unix_epoch_ticks + noon_ns / 100);
            for (size_t i = 0; i < n; ++i) {
                EXPECT_EQ(Le64At(bytes, 178 + n * 8 + i * 8),
                          unix_epoch_ticks + c.starts_ns[i] / 100)
                    << "frame " << i;
            }
        } else {
            EXPECT_GE(utc_ticks, unix_epoch_ticks + before_ms * 10000);
        }
    }
}

// Given texts fill their 40 bytes (cut at a whole character, padded with
// zeros); missing ones stay underscores.
TEST_F(SerWriterTest, HeaderNamesObserverInstrumentAndTelescope) {
    const QString name = PathOf("texts.ser");
    SerWriter writer;
    const QString long_name = QString(39, 'a') + QString::fromUtf8("\u00e9");  // é crosses byte 40
    ASSERT_EQ(writer.WriteSerHeader(name, 4, 2, 8, {"Jörg", long_name, {}}), SER_HEADER_WRITTEN);
    ASSERT_TRUE(writer.FinishSerFile());
    const std::vector<uint8_t> bytes = ReadFileBytes(name);
    const struct {
        size_t offset;
        std::string field;
    } fields[] = {
        {42, std::string("J\xc3\xb6rg") + std::string(35, '\0')},
        {82, std::string(39, 'a') + std::string(1, '\0')},
        {122, std::string(40, '_')},
    };
    for (const auto &f : fields) {
        EXPECT_EQ(TextAt(bytes, f.offset, 40), f.field) << "offset " << f.offset;
    }
}

TEST(SerDateTimesTest, KnownMoments) {
    const struct {
        QDateTime moment;
        int64_t utc_ticks;
    } cases[] = {
        {QDateTime(QDate(1970, 1, 1), QTime(0, 0), Qt::UTC), 621355968000000000},
        {QDateTime(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC), 638396640000000000},
        {QDateTime(QDate(2024, 1, 1), QTime(12, 30, 15, 250), Qt::UTC),
         638396640000000000 + (12 * 3600 + 30 * 60 + 15) * 10000000LL + 2500000},
    };
    ScopedTimeZone zone("OMT+2");  // two hours west
    for (const auto &c : cases) {
        const SerDateTimes ticks = SerDateTimesOf(c.moment);
        EXPECT_EQ(ticks.utc_ticks, c.utc_ticks) << c.moment.toString().toStdString();
        EXPECT_EQ(ticks.local_ticks, c.utc_ticks - 2 * 3600 * 10000000LL);
    }
}

// The colours of the stored picture's top-left 2 x 2 cell, row by row, for
// the Bayer ColorIDs 8 to 11.
constexpr std::string_view BAYER_CELLS[] = {"RGGB", "GRBG", "GBRG", "BGGR"};

// A colour camera's raw SER names its mosaic right wherever the window lies
// on the sensor: frames of the simulated camera, at even and odd offsets, of
// even and odd heights, binned or not, are written and read back, and the
// sites the file's ColorID calls red hold the red channel, which the camera
// amplifies twice as much as green and four times as much as blue.
TEST_F(SerWriterTest, BayerColorIdNamesTheStoredMosaicOfEveryWindow) {
    using namespace simcam;
    struct Window {
        int32_t x, y, width, height, bin_shift;
    };
    constexpr int32_t LEFT = SceneModel::PLANET_COLUMN - 120;
    constexpr int32_t BOTTOM = SENSOR_HEIGHT - 1 - SceneModel::PLANET_ROW - 120;
    const Window windows[] = {
        {LEFT, BOTTOM, 240, 240, 0},         {LEFT + 1, BOTTOM, 240, 240, 0},
        {LEFT, BOTTOM + 1, 240, 240, 0},     {LEFT + 1, BOTTOM + 1, 240, 241, 0},
        {LEFT, BOTTOM, 240, 241, 0},         {LEFT + 1, BOTTOM + 3, 240, 242, 1},
        {LEFT + 3, BOTTOM + 1, 240, 244, 2},  // 61 rows
    };
    const SceneModel model;
    SceneRenderer renderer(model);
    for (const Window &w : windows) {
        RenderRequest request;
        request.window = {w.x, w.y, w.width, w.height, w.bin_shift};
        request.exposure_ms = 40.0;
        request.gains = {2.0f, 1.0f, 0.5f, 1.0f};
        request.sensor = SensorKind::Colour;
        request.seeing = SeeingKind::Off;
        request.noise = false;
        const int32_t width = request.window.FrameWidth();
        const int32_t height = request.window.FrameHeight();
        std::vector<uint8_t> frame(static_cast<size_t>(request.window.FrameBytes()));
        renderer.Render(request, frame.data());

        const QString name = PathOf("raw.ser");
        QFile::remove(name);
        SerWriter writer;
        ASSERT_EQ(writer.WriteSerHeader(name, width, height, 8, {}, SerBayerColorId(height)),
                  SER_HEADER_WRITTEN);
        ASSERT_TRUE(writer.AppendSerFrame(frame.data(), frame.size(), 1));
        ASSERT_TRUE(writer.FinishSerFile());
        const std::vector<uint8_t> bytes = ReadFileBytes(name);
        const std::string where = "window " + std::to_string(w.x) + "," + std::to_string(w.y) +
                                  " " + std::to_string(width) + "x" + std::to_string(height);
        const uint32_t color_id = Le32At(bytes, 18);
        ASSERT_TRUE(color_id >= SER_BAYER_RGGB && color_id <= SER_BAYER_BGGR) << where;
        const std::string_view cell = BAYER_CELLS[color_id - SER_BAYER_RGGB];

        // Mean of each stored site, [row parity][column parity].
        double sums[2][2] = {}, counts[2][2] = {};
        for (int32_t row = 0; row < height; ++row) {
            for (int32_t column = 0; column < width; ++column) {
                sums[row % 2][column % 2] += bytes[178 + size_t(row) * width + column];
                counts[row % 2][column % 2] += 1;
            }
        }
        double red = 0, blue = 0, greens[2] = {};
        int green_sites = 0;
        for (int site = 0; site < 4; ++site) {
            const double mean = sums[site / 2][site % 2] / counts[site / 2][site % 2];
            switch (cell[site]) {
                case 'R':
                    red = mean;
                    break;
                case 'B':
                    blue = mean;
                    break;
                default:
                    greens[green_sites++] = mean;
            }
        }
        for (double green : greens) {
            EXPECT_GT(red, 1.5 * green) << where << " " << cell;
            EXPECT_LT(blue, 0.75 * green) << where << " " << cell;
        }
    }
}

TEST_F(SerWriterTest, RefusesFramesOfAnotherSize) {
    const QString name = PathOf("size.ser");
    SerWriter writer;
    ASSERT_EQ(writer.WriteSerHeader(name, 8, 4, 8), SER_HEADER_WRITTEN);
    const std::vector<uint8_t> good = FrameSamples(8, 4, 1);
    const std::vector<uint8_t> too_long = FrameSamples(8, 5, 1);
    EXPECT_FALSE(writer.AppendSerFrame(too_long.data(), too_long.size(), 1));
    EXPECT_FALSE(writer.AppendSerFrame(good.data(), good.size() - 1, 1));
    EXPECT_FALSE(writer.AppendSerFrame(nullptr, good.size(), 1));
    EXPECT_TRUE(writer.AppendSerFrame(good.data(), good.size(), 1));
    EXPECT_EQ(writer.SerFrameCount(), 1);
    ASSERT_TRUE(writer.FinishSerFile());
    EXPECT_EQ(ReadFileBytes(name).size(), 178u + 32u + 8u);
    EXPECT_FALSE(writer.AppendSerFrame(good.data(), good.size(), 1));  // closed
}

}  // namespace

namespace {

// What FFmpeg shows is what every SER reader shows: the picture the right way
// up, its top row first.
TEST_F(SerWriterTest, FfmpegReadsTheFramesTheRightWayUp) {
    if (!ToolInstalled("ffprobe") || !ToolInstalled("ffmpeg")) {
        GTEST_SKIP() << "ffmpeg not installed";
    }
    constexpr int32_t W = 320;
    constexpr int32_t H = 200;
    const QString name = PathOf("probe.ser");
    SerWriter writer;
    ASSERT_EQ(writer.WriteSerHeader(name, W, H, 8), SER_HEADER_WRITTEN);
    // Row r (counted from the bottom of the picture) has the brightness r.
    std::vector<uint8_t> frame(W * H);
    for (int32_t row = 0; row < H; ++row) {
        std::fill_n(frame.begin() + row * W, W, uint8_t(row));
    }
    for (int i = 0; i < 7; ++i) {
        ASSERT_TRUE(writer.AppendSerFrame(frame.data(), frame.size(), 1 + i));
    }
    ASSERT_TRUE(writer.FinishSerFile());
    auto probe = ProbeVideoStream(name);
    EXPECT_EQ(probe["exit_code"], "0");
    EXPECT_EQ(probe["errors"], "");
    EXPECT_EQ(probe["width"], "320");
    EXPECT_EQ(probe["height"], "200");
    EXPECT_EQ(probe["nb_read_frames"], "7");

    const QString decoded = PathOf("decoded.gray");
    const ToolRun run = RunTool("ffmpeg", {"-v", "error", "-i", name, "-frames:v", "1", "-f",
                                           "rawvideo", "-pix_fmt", "gray", decoded});
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const std::vector<uint8_t> picture = ReadFileBytes(decoded);
    ASSERT_EQ(picture.size(), size_t(W * H));
    EXPECT_EQ(picture.front(), H - 1) << "the top row comes first";
    EXPECT_EQ(picture.back(), 0) << "the bottom row comes last";
}

// A 12-bit frame of W x H samples, 4095 and 1000 among them: row r
// (from the bottom) column c holds (r * 97 + c * 13) % 4096, the bottom-left
// corner 4095 and the top-left 1000.
std::vector<uint16_t> DeepFrame(int32_t width, int32_t height) {
    std::vector<uint16_t> samples(size_t(width) * height);
    for (int32_t row = 0; row < height; ++row) {
        for (int32_t x = 0; x < width; ++x) {
            samples[size_t(row) * width + x] = uint16_t((row * 97 + x * 13) % 4096);
        }
    }
    samples.front() = 4095;
    samples[size_t(height - 1) * width] = 1000;
    return samples;
}

// The deep frame written `frames` times into `name` as a 12-bit SER.
void WriteDeepSer(const QString &name, const std::vector<uint16_t> &frame, int32_t width,
                  int32_t height, int frames = 1) {
    SerWriter writer;
    ASSERT_EQ(writer.WriteSerHeader(name, width, height, 12), SER_HEADER_WRITTEN);
    for (int i = 0; i < frames; ++i) {
        ASSERT_TRUE(writer.AppendSerFrame(reinterpret_cast<const uint8_t *>(frame.data()),
                                          frame.size() * 2, 1700000000LL * 1000000000 + i));
    }
    ASSERT_TRUE(writer.FinishSerFile());
}

// The frame's samples top row first, as SER stores them.
std::vector<uint16_t> TopRowFirst(const std::vector<uint16_t> &frame, int32_t width) {
    std::vector<uint16_t> turned;
    for (size_t row = frame.size() / width; row-- > 0;) {
        turned.insert(turned.end(), frame.begin() + row * width, frame.begin() + (row + 1) * width);
    }
    return turned;
}

// Deep samples: two little-endian bytes each, the header naming their depth
// and the LittleEndian field 0 that stackers take for little-endian.
TEST_F(SerWriterTest, DeepFramesAreLittleEndianWordsTopRowFirst) {
    constexpr int32_t W = 6;
    constexpr int32_t H = 4;
    const QString name = PathOf("deep.ser");
    const std::vector<uint16_t> frame = DeepFrame(W, H);
    WriteDeepSer(name, frame, W, H);
    const std::vector<uint8_t> bytes = ReadFileBytes(name);
    ASSERT_EQ(bytes.size(), 178u + W * H * 2 + 8);
    EXPECT_EQ(Le32At(bytes, 22), 0u) << "LittleEndian";
    EXPECT_EQ(Le32At(bytes, 34), 12u) << "PixelDepthPerPlane";
    EXPECT_EQ(Le32At(bytes, 38), 1u);
    const std::vector<uint16_t> top_first = TopRowFirst(frame, W);
    for (size_t i = 0; i < top_first.size(); ++i) {
        EXPECT_EQ(Le16At(bytes, 178 + 2 * i), top_first[i]) << "sample " << i;
    }
    EXPECT_EQ(Le16At(bytes, 178), 1000u) << "the top-left corner comes first";
}

// Siril reads every deep sample back exactly. Its `save` writes the first
// frame as FITS, bottom row first, so the picture comes back in the frame's
// own order. (Siril takes a SER of one frame for no sequence at all.)
TEST_F(SerWriterTest, SirilReadsDeepSamplesExactly) {
    if (!ToolInstalled("siril-cli")) {
        GTEST_SKIP() << "siril-cli not installed";
    }
    constexpr int32_t W = 64;
    constexpr int32_t H = 48;
    const std::vector<uint16_t> frame = DeepFrame(W, H);
    WriteDeepSer(PathOf("deep.ser"), frame, W, H, 2);
    QFile script(PathOf("read.ssf"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("requires 1.0.0\nset16bits\ncd \"%1\"\nload deep.ser\nsave "
                                "read_back\n")
                     .arg(dir_.path())
                     .toUtf8());
    script.close();
    const ToolRun run = RunTool("siril-cli", {"-s", script.fileName()});
    ASSERT_EQ(run.exit_code, 0) << run.output.toStdString();
    const Fits16Image image = ReadFits16(PathOf("read_back.fit"));
    EXPECT_EQ(image.width, W);
    EXPECT_EQ(image.height, H);
    EXPECT_EQ(image.samples, frame);
}

// FFmpeg keeps to the standard's meaning of the LittleEndian field, so it
// takes our 16-bit samples for big-endian ones (gray16be): it passes their
// bytes on unchanged, and read little-endian they are the frame's samples.
TEST_F(SerWriterTest, FfmpegTakesDeepSamplesForBigEndianAndKeepsTheirBytes) {
    if (!ToolInstalled("ffprobe") || !ToolInstalled("ffmpeg")) {
        GTEST_SKIP() << "ffmpeg not installed";
    }
    constexpr int32_t W = 64;
    constexpr int32_t H = 48;
    const QString name = PathOf("deep.ser");
    const std::vector<uint16_t> frame = DeepFrame(W, H);
    WriteDeepSer(name, frame, W, H);
    const ToolRun probe = RunTool(
        "ffprobe", {"-v", "error", "-show_entries", "stream=pix_fmt", "-of", "default=nw=1", name});
    EXPECT_EQ(probe.output.trimmed(), "pix_fmt=gray16be");

    const QString decoded = PathOf("decoded.raw");
    const ToolRun run = RunTool(
        "ffmpeg", {"-v", "error", "-i", name, "-f", "rawvideo", "-pix_fmt", "gray16be", decoded});
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const std::vector<uint8_t> picture = ReadFileBytes(decoded);
    ASSERT_EQ(picture.size(), size_t(W * H * 2));
    const std::vector<uint16_t> top_first = TopRowFirst(frame, W);
    std::vector<uint16_t> read_back(top_first.size());
    for (size_t i = 0; i < read_back.size(); ++i) {
        read_back[i] = uint16_t(Le16At(picture, 2 * i));
    }
    EXPECT_EQ(read_back, top_first);
}

}  // namespace
