#include "recording/file_naming.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <set>
#include <thread>
#include <vector>

#include "recording/bmp_writer.h"
#include "recording/fits_writer.h"
#include "recording/ser_writer.h"
#include "recording/writer_test_support.h"

namespace {

TEST(OutputFileNameTest, PaddingAndIrisNumbering) {
    const struct {
        int32_t number;
        bool iris;
        const char *expected;
    } cases[] = {
        {0, false, "B_00000.fit"},
        {7, false, "B_00007.fit"},
        {99999, false, "B_99999.fit"},
        {100000, false, "B_100000.fit"},
        {1234567, false, "B_1234567.fit"},
        {0, true, "B_0.fit"},
        {3, true, "B_3.fit"},
        {100000, true, "B_100000.fit"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(OutputFileName("B", c.number, ".fit", c.iris), c.expected);
    }
}

TEST(CaptureBasePathTest, OneSeparatorBetweenDirectoryAndName) {
    const QString sep = QDir::separator();
    const struct {
        QString directory;
        QString expected;
    } cases[] = {
        {"/data/astro", "/data/astro" + sep + "CAPTURE"},
        {"/data/astro" + sep, "/data/astro" + sep + "CAPTURE"},
        {"/data/astro/", "/data/astro/CAPTURE"},
        {"/", "/CAPTURE"},
        {"", "CAPTURE"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(CaptureBasePath(c.directory, "CAPTURE"), c.expected) << c.directory.toStdString();
    }
}

// Creates a file only where none exists, as the writers do.
bool CreateNew(const QString &name) {
    QFile file(name);
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
}

class FileNamerTest : public ::testing::Test {
  protected:
    void SetUp() override { base_ = CaptureBasePath(dir_.path(), "CAPTURE"); }
    // The next file created by the namer, by its name in the folder.
    QString Take(const QString &extension) {
        const QString name = namer_.NextFileName(base_, extension, CreateNew);
        EXPECT_FALSE(name.isEmpty());
        return QFileInfo(name).fileName();
    }
    void Touch(const QString &file_name) { ASSERT_TRUE(CreateNew(dir_.filePath(file_name))); }

    QTemporaryDir dir_;
    QString base_;
    FileNamer namer_;
};

TEST_F(FileNamerTest, NumbersRunOnPerExtensionInLowerCase) {
    EXPECT_EQ(Take(SER_EXTENSION), "CAPTURE_00000.ser");
    EXPECT_EQ(Take(SER_EXTENSION), "CAPTURE_00001.ser");
    EXPECT_EQ(Take(FIT_EXTENSION), "CAPTURE_00000.fit");
    EXPECT_EQ(Take(FIT_EXTENSION), "CAPTURE_00001.fit");
    EXPECT_EQ(Take(AVI_EXTENSION), "CAPTURE_00000.avi");
    EXPECT_EQ(Take(BMP_EXTENSION), "CAPTURE_00000.bmp");
}

TEST_F(FileNamerTest, AFailedCreationKeepsItsNumberForTheNextRequest) {
    EXPECT_EQ(Take(FIT_EXTENSION), "CAPTURE_00000.fit");
    const auto fail = [](const QString &) { return false; };
    EXPECT_TRUE(namer_.NextFileName(base_, FIT_EXTENSION, fail).isEmpty());
    EXPECT_EQ(namer_.LastFileNumber(), 1);
    EXPECT_EQ(Take(FIT_EXTENSION), "CAPTURE_00001.fit");
}

TEST_F(FileNamerTest, ANameTakenByAnotherWriterMovesOnToTheNextNumber) {
    // Another program creates each of the first two names just before us.
    int attempts = 0;
    const QString name = namer_.NextFileName(base_, SER_EXTENSION, [&](const QString &free) {
        if (++attempts <= 2) {
            EXPECT_TRUE(CreateNew(free));
        }
        return CreateNew(free);
    });
    EXPECT_EQ(QFileInfo(name).fileName(), "CAPTURE_00002.ser");
    EXPECT_EQ(attempts, 3);
    EXPECT_EQ(Take(SER_EXTENSION), "CAPTURE_00003.ser");
}

TEST_F(FileNamerTest, FilesOfEitherCaseAreTaken) {
    const struct {
        const char *extension;
        const char *existing[3];
        const char *expected;
    } cases[] = {
        {SER_EXTENSION,
         {"CAPTURE_00000.SER", "CAPTURE_00001.ser", "CAPTURE_00002.SER"},
         "CAPTURE_00003.ser"},
        {FIT_EXTENSION,
         {"CAPTURE_00000.FIT", "CAPTURE_00001.FIT", "CAPTURE_00003.FIT"},
         "CAPTURE_00002.fit"},
        {AVI_EXTENSION,
         {"CAPTURE_00000.AVI", "CAPTURE_00002.avi", "CAPTURE_00003.avi"},
         "CAPTURE_00001.avi"},
        {BMP_EXTENSION,
         {"CAPTURE_00000.BMP", "CAPTURE_00001.BMP", "CAPTURE_00002.BMP"},
         "CAPTURE_00003.bmp"},
    };
    for (const auto &c : cases) {
        for (const char *file : c.existing) {
            Touch(file);
        }
        EXPECT_EQ(Take(c.extension), c.expected);
    }
}

TEST_F(FileNamerTest, ExtensionChangeStartsOverAndWalksOverExistingFiles) {
    for (int i = 0; i < 500; ++i) {
        Touch(QString("CAPTURE_%1.fit").arg(i, 5, 10, QLatin1Char('0')));
    }
    EXPECT_EQ(Take(AVI_EXTENSION), "CAPTURE_00000.avi");
    EXPECT_EQ(Take(FIT_EXTENSION), "CAPTURE_00500.fit");
    EXPECT_EQ(Take(FIT_EXTENSION), "CAPTURE_00501.fit");
}

TEST_F(FileNamerTest, SkipsExistingFilesAndGapsAreNotRefilled) {
    Touch("CAPTURE_00000.bmp");
    Touch("CAPTURE_00002.bmp");
    EXPECT_EQ(Take(BMP_EXTENSION), "CAPTURE_00001.bmp");
    EXPECT_EQ(Take(BMP_EXTENSION), "CAPTURE_00003.bmp");
    // A file deleted behind the namer's back is not reused while the key stays.
    QFile::remove(dir_.filePath("CAPTURE_00001.bmp"));
    EXPECT_EQ(Take(BMP_EXTENSION), "CAPTURE_00004.bmp");
}

TEST_F(FileNamerTest, IrisNumberingAndReset) {
    EXPECT_EQ(Take(FIT_EXTENSION), "CAPTURE_00000.fit");
    EXPECT_EQ(Take(FIT_EXTENSION), "CAPTURE_00001.fit");
    EXPECT_EQ(Take(FIT_EXTENSION), "CAPTURE_00002.fit");
    EXPECT_EQ(Take(FIT_EXTENSION), "CAPTURE_00003.fit");
    namer_.SetIrisNumbering(true);
    EXPECT_EQ(Take(FIT_EXTENSION), "CAPTURE_4.fit");  // 3 is taken as CAPTURE_00003.fit
    EXPECT_EQ(Take(FIT_EXTENSION), "CAPTURE_5.fit");

    namer_.Reset();
    EXPECT_FALSE(namer_.IrisNumbering());
    EXPECT_EQ(namer_.LastFileNumber(), 0);
    EXPECT_TRUE(namer_.LastFileKey().isEmpty());
    EXPECT_EQ(Take(FIT_EXTENSION), "CAPTURE_00006.fit");  // 4 and 5 are taken too
}

// A number is taken in either numbering and either case: a stacker sorting
// by number must never see one twice.
TEST_F(FileNamerTest, ANumberIsTakenInEitherNumbering) {
    const struct {
        bool iris;
        const char *existing[3];
        const char *expected;
    } cases[] = {
        {true, {"CAPTURE_00000.ser", "CAPTURE_1.ser", "CAPTURE_00002.SER"}, "CAPTURE_3.ser"},
        {false, {"CAPTURE_0.ser", "CAPTURE_00001.ser", "CAPTURE_2.SER"}, "CAPTURE_00003.ser"},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        for (const char *file : c.existing) {
            ASSERT_TRUE(CreateNew(dir.filePath(file)));
        }
        FileNamer namer;
        namer.SetIrisNumbering(c.iris);
        const QString name =
            namer.NextFileName(CaptureBasePath(dir.path(), "CAPTURE"), SER_EXTENSION, CreateNew);
        EXPECT_EQ(QFileInfo(name).fileName(), c.expected);
    }
}

// Four recordings numbering files in one folder at once, as four
// omtrix-capture runs do: every frame must end up in a file of its own.
TEST(ConcurrentNamingTest, FourWritersInOneFolderKeepEveryFrame) {
    constexpr int WRITERS = 4;
    constexpr int FRAMES = 60;
    constexpr int32_t W = 16;
    constexpr int32_t H = 8;  // a row of 48 bytes: no padding in the bitmap
    enum Format { BMP, FIT, SER };
    const struct {
        Format format;
        const char *extension;
        size_t data_offset;
        size_t data_bytes;
        size_t file_bytes;
    } cases[] = {
        {BMP, BMP_EXTENSION, BMP_HEADER_BYTES, W * 3 * H, BMP_HEADER_BYTES + W * 3 * H},
        {FIT, FIT_EXTENSION, FITS_BLOCK_BYTES, W * H, 2 * FITS_BLOCK_BYTES},
        {SER, SER_EXTENSION, SER_HEADER_BYTES, W * H,
         SER_HEADER_BYTES + W * H + 8},  // and its time
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.extension);
        QTemporaryDir dir;
        const QString base = CaptureBasePath(dir.path(), "RACE");
        std::vector<std::thread> writers;
        for (int writer = 0; writer < WRITERS; ++writer) {
            writers.emplace_back([&, writer] {
                FileNamer namer;
                FitsWriter fits;
                SerWriter ser;
                Bitmap24 picture(W, H);
                std::vector<uint8_t> samples(W * H);
                for (int frame = 0; frame < FRAMES; ++frame) {
                    // Every sample of a frame holds the frame's own tag.
                    const uint8_t tag = uint8_t(writer * FRAMES + frame);
                    std::fill(picture.Bits(), picture.Bits() + picture.ByteCount(), tag);
                    std::fill(samples.begin(), samples.end(), tag);
                    const QString name =
                        namer.NextFileName(base, c.extension, [&](const QString &free) {
                            switch (c.format) {
                                case BMP:
                                    return SaveBmpImage(free, picture);
                                case FIT:
                                    return fits.SaveFitsImage(free, picture, false);
                                case SER:
                                    return ser.WriteSerHeader(free, W, H, 8) ==
                                               SER_HEADER_WRITTEN &&
                                           ser.AppendSerFrame(samples.data(), samples.size(), 1) &&
                                           ser.FinishSerFile();
                            }
                            return false;
                        });
                    EXPECT_FALSE(name.isEmpty());
                }
            });
        }
        for (std::thread &writer : writers) {
            writer.join();
        }

        const QStringList files = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
        EXPECT_EQ(files.size(), WRITERS * FRAMES);
        std::set<int> tags;
        for (const QString &file : files) {
            const std::vector<uint8_t> bytes = ReadFileBytes(dir.filePath(file));
            ASSERT_EQ(bytes.size(), c.file_bytes) << file.toStdString();
            const auto data = bytes.begin() + c.data_offset;
            EXPECT_TRUE(std::all_of(data, data + c.data_bytes,
                                    [&](uint8_t sample) { return sample == *data; }))
                << file.toStdString() << " holds parts of two frames";
            tags.insert(*data);
        }
        EXPECT_EQ(tags.size(), size_t(WRITERS * FRAMES)) << "frames lost to a shared name";
    }
}

}  // namespace
