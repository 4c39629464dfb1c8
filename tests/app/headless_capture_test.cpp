#include "app/headless_capture.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cmath>
#include <csignal>
#include <iostream>
#include <numeric>
#include <thread>
#include <vector>

#include "recording/time_name.h"
#include "recording/writer_test_support.h"
#include "shell/capture_state.h"
#include "shell/interface_texts.h"
#include "shell/language_file.h"

namespace {

TEST(ParseCaptureOptions, ReadsACompleteCommandLine) {
    CaptureOptions options;
    QString error;
    ASSERT_TRUE(ParseCaptureOptions(
        {"--dir",      "/data",   "--name",         "M42",     "--format",   "AVI",
         "--seconds",  "30",      "--exposure",     "250",     "--gain",     "40",
         "--roi",      "640x480", "--bin",          "2",       "--colour",   "--delay",
         "15",         "--iris",  "--darks",        "5",       "--language", "u",
         "--observer", "Ann Lee", "--telescope",    "C14",     "--object",   "Jupiter",
         "--filter",   "R",       "--name-by-time", "--no-log"},
        options, error))
        << error.toStdString();
    EXPECT_EQ(options.directory, "/data");
    EXPECT_EQ(options.base_name, "M42");
    EXPECT_EQ(options.mode, MODE_AVI);
    EXPECT_TRUE(options.seconds);
    EXPECT_EQ(options.count, 30);
    EXPECT_EQ(options.exposure_ms, 250);
    EXPECT_EQ(options.gain, 40);
    EXPECT_EQ(options.roi_width, 640);
    EXPECT_EQ(options.roi_height, 480);
    EXPECT_EQ(options.binning, 2);
    EXPECT_TRUE(options.colour);
    EXPECT_TRUE(options.colour_given);
    EXPECT_EQ(options.delay_ms, 15);
    EXPECT_TRUE(options.iris);
    EXPECT_EQ(options.darks, 5);
    EXPECT_EQ(options.language, 'U');
    EXPECT_FALSE(options.solar);
    EXPECT_EQ(options.description.observer, "Ann Lee");
    EXPECT_EQ(options.description.telescope, "C14");
    EXPECT_EQ(options.description.object, "Jupiter");
    EXPECT_EQ(options.description.filter, "R");
    EXPECT_TRUE(options.description.name_by_time);
    EXPECT_FALSE(options.description.write_log);
    EXPECT_EQ(options.depth, 8) << "8-bit files unless asked";

    ASSERT_TRUE(ParseCaptureOptions(
        {"--dir", "/data", "--name", "SUN", "--format", "ser", "--frames", "5", "--solar",
         "200:128", "--camera", "indi:scope:7625/ZWO CCD", "--depth", "16"},
        options, error))
        << error.toStdString();
    EXPECT_EQ(options.depth, 16);
    EXPECT_TRUE(options.depth_given);
    EXPECT_EQ(options.camera, "indi:scope:7625/ZWO CCD");
    EXPECT_TRUE(options.solar);
    EXPECT_EQ(options.solar_limit, 200);
    EXPECT_EQ(options.solar_shade, 128);
}

TEST(ParseCaptureOptions, RefusesWhatItCannotRecord) {
    const QStringList base{"--dir", "/data", "--name", "M42"};
    const QStringList refused[] = {
        {"--format", "ser", "--frames", "5"} /* no folder or name */,
        base + QStringList{"--format", "mov", "--frames", "5"},
        base + QStringList{"--format", "ser"},
        base + QStringList{"--format", "ser", "--frames", "5", "--seconds", "2"},
        base + QStringList{"--format", "ser", "--frames", "5", "--roi", "641x480"},
        base + QStringList{"--format", "ser", "--frames", "5", "--roi", "4100x480"},
        base + QStringList{"--format", "ser", "--frames", "5", "--bin", "3"},
        base + QStringList{"--format", "ser", "--frames", "5", "--gain", "101"},
        base + QStringList{"--format", "ser", "--frames", "5", "--exposure", "-1"},
        base + QStringList{"--format", "ser", "--frames", "5", "extra"},
        base + QStringList{"--format", "ser", "--frames", "5", "--speed", "9"},
        base + QStringList{"--format", "ser", "--frames", "5", "--solar", "256:0"},
        base + QStringList{"--format", "ser", "--frames", "5", "--solar", "200"},
        base + QStringList{"--format", "ser", "--frames", "5", "--solar", "200:-1"},
        base + QStringList{"--format", "ser", "--frames", "5", "--solar", "a:b"},
        base + QStringList{"--format", "avi", "--frames", "5", "--solar", "200:128", "--colour"},
        base + QStringList{"--format", "ser", "--frames", "5", "--darks", "0"},
        base + QStringList{"--format", "ser", "--frames", "5", "--darks", "100"},
        base + QStringList{"--format", "ser", "--frames", "5", "--language", "Q"},
        base + QStringList{"--format", "ser", "--frames", "5", "--language", "GE"},
        base + QStringList{"--format", "ser", "--frames", "5", "--camera", "webcam"},
        base + QStringList{"--format", "ser", "--frames", "5", "--camera", "indi:host:0"},
        base + QStringList{"--format", "ser", "--frames", "5", "--depth", "12"},
        base + QStringList{"--format", "avi", "--frames", "5", "--depth", "16"},
        base + QStringList{"--format", "bmp", "--frames", "5", "--depth", "16"},
    };
    for (const QStringList &arguments : refused) {
        CaptureOptions options;
        QString error;
        EXPECT_FALSE(ParseCaptureOptions(arguments, options, error))
            << arguments.join(' ').toStdString();
        EXPECT_FALSE(error.isEmpty()) << arguments.join(' ').toStdString();
    }
}

struct ExposureCase {
    const char *text;
    bool accepted;
    int32_t exposure_ms;  // the nearest whole ms
    int32_t exposure_us;  // -1: whole ms
};

TEST(ParseCaptureOptions, ReadsTheExposureToTheMicrosecond) {
    const ExposureCase cases[] = {
        {"0.25", true, 0, 250},  {"0.001", true, 0, 1},      {"1.5", true, 2, 1500},
        {"250", true, 250, -1},  {"100.000", true, 100, -1}, {"19999", true, 19999, -1},
        {"0.0005", false, 0, 0}, {"19999.5", false, 0, 0},   {"20000", false, 0, 0},
        {".5", false, 0, 0},     {"1.", false, 0, 0},        {"1,5", false, 0, 0},
        {"-0.25", false, 0, 0},  {"0x10", false, 0, 0},
    };
    for (const ExposureCase &c : cases) {
        CaptureOptions options;
        QString error;
        const bool accepted = ParseCaptureOptions({"--dir", "/data", "--name", "SUN", "--format",
                                                   "ser", "--frames", "5", "--exposure", c.text},
                                                  options, error);
        ASSERT_EQ(accepted, c.accepted) << c.text;
        if (accepted) {
            EXPECT_EQ(options.exposure_ms, c.exposure_ms) << c.text;
            EXPECT_EQ(options.exposure_us, c.exposure_us) << c.text;
        } else {
            EXPECT_EQ(error, "--exposure must be 0 to 19999 ms") << c.text;
        }
    }
}

TEST(ParseCaptureOptions, ReadsTheStampByNumberOrName) {
    const QStringList base{"--dir", "/data", "--name", "M42", "--format", "bmp", "--frames", "2"};
    struct Row {
        QStringList arguments;
        int32_t choice;
        int32_t offset;
    };
    const Row rows[] = {
        {{}, -1, 0},
        {{"--stamp", "4"}, 4, 0},
        {{"--stamp", "date/time (ms)", "--hour-offset", "-5"}, 3, -5},
        {{"--stamp", "No Data", "--hour-offset=12"}, 0, 12},
        {{"--prefix", "M42"}, -1, 0},
    };
    for (const Row &row : rows) {
        CaptureOptions options;
        QString error;
        ASSERT_TRUE(ParseCaptureOptions(base + row.arguments, options, error))
            << error.toStdString();
        EXPECT_EQ(options.stamp_choice, row.choice) << row.arguments.join(' ').toStdString();
        EXPECT_EQ(options.hour_offset, row.offset) << row.arguments.join(' ').toStdString();
    }
    CaptureOptions options;
    QString error;
    ASSERT_TRUE(ParseCaptureOptions(base + QStringList{"--prefix", " Jupiter "}, options, error));
    EXPECT_TRUE(options.prefix_given);
    EXPECT_EQ(options.prefix, " Jupiter ");
}

TEST(ParseCaptureOptions, RefusesABadStampNamingTheOption) {
    const QStringList base{"--dir", "/data", "--name", "M42", "--frames", "2"};
    const std::pair<QStringList, const char *> refused[] = {
        {{"--format", "avi", "--stamp", "5"}, "--stamp"},
        {{"--format", "avi", "--stamp", "Week"}, "--stamp"},
        {{"--format", "avi", "--stamp", "1", "--hour-offset", "13"}, "--hour-offset"},
        {{"--format", "avi", "--stamp", "1", "--hour-offset", "two"}, "--hour-offset"},
        {{"--format", "avi", "--hour-offset", "2"}, "--hour-offset"},
        {{"--format", "ser", "--stamp", "2"}, "--stamp"},
        {{"--format", "ser", "--prefix", "M42"}, "--prefix"},
    };
    for (const auto &[arguments, option] : refused) {
        CaptureOptions options;
        QString error;
        EXPECT_FALSE(ParseCaptureOptions(base + arguments, options, error))
            << arguments.join(' ').toStdString();
        EXPECT_TRUE(error.contains(option)) << error.toStdString();
    }
}

class HeadlessCaptureTest : public ::testing::Test {
  protected:
    CaptureOptions Options(int32_t mode, int32_t frames) {
        CaptureOptions options;
        options.directory = folder.path();
        options.base_name = "TEST";
        options.mode = mode;
        options.count = frames;
        options.exposure_ms = 0;
        options.roi_width = 320;
        options.roi_height = 240;
        return options;
    }
    CaptureReport Run(const CaptureOptions &options) {
        HeadlessCapture capture([&](const QString &line) { progress << line; },
                                [&](const QString &file) { created << file; });
        return capture.Run(CameraDriverPath(), options);
    }

    QTemporaryDir folder;
    QStringList progress;
    QStringList created;
};

TEST_F(HeadlessCaptureTest, RecordsTheFramesAskedForIntoOneSerFile) {
    const CaptureReport report = Run(Options(MODE_SER, 12));
    ASSERT_EQ(report.exit_code, EXIT_DONE) << report.error.toStdString();
    EXPECT_EQ(report.frames_written, 12);
    EXPECT_EQ(report.frames_acquired, 12);
    EXPECT_EQ(created, QStringList{folder.filePath("TEST_00000.ser")});
    EXPECT_EQ(report.files, created);
    EXPECT_EQ(QFileInfo(created.first()).size(), 178 + 12 * 320 * 240 + 12 * 8);
    EXPECT_TRUE(QFileInfo::exists(created.first() + ".txt")) << "the recording's log";
    // The switch leaves the log out.
    CaptureOptions without_log = Options(MODE_SER, 2);
    without_log.base_name = "NOLOG";
    without_log.description.write_log = false;
    ASSERT_EQ(Run(without_log).exit_code, EXIT_DONE);
    EXPECT_EQ(QDir(folder.path()).entryList({"NOLOG*"}), QStringList{"NOLOG_00000.ser"});
}

// Every frame's exposure start follows the frames: in order, within the
// recording's wall-clock span, one frame interval apart; the header's date
// is the first of them.
TEST_F(HeadlessCaptureTest, SerTrailerDatesEveryFrameWithinTheRecording) {
    constexpr int64_t N = 20, W = 320, H = 240, EXPOSURE_MS = 30;
    constexpr int64_t UNIX_EPOCH_TICKS = 621355968000000000;
    CaptureOptions options = Options(MODE_SER, N);
    options.exposure_ms = EXPOSURE_MS;
    const int64_t before = UNIX_EPOCH_TICKS + QDateTime::currentMSecsSinceEpoch() * 10000;
    const CaptureReport report = Run(options);
    const int64_t after = UNIX_EPOCH_TICKS + (QDateTime::currentMSecsSinceEpoch() + 1) * 10000;
    ASSERT_EQ(report.exit_code, EXIT_DONE) << report.error.toStdString();
    const std::vector<uint8_t> bytes = ReadFileBytes(report.files.first());
    ASSERT_EQ(int64_t(bytes.size()), 178 + N * W * H + 8 * N);
    std::vector<int64_t> starts;
    for (int64_t i = 0; i < N; ++i) {
        starts.push_back(Le64At(bytes, size_t(178 + N * W * H + 8 * i)));
    }
    EXPECT_EQ(Le64At(bytes, 170), starts.front());
    EXPECT_GE(starts.front(), before);
    EXPECT_LE(starts.back(), after);
    std::vector<int64_t> intervals;
    for (int64_t i = 1; i < N; ++i) {
        intervals.push_back(starts[i] - starts[i - 1]);
        // No exposure starts before the one before it ended.
        EXPECT_GE(intervals.back(), EXPOSURE_MS * 10000) << "frame " << i;
    }
    // One frame interval apart: a busy machine may hold up a frame or two,
    // but most follow the camera's own pace.
    std::vector<int64_t> sorted = intervals;
    std::sort(sorted.begin(), sorted.end());
    const int64_t median = sorted[sorted.size() / 2];
    const auto on_pace = std::count_if(intervals.begin(), intervals.end(), [&](int64_t interval) {
        return interval > median / 2 && interval < median * 3 / 2;
    });
    EXPECT_GE(on_pace, int64_t(intervals.size()) * 3 / 4) << "median " << median / 10000 << " ms";
}

// Named by time, the file carries its recording's mid-time, as its log
// states it, to the tenth of a minute, and the log follows it.
TEST_F(HeadlessCaptureTest, ATimeBasedNameCarriesTheMidTime) {
    CaptureOptions options = Options(MODE_SER, 5);
    options.description.name_by_time = true;
    options.description.observer = "Ann";
    options.description.object = "Jupiter";
    const CaptureReport report = Run(options);
    ASSERT_EQ(report.exit_code, EXIT_DONE) << report.error.toStdString();
    ASSERT_EQ(report.files.size(), 2) << "the file as created, then as named";
    const QString named = report.files.last();
    EXPECT_FALSE(QFileInfo::exists(report.files.first()));
    QFile log(named + ".txt");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    QString mid;
    for (const QString &line : QString::fromUtf8(log.readAll()).split('\n')) {
        if (line.startsWith("MidUTC=")) {
            mid = line.mid(7);
        }
    }
    QDateTime mid_time = QDateTime::fromString(mid, Qt::ISODateWithMs);
    ASSERT_TRUE(mid_time.isValid()) << mid.toStdString();
    EXPECT_EQ(QFileInfo(named).fileName(),
              TimeBasedName(mid_time.toMSecsSinceEpoch() * 1000000, "Ann", "", "Jupiter") + ".ser");
}

// Mean sample value of each frame of a SER file of frames of `frame_bytes`.
std::vector<double> SerFrameMeans(const QString &file_name, size_t frame_bytes) {
    const std::vector<uint8_t> bytes = ReadFileBytes(file_name);
    std::vector<double> means;
    for (size_t at = 178; at + frame_bytes <= bytes.size(); at += frame_bytes) {
        const auto frame = bytes.begin() + static_cast<std::ptrdiff_t>(at);
        means.push_back(
            std::accumulate(frame, frame + static_cast<std::ptrdiff_t>(frame_bytes), 0.0) /
            static_cast<double>(frame_bytes));
    }
    return means;
}

// Mean red, green and blue over every frame FFmpeg decodes from `file`, as
// a stacker would see it; empty when FFmpeg fails.
std::vector<double> FfmpegColourMeans(const QString &file) {
    const QString decoded = file + ".rgb";
    const ToolRun run = RunTool("ffmpeg", {"-v", "error", "-y", "-i", file, "-pix_fmt", "rgb24",
                                           "-f", "rawvideo", decoded});
    const std::vector<uint8_t> pixels = ReadFileBytes(decoded);
    QFile::remove(decoded);
    if (run.exit_code != 0 || pixels.empty()) {
        return {};
    }
    std::vector<double> means(3, 0.0);
    for (size_t i = 0; i < pixels.size(); ++i) {
        means[i % 3] += pixels[i];
    }
    for (double &mean : means) {
        mean /= static_cast<double>(pixels.size() / 3);
    }
    return means;
}

// The simulated camera describes itself: its own word settles colour, a
// profile's colour choice is for a camera without the description (solar
// mode with it works on the mono camera), and --colour on a camera that says
// mono, or solar mode on one that says colour, is refused before anything is
// written.
TEST_F(HeadlessCaptureTest, TheColourIsTheCamerasOwnWordWhereItDescribesItself) {
    struct Row {
        const char *sensor;
        bool profile_colour, colour_given, solar;
        int32_t exit_code;
        uint32_t colour_id;
        const char *refusal;
    };
    for (const Row &row : {Row{"mono", true, false, true, EXIT_DONE, 0, ""},
                           Row{"mono", true, true, false, EXIT_BAD_ARGUMENTS, 0, "mono"},
                           Row{"colour", false, false, false, EXIT_DONE, SER_BAYER_BGGR, ""},
                           Row{"colour", false, false, true, EXIT_BAD_ARGUMENTS, 0, "colour"}}) {
        const std::string label = std::string(row.sensor) + (row.colour_given ? " --colour" : "") +
                                  (row.solar ? " --solar" : "");
        qputenv("OMTRIX_SIM_SENSOR", row.sensor);
        CaptureOptions options = Options(MODE_SER, 2);
        options.colour = row.profile_colour || row.colour_given;
        options.colour_given = row.colour_given;
        options.solar = row.solar;
        const CaptureReport report = Run(options);
        qunsetenv("OMTRIX_SIM_SENSOR");
        EXPECT_EQ(report.exit_code, row.exit_code) << label << ": " << report.error.toStdString();
        if (row.exit_code != EXIT_DONE) {
            EXPECT_TRUE(report.error.contains(row.refusal)) << report.error.toStdString();
            EXPECT_TRUE(report.files.isEmpty()) << label;
            continue;
        }
        ASSERT_FALSE(report.files.isEmpty()) << label;
        EXPECT_EQ(Le32At(ReadFileBytes(report.files.first()), 18), row.colour_id) << label;
    }
}

// A colour camera's SER holds its raw mosaic, every row of it, and FFmpeg
// demosaics it by the ColorID into the colours of the program's own AVI of
// the same still scene. The planet is clearly redder than it is blue, so
// every other ColorID gives other colours, as the last part shows.
TEST_F(HeadlessCaptureTest, RawColourSerDecodesToTheColoursOfTheAvi) {
    if (!ToolInstalled("ffmpeg")) {
        GTEST_SKIP() << "ffmpeg is not installed: the raw colour SER is not checked";
    }
    CaptureOptions parsed;
    QString error;
    EXPECT_TRUE(ParseCaptureOptions(
        {"--dir", "/data", "--name", "RAW", "--format", "ser", "--frames", "4", "--colour"}, parsed,
        error))
        << error.toStdString();
    qputenv("OMTRIX_SIM_SENSOR", "colour");
    qputenv("OMTRIX_SIM_SEEING", "off");
    qputenv("OMTRIX_SIM_NOISE", "off");
    constexpr int32_t N = 4, W = 240, H = 240;
    QString files[2];
    for (int32_t mode : {MODE_AVI, MODE_SER}) {
        CaptureOptions options = Options(mode, N);
        options.base_name = mode == MODE_SER ? "RAW" : "RGB";
        options.colour = true;
        options.exposure_ms = 100;
        options.gain = 8;
        options.roi_width = W;
        options.roi_height = H;
        const CaptureReport report = Run(options);
        ASSERT_EQ(report.exit_code, EXIT_DONE) << report.error.toStdString();
        files[mode == MODE_SER] = report.files.first();
    }
    qunsetenv("OMTRIX_SIM_SENSOR");
    qunsetenv("OMTRIX_SIM_SEEING");
    qunsetenv("OMTRIX_SIM_NOISE");

    const std::vector<uint8_t> ser = ReadFileBytes(files[1]);
    ASSERT_EQ(ser.size(), size_t(178 + N * W * H + 8 * N)) << "one plane of every row";
    EXPECT_EQ(Le32At(ser, 18), uint32_t(SER_BAYER_BGGR));
    const std::vector<double> avi = FfmpegColourMeans(files[0]);
    const std::vector<double> raw = FfmpegColourMeans(files[1]);
    ASSERT_EQ(avi.size(), 3u);
    ASSERT_EQ(raw.size(), 3u);
    const char *channels[] = {"red", "green", "blue"};
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(raw[c] / avi[c], 1.0, 0.05)
            << channels[c] << ": SER " << raw[c] << ", AVI " << avi[c];
    }
    std::cout << "mean red, green, blue: AVI " << avi[0] << " " << avi[1] << " " << avi[2]
              << ", SER by FFmpeg " << raw[0] << " " << raw[1] << " " << raw[2] << "\n";

    for (uint8_t wrong_id : {SER_BAYER_RGGB, SER_BAYER_GRBG, SER_BAYER_GBRG}) {
        std::vector<uint8_t> relabelled = ser;
        relabelled[18] = wrong_id;
        const QString name = folder.filePath(QString("WRONG%1.ser").arg(wrong_id));
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char *>(relabelled.data()), qint64(relabelled.size()));
        file.close();
        const std::vector<double> wrong = FfmpegColourMeans(name);
        ASSERT_EQ(wrong.size(), 3u);
        double worst = 0;
        for (int c = 0; c < 3; ++c) {
            worst = std::max(worst, std::abs(wrong[c] / avi[c] - 1.0));
        }
        EXPECT_GT(worst, 0.05) << "ColorID " << int(wrong_id) << " would pass as well";
    }
}

// With a still, noiseless sky every frame of a recording is equally bright:
// none of them, the first included, is an exposure cut short by the start.
TEST_F(HeadlessCaptureTest, EveryRecordedFrameIsAFullExposure) {
    qputenv("OMTRIX_SIM_SEEING", "off");
    qputenv("OMTRIX_SIM_NOISE", "off");
    for (int32_t exposure_ms : {50, 300}) {
        CaptureOptions options = Options(MODE_SER, 3);
        options.base_name = QString("E%1").arg(exposure_ms);
        options.exposure_ms = exposure_ms;
        options.roi_width = 640;
        options.roi_height = 480;
        const CaptureReport report = Run(options);
        ASSERT_EQ(report.exit_code, EXIT_DONE) << report.error.toStdString();
        ASSERT_EQ(report.files.size(), 1);
        const std::vector<double> means = SerFrameMeans(report.files.first(), 640 * 480);
        ASSERT_EQ(means.size(), 3u) << exposure_ms;
        for (size_t i = 0; i < means.size(); ++i) {
            EXPECT_NEAR(means[i], means.back(), means.back() * 0.02)
                << "frame " << i << " at " << exposure_ms << " ms";
        }
    }
    qunsetenv("OMTRIX_SIM_SEEING");
    qunsetenv("OMTRIX_SIM_NOISE");
}

TEST_F(HeadlessCaptureTest, PerFrameFormatsNameEveryFileWithIrisNumbers) {
    CaptureOptions options = Options(MODE_FIT, 3);
    options.iris = true;
    options.binning = 2;
    const CaptureReport report = Run(options);
    ASSERT_EQ(report.exit_code, EXIT_DONE) << report.error.toStdString();
    EXPECT_EQ(created, (QStringList{folder.filePath("TEST_0.fit"), folder.filePath("TEST_1.fit"),
                                    folder.filePath("TEST_2.fit")}));
    // 160 x 120 after binning: one 2880-byte header and the padded data.
    EXPECT_EQ(QFileInfo(created.first()).size(), 2880 + 7 * 2880);
}

// The value of a FITS header card, without quotes and blanks.
QString FitsValue(const std::vector<uint8_t> &bytes, const char *keyword) {
    for (size_t at = 0; at + 80 <= 2880; at += 80) {
        const QString card = QString::fromLatin1(TextAt(bytes, at, 80));
        if (card.left(8).trimmed() == keyword) {
            return card.mid(10).section('/', 0, 0).remove('\'').trimmed();
        }
    }
    return {};
}

// Each FIT file is dated by its own exposure's start, within the recording,
// and says how long that exposure was and who took it with what.
TEST_F(HeadlessCaptureTest, FitFilesCarryTheirExposureStartAndSettings) {
    CaptureOptions options = Options(MODE_FIT, 3);
    options.exposure_ms = 40;
    options.description.observer = "Ann";
    options.description.object = "Mars";
    const QDateTime before = QDateTime::currentDateTimeUtc().addMSecs(-1);
    const CaptureReport report = Run(options);
    const QDateTime after = QDateTime::currentDateTimeUtc().addMSecs(1);
    ASSERT_EQ(report.exit_code, EXIT_DONE) << report.error.toStdString();
    ASSERT_EQ(report.files.size(), 3);
    QDateTime previous = before;
    for (const QString &file : report.files) {
        const std::vector<uint8_t> bytes = ReadFileBytes(file);
        QDateTime start = QDateTime::fromString(FitsValue(bytes, "DATE-OBS"), Qt::ISODateWithMs);
        start.setTimeSpec(Qt::UTC);
        ASSERT_TRUE(start.isValid()) << FitsValue(bytes, "DATE-OBS").toStdString();
        EXPECT_GT(start, previous) << file.toStdString();
        EXPECT_LT(start, after);
        previous = start;
        EXPECT_EQ(FitsValue(bytes, "EXPTIME"), "0.040");
        EXPECT_EQ(FitsValue(bytes, "OBSERVER"), "Ann");
        EXPECT_EQ(FitsValue(bytes, "OBJECT"), "Mars");
        EXPECT_EQ(FitsValue(bytes, "INSTRUME"), "Omtrix simulator");
        EXPECT_EQ(FitsValue(bytes, "TELESCOP"), "");
    }
}

// A quarter of a millisecond is recorded as such, not as 0 ms.
TEST_F(HeadlessCaptureTest, FitFilesKeepASubMillisecondExposure) {
    CaptureOptions options = Options(MODE_FIT, 1);
    options.exposure_ms = 0;
    options.exposure_us = 250;
    const CaptureReport report = Run(options);
    ASSERT_EQ(report.exit_code, EXIT_DONE) << report.error.toStdString();
    ASSERT_EQ(report.files.size(), 1);
    EXPECT_EQ(FitsValue(ReadFileBytes(report.files[0]), "EXPTIME"), "0.000250");
    QFile log(report.files[0] + ".txt");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(log.readAll()).contains("Exposure_ms=0.250"));
}

// astropy, as measuring programs use it, reads each file's DATE-OBS as a UTC
// time inside the recording and its EXPTIME as the exposure in seconds.
TEST_F(HeadlessCaptureTest, AstropyReadsTheFitTimesAndExposure) {
    CaptureOptions options = Options(MODE_FIT, 2);
    options.exposure_ms = 40;
    const double before = QDateTime::currentMSecsSinceEpoch() / 1000.0 - 0.001;
    const CaptureReport report = Run(options);
    const double after = QDateTime::currentMSecsSinceEpoch() / 1000.0 + 0.001;
    ASSERT_EQ(report.exit_code, EXIT_DONE) << report.error.toStdString();
    // Looked for after the recording: a child process started before the
    // camera's threads confuses the thread checker.
    const QString python = PythonWithAstropy();
    if (python.isEmpty())
        GTEST_SKIP() << "astropy is not installed: the FIT times are not checked with it";
    const QString script = QStringLiteral(
        "import sys\n"
        "from astropy.io import fits\n"
        "from astropy.time import Time\n"
        "for name in sys.argv[1:]:\n"
        "    h = fits.getheader(name)\n"
        "    print(Time(h['DATE-OBS'], format='isot', scale='utc').unix, h['EXPTIME'])\n");
    const ToolRun run = RunTool(python, QStringList{"-c", script} + report.files);
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QStringList lines = run.output.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), report.files.size()) << run.output.toStdString();
    for (const QString &line : lines) {
        const QStringList fields = line.split(' ');
        ASSERT_EQ(fields.size(), 2) << line.toStdString();
        EXPECT_GT(fields[0].toDouble(), before) << line.toStdString();
        EXPECT_LT(fields[0].toDouble(), after) << line.toStdString();
        EXPECT_DOUBLE_EQ(fields[1].toDouble(), 0.040);
    }
}

// --roi is centred on the sensor at every binning: a 2x2 window sees the same
// part of the planet as the 1x1 window, so its frames are as bright.
TEST_F(HeadlessCaptureTest, ABinnedWindowSeesTheSameSkyAsTheUnbinnedOne) {
    qputenv("OMTRIX_SIM_SEEING", "off");
    qputenv("OMTRIX_SIM_NOISE", "off");
    double mean[2] = {};
    for (int32_t binning : {1, 2}) {
        CaptureOptions options = Options(MODE_SER, 3);
        options.base_name = QStringLiteral("BIN%1").arg(binning);
        options.exposure_ms = 50;
        options.roi_width = 640;
        options.roi_height = 480;
        options.binning = binning;
        const CaptureReport report = Run(options);
        ASSERT_EQ(report.exit_code, EXIT_DONE) << report.error.toStdString();
        QFile ser(report.files.first());
        ASSERT_TRUE(ser.open(QIODevice::ReadOnly));
        const int64_t frame_bytes = (640 >> (binning - 1)) * (480 >> (binning - 1));
        ASSERT_EQ(ser.size(), 178 + 3 * (frame_bytes + 8));  // frames and their times
        ser.seek(178 + 2 * frame_bytes);                     // the last frame: a full exposure
        const QByteArray frame = ser.read(frame_bytes);
        int64_t sum = 0;
        for (char sample : frame)
            sum += uint8_t(sample);
        mean[binning - 1] = double(sum) / frame_bytes;
    }
    qunsetenv("OMTRIX_SIM_SEEING");
    qunsetenv("OMTRIX_SIM_NOISE");
    EXPECT_GT(mean[0], 15.0) << "the centre of the sensor shows the planet";
    EXPECT_NEAR(mean[1], mean[0], mean[0] * 0.02);
}

TEST_F(HeadlessCaptureTest, ATimedRecordingEndsOnTime) {
    CaptureOptions options = Options(MODE_AVI, 1);
    options.seconds = true;
    const CaptureReport report = Run(options);
    ASSERT_EQ(report.exit_code, EXIT_DONE) << report.error.toStdString();
    EXPECT_GE(report.elapsed_ms, 1000u);
    EXPECT_LT(report.elapsed_ms, 3000u);
    EXPECT_GT(report.frames_written, 0);
    // Nothing is left behind but, at most, the one frame that arrived just
    // before the end and was handed to the recorder just after it.
    EXPECT_LE(report.frames_acquired - report.frames_written, 1);
    EXPECT_FALSE(progress.isEmpty());
}

// The window a recording reads follows the camera's sensor: --roi centred
// and refused beyond the sensor with its size in the message, a profile's
// window cut to the sensor, no window at all the whole sensor.
TEST(RecordingSubFrame, FollowsTheSensor) {
    struct Row {
        int32_t sensor_width, sensor_height;
        int32_t roi_width, roi_height;
        bool roi_given;
        int32_t roi_x;         // a profile's corner, -1: centred
        const char *expected;  // the corners, or the error
    };
    for (const Row row : {
             Row{2048, 1536, 0, 0, false, -1, "(0,0) -> (2048x1536)"},
             Row{1304, 976, 0, 0, false, -1, "(0,0) -> (1304x976)"},
             Row{4096, 3072, 0, 0, false, -1, "(0,0) -> (4096x3072)"},
             Row{1304, 976, 640, 480, true, -1, "(332,248) -> (972x728)"},
             Row{4096, 3072, 4096, 480, true, -1, "(0,1296) -> (4096x1776)"},
             Row{1304, 976, 1304, 976, true, -1, "(0,0) -> (1304x976)"},
             Row{1304, 976, 1308, 976, true, -1,
                 "--roi must be WxH, multiples of 4, at most 1304x976"},
             Row{2048, 1536, 4096, 480, true, -1,
                 "--roi must be WxH, multiples of 4, at most 2048x1536"},
             Row{1304, 976, 2048, 1536, false, 100,
                 "(0,0) -> (1304x976)"},  // a larger camera's profile
             Row{1304, 976, 320, 240, false, 1200, "(984,0) -> (1304x240)"},
         }) {
        CaptureOptions options;
        options.roi_width = row.roi_width;
        options.roi_height = row.roi_height;
        options.roi_given = row.roi_given;
        options.roi_x = row.roi_x;
        options.roi_y = row.roi_x >= 0 ? 0 : -1;
        SubFrame frame;
        QString error;
        const bool taken =
            RecordingSubFrame(options, {row.sensor_width, row.sensor_height}, frame, error);
        const std::string label = std::to_string(row.sensor_width) + " roi " +
                                  std::to_string(row.roi_width) + "x" +
                                  std::to_string(row.roi_height);
        EXPECT_EQ(taken ? SubframeCorners(frame, 1) : error.toStdString(), row.expected) << label;
        if (taken) {
            EXPECT_EQ(frame.sensor.width, row.sensor_width) << label;
        }
    }
}

TEST_F(HeadlessCaptureTest, FailuresComeBackWithTheirOwnExitCodes) {
    // Within the largest sensor but beyond the camera's.
    CaptureOptions too_wide = Options(MODE_SER, 3);
    too_wide.roi_width = 4096;
    too_wide.roi_given = true;
    const CaptureReport refused = Run(too_wide);
    EXPECT_EQ(refused.exit_code, EXIT_BAD_ARGUMENTS);
    EXPECT_EQ(refused.error, "--roi must be WxH, multiples of 4, at most 2048x1536");
    EXPECT_TRUE(refused.files.isEmpty());

    CaptureOptions options = Options(MODE_SER, 3);
    options.directory = folder.filePath("missing");
    EXPECT_EQ(Run(options).exit_code, EXIT_OUTPUT_FAILED);

    HeadlessCapture capture([](const QString &) {}, [](const QString &) {});
    const CaptureReport no_driver =
        capture.Run(folder.filePath("MELKOTAR.DLL"), Options(MODE_SER, 3));
    EXPECT_EQ(no_driver.exit_code, EXIT_NO_DRIVER);
    EXPECT_TRUE(no_driver.error.contains("MELKOTAR.DLL"));

    qputenv("OMTRIX_SIM_FAULT", "no-camera");
    EXPECT_EQ(Run(Options(MODE_SER, 3)).exit_code, EXIT_NO_CAMERA);
    qunsetenv("OMTRIX_SIM_FAULT");

    // 16-bit files from the 8-bit camera: refused before anything is recorded.
    CaptureOptions deep = Options(MODE_SER, 3);
    deep.depth = 16;
    deep.depth_given = true;
    const CaptureReport shallow = Run(deep);
    EXPECT_EQ(shallow.exit_code, EXIT_BAD_ARGUMENTS);
    EXPECT_TRUE(shallow.error.contains("8-bit")) << shallow.error.toStdString();
    EXPECT_TRUE(shallow.files.isEmpty());

    qputenv("OMTRIX_SIM_FAULT", "hang:8");
    const CaptureReport silent = Run(Options(MODE_SER, 50));
    qunsetenv("OMTRIX_SIM_FAULT");
    EXPECT_EQ(silent.exit_code, EXIT_CAMERA_SILENT);
    ASSERT_FALSE(silent.files.isEmpty());
    // The ending says what was kept, and where.
    EXPECT_TRUE(CaptureSummary(silent).startsWith(QStringLiteral("%1 frames written into %2 in ")
                                                      .arg(silent.frames_written)
                                                      .arg(silent.files.first())))
        << CaptureSummary(silent).toStdString();
    // The file written before the camera went quiet is complete and says so.
    QFile ser(silent.files.first());
    ASSERT_TRUE(ser.open(QIODevice::ReadOnly));
    const QByteArray header = ser.read(42);
    const int32_t count = uint8_t(header[38]) | uint8_t(header[39]) << 8;
    EXPECT_EQ(ser.size(), 178 + int64_t(count) * (320 * 240 + 8));
}

// Samples of every frame of a SER file, without the frames' times after them.
QByteArray SerSamples(const QString &file) {
    QFile ser(file);
    if (!ser.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = ser.readAll();
    const std::vector<uint8_t> header(bytes.begin(), bytes.begin() + 42);
    return bytes.mid(178, bytes.size() - 178 - 8 * qsizetype(Le32At(header, 38)));
}

TEST_F(HeadlessCaptureTest, SolarModeLeavesNoSampleAboveTheLimitButTheShade) {
    CaptureOptions options = Options(MODE_SER, 4);
    options.exposure_ms = 50;
    options.gain = 100;  // bright enough to saturate the planet
    const CaptureReport plain = Run(options);
    ASSERT_EQ(plain.exit_code, EXIT_DONE) << plain.error.toStdString();
    const QByteArray before = SerSamples(plain.files.first());
    ASSERT_EQ(before.size(), 4 * 320 * 240);
    const auto above_limit = [](const QByteArray &samples) {
        return std::count_if(samples.begin(), samples.end(),
                             [](char s) { return uint8_t(s) > 200; });
    };
    ASSERT_GT(above_limit(before), 1000) << "the scene must have saturated areas";

    options.solar = true;
    options.solar_limit = 200;
    options.solar_shade = 128;
    const CaptureReport solar = Run(options);
    ASSERT_EQ(solar.exit_code, EXIT_DONE) << solar.error.toStdString();
    const QByteArray after = SerSamples(solar.files.first());
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(above_limit(after), 0);
    EXPECT_GT(after.count(char(128)), before.count(char(128)) + 1000);
}

TEST_F(HeadlessCaptureTest, TheCommandPrintsItsFilesAndExitsWithItsCode) {
    QProcess command;
    command.start(QCoreApplication::applicationDirPath() + "/omtrix-capture",
                  {"--dir", folder.path(), "--name", "CLI", "--format", "bmp", "--frames", "2",
                   "--exposure", "0", "--roi", "320x240"});
    ASSERT_TRUE(command.waitForFinished(60000));
    const QString errors = QString::fromLocal8Bit(command.readAllStandardError());
    EXPECT_EQ(command.exitCode(), 0) << errors.toStdString();
    EXPECT_TRUE(errors.contains(
        QStringLiteral("2 frames written into 2 files, %1 to %2")
            .arg(folder.filePath("CLI_00000.bmp"), folder.filePath("CLI_00001.bmp"))))
        << errors.toStdString();
    EXPECT_EQ(
        QString::fromLocal8Bit(command.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
        (QStringList{folder.filePath("CLI_00000.bmp"), folder.filePath("CLI_00001.bmp")}));

    // With a stamp: the box at the top-left, with text, in the default
    // colours (black box, white text).
    command.start(
        QCoreApplication::applicationDirPath() + "/omtrix-capture",
        {"--dir", folder.path(), "--name", "STAMP", "--format", "bmp", "--frames", "1",
         "--exposure", "0", "--roi", "320x240", "--stamp", "Time(ms)", "--prefix", "M42"});
    ASSERT_TRUE(command.waitForFinished(60000));
    EXPECT_EQ(command.exitCode(), 0) << command.readAllStandardError().toStdString();
    const QImage stamped(folder.filePath("STAMP_00000.bmp"));
    ASSERT_FALSE(stamped.isNull());
    EXPECT_EQ(stamped.pixel(10, 8), qRgb(0, 0, 0));
    EXPECT_EQ(stamped.pixel(11, 9), qRgb(0, 0, 0));
    int white = 0;
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 150; ++x)
            white += stamped.pixel(x, y) == qRgb(255, 255, 255);
    EXPECT_GT(white, 50);

    command.start(QCoreApplication::applicationDirPath() + "/omtrix-capture",
                  {"--dir", folder.path(), "--name", "BAD", "--format", "avi", "--frames", "2",
                   "--stamp", "1", "--hour-offset", "-13"});
    ASSERT_TRUE(command.waitForFinished(60000));
    EXPECT_EQ(command.exitCode(), EXIT_BAD_ARGUMENTS);
    EXPECT_TRUE(command.readAllStandardError().contains("--hour-offset"));

    command.start(QCoreApplication::applicationDirPath() + "/omtrix-capture", {"--frames", "2"});
    ASSERT_TRUE(command.waitForFinished(60000));
    EXPECT_EQ(command.exitCode(), EXIT_BAD_ARGUMENTS);
    EXPECT_TRUE(command.readAllStandardError().contains("usage:"));

    command.start(QCoreApplication::applicationDirPath() + "/omtrix-capture",
                  {"--dir", folder.path(), "--name", "CLI", "--format", "ser", "--frames", "2",
                   "--solar", "300:0"});
    ASSERT_TRUE(command.waitForFinished(60000));
    EXPECT_EQ(command.exitCode(), EXIT_BAD_ARGUMENTS);
    EXPECT_TRUE(command.readAllStandardError().contains("--solar"));
}

// A profile saved by the window: its settings are the recording's, the
// command's own options win over them, and a damaged one records nothing.
TEST_F(HeadlessCaptureTest, AProfileGivesTheRecordingItsSettings) {
    QTemporaryDir config;
    const QString profiles = config.filePath("Zelvaro/profiles");
    CaptureState saturn;
    saturn.exposure_ms = 0;  // 400 us, from the fine range
    saturn.exposure_us = 400;
    saturn.gain = 55;
    saturn.sub_x = 100;
    saturn.sub_y = 200;
    saturn.sub_width = 320;
    saturn.sub_height = 240;
    saturn.output_kind = MODE_FIT;
    saturn.count = 3;
    saturn.observer = "Ann Lee";
    saturn.telescope = "C11";
    saturn.object = "Saturn";
    saturn.filter = "R";
    QString error;
    ASSERT_TRUE(WriteProfile(ProfileFile(profiles, "Saturn"), saturn, error));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", config.path());
    QProcess command;
    command.setProcessEnvironment(environment);
    command.start(QCoreApplication::applicationDirPath() + "/omtrix-capture",
                  {"--profile", "Saturn", "--dir", folder.path(), "--name", "P", "--gain", "20"});
    ASSERT_TRUE(command.waitForFinished(60000));
    EXPECT_EQ(command.exitCode(), 0) << command.readAllStandardError().toStdString();
    const QStringList files = QDir(folder.path()).entryList({"P_*.fit"});
    ASSERT_EQ(files, (QStringList{"P_00000.fit", "P_00001.fit", "P_00002.fit"}));
    const std::vector<uint8_t> bytes = ReadFileBytes(folder.filePath(files.first()));
    EXPECT_EQ(FitsValue(bytes, "EXPTIME"), "0.000400");
    EXPECT_EQ(FitsValue(bytes, "GAIN"), "20") << "the command's own option wins";
    EXPECT_EQ(FitsValue(bytes, "NAXIS1"), "320");
    EXPECT_EQ(FitsValue(bytes, "NAXIS2"), "240");
    EXPECT_EQ(FitsValue(bytes, "OBSERVER"), "Ann Lee");
    EXPECT_EQ(FitsValue(bytes, "TELESCOP"), "C11");
    EXPECT_EQ(FitsValue(bytes, "OBJECT"), "Saturn");
    EXPECT_EQ(FitsValue(bytes, "FILTER"), "R");
    QFile log(folder.filePath("P_00000.fit.txt"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    for (const char *line : {"Profile=Saturn", "Window=320x240+100+200", "Exposure_ms=0.400"}) {
        EXPECT_TRUE(text.contains(QLatin1String(line))) << line << "\n" << text.toStdString();
    }

    // A damaged profile: a message naming it, no file.
    QFile file(ProfileFile(profiles, "Saturn"));
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("GAIN\n");
    file.close();
    command.start(QCoreApplication::applicationDirPath() + "/omtrix-capture",
                  {"--profile", "Saturn", "--dir", folder.path(), "--name", "BAD"});
    ASSERT_TRUE(command.waitForFinished(60000));
    EXPECT_EQ(command.exitCode(), EXIT_BAD_ARGUMENTS);
    EXPECT_TRUE(command.readAllStandardError().contains("Saturn.ini is damaged"));
    EXPECT_TRUE(QDir(folder.path()).entryList({"BAD*"}).isEmpty());
}

// --frames 1 and 2 at 1 s exposures: the file is finished as its last frame
// is written, not one exposure later. Timed from the last frame's exposure
// start (its timestamp) to the file's last write, so that a frame the camera
// had under way when the recording began does not count.
TEST_F(HeadlessCaptureTest, TheFileIsFinishedWithItsLastFrame) {
    constexpr int64_t UNIX_EPOCH_TICKS = 621355968000000000;
    for (int32_t frames : {1, 2}) {
        CaptureOptions options = Options(MODE_SER, frames);
        options.base_name = QStringLiteral("LAST%1").arg(frames);
        options.exposure_ms = 1000;
        const CaptureReport report = Run(options);
        ASSERT_EQ(report.exit_code, EXIT_DONE) << report.error.toStdString();
        EXPECT_EQ(report.frames_written, frames);
        const std::vector<uint8_t> bytes = ReadFileBytes(report.files.first());
        ASSERT_EQ(bytes.size(), size_t(178 + frames * (320 * 240 + 8)));
        const int64_t last_start_ms = (Le64At(bytes, bytes.size() - 8) - UNIX_EPOCH_TICKS) / 10000;
        const int64_t closed_ms =
            QFileInfo(report.files.first()).lastModified().toMSecsSinceEpoch();
        EXPECT_LT(closed_ms - last_start_ms, 1000 + 600) << frames;
    }
}

// The capture folder deleted in the middle of a SER or AVI recording: the
// file written on would be found nowhere. The recording ends at once as a
// write failure that says how many frames are lost, and no file is claimed.
TEST_F(HeadlessCaptureTest, ARemovedFolderEndsTheRecordingWithTheFramesLost) {
    for (int32_t mode : {MODE_SER, MODE_AVI}) {
        SCOPED_TRACE(mode);
        CaptureOptions options = Options(mode, 0);  // until stopped
        options.directory = folder.filePath(mode == MODE_SER ? "ser" : "avi");
        options.exposure_ms = 10;
        ASSERT_TRUE(QDir().mkpath(options.directory));
        HeadlessCapture capture([](const QString &) {},
                                [&](const QString &file) {
                                    created << file;
                                    QTimer::singleShot(
                                        1200, [&] { QDir(options.directory).removeRecursively(); });
                                });
        const CaptureReport report = capture.Run(CameraDriverPath(), options);
        EXPECT_EQ(report.exit_code, EXIT_WRITE_FAILED);
        EXPECT_TRUE(report.error.contains(InterfaceTexts{}.AVIERROR)) << report.error.toStdString();
        EXPECT_TRUE(report.error.contains(
            QStringLiteral("the %1 frames written into it are lost").arg(report.frames_lost)))
            << report.error.toStdString();
        EXPECT_GT(report.frames_lost, 5);
        EXPECT_EQ(report.frames_written, 0);
        EXPECT_LT(report.elapsed_ms, 1200u + 1500u) << "it stopped at once";
        EXPECT_TRUE(CaptureSummary(report).startsWith("0 frames written; no file was left"))
            << CaptureSummary(report).toStdString();
    }
}

TEST_F(HeadlessCaptureTest, AStopBeforeTheFirstFrameEndsAtOnceWithoutAFile) {
    CaptureOptions options = Options(MODE_SER, 5);
    options.exposure_ms = 2000;
    HeadlessCapture capture([](const QString &) {}, [&](const QString &file) { created << file; });
    QElapsedTimer since_stop;
    QTimer::singleShot(0, [&] {
        since_stop.start();
        capture.RequestStop();
    });
    const CaptureReport report = capture.Run(CameraDriverPath(), options);
    EXPECT_LT(since_stop.elapsed(), 1000) << "the first exposure was waited for";
    EXPECT_EQ(report.exit_code, EXIT_DONE) << report.error.toStdString();
    EXPECT_EQ(report.frames_acquired, 0);
    EXPECT_TRUE(created.isEmpty());
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

// Ctrl+C, kill or a closed terminal in the middle of a timed recording:
// the command ends at once with the file finished, its frames all whole
// pictures, and an exit code that tells which signal ended it.
TEST_F(HeadlessCaptureTest, ASignalEndsTheRecordingWithItsFileFinished) {
    constexpr int W = 320, H = 240;
    // 0 frames or seconds record until the signal, as a long duration does.
    const struct {
        const char *format;
        int signal_number;
        int exit_code;
        QStringList length;
    } cases[] = {{"ser", SIGINT, 130, {"--seconds", "0"}},
                 {"avi", SIGTERM, 143, {"--frames", "0"}},
                 {"ser", SIGHUP, 129, {"--seconds", "30"}}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.format + std::string(" ") + std::to_string(c.signal_number));
        const QString name = QString("SIG%1").arg(c.signal_number);
        QProcess command;
        // As from a terminal: the signals at their defaults, whatever the
        // test runner ignores.
        command.setChildProcessModifier([] {
            for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
                std::signal(signal_number, SIG_DFL);
            }
        });
        command.start(QCoreApplication::applicationDirPath() + "/omtrix-capture",
                      QStringList{"--dir", folder.path(), "--name", name, "--format", c.format,
                                  "--exposure", "10", "--gain", "40", "--roi", "320x240"} +
                          c.length);
        ASSERT_TRUE(command.waitForReadyRead(30000)) << "no file was created";
        std::this_thread::sleep_for(std::chrono::milliseconds(700));  // some frames into the file
        ASSERT_EQ(::kill(static_cast<pid_t>(command.processId()), c.signal_number), 0);
        ASSERT_TRUE(command.waitForFinished(10000));
        ASSERT_EQ(command.exitStatus(), QProcess::NormalExit) << "killed by the signal";
        EXPECT_EQ(command.exitCode(), c.exit_code);
        const QString errors = QString::fromLocal8Bit(command.readAllStandardError());
        EXPECT_TRUE(errors.contains("stopped by SIG")) << errors.toStdString();
        const QStringList files =
            QString::fromLocal8Bit(command.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(files.size(), 1);
        EXPECT_TRUE(errors.contains(" frames written into " + files.first()))
            << errors.toStdString();
        const std::vector<uint8_t> bytes = ReadFileBytes(files.first());

        if (c.format == std::string("ser")) {
            // The header counts every frame in the file, and the trailer
            // holds one time stamp for each.
            const int64_t count = static_cast<int32_t>(Le32At(bytes, 38));
            ASSERT_GT(count, 5);
            const int64_t frames_bytes = int64_t(bytes.size()) - 178;
            EXPECT_EQ(frames_bytes, count * (W * H + 8))
                << count << " frames claimed in " << bytes.size() << " bytes";
            EXPECT_LT(Le64At(bytes, size_t(178 + count * W * H + 8 * (count - 2))),
                      Le64At(bytes, bytes.size() - 8));
            // Its log counts the same frames and says what ended it.
            QFile log(files.first() + ".txt");
            ASSERT_TRUE(log.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(log.readAll());
            EXPECT_TRUE(text.contains(QString("\nFramesWritten=%1\n").arg(count)))
                << text.toStdString();
            EXPECT_TRUE(text.contains("\nEnded=stopped by a signal\n")) << text.toStdString();
            // Every frame up to the last is a whole picture of the planet, as
            // bright as the others. (Frame 0 is the recording start's own
            // concern: the exposure cut short there is mended elsewhere.)
            std::vector<double> means;
            for (int64_t f = 1; f < count; ++f) {
                const auto first = bytes.begin() + 178 + f * W * H;
                const auto [darkest, brightest] = std::minmax_element(first, first + W * H);
                EXPECT_GE(*brightest - *darkest, 20) << "frame " << f << " is blank";
                means.push_back(std::accumulate(first, first + W * H, 0.0) / (W * H));
            }
            const auto [dimmest, brightest] = std::minmax_element(means.begin(), means.end());
            EXPECT_LT(*brightest - *dimmest, 0.1 * *brightest);
        } else {
            // Indexed, with the RIFF size patched: readers find every frame.
            ASSERT_GT(bytes.size(), 12u);
            EXPECT_EQ(Le32At(bytes, 4), bytes.size() - 8);
            EXPECT_NE(
                std::search(bytes.begin(), bytes.end(), std::begin("idx1"), std::begin("idx1") + 4),
                bytes.end());
            if (ToolInstalled("ffprobe")) {
                auto probe = ProbeVideoStream(files.first());
                EXPECT_EQ(probe["exit_code"], "0");
                EXPECT_EQ(probe["errors"], "");
                EXPECT_GT(std::stoi(probe["nb_read_frames"]), 5);
                EXPECT_EQ(probe["width"], std::to_string(W));
            }
        }
    }
}

// omtrix-capture with --darks, its prompts answered as an observer would:
// the simulated camera is covered (its cap file made) before the line that
// answers the cover prompt, and uncovered before the line that answers the
// uncover prompt. `answers` limits how many prompts get a line; after them
// standard input ends.
struct DarkRun {
    int exit_code = -1;
    QStringList prompts;  // the prompt lines seen on stderr, in order
    QString errors;
    QStringList files;
};

// The cover and uncover prompts of a language file beside the program.
InterfaceTexts PromptsOf(const char *file_name) {
    QFile file(QCoreApplication::applicationDirPath() + "/" + file_name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file_name;
    const LanguageTable table = ParseLanguageFile(file.readAll());
    const QString *cover = table.Find("MSG_COVERCAMERA");
    const QString *uncover = table.Find("MSG_UNCOVERCAMERA");
    EXPECT_TRUE(cover && uncover) << file_name;
    InterfaceTexts texts;
    texts.MSG_COVERCAMERA = cover ? *cover : QString();
    texts.MSG_UNCOVERCAMERA = uncover ? *uncover : QString();
    return texts;
}

DarkRun RunWithDarkPrompts(const QStringList &arguments, const QString &cap_file, int answers,
                           const InterfaceTexts &texts = {}, const QString &fault = "none") {
    QProcess command;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("OMTRIX_SIM_SEEING", "off");
    environment.insert("OMTRIX_SIM_NOISE", "off");
    environment.insert("OMTRIX_SIM_CAP", cap_file);
    environment.insert("OMTRIX_SIM_FAULT", fault);
    command.setProcessEnvironment(environment);
    command.setReadChannel(QProcess::StandardError);
    command.start(QCoreApplication::applicationDirPath() + "/omtrix-capture", arguments);
    DarkRun run;
    QString unread;
    auto take_errors = [&] {
        const QString text = QString::fromLocal8Bit(command.readAllStandardError());
        run.errors += text;
        unread += text;
        for (qsizetype end; (end = unread.indexOf('\n')) >= 0; unread.remove(0, end + 1)) {
            const QString line = unread.left(end);
            if (line != texts.MSG_COVERCAMERA && line != texts.MSG_UNCOVERCAMERA) {
                continue;
            }
            run.prompts << line;
            if (run.prompts.size() > answers) {
                continue;
            }
            if (line == texts.MSG_COVERCAMERA) {
                QFile(cap_file).open(QIODevice::WriteOnly);
            } else {
                QFile::remove(cap_file);
            }
            command.write("\n");
            if (run.prompts.size() == answers) {
                command.closeWriteChannel();
            }
        }
    };
    if (answers == 0) {
        command.closeWriteChannel();
    }
    QElapsedTimer clock;
    clock.start();
    while (command.state() != QProcess::NotRunning && clock.elapsed() < 60000) {
        command.waitForReadyRead(50);
        take_errors();
    }
    command.waitForFinished(1000);
    take_errors();
    QFile::remove(cap_file);
    run.exit_code = command.exitStatus() == QProcess::NormalExit ? command.exitCode() : -1;
    run.files =
        QString::fromLocal8Bit(command.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    return run;
}

// The same two frames recorded with and without five darks: the darks take
// the sensor's hot pixels off the picture and leave the planet.
TEST_F(HeadlessCaptureTest, DarksTakeTheHotPixelsOff) {
    constexpr int W = 1024, H = 768;
    const QString cap = folder.filePath("cap");
    const QStringList common{"--dir",    folder.path(), "--format",   "ser",
                             "--frames", "2",           "--exposure", "150",
                             "--gain",   "30",          "--roi",      "1024x768"};
    const DarkRun plain = RunWithDarkPrompts(common + QStringList{"--name", "PLAIN"}, cap, 0);
    ASSERT_EQ(plain.exit_code, EXIT_DONE) << plain.errors.toStdString();
    EXPECT_TRUE(plain.prompts.isEmpty());
    const DarkRun darks =
        RunWithDarkPrompts(common + QStringList{"--name", "DARKS", "--darks", "5"}, cap, 2);
    ASSERT_EQ(darks.exit_code, EXIT_DONE) << darks.errors.toStdString();
    const InterfaceTexts texts;
    EXPECT_EQ(darks.prompts, (QStringList{texts.MSG_COVERCAMERA, texts.MSG_UNCOVERCAMERA}));
    ASSERT_EQ(plain.files.size(), 1);
    ASSERT_EQ(darks.files.size(), 1);

    const std::vector<uint8_t> with = ReadFileBytes(darks.files.first());
    const std::vector<uint8_t> without = ReadFileBytes(plain.files.first());
    ASSERT_EQ(with.size(), 178u + 2 * (W * H + 8));
    ASSERT_EQ(without.size(), with.size());
    // Second frames. A hot pixel: a sample well above four neighbours that
    // agree with one another (the planet's limb and bands do not count).
    struct Surroundings {
        int excess;  // over the middle of the four neighbours
        int spread;  // between the four neighbours
    };
    auto look = [&](const std::vector<uint8_t> &bytes, int x, int y) {
        const uint8_t *frame = bytes.data() + 178 + W * H;
        auto at = [&](int dx, int dy) { return int(frame[(y + dy) * W + x + dx]); };
        std::array<int, 4> around{at(-1, 0), at(1, 0), at(0, -1), at(0, 1)};
        std::sort(around.begin(), around.end());
        return Surroundings{at(0, 0) - (around[1] + around[2]) / 2, around[3] - around[0]};
    };
    int hot = 0, still_hot = 0;
    int brightest = 0;
    for (int y = 1; y + 1 < H; ++y) {
        for (int x = 1; x + 1 < W; ++x) {
            brightest = std::max<int>(brightest, with[178 + W * H + y * W + x]);
            const Surroundings plain_look = look(without, x, y);
            if (without[178 + W * H + y * W + x] < 255 && plain_look.spread <= 12 &&
                plain_look.excess > 20) {
                ++hot;
                still_hot += look(with, x, y).excess > 5;
            }
        }
    }
    EXPECT_GE(hot, 20) << "the plain recording shows hot pixels";
    EXPECT_EQ(still_hot, 0) << "of " << hot << " hot pixels";
    EXPECT_GT(brightest, 100) << "the planet is still there";
    // The first frame is as lit as the second: no dark exposure was recorded.
    auto mean = [&](const std::vector<uint8_t> &bytes, int frame) {
        const auto first = bytes.begin() + 178 + frame * W * H;
        return std::accumulate(first, first + W * H, 0.0) / (W * H);
    };
    EXPECT_NEAR(mean(with, 0), mean(with, 1), 0.5);
    EXPECT_GT(mean(with, 0), 5.0);
}

// Runs that cannot finish their darks end at once with a message and their
// own exit code, and leave nothing in the folder: standard input ending at
// either prompt (in German too), or the camera going silent during the darks.
TEST_F(HeadlessCaptureTest, ARunThatCannotFinishItsDarksLeavesNoFile) {
    const InterfaceTexts english;
    const InterfaceTexts german = PromptsOf("DEUTSCH.LNG");
    ASSERT_NE(german.MSG_COVERCAMERA, english.MSG_COVERCAMERA);
    const struct {
        const char *what;
        QStringList extra_arguments;
        const InterfaceTexts &texts;
        int answers;
        const char *fault;
        int exit_code;
        QStringList prompts;
        const char *message;
    } rows[] = {
        {"no answer",
         {},
         english,
         0,
         "none",
         EXIT_NO_ANSWER,
         {english.MSG_COVERCAMERA},
         "end of input"},
        {"covered, no second answer",
         {},
         english,
         1,
         "none",
         EXIT_NO_ANSWER,
         {english.MSG_COVERCAMERA, english.MSG_UNCOVERCAMERA},
         "end of input"},
        {"German",
         {"--language", "g"},
         german,
         0,
         "none",
         EXIT_NO_ANSWER,
         {german.MSG_COVERCAMERA},
         "end of input"},
        // The first frames and some of the darks come; the last darks never do.
        {"silent camera",
         {},
         english,
         1,
         "hang:5",
         EXIT_CAMERA_SILENT,
         {english.MSG_COVERCAMERA},
         "stopped answering"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        QElapsedTimer clock;
        clock.start();
        const DarkRun run = RunWithDarkPrompts(
            QStringList{"--dir", folder.path(), "--name", "NONE", "--format", "ser", "--frames",
                        "3", "--exposure", "10", "--roi", "320x240", "--darks", "5"} +
                row.extra_arguments,
            folder.filePath("cap"), row.answers, row.texts, row.fault);
        EXPECT_EQ(run.exit_code, row.exit_code) << run.errors.toStdString();
        EXPECT_EQ(run.prompts, row.prompts) << run.errors.toStdString();
        EXPECT_TRUE(run.errors.contains(row.message)) << run.errors.toStdString();
        // By itself, well before the minute the test gives it: the silent
        // camera takes its silence limit, and a checked build on a busy
        // machine as long again or more.
        EXPECT_LT(clock.elapsed(), 30000);
        EXPECT_TRUE(run.files.isEmpty());
        EXPECT_TRUE(QDir(folder.path()).isEmpty());
    }
}

}  // namespace

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);  // the stamp's text needs it
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
