#include "recording/file_naming.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

TEST(OutputFileNameTest, PaddingAndIrisNumbering) {
    const struct {
        int32_t number;
        bool iris;
        const char *expected;
    } cases[] = {
        {0, false, "B_00000.FIT"},
        {7, false, "B_00007.FIT"},
        {99999, false, "B_99999.FIT"},
        {100000, false, "B_100000.FIT"},
        {1234567, false, "B_1234567.FIT"},
        {0, true, "B_0.FIT"},
        {3, true, "B_3.FIT"},
        {100000, true, "B_100000.FIT"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(OutputFileName("B", c.number, ".FIT", c.iris), c.expected);
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

class FileNamerTest : public ::testing::Test {
  protected:
    void SetUp() override { base_ = CaptureBasePath(dir_.path(), "CAPTURE"); }
    // Creates the file, as a writer would.
    QString Take(const QString &extension) {
        const QString name = namer_.NextFileName(base_, extension);
        QFile file(name);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
        return QFileInfo(name).fileName();
    }
    void Touch(const QString &file_name) {
        QFile file(dir_.filePath(file_name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QTemporaryDir dir_;
    QString base_;
    FileNamer namer_;
};

TEST_F(FileNamerTest, NumbersRunOnPerExtension) {
    EXPECT_EQ(Take(SER_EXTENSION), "CAPTURE_00000.SER");
    EXPECT_EQ(Take(SER_EXTENSION), "CAPTURE_00001.SER");
    EXPECT_EQ(Take(FIT_EXTENSION), "CAPTURE_00000.FIT");
    EXPECT_EQ(Take(FIT_EXTENSION), "CAPTURE_00001.FIT");
    EXPECT_EQ(Take(FIT_EXTENSION), "CAPTURE_00002.FIT");
    EXPECT_EQ(namer_.NextFileName(base_, FIT_EXTENSION),
              base_ + "_00003.FIT");  // a name not yet taken is handed out again
    EXPECT_EQ(namer_.NextFileName(base_, FIT_EXTENSION), base_ + "_00003.FIT");
}

TEST_F(FileNamerTest, ExtensionChangeStartsOverAndWalksOverExistingFiles) {
    for (int i = 0; i < 500; ++i) {
        Touch(QString("CAPTURE_%1.FIT").arg(i, 5, 10, QLatin1Char('0')));
    }
    EXPECT_EQ(Take(AVI_EXTENSION), "CAPTURE_00000.AVI");
    EXPECT_EQ(Take(FIT_EXTENSION), "CAPTURE_00500.FIT");
    EXPECT_EQ(Take(FIT_EXTENSION), "CAPTURE_00501.FIT");
}

TEST_F(FileNamerTest, SkipsExistingFilesAndGapsAreNotRefilled) {
    Touch("CAPTURE_00000.BMP");
    Touch("CAPTURE_00002.BMP");
    EXPECT_EQ(Take(BMP_EXTENSION), "CAPTURE_00001.BMP");
    EXPECT_EQ(Take(BMP_EXTENSION), "CAPTURE_00003.BMP");
    // A file deleted behind the namer's back is not reused while the key stays.
    QFile::remove(dir_.filePath("CAPTURE_00001.BMP"));
    EXPECT_EQ(Take(BMP_EXTENSION), "CAPTURE_00004.BMP");
}

TEST_F(FileNamerTest, IrisNumberingAndReset) {
    EXPECT_EQ(Take(FIT_EXTENSION), "CAPTURE_00000.FIT");
    EXPECT_EQ(Take(FIT_EXTENSION), "CAPTURE_00001.FIT");
    EXPECT_EQ(Take(FIT_EXTENSION), "CAPTURE_00002.FIT");
    EXPECT_EQ(Take(FIT_EXTENSION), "CAPTURE_00003.FIT");
    namer_.SetIrisNumbering(true);
    EXPECT_EQ(Take(FIT_EXTENSION), "CAPTURE_3.FIT");  // that name does not exist yet
    EXPECT_EQ(Take(FIT_EXTENSION), "CAPTURE_4.FIT");

    namer_.Reset();
    EXPECT_FALSE(namer_.IrisNumbering());
    EXPECT_EQ(namer_.LastFileNumber(), 0);
    EXPECT_TRUE(namer_.LastFileKey().isEmpty());
    EXPECT_EQ(Take(FIT_EXTENSION), "CAPTURE_00004.FIT");
}

}  // namespace
