#include "recording/recording_progress.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

TEST(RecordingProgress, TheDiskFigureTurnsAmberUnderTenMinutesAndRedUnderTwo) {
    const struct {
        double minutes;
        DiskLevel level;
    } cases[] = {
        {-1, DiskLevel::Plenty},  // no estimate before the first second
        {0, DiskLevel::Critical}, {1.99, DiskLevel::Critical}, {2, DiskLevel::Low},
        {9.99, DiskLevel::Low},   {10, DiskLevel::Plenty},     {5000, DiskLevel::Plenty},
    };
    for (const auto &row : cases) {
        EXPECT_EQ(DiskLevelOf(row.minutes), row.level) << row.minutes;
    }
}

TEST(RecordingProgress, MinutesLeftNeedBothFigures) {
    EXPECT_DOUBLE_EQ(MinutesLeft(6'000'000, 100'000), 1.0);
    EXPECT_EQ(MinutesLeft(-1, 100'000), -1) << "free space unknown";
    EXPECT_EQ(MinutesLeft(6'000'000, 0), -1) << "nothing written yet";
    EXPECT_DOUBLE_EQ(MinutesLeft(0, 100'000), 0.0) << "a full disk is red, not unknown";
}

TEST(RecordingProgress, TheTerminalLineHoldsEveryFigure) {
    RecordingProgress progress;
    progress.frames_written = 123;
    progress.frames_wanted = 500;
    progress.elapsed_ms = 3'723'400;
    progress.camera_fps = 30.06;
    progress.written_fps = 29.96;
    progress.frames_dropped = 2;
    progress.file_bytes = 45'200'000;
    progress.free_bytes = 22'688'400'000;
    progress.minutes_left = 38.9;
    EXPECT_EQ(ProgressLine(progress, InterfaceTexts{}),
              "123 written, 377 frames left | 1:02:03 | Frame Rate: 30.1, written: 30.0 | "
              "dropped 2 | 45.2 MB | 22688 MB free, 38 min");
    progress.frames_wanted = 0;
    progress.seconds_left = 12;
    progress.free_bytes = -1;
    EXPECT_TRUE(ProgressLine(progress, InterfaceTexts{}).startsWith("12 s left, 123 frames | "));
    EXPECT_TRUE(ProgressLine(progress, InterfaceTexts{}).endsWith("45.2 MB"))
        << "an unknown disk shows nothing";
    progress.seconds_left = -1;
    EXPECT_EQ(FramesText(progress, InterfaceTexts{}), "Capturing... 123 written");
}

// The free space read through the file system, on a disk of a known size.
TEST(RecordingProgress, FreeSpaceFollowsASmallTmpfs) {
    QTemporaryDir mount_point;
    const QString where = mount_point.path();
    if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=8m", "tmpfs", where}) != 0) {
        GTEST_SKIP() << "mounting a tmpfs needs root";
    }
    const int64_t empty = FreeDiskBytes(where);
    EXPECT_GT(empty, 7'500'000);
    EXPECT_LE(empty, 8 * 1024 * 1024);
    {
        QFile file(QDir(where).filePath("frames.ser"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(QByteArray(3'000'000, 'x')), 3'000'000);
    }
    EXPECT_NEAR(static_cast<double>(FreeDiskBytes(where)), empty - 3'000'000.0, 8192);
    EXPECT_EQ(FreeDiskBytes(QString()), -1);
    QProcess::execute("umount", {where});
}

}  // namespace
