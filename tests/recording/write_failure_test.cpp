// Writes that cannot complete (a full disk, a missing folder) must come back
// as failures, and what was written before must stay readable.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "avi/avi_test_reader.h"
#include "avi/avi_utils.h"
#include "recording/avi_output.h"
#include "recording/bmp_writer.h"
#include "recording/fits_writer.h"
#include "recording/ser_writer.h"
#include "recording/writer_test_support.h"

namespace {

class WriteFailureTest : public ::testing::Test {
  protected:
    QString PathOf(const QString &name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

Bitmap24 GreyBitmap(int32_t width, int32_t height) {
    Bitmap24 bitmap(width, height);
    std::fill(bitmap.Bits(), bitmap.Bits() + bitmap.ByteCount(), 0x55);
    return bitmap;
}

// The file ends after its last complete frame and the time stamps of exactly
// its frames. Where the disk leaves no room for them, the newest frame makes
// room and the finish reports the loss.
TEST_F(WriteFailureTest, FullDiskEndsSerFileAfterLastCompleteFrameAndItsTimes) {
    const int32_t width = 64;
    const int32_t height = 48;
    const size_t frame_bytes = size_t(width) * height;
    const struct {
        const char *name;
        size_t limit_bytes;
        std::vector<bool> appended;
        int32_t frames_kept;
        bool finished;
    } cases[] = {
        {"room for the times",
         178 + 2 * frame_bytes + frame_bytes / 2,
         {true, true, false, false},
         2,
         true},
        {"no room for the times", 178 + 2 * frame_bytes + 4, {true, true, false, false}, 1, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = PathOf(QString("%1.ser").arg(c.limit_bytes));
        SerWriter writer;
        std::vector<bool> appended;
        bool finished = false;
        {
            ScopedFileSizeLimit limit(c.limit_bytes);
            ASSERT_TRUE(limit.Active());
            ASSERT_EQ(writer.WriteSerHeader(name, width, height, 8), SER_HEADER_WRITTEN);
            for (int i = 0; i < 4; ++i) {
                const std::vector<uint8_t> frame(frame_bytes, uint8_t(i + 1));
                appended.push_back(
                    writer.AppendSerFrame(frame.data(), frame.size(), 1000 + 100 * i));
            }
            finished = writer.FinishSerFile();
        }
        EXPECT_EQ(appended, c.appended);
        EXPECT_EQ(finished, c.finished);
        EXPECT_EQ(writer.SerFrameCount(), c.frames_kept);

        const size_t kept = size_t(c.frames_kept);
        const std::vector<uint8_t> bytes = ReadFileBytes(name);
        ASSERT_EQ(bytes.size(), 178 + kept * (frame_bytes + 8));
        EXPECT_EQ(Le32At(bytes, 38), kept);
        EXPECT_EQ(bytes[178 + kept * frame_bytes - 1], kept);
        EXPECT_EQ(Le64At(bytes, bytes.size() - 8), 621355968000000000 + 10 + int64_t(kept) - 1);
        if (ToolInstalled("ffprobe")) {
            auto probe = ProbeVideoStream(name);
            EXPECT_EQ(probe["width"], "64");
            EXPECT_EQ(probe["nb_read_frames"], std::to_string(kept)) << probe["errors"];
        }
    }
}

TEST_F(WriteFailureTest, FullDiskFailsSerHeaderAndPerFrameFiles) {
    const Bitmap24 bitmap = GreyBitmap(64, 48);
    // Room for part of each file only.
    ScopedFileSizeLimit limit(100);
    ASSERT_TRUE(limit.Active());
    SerWriter ser;
    FitsWriter fits;
    EXPECT_EQ(ser.WriteSerHeader(PathOf("a.ser"), 64, 48, 8), SER_HEADER_FAILED);
    EXPECT_FALSE(ser.IsOpen());
    EXPECT_FALSE(fits.SaveFitsImage(PathOf("a.fit"), bitmap, false));
    EXPECT_FALSE(SaveBmpImage(PathOf("a.bmp"), bitmap));
    // Nothing half-written stays behind, so the names remain free.
    for (const char *name : {"a.ser", "a.fit", "a.bmp"}) {
        EXPECT_FALSE(QFile::exists(PathOf(name))) << name;
    }
}

TEST_F(WriteFailureTest, FullDiskStopsAviOutputWithReadableFile) {
    FileNamer namer;
    AviOutput output(namer);
    const Bitmap24 frame = GreyBitmap(64, 48);
    const int64_t chunk_bytes = 8 + int64_t(frame.ByteCount());
    int stored = 0;
    bool ended = false;
    {
        ScopedFileSizeLimit limit(224 + 5 * chunk_bytes + chunk_bytes / 2);
        ASSERT_TRUE(limit.Active());
        ASSERT_GE(output.StartAviFile(CaptureBasePath(dir_.path(), "CAPTURE"), frame), 0);
        while (stored < 20 && output.AddAviImage(frame)) {
            ++stored;
        }
        ended = output.EndAviFile();
    }
    EXPECT_EQ(stored, 5);
    EXPECT_TRUE(ended);
    const AviFileInfo info = ReadAviFile(PathOf("CAPTURE_00000.avi"));
    EXPECT_TRUE(info.riff_ok);
    EXPECT_EQ(info.frames.size(), 5u);
    EXPECT_EQ(info.total_frames, 5u);
}

TEST_F(WriteFailureTest, NoWriterOpensAnExistingFile) {
    const Bitmap24 bitmap = GreyBitmap(8, 8);
    const AviFrameImage image{8, 8, bitmap.Stride(), bitmap.Bits()};
    SerWriter ser;
    FitsWriter fits;
    const struct {
        const char *name;
        std::function<bool(const QString &)> create;
    } writers[] = {
        {"a.ser",
         [&](const QString &name) {
             return ser.WriteSerHeader(name, 8, 8, 8) != SER_HEADER_FAILED;
         }},
        {"a.fit", [&](const QString &name) { return fits.SaveFitsImage(name, bitmap, false); }},
        {"a.bmp", [&](const QString &name) { return SaveBmpImage(name, bitmap); }},
        {"a.avi",
         [&](const QString &name) {
             const int32_t handle = CreateAvi(QFile::encodeName(name).constData(), &image);
             return handle != -1 && CloseAvi(handle) == AVI_OK;
         }},
    };
    for (const auto &writer : writers) {
        const QString name = PathOf(writer.name);
        QFile older(name);
        ASSERT_TRUE(older.open(QIODevice::WriteOnly));
        older.write("an older recording");
        older.close();
        EXPECT_FALSE(writer.create(name)) << writer.name;
        EXPECT_FALSE(ser.IsOpen());
        ASSERT_TRUE(older.open(QIODevice::ReadOnly));
        EXPECT_EQ(older.readAll(), "an older recording") << writer.name;
    }
}

TEST_F(WriteFailureTest, MissingFolderFailsEveryWriter) {
    QFile plain_file(PathOf("plain"));
    ASSERT_TRUE(plain_file.open(QIODevice::WriteOnly));
    plain_file.close();
    const Bitmap24 bitmap = GreyBitmap(8, 8);
    // A folder that does not exist, and a "folder" that is a file.
    for (const QString &folder : {PathOf("missing"), PathOf("plain")}) {
        SCOPED_TRACE(folder.toStdString());
        const QString base = CaptureBasePath(folder, "CAPTURE");
        SerWriter ser;
        EXPECT_EQ(ser.WriteSerHeader(base + "_00000.ser", 8, 8, 8), SER_HEADER_FAILED);
        EXPECT_FALSE(ser.AppendSerFrame(bitmap.Bits(), 64, 1));
        EXPECT_FALSE(ser.FinishSerFile());
        FitsWriter fits;
        EXPECT_FALSE(fits.SaveFitsImage(base + "_00000.fit", bitmap, true));
        EXPECT_FALSE(SaveBmpImage(base + "_00000.bmp", bitmap));
        FileNamer namer;
        AviOutput avi(namer);
        EXPECT_EQ(avi.StartAviFile(base, bitmap), AVI_NO_HANDLE);
        EXPECT_FALSE(avi.AddAviImage(bitmap));
        EXPECT_FALSE(avi.EndAviFile());
    }
}

}  // namespace
