#include "recording/avi_output.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "avi/avi_test_reader.h"

namespace {

class AviOutputTest : public ::testing::Test {
  protected:
    QString base() const { return CaptureBasePath(dir_.path(), "CAPTURE"); }
    QString PathOf(const QString &name) const { return dir_.filePath(name); }

    QTemporaryDir dir_;
    FileNamer namer_;
};

// Frames and threshold both 16384 times smaller than a real recording's keep
// the real ratio: 1024 x 768 becomes 8 x 6, 2048 x 1536 becomes 16 x 12.
constexpr int64_t SCALED_SPLIT_BYTES = AVI_SPLIT_BYTES / 16384;

TEST_F(AviOutputTest, SplitsAfterTheFrameThatCrossesTheThreshold) {
    const struct {
        int32_t width;
        int32_t height;
        int64_t split_bytes;
        size_t frames_per_file;
    } cases[] = {
        {8, 6, SCALED_SPLIT_BYTES, 889},
        {16, 12, SCALED_SPLIT_BYTES, 223},
        // Reaching the threshold exactly is not yet past it.
        {4, 4, 2 * 48, 3},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.frames_per_file);
        QTemporaryDir dir;
        const QString base_path = CaptureBasePath(dir.path(), "CAPTURE");
        AviOutput output(namer_, c.split_bytes);
        Bitmap24 frame(c.width, c.height);
        std::fill(frame.Bits(), frame.Bits() + frame.ByteCount(), 0x40);
        ASSERT_GE(output.StartAviFile(base_path, frame), 0);
        const size_t total = 2 * c.frames_per_file + 1;
        for (size_t i = 0; i < total; ++i) {
            ASSERT_TRUE(output.AddAviImage(frame)) << "frame " << i;
        }
        EXPECT_EQ(output.AviBytes(), int64_t{c.width} * 3 * c.height);
        ASSERT_TRUE(output.EndAviFile());
        EXPECT_EQ(output.AviHandle(), AVI_NO_HANDLE);
        EXPECT_EQ(output.AviBytes(), 0);

        const size_t expected[] = {c.frames_per_file, c.frames_per_file, 1};
        for (int file = 0; file < 3; ++file) {
            const AviFileInfo info =
                ReadAviFile(base_path + QString("_%1.avi").arg(file, 5, 10, QLatin1Char('0')));
            EXPECT_TRUE(info.riff_ok) << "file " << file;
            EXPECT_EQ(info.frames.size(), expected[file]) << "file " << file;
            EXPECT_EQ(info.bi_width, uint32_t(c.width));
        }
        EXPECT_FALSE(QFile::exists(base_path + "_00003.avi"));
    }
}

TEST_F(AviOutputTest, SplitFilesSkipExistingNumbers) {
    QFile existing(PathOf("CAPTURE_00001.AVI"));  // an older recording's upper-case file
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    // Two frames of 48 bytes exceed 50: every third frame opens a new file.
    AviOutput output(namer_, 50);
    Bitmap24 frame(4, 4);
    std::fill(frame.Bits(), frame.Bits() + frame.ByteCount(), 0);
    ASSERT_GE(output.StartAviFile(base(), frame), 0);
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(output.AddAviImage(frame));
    }
    ASSERT_TRUE(output.EndAviFile());
    EXPECT_EQ(ReadAviFile(PathOf("CAPTURE_00000.avi")).frames.size(), 2u);
    EXPECT_EQ(QFile(PathOf("CAPTURE_00001.AVI")).size(), 0);  // left alone
    EXPECT_EQ(ReadAviFile(PathOf("CAPTURE_00002.avi")).frames.size(), 2u);
    EXPECT_EQ(ReadAviFile(PathOf("CAPTURE_00003.avi")).frames.size(), 1u);
}

TEST_F(AviOutputTest, FailuresAreReported) {
    AviOutput output(namer_);
    Bitmap24 frame(4, 4);
    std::fill(frame.Bits(), frame.Bits() + frame.ByteCount(), 0);
    EXPECT_FALSE(output.AddAviImage(frame));  // nothing open
    EXPECT_FALSE(output.EndAviFile());
    ASSERT_GE(output.StartAviFile(base(), frame), 0);
    const Bitmap24 other_size(5, 4);
    EXPECT_FALSE(output.AddAviImage(other_size));
    EXPECT_EQ(output.AviBytes(), 0);  // a frame not stored is not counted
    EXPECT_TRUE(output.AddAviImage(frame));
    EXPECT_EQ(output.AviBytes(), 48);
    EXPECT_TRUE(output.EndAviFile());
}

}  // namespace
