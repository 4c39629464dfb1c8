// The program as `cmake --install` lays it out, in a temporary DESTDIR: every
// file in its folder, and omtrix-capture recording from there with the driver
// of its installed library folder.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

#include "app/headless_capture.h"
#include "recording/writer_test_support.h"

namespace {

class InstallTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(stage.isValid());
        // Nothing may point the loader back into the build folder.
        qunsetenv("LD_LIBRARY_PATH");
        const ToolRun install =
            RunTool(CMAKE_COMMAND, {"-E", "env", "DESTDIR=" + stage.path(), CMAKE_COMMAND,
                                    "--install", OMTRIX_BUILD_FOLDER, "--prefix", "/usr"});
        ASSERT_EQ(install.exit_code, 0) << install.errors.toStdString();
    }
    QString Installed(const QString &path) const { return stage.filePath("usr/" + path); }
    QString InLibraryFolder(const QString &name) const {
        return Installed(OMTRIX_INSTALL_LIBRARY_DIR "/" + name);
    }
    ToolRun RunInstalledCapture(const QStringList &arguments) const {
        return RunTool(Installed(OMTRIX_INSTALL_BINDIR "/omtrix-capture"), arguments);
    }

    QTemporaryDir stage;
    QTemporaryDir output;
};

TEST_F(InstallTest, PutsEveryFileWhereTheProgramAndTheDesktopLookForIt) {
    QStringList expected{
        Installed(OMTRIX_INSTALL_BINDIR "/omtrix"),
        Installed(OMTRIX_INSTALL_BINDIR "/omtrix-capture"),
        InLibraryFolder("MELKOTAR.DLL"),
        InLibraryFolder("libavi_utils.so"),
        Installed(OMTRIX_INSTALL_DATADIR "/applications/omtrix.desktop"),
        Installed(OMTRIX_INSTALL_DATADIR "/icons/hicolor/scalable/apps/omtrix.svg")};
    for (const char *language : {"ENGLISH", "FRANCAIS", "DUTCH", "DEUTSCH", "ITALIANO", "SPANISH",
                                 "DANISH", "NORWEGIAN", "SWEDISH", "CHINESE"}) {
        expected << InLibraryFolder(QString(language) + ".LNG");
    }
    for (const QString &file : expected) {
        EXPECT_TRUE(QFile::exists(file)) << file.toStdString();
    }
    // The executables find the AVI library relative to themselves, never in
    // the build folder.
    for (const char *program : {"omtrix", "omtrix-capture"}) {
        const ToolRun dynamic =
            RunTool("readelf", {"-d", Installed(OMTRIX_INSTALL_BINDIR "/" + QString(program))});
        EXPECT_TRUE(dynamic.output.contains("[$ORIGIN/" OMTRIX_LIBRARY_FOLDER_FROM_PROGRAM "]"))
            << dynamic.output.toStdString();
        EXPECT_FALSE(dynamic.output.contains(OMTRIX_BUILD_FOLDER)) << program;
    }
}

TEST_F(InstallTest, TheInstalledCaptureRecordsWithTheDriverOfItsLibraryFolder) {
    constexpr int W = 320, H = 240, FRAMES = 10;
    const QStringList arguments{"--dir",      output.path(), "--name",   "INSTALLED",
                                "--format",   "ser",         "--frames", QString::number(FRAMES),
                                "--exposure", "5",           "--gain",   "40",
                                "--roi",      "320x240"};
    const ToolRun run = RunInstalledCapture(arguments);
    ASSERT_EQ(run.exit_code, EXIT_DONE) << run.errors.toStdString();
    const QString file = output.filePath("INSTALLED_00000.ser");
    ASSERT_EQ(run.output.trimmed(), file);

    const std::vector<uint8_t> bytes = ReadFileBytes(file);
    ASSERT_GE(bytes.size(), 178u);
    EXPECT_EQ(TextAt(bytes, 0, 14), "LUCAM_RECORDER");
    EXPECT_EQ(Le32At(bytes, 26), uint32_t(W));
    EXPECT_EQ(Le32At(bytes, 30), uint32_t(H));
    EXPECT_EQ(Le32At(bytes, 34), 8u);
    ASSERT_EQ(Le32At(bytes, 38), uint32_t(FRAMES));
    ASSERT_GE(bytes.size(), 178u + size_t(FRAMES) * W * H);
    // Pictures of the planet, not empty buffers. (The first frame's exposure
    // may be cut short by the recording's start.)
    for (int f = 1; f < FRAMES; ++f) {
        const auto first = bytes.begin() + 178 + f * W * H;
        const auto [darkest, brightest] = std::minmax_element(first, first + W * H);
        EXPECT_GE(*brightest - *darkest, 20) << "frame " << f << " is blank";
    }
    if (ToolInstalled("ffprobe")) {
        auto probe = ProbeVideoStream(file);
        EXPECT_EQ(probe["errors"], "");
        EXPECT_EQ(probe["nb_read_frames"], std::to_string(FRAMES));
    }

    // Without it, the installed program has no other driver to fall back on:
    // nothing reaches into the build folder.
    ASSERT_TRUE(QFile::remove(InLibraryFolder("MELKOTAR.DLL")));
    const ToolRun without_driver = RunInstalledCapture(arguments);
    EXPECT_EQ(without_driver.exit_code, EXIT_NO_DRIVER);
    EXPECT_TRUE(without_driver.errors.contains("Error loading MELKOTAR.DLL"))
        << without_driver.errors.toStdString();
}

}  // namespace
